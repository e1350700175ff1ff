// EmulatorApp: the application object of the emulator (Windows only). It differs from
// ApplicationBase in the window it creates, the MainWindow with its MainMenuBar, and in
// the end of the run: settings that the window could not save as it went are told in a
// message box of their own, and the exit code is then 1.
#pragma once

#include "gui/application_base.h"

class EmulatorApp : public ApplicationBase {
public:
    EmulatorApp() : ApplicationBase(nullptr) {}
    ~EmulatorApp() override = default;

    // Creates the main window (800 x 448, then sized by its creation step) and attaches an
    // empty menu bar that the window fills; then continues as ApplicationBase.
    bool CreateMainWindow(int* exitCode) override;
    // The message loop, then the box of settings not saved (when there are any).
    int Run() override;
};
