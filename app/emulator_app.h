// EmulatorApp: the application object of the emulator (Windows only). It differs from
// ApplicationBase only in the window it creates: the MainWindow with its MainMenuBar.
#pragma once

#include "gui/application_base.h"

class EmulatorApp : public ApplicationBase {
public:
    EmulatorApp() : ApplicationBase(nullptr) {}
    ~EmulatorApp() override = default;

    // Creates the main window (800 x 448, then sized by its creation step) and attaches an
    // empty menu bar that the window fills; then continues as ApplicationBase.
    bool CreateMainWindow(int* exitCode) override;
};
