#include "app/emulator_app.h"

#include "app/main_menu_bar.h"
#include "app/main_window.h"

namespace {
constexpr int kMainIconId = 128;
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
