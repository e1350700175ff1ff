// The application object: the root of a GUI run. Windows-only.
//
// The program entry builds one, calls Init with the values Windows gave the
// program (which creates the main window through CreateMainWindow), and only
// when that succeeded Run (the message loop) and Exit (deletes the main
// window). The run ends when the main frame window is destroyed: its
// Destroy posts the quit message, and Run answers its exit code 0. An error
// from GetMessageW ends the loop with -1.
#pragma once

#include <windows.h>

class FrameInterface;
class FrameWindow;

class ApplicationInterface {
public:
    virtual bool CreateMainWindow(int* exitCode) = 0;
    virtual int Run() = 0;
    virtual void Exit() = 0;
    virtual ~ApplicationInterface() = default;
    virtual void CloseMainWindow() = 0;
    virtual FrameInterface* GetMainWindow() = 0;
};

class ApplicationBase : public ApplicationInterface {
public:
    // A given window must be a FrameWindow (else none is kept); it is owned.
    explicit ApplicationBase(FrameInterface* window = nullptr);
    ~ApplicationBase() override = default;
    ApplicationBase(const ApplicationBase&) = delete;
    ApplicationBase& operator=(const ApplicationBase&) = delete;

    // Stores the values and returns CreateMainWindow(exitCode).
    bool Init(int* exitCode, HINSTANCE instance, HINSTANCE previousInstance, wchar_t** arguments, int showCommand);
    // Exit code -1 unless the window was made: a 320 by 200 frame window
    // placed by Windows, with an empty menu bar when it has none.
    bool CreateMainWindow(int* exitCode) override;
    // Shows the main window and runs the loop; -1 without a main window.
    int Run() override;
    // Deletes the main window; safe twice.
    void Exit() override;
    void CloseMainWindow() override;
    FrameInterface* GetMainWindow() override;

protected:
    HINSTANCE instance = nullptr;
    HINSTANCE previousInstance = nullptr;
    wchar_t** arguments = nullptr;
    int showCommand = 0;
    FrameWindow* mainWindow = nullptr;
};
