// The commands of the main menu and the toolbar: for each, what its entry offers
// (enabled, checked) and what it does, against the shell's small interface.
//
// The menu bar (main_menu_bar_win32.cpp) builds one entry per command and calls Refresh
// with kind 1 and Execute with kind 0; toolbar buttons and the F11/F12 keys dispatch the
// command of the entry that stands for them, so each command lives in one place.
//
// Run states of the core: stopped (not running), running, running in break. Start is
// offered only when the core has a machine with a CPU (without one the core refuses to
// start at once).
#pragma once

#include "base/types.h"

class ShellInterface;
class MenuEntryInterface;
class SoundStreamInterface;

enum class MenuCommand {
    kStart,
    kStop,
    kPause,
    kSynchronization,
    kFastInitialization,
    kSaveState,
    kLoadState,
    kExit,
    kSelectComputer,
    kSelectRenderer,
    kSelectSound,
    kCaptureMouse,
    kEmulationScreen,
    kConsoleWindow,
    kToolbar,
    kSettingsFlag,
    kAbout,
};

// The selectors of kSettingsFlag (the entry's user value).
enum SettingsFlag : i32 {
    kMaximizeOnStartup = 0,
    kAutoStartEmulation = 1,
    kShowToolbarFlag = 2,
};

struct EntryState {
    bool enabled = false;
    bool checked = false;
};

// The state the entry should show; false for a command or user value it does not serve
// (the entry is then left alone).
bool RefreshCommand(ShellInterface& shell, MenuCommand command, i32 userValue, EntryState* state);
// Runs the command; the answer is the handler's.
bool ExecuteCommand(ShellInterface& shell, MenuCommand command, MenuEntryInterface& entry);

// A core that can run: it has a machine with a CPU.
bool CoreCanStart(const class EmuCore* core);
// A played sound output gets the shell's window to open its device for.
void HandOwnerWindow(ShellInterface& shell, SoundStreamInterface* output);
