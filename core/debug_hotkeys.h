// DebugHotkeys: the debugger console of one emulation core. On top of the framework's
// console it turns function keys into console commands, run through the command
// callback exactly like typed lines, and draws the register panels over the text.
//
// Keys while the emulation has the keyboard (observeOnly set):
//   Ctrl+F12 runs "BREAK" and leaves the key to the machine (false); F11 and F12 without
//   Ctrl or Alt go back to the window (true: Save State, Load State); nothing else.
// Keys in console mode (a release never runs anything and answers true):
//   F5 "START", Ctrl+F5 "GO"; F7 "STEP"; F8 "STEPOVER", Shift+F8 "STEPOVEROVER";
//   Ctrl+F12 "BREAK"; F11 and F12 without Ctrl or Alt answer false (to the window) when a
//   command callback is installed; every other key edits the command line.
// Ctrl, Shift and Alt are read from the console's own key table, not from the host.
//
// Panels: the provider (the core's register dump, which adds lines only while a run is
// in break) fills a line list before every drawing; a line beginning "~" opens a
// device's group. Each group is drawn as a bordered box at the right edge, stacked from
// the top row and cut to the rows and columns left.
#pragma once

#include "base/object_list.h"
#include "emu/command_interpreter.h"

class DebugHotkeys : public CommandInterpreter {
public:
    using PanelProvider = void (*)(void* context, ObjectList& lines);

    static constexpr u8 kKeyF5 = 0x74;
    static constexpr u8 kKeyF7 = 0x76;
    static constexpr u8 kKeyF8 = 0x77;
    static constexpr u8 kKeyF11 = 0x7A;
    static constexpr u8 kKeyF12 = 0x7B;
    static constexpr u32 kPanelText = 0xFFE1E1E1;
    static constexpr u32 kPanelBack = 0xFF000000;

    DebugHotkeys() = default;
    ~DebugHotkeys() override = default;

    bool OnKey(u8 key, bool down, bool previous, bool observeOnly) override;
    void DrawOverlay(ImageHolder* image, i32 rows, i32 columns, const u32 colors[2]) override;

    // The panels for a text grid of rows by columns.
    void DrawPanels(ImageHolder* image, i32 rows, i32 columns);
    // Lines first..last of the list in one box at the right edge from row top, at most
    // rowsLeft rows high; answers the rows used (0: nothing drawn).
    i32 DrawPanel(ObjectList& lines, i32 first, i32 last, ImageHolder* image, i32 top, i32 rowsLeft, i32 rows,
                  i32 columns);

    void SetPanelProvider(PanelProvider provider, void* context)
    {
        provider_ = provider;
        providerContext_ = provider ? context : nullptr;
    }
    // Any thread; the redraw callback runs only when the mark goes from clear to set.
    void MarkForRedraw() { RaiseRedraw(); }

private:
    bool RunCommand(const char* command);
    bool IsAltDown() const { return keyDown_[kKeyLeftAlt] || keyDown_[kKeyRightAlt]; }

    PanelProvider provider_ = nullptr;
    void* providerContext_ = nullptr;
    ObjectList panelLines_;  // panels carry no title: a group's "~" line is left out
};
