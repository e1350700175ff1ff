#include "app/main_menu_bar.h"

#include "app/main_window.h"
#include "app/menu_commands.h"
#include "app/menu_item_entry.h"
#include "emu/computer.h"
#include "sound/sound_buffer_ring.h"
#include "video/display_surface.h"

namespace {

MainWindow* MainOf(MenuItem* entry)
{
    WindowInterface* top = entry ? entry->GetTopLevelWindow() : nullptr;
    return top ? dynamic_cast<MainWindow*>(top) : nullptr;
}

// Kind 1 writes the flags that changed; kind 0 runs the command.
bool Handle(MenuCommand command, MenuItem* entry, int kind)
{
    MainWindow* main = MainOf(entry);
    if (!main || (kind != 0 && kind != 1))
        return false;
    if (kind == 0) {
        MenuItemEntry adapter(entry);
        return ExecuteCommand(*main, command, adapter);
    }
    EntryState state;
    if (!RefreshCommand(*main, command, entry->userValue, &state))
        return false;
    SetEntryState(entry, state.enabled, state.checked);
    return true;
}

MenuItem* AddEntry(PopupMenu* menu, const wchar_t* text, MenuHandler handler, i32 userValue = -1)
{
    MenuItem* entry = menu ? menu->AddItem(StringW(text), true) : nullptr;
    if (entry) {
        entry->handler = handler;
        entry->userValue = userValue;
    }
    return entry;
}

} // namespace

MainMenuBar::MainMenuBar(WindowInterface* owner, void* nativeHandle) : MenuBar(owner, nativeHandle) {}

MainMenuBar::~MainMenuBar()
{
    RemoveOptionEntries();
}

void MainMenuBar::RemoveOptionEntries()
{
    for (PopupMenu* menu : {computerMenu, inputMenu, debugMenu, videoMenu, soundMenu, settingsMenu}) {
        if (menu)
            menu->RemoveByTag(nullptr, false);
    }
}

bool MainMenuBar::Rebuild(bool keepOptionItems, bool skipOptionMenus)
{
    if (!keepOptionItems)
        RemoveOptionEntries();
    return skipOptionMenus || AddCoreOptionMenus();
}

bool MainMenuBar::Build()
{
    Clear();
    MainWindow* main = dynamic_cast<MainWindow*>(GetTopLevelWindow());
    if (!main)
        return false;
    EmuManager& manager = main->manager;

    emulationMenu = AddPopup(StringW("Emulation"), true);
    if (!emulationMenu)
        return false;
    startItem = AddEntry(emulationMenu, L"Start", &CmdStart);
    stopItem = AddEntry(emulationMenu, L"Stop", &CmdStop);
    if (!startItem || !stopItem || !emulationMenu->AddSeparator(false))
        return false;
    pauseItem = AddEntry(emulationMenu, L"Pause", &CmdPause);
    if (!pauseItem || !emulationMenu->AddSeparator(false))
        return false;
    if (!AddEntry(emulationMenu, L"Synchronization", &CmdSynchronization) ||
        !AddEntry(emulationMenu, L"Fast Initialization", &CmdFastInitialization) ||
        !emulationMenu->AddSeparator(false))
        return false;
    saveStateItem = AddEntry(emulationMenu, L"Save State\tF11", &CmdSaveState);
    loadStateItem = AddEntry(emulationMenu, L"Load State\tF12", &CmdLoadState);
    if (!saveStateItem || !loadStateItem || !emulationMenu->AddSeparator(false) ||
        !AddEntry(emulationMenu, L"Exit", &CmdExit))
        return false;

    computerMenu = AddPopup(StringW("Computer"), true);
    if (!computerMenu)
        return false;
    for (i32 i = 0; i < manager.GetMachineCount(); ++i) {
        Computer* machine = manager.GetMachineFactory(i);
        if (!machine) {
            if (!computerMenu->AddSeparator(false))
                return false;
            continue;
        }
        MenuItem* entry = computerMenu->AddItem(StringW(machine->GetName()), true);
        if (!entry)
            return false;
        entry->handler = &CmdSelectComputer;
        entry->userValue = i;
    }

    drivesMenu = AddPopup(StringW("Drives"), true);
    videoMenu = AddPopup(StringW("Video"), true);
    if (!drivesMenu || !videoMenu)
        return false;
    for (i32 i = 0; i < manager.GetRendererCount(); ++i) {
        LockedDisplaySurface* renderer = manager.GetRendererFactory(i);
        StringW text(renderer ? renderer->GetName() : "Unknown");
        if (renderer)
            text.Append(" renderer");
        MenuItem* entry = videoMenu->AddItem(text, true);
        if (!entry)
            return false;
        entry->handler = &CmdSelectRenderer;
        entry->userValue = i;
    }
    soundMenu = AddPopup(StringW("Sound"), true);
    if (!soundMenu)
        return false;
    for (i32 i = 0; i < manager.GetSoundOutputCount(); ++i) {
        SoundBufferRing* output = manager.GetSoundOutputFactory(i);
        MenuItem* entry = soundMenu->AddItem(StringW(output ? output->GetName() : "Unknown Sound"), true);
        if (!entry)
            return false;
        entry->handler = &CmdSelectSound;
        entry->userValue = i;
    }

    inputMenu = AddPopup(StringW("Input"), true);
    if (!AddEntry(inputMenu, L"Capture Mouse on DblClick", &CmdCaptureMouse))
        return false;
    debugMenu = AddPopup(StringW("Debug"), true);
    viewMenu = AddPopup(StringW("View"), true);
    if (!debugMenu || !viewMenu)
        return false;
    emulationScreenItem = AddEntry(viewMenu, L"Emulation Screen", &CmdEmulationScreen);
    consoleWindowItem = AddEntry(viewMenu, L"Console Window", &CmdConsoleWindow);
    if (!emulationScreenItem || !consoleWindowItem || !viewMenu->AddSeparator(false) ||
        !AddEntry(viewMenu, L"Toolbar", &CmdToolbar, 0))
        return false;
    settingsMenu = AddPopup(StringW("Settings"), true);
    if (!AddEntry(settingsMenu, L"Maximize window on startup", &CmdSettingsFlag, kMaximizeOnStartup) ||
        !AddEntry(settingsMenu, L"Auto-start emulation", &CmdSettingsFlag, kAutoStartEmulation))
        return false;
    helpMenu = AddPopup(StringW("Help"), true);
    if (!AddEntry(helpMenu, L"About...", &CmdAbout))
        return false;

    Rebuild(false, false);
    BuildDrivesMenu();
    UpdateAll();
    return true;
}

bool MainMenuBar::CmdStart(MenuItem* e, int, int kind, void*) { return Handle(MenuCommand::kStart, e, kind); }
bool MainMenuBar::CmdStop(MenuItem* e, int, int kind, void*) { return Handle(MenuCommand::kStop, e, kind); }
bool MainMenuBar::CmdPause(MenuItem* e, int, int kind, void*) { return Handle(MenuCommand::kPause, e, kind); }
bool MainMenuBar::CmdSynchronization(MenuItem* e, int, int kind, void*)
{
    return Handle(MenuCommand::kSynchronization, e, kind);
}
bool MainMenuBar::CmdFastInitialization(MenuItem* e, int, int kind, void*)
{
    return Handle(MenuCommand::kFastInitialization, e, kind);
}
bool MainMenuBar::CmdSaveState(MenuItem* e, int, int kind, void*) { return Handle(MenuCommand::kSaveState, e, kind); }
bool MainMenuBar::CmdLoadState(MenuItem* e, int, int kind, void*) { return Handle(MenuCommand::kLoadState, e, kind); }
bool MainMenuBar::CmdExit(MenuItem* e, int, int kind, void*) { return Handle(MenuCommand::kExit, e, kind); }
bool MainMenuBar::CmdSelectComputer(MenuItem* e, int, int kind, void*)
{
    return Handle(MenuCommand::kSelectComputer, e, kind);
}
bool MainMenuBar::CmdSelectRenderer(MenuItem* e, int, int kind, void*)
{
    return Handle(MenuCommand::kSelectRenderer, e, kind);
}
bool MainMenuBar::CmdSelectSound(MenuItem* e, int, int kind, void*)
{
    return Handle(MenuCommand::kSelectSound, e, kind);
}
bool MainMenuBar::CmdCaptureMouse(MenuItem* e, int, int kind, void*)
{
    return Handle(MenuCommand::kCaptureMouse, e, kind);
}
bool MainMenuBar::CmdEmulationScreen(MenuItem* e, int, int kind, void*)
{
    return Handle(MenuCommand::kEmulationScreen, e, kind);
}
bool MainMenuBar::CmdConsoleWindow(MenuItem* e, int, int kind, void*)
{
    return Handle(MenuCommand::kConsoleWindow, e, kind);
}
bool MainMenuBar::CmdToolbar(MenuItem* e, int, int kind, void*) { return Handle(MenuCommand::kToolbar, e, kind); }
bool MainMenuBar::CmdSettingsFlag(MenuItem* e, int, int kind, void*)
{
    return Handle(MenuCommand::kSettingsFlag, e, kind);
}
bool MainMenuBar::CmdAbout(MenuItem* e, int, int kind, void*) { return Handle(MenuCommand::kAbout, e, kind); }
