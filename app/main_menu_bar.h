// MainMenuBar: the main window's menu bar (Windows only). It builds the whole menu tree
// in one operation and keeps the entries other code drives directly (Start, Pause, Stop,
// Save State, Load State). What each entry offers and does is decided by the commands of
// menu_commands.h; the handlers here only carry them between the menu and the window.
//
// Bar: Emulation, Computer, Drives, Video, Sound, Input, Debug, View, Settings, Help.
#pragma once

#include "gui/menu.h"

class MainMenuBar : public MenuBar {
public:
    MainMenuBar(WindowInterface* owner, void* nativeHandle);
    ~MainMenuBar() override;

    // False when adding any submenu or entry failed (the tree stays as far as it came).
    bool Build();
    // Strips the entries that stand for the core's options (unless keepOptionItems) and
    // adds the current core's option menus again (unless skipOptionMenus).
    bool Rebuild(bool keepOptionItems, bool skipOptionMenus);
    // The current core's option trees at the end of Computer, Input, Debug, Video, Sound
    // and Settings (option_menus.h); false without a core or when an entry failed.
    bool AddCoreOptionMenus();
    // The Drives menu and the toolbar's drive icons from the current core (drive_menu.h).
    void BuildDrivesMenu();
    // Deletes every entry that stands for an option of the core (its tag is the option).
    void RemoveOptionEntries();

    MenuItem* startItem = nullptr;
    MenuItem* pauseItem = nullptr;
    MenuItem* stopItem = nullptr;
    MenuItem* saveStateItem = nullptr;
    MenuItem* loadStateItem = nullptr;
    PopupMenu* emulationMenu = nullptr;
    PopupMenu* computerMenu = nullptr;
    PopupMenu* drivesMenu = nullptr;
    PopupMenu* inputMenu = nullptr;
    PopupMenu* debugMenu = nullptr;
    PopupMenu* viewMenu = nullptr;
    PopupMenu* videoMenu = nullptr;
    PopupMenu* soundMenu = nullptr;
    PopupMenu* settingsMenu = nullptr;
    PopupMenu* helpMenu = nullptr;
    MenuItem* consoleWindowItem = nullptr;
    MenuItem* emulationScreenItem = nullptr;

    // The handlers, one per command (entry, index, kind, argument).
    static bool CmdStart(MenuItem* entry, int index, int kind, void* argument);
    static bool CmdStop(MenuItem* entry, int index, int kind, void* argument);
    static bool CmdPause(MenuItem* entry, int index, int kind, void* argument);
    static bool CmdSynchronization(MenuItem* entry, int index, int kind, void* argument);
    static bool CmdFastInitialization(MenuItem* entry, int index, int kind, void* argument);
    static bool CmdSaveState(MenuItem* entry, int index, int kind, void* argument);
    static bool CmdLoadState(MenuItem* entry, int index, int kind, void* argument);
    static bool CmdExit(MenuItem* entry, int index, int kind, void* argument);
    static bool CmdSelectComputer(MenuItem* entry, int index, int kind, void* argument);
    static bool CmdSelectRenderer(MenuItem* entry, int index, int kind, void* argument);
    static bool CmdSelectSound(MenuItem* entry, int index, int kind, void* argument);
    static bool CmdCaptureMouse(MenuItem* entry, int index, int kind, void* argument);
    static bool CmdEmulationScreen(MenuItem* entry, int index, int kind, void* argument);
    static bool CmdConsoleWindow(MenuItem* entry, int index, int kind, void* argument);
    static bool CmdToolbar(MenuItem* entry, int index, int kind, void* argument);
    static bool CmdSettingsFlag(MenuItem* entry, int index, int kind, void* argument);
    static bool CmdAbout(MenuItem* entry, int index, int kind, void* argument);
    static bool CmdOptionItem(MenuItem* entry, int index, int kind, void* argument);
};
