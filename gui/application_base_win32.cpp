#include "gui/application_base.h"

#include "gui/frame_window.h"
#include "gui/menu.h"
#include "gui/message_loop.h"

ApplicationBase::ApplicationBase(FrameInterface* window)
    : mainWindow(window != nullptr ? dynamic_cast<FrameWindow*>(window) : nullptr)
{
}

bool ApplicationBase::Init(int* exitCode, HINSTANCE newInstance, HINSTANCE newPreviousInstance,
                           wchar_t** newArguments, int newShowCommand)
{
    instance = newInstance;
    previousInstance = newPreviousInstance;
    arguments = newArguments;
    showCommand = newShowCommand;
    return CreateMainWindow(exitCode);
}

bool ApplicationBase::CreateMainWindow(int* exitCode)
{
    *exitCode = -1;
    if (instance == nullptr)
        return false;
    if (mainWindow == nullptr)
        mainWindow = new FrameWindow(0, 0, 320, 200, 0);
    if (mainWindow->GetMenu() == nullptr) {
        auto* menu = new MenuBar;
        if (!mainWindow->SetMenu(menu)) {
            delete menu;
            Exit();
            return false;
        }
    }
    if (!mainWindow->Create(instance)) {
        Exit();
        return false;
    }
    *exitCode = 0;
    return true;
}

int ApplicationBase::Run()
{
    if (mainWindow == nullptr)
        return -1;
    mainWindow->Show(true);
    MSG message{};
    const auto fetch = [&message] {
        const BOOL result = GetMessageW(&message, nullptr, 0, 0);
        return result == -1 ? -1 : result == 0 ? 0 : 1;
    };
    return RunMessageLoop(fetch,
                          [&message] {
                              TranslateMessage(&message);
                              DispatchMessageW(&message);
                          },
                          [&message] { return static_cast<int>(message.wParam); });
}

void ApplicationBase::Exit()
{
    delete mainWindow;
    mainWindow = nullptr;
}

void ApplicationBase::CloseMainWindow()
{
    if (mainWindow != nullptr && mainWindow->handle != nullptr)
        DestroyWindow(mainWindow->handle);
}

FrameInterface* ApplicationBase::GetMainWindow()
{
    return mainWindow;
}
