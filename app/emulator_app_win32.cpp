#include "app/emulator_app.h"

#include "app/main_menu_bar.h"
#include "app/main_window.h"
#include "gui/message_box_answer.h"

namespace {
constexpr int kMainIconId = 128;
}

int EmulatorApp::Run()
{
    const int exitCode = ApplicationBase::Run();
    auto* window = dynamic_cast<MainWindow*>(mainWindow);
    if (!window || window->exitSaveFailure.IsEmpty())
        return exitCode;
    // The window is gone and its console with it: the box stands alone.
    const StringW caption(window->title);
    MessageBoxW(nullptr, window->exitSaveFailure.GetWide(), caption.GetWide(),
                MessageBoxStyleFor(kMessageBoxError));
    return exitCode == 0 ? 1 : exitCode;
}

bool EmulatorApp::CreateMainWindow(int* exitCode)
{
    if (!mainWindow) {
        auto* window = new MainWindow(0, 0, 800, 448, 0);
        mainWindow = window;
        if (!window->IsCreated())
            window->SetIconId(kMainIconId);
    }
    if (!mainWindow->GetMenu()) {
        auto* bar = new MainMenuBar(GetMainWindow(), nullptr);
        if (!mainWindow->SetMenu(bar))
            delete bar;
    }
    return ApplicationBase::CreateMainWindow(exitCode);
}
