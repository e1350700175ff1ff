// ShellInterface: what the menu commands (menu_commands.h) may ask of the main window.
//
// The commands decide what an entry offers and what it does in plain code against this
// interface, so that their enabled and checked logic runs natively; the main window
// implements it with its Win32 controls, the tests with a recording stand-in.
#pragma once

#include "base/types.h"

class EmuCore;
class EmuManager;

enum class RunButton { kStart, kPause, kStop };

class ShellInterface {
public:
    virtual ~ShellInterface() = default;

    virtual EmuManager& GetManager() = 0;
    // The current emulation core; null when none could be made.
    virtual EmuCore* GetCore() = 0;
    // The main window's native handle, handed to sound outputs that play through it.
    virtual void* GetOwnerWindow() = 0;

    // Every menu entry refreshes its enabled and checked state.
    virtual void UpdateAllEntries() = 0;
    // The toolbar's Start, Pause and Stop take the state of their menu entries.
    virtual void SyncToolbarWithMenu() = 0;
    virtual void DisableRunButton(RunButton button) = 0;
    virtual void ShowToolbar(bool show) = 0;
    // The emulation screen's cursor: 0 the arrow, 2 the hand (a double-click captures).
    virtual void SetScreenCursor(i32 kind) = 0;
    virtual void RedrawScreen() = 0;
    // Closes the main window the way its close box does.
    virtual void CloseWindow() = 0;

    // The screen's capture mode is armed and must be put back once the run ends.
    bool mouseCaptured = false;
};

// The entry a command runs for: its user value and its enabled flag.
class MenuEntryInterface {
public:
    virtual ~MenuEntryInterface() = default;
    virtual i32 GetUserValue() const = 0;
    virtual bool IsEnabled() const = 0;
    // Disables the entry at once (shown before the core is called).
    virtual void Disable() = 0;
};
