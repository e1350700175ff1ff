// The debugger console: a scripted session of every command with its answers, the
// function keys in and out of console mode, and the register panels drawn in break.
#include <gtest/gtest.h>

#include "core/tests/core_rig.h"
#include "base/path_text.h"
#include "emu/drive_bay.h"
#include "emu/tests/program_tree.h"
#include "video/tests/video_rig.h"

namespace {

const std::vector<std::string> kHelp = {
    "Commands:",
    "  HELP (or H) - List of commands and keys",
    "  CLS      - Clear console",
    "  START    - Start/continue emulation and switch to emulation window             F5",
    "  GO       - Start/continue emulation and stay in console window                 Ctrl+F5",
    "             When starting emulation, break on the first CPU instruction.",
    "  BREAK    - Break emulation and switch to console window                        Ctrl+F12",
    "  DASM     - Disassemble current CPU instruction",
    "  CPU      - Show CPU state (registers, cycles etc.) ",
    "  STEP         (or S)   - Execute one CPU instruction                            F7",
    "  STEPOVER     (or SO)  - Execute until next CPU instruction (if can reach it)   F8",
    "  STEPOVEROVER (or SOO) - Execute until next CPU instruction (force it always)   Shift+F8",
    "  SAVE     - Save emulation state to file                                        F11",
    "  LOAD     - Load emulation state from file                                      F12",
    "Keys:",
    "  Up/Down              - Move one line up/down in console text",
    "  PageUp/PageDown      - Move one page up/down in console text",
    "  Ctrl+PageUp/PageDown - Move to first/last line in console text",
    "  Left/Right           - Move cursor by one symbol left/right in command line",
    "  Home/End             - Move cursor to first/last symbol in command line",
    "  Backspace            - Remove one symbol before cursor in command line",
    "  Delete               - Delete one symbol at cursor in command line",
    "  Escape               - Clear all text in command line",
    "  Enter                - Execute command in command line",
};

const std::string kInactive = "Error: Emulation should be active to execute this command";
const std::string kActive = "Error: Emulation should NOT be active to execute this command";
const std::string kTooMany = "Error: Too many parameters";

constexpr u8 kCtrl = 0xE2;
constexpr u8 kShift = 0xE0;
constexpr u8 kAlt = 0xE4;

bool HeldInBreak(const EmuCore& core)
{
    return core.IsInBreak() && core.IsPaused();
}

// Each line typed with the console emptied first, and its answer: an expected line
// ending in "*" matches any line that starts with the rest. A step's line comes from
// the worker after the command has returned.
void Converse(CoreRig& rig, const std::vector<std::pair<std::string, std::vector<std::string>>>& script)
{
    for (const auto& [typed, answer] : script) {
        SCOPED_TRACE("typed: " + typed);
        rig.core->GetConsole().Clear();
        rig.core->ExecuteConsoleCommand(StringA(typed.c_str()));
        std::vector<std::string> lines;
        WaitFor([&] { return (lines = rig.ConsoleLines()).size() >= answer.size(); }, 5000);
        ASSERT_EQ(lines.size(), answer.size()) << (lines.empty() ? std::string() : lines.back());
        for (size_t i = 0; i < lines.size(); ++i) {
            const std::string& e = answer[i];
            EXPECT_TRUE(e.back() == '*' ? lines[i].compare(0, e.size() - 1, e, 0, e.size() - 1) == 0 : lines[i] == e)
                << lines[i];
        }
    }
}

// The key goes down (its answer checked) and up again, inside the modifier's press.
void Press(CoreRig& rig, u8 key, bool expected, u8 modifier = 0)
{
    if (modifier)
        rig.core->OnKey(modifier, true);
    EXPECT_EQ(rig.core->OnKey(key, true), expected) << "key " << static_cast<int>(key);
    rig.core->OnKey(key, false);
    if (modifier)
        rig.core->OnKey(modifier, false);
}

} // namespace

TEST(ConsoleCommands, AScriptedSessionGetsEveryAnswer)
{
    ProgramTree tree;
    ProgramTree::WriteBytes("prog/GAME.ROM", std::vector<u8>(0x4000, 0xC9));
    ProgramTree::WriteBytes("user/media/my game.rom", std::vector<u8>(0x4000, 0x00));
    CoreRig rig(kStepProgram);
    ASSERT_TRUE(rig.alive);
    rig.machine->id = "test_pc";
    ASSERT_TRUE(rig.machine->GetDriveBay()->SetCartridgeCount(1));
    DriveImage* cart = rig.machine->GetDriveBay()->GetKindDrive(DriveBay::kCartridge, 0);

    // The start-up text stays through a blank line and goes with the first command.
    CoreConsole& console = rig.core->GetConsole();
    ASSERT_TRUE(console.IsCentred());
    const size_t startup = rig.ConsoleLines().size();
    rig.core->ExecuteConsoleCommand(StringA("   "));
    EXPECT_TRUE(console.IsCentred());
    EXPECT_EQ(rig.ConsoleLines().size(), startup);
    rig.core->ExecuteConsoleCommand(StringA("5 STEP"));
    EXPECT_FALSE(console.IsCentred());
    EXPECT_EQ(rig.ConsoleLines(), std::vector<std::string>{"Unknown command: 5 STEP"});

    const std::string quoted = "M cart \"" + ProgramTree::TextOf("user/media/my game.rom") + "\"";
    Converse(rig, {
                      {"", {}},
                      {"M my-game.rom", {"Error: Illegal symbol at position 4"}},
                      {"frob", {"Unknown command: FROB"}},
                      {"HELP a b", kHelp},
                      {"h", kHelp},
                      {"cls a b c", {kTooMany}},
                      {"Cls a", {kTooMany}},
                      {"CPU 1", {kInactive}},
                      {"dasm", {kInactive}},
                      {"s", {kInactive}},
                      {"so", {kInactive}},
                      {"SOO", {kInactive}},
                      {"save", {kInactive}},
                      {"BREAK", {}},
                      {"info a", {"Version: Release (with internal debugger support)"}},
                      {"MOUNT", {"Error: Less parameters then needed"}},
                      {"M 123", {"Error: Incorrect file name!"}},
                      {"M cart 123", {"Error: Incorrect file name!"}},
                      {"M fdd0 x.rom", {"Error: Incorrect drive name!"}},
                      {"M FDD x.rom", {"Error: Incorrect drive name!"}},
                      {"M missing.rom", {"Error: File not found!"}},
                      {"M GAME.ROM", {"Done: File \"GAME.ROM\" successfully mounted to drive FirstDrive"}},
                      {quoted, {"Done: File \"my game.rom\" successfully mounted to drive cart"}},
                      {"LOAD", {"State not loaded, because file \"test_pc.sav\" did not exists (no state was saved?)"}},
                  });
    EXPECT_TRUE(cart->HasFile());
    EXPECT_EQ(StringA(GetFileNamePart(cart->GetPath()).GetNarrow()).CompareNarrow("my game.rom"), 0);
    EXPECT_TRUE(cart->GetLatch());

    Converse(rig, {
                      {"GO", {"[INIT] Started emulation of TestPC", "[0000] 3E12 *"}},
                      {"M GAME.ROM", {kActive}},
                      {"cpu", {"Z80, Frequency=3500000, Cycles=0 (-0), Flags: *", "    A=*"}},
                      {"DASM", {"[0000]*"}},
                      {"step", {"[0002]*"}},
                      {"S 1", {kTooMany}},
                      {"so", {"[0004]*"}},        // not a call: one instruction
                      {"SO", {"[0007]*"}},        // the call and the whole subroutine
                      {"s", {"[0000]*"}},
                      {"soo", {"[0002]*"}},
                      {"SAVE", {"State saved to memory", "State saved to file \"test_pc.sav\""}},
                      {"LOAD", {"State loaded from file \"test_pc.sav\""}},
                      {"BREAK", {"[0002]*"}},
                  });
    EXPECT_EQ(rig.machine->cpu->Regs().A, 0x12);
    EXPECT_TRUE(HeldInBreak(*rig.core));

    Converse(rig, {{"GO", {}}, {"go", {}}});
    EXPECT_FALSE(rig.core->IsInBreak());
    EXPECT_TRUE(rig.core->IsConsoleMode()) << "GO stays in the console";
    Converse(rig, {{"BREAK", {"[00*"}}});
    EXPECT_TRUE(rig.core->IsInBreak());
    Converse(rig, {{"START", {}}});
    EXPECT_FALSE(rig.core->IsInBreak());
    EXPECT_FALSE(rig.core->IsConsoleMode());
    Converse(rig, {{"BREAK", {"[00*"}}, {"CLS", {}}});
    EXPECT_TRUE(rig.core->IsConsoleMode());

    // Typed on the command line, a command runs through the console's callback.
    for (u8 key : {u8{0x49}, u8{0x4E}, u8{0x46}, u8{0x4F}, CommandInterpreter::kKeyEnter})
        Press(rig, key, true);
    EXPECT_EQ(rig.ConsoleLines().back(), "Version: Release (with internal debugger support)");
}

// The main window shows the drives again only when told that a file went in or out.
TEST(ConsoleCommands, MountTellsWhenTheDrivesChanged)
{
    ProgramTree tree;
    ProgramTree::WriteBytes("prog/GAME.ROM", std::vector<u8>(0x4000, 0xC9));
    CoreRig rig(kStepProgram);
    ASSERT_TRUE(rig.alive);
    ASSERT_TRUE(rig.machine->GetDriveBay()->SetCartridgeCount(1));
    const struct {
        const char* typed;
        bool changed;
    } cases[] = {
        {"MOUNT", false}, {"M missing.rom", false}, {"M fdd0 x.rom", false},
        {"M GAME.ROM", true}, {"M cart GAME.ROM", true}, {"CPU", false},
    };
    for (const auto& c : cases) {
        rig.core->ExecuteConsoleCommand(StringA(c.typed));
        EXPECT_EQ(rig.core->TakeDrivesChanged(), c.changed) << c.typed;
        EXPECT_FALSE(rig.core->TakeDrivesChanged()) << c.typed << ": taken once";
    }
}

TEST(FunctionKeys, RunCommandsInConsoleModeAndOnlyBreakOutOfIt)
{
    ProgramTree tree;
    CoreRig rig(kStepProgram);
    ASSERT_TRUE(rig.alive);
    rig.machine->id = "test_pc";
    const Z80Cpu& cpu = *rig.machine->cpu;

    // Console mode, stopped: F11 and F12 go to the window, Ctrl+F11 and Alt+F12 do not.
    Press(rig, DebugHotkeys::kKeyF11, false);
    Press(rig, DebugHotkeys::kKeyF11, true, kCtrl);
    Press(rig, DebugHotkeys::kKeyF12, true, kAlt);
    Press(rig, DebugHotkeys::kKeyF12, false);
    Press(rig, DebugHotkeys::kKeyF7, true);
    EXPECT_FALSE(rig.core->IsStarted()) << "STEP needs a run";
    DebugHotkeys bare;  // without a command callback F11 and F12 are kept
    EXPECT_TRUE(bare.SetKeyState(DebugHotkeys::kKeyF11, 1, 0));
    EXPECT_TRUE(bare.SetKeyState(DebugHotkeys::kKeyF12, 1, 0));

    // Ctrl+F5: GO, held on the first instruction.
    Press(rig, DebugHotkeys::kKeyF5, true, kCtrl);
    ASSERT_TRUE(WaitFor([&] { return HeldInBreak(*rig.core); }));
    EXPECT_EQ(cpu.GetPC(), 0x0000u);
    auto stepped = [&](u16 pc) { return WaitFor([&] { return HeldInBreak(*rig.core) && cpu.GetPC() == pc; }, 5000); };
    Press(rig, DebugHotkeys::kKeyF7, true);  // STEP
    EXPECT_TRUE(stepped(0x0002));
    Press(rig, DebugHotkeys::kKeyF8, true);  // STEPOVER
    EXPECT_TRUE(stepped(0x0004));
    Press(rig, DebugHotkeys::kKeyF8, true);  // STEPOVER a call: the subroutine runs whole
    EXPECT_TRUE(stepped(0x0007));
    Press(rig, DebugHotkeys::kKeyF7, true);
    EXPECT_TRUE(stepped(0x0000));
    Press(rig, DebugHotkeys::kKeyF8, true, kShift);  // STEPOVEROVER
    EXPECT_TRUE(stepped(0x0002));
    EXPECT_TRUE(rig.core->OnKey(DebugHotkeys::kKeyF7, false));  // a release runs nothing
    EXPECT_EQ(cpu.GetPC(), 0x0002u);
    const i32 commandLine = rig.core->GetConsole().GetCommandLine().GetLength();
    Press(rig, 0x75, true);  // F6: the command-line editor's
    EXPECT_EQ(rig.core->GetConsole().GetCommandLine().GetLength(), commandLine);

    // F5: START leaves the console; out of it only Ctrl+F12 does anything.
    Press(rig, DebugHotkeys::kKeyF5, true);
    EXPECT_FALSE(rig.core->IsConsoleMode());
    EXPECT_FALSE(rig.core->IsInBreak());
    for (u8 key : {DebugHotkeys::kKeyF5, DebugHotkeys::kKeyF7, DebugHotkeys::kKeyF8})
        Press(rig, key, true);  // keys of the machine now
    Press(rig, DebugHotkeys::kKeyF8, true, kShift);
    EXPECT_FALSE(rig.core->IsInBreak());
    Press(rig, DebugHotkeys::kKeyF11, false, kShift);  // the window saves
    Press(rig, DebugHotkeys::kKeyF11, true, kAlt);
    Press(rig, DebugHotkeys::kKeyF12, false);
    EXPECT_FALSE(rig.core->IsConsoleMode());
    Press(rig, DebugHotkeys::kKeyF12, true, kCtrl);  // BREAK
    EXPECT_TRUE(rig.core->IsInBreak());
    EXPECT_TRUE(rig.core->IsConsoleMode());
    EXPECT_EQ(rig.ConsoleLines().back().substr(0, 3), "[00");
}

// The panel is compared, cell by cell, with glyphs drawn where it must show them.
TEST(RegisterPanels, DrawnInBreakWithTheLiveRegisters)
{
    CoreRig rig(kStepProgram);
    ASSERT_TRUE(rig.alive);
    DebugHotkeys& console = rig.core->GetConsole();
    constexpr i32 kRows = 12, kColumns = 40, kLeft = kColumns - 12;  // Z80 lines of 8: a box 12 wide
    const u32 colors[2] = {DebugHotkeys::kPanelBack, DebugHotkeys::kPanelText};
    // Which of the text cells (column, row, character) the panels show.
    auto shows = [&](const std::vector<std::tuple<i32, i32, u8>>& cells) {
        BufferSurface image, reference;
        image.SetSize(8 * kColumns + 16, 16 * kRows + 16, false);
        reference.SetSize(8 * kColumns + 16, 16 * kRows + 16, false);
        console.DrawPanels(&image, kRows, kColumns);
        i32 same = 0;
        for (const auto& [column, row, ch] : cells) {
            console.DrawGlyph(&reference, column, row, ch, colors);
            bool equal = true;
            for (i32 y = 0; y < 16; ++y) {
                for (i32 x = 0; x < 8; ++x)
                    equal = equal && image.Pixel(8 * column + 3 + x, 16 * row + 3 + y) ==
                                         reference.Pixel(8 * column + 3 + x, 16 * row + 3 + y);
            }
            same += equal ? 1 : 0;
        }
        return same == static_cast<i32>(cells.size());
    };
    auto panel = [&](const std::vector<std::string>& lines) {
        std::vector<std::tuple<i32, i32, u8>> cells = {{kLeft, 0, 0xDA}, {kColumns - 1, 0, 0xBF}, {kLeft, 1, 0xB3}};
        for (size_t row = 0; row < lines.size(); ++row) {
            for (size_t c = 0; c < lines[row].size(); ++c)
                cells.emplace_back(kLeft + 2 + static_cast<i32>(c), 1 + static_cast<i32>(row), lines[row][c]);
        }
        return shows(cells);
    };

    EXPECT_FALSE(panel({})) << "no panel before a run";
    ASSERT_TRUE(rig.core->Start(true, true));
    EXPECT_TRUE(panel({"AF=", "BC=0000h", "DE=", "HL=", "PC=0000h"}));
    for (u16 pc : {0x0002, 0x0004}) {
        rig.core->ExecuteConsoleCommand(StringA("STEP"));
        ASSERT_TRUE(WaitFor([&] { return HeldInBreak(*rig.core) && rig.machine->cpu->GetPC() == pc; }, 5000));
    }
    EXPECT_TRUE(panel({"AF=12", "BC=3400h", "DE=", "HL=", "PC=0004h"}));
    rig.core->Continue();
    EXPECT_FALSE(panel({})) << "no panel while running";
}
