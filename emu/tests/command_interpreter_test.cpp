// Debugger console object: bounded line lists, duplicates, line replacement, prints
// from several threads, the key table and the command-line editor.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "base/object_list.h"
#include "emu/command_interpreter.h"

namespace {

StringA Text(const char* s)
{
    return StringA(s);
}

std::string LineText(const CommandInterpreter& console, i32 index)
{
    StringA text;
    return console.GetLine(index, &text, nullptr) ? std::string(text.CStr()) : std::string("<none>");
}

std::string PendingText(const CommandInterpreter& console, i32 index)
{
    StringA text;
    return console.GetPendingLine(index, &text, nullptr) ? std::string(text.CStr()) : std::string("<none>");
}

// Presses and releases a key the way the core does (under its own lock).
void Tap(CommandInterpreter& console, u8 key)
{
    console.SetKeyState(key, 1, 0);
    console.SetKeyState(key, 0, 0);
}

void Type(CommandInterpreter& console, const char* text)
{
    for (const char* p = text; *p; ++p)
        Tap(console, static_cast<u8>(*p));
}

struct Commands {
    std::vector<std::string> lines;
};

void Record(void* context, const StringA& line)
{
    static_cast<Commands*>(context)->lines.push_back(line.CStr());
}

}  // namespace

TEST(ConsoleLines, PrintsWaitUntilTheDrawingThreadFlushesThem)
{
    CommandInterpreter console;
    console.ClearRedraw();
    console.Print(Text("one"));
    const u32 red = 0xFFFF0000;
    console.PrintColored(Text("two"), &red);
    EXPECT_TRUE(console.NeedsRedraw());
    EXPECT_EQ(console.GetPendingCount(), 2);
    EXPECT_EQ(console.GetLineCount(), 0);
    console.FlushPending();
    EXPECT_EQ(console.GetPendingCount(), 0);
    ASSERT_EQ(console.GetLineCount(), 2);
    u32 color = 0;
    StringA text;
    console.GetLine(0, &text, &color);
    EXPECT_STREQ(text.CStr(), "one");
    EXPECT_EQ(color, CommandInterpreter::kDefaultColor);
    console.GetLine(1, &text, &color);
    EXPECT_EQ(color, red);
    EXPECT_EQ(console.GetTopLine(), -1);  // the view follows new output
}

TEST(ConsoleLines, BothListsKeepTheNewestTenThousand)
{
    CommandInterpreter console;
    StringA line;
    for (int i = 0; i < 10001; ++i) {
        line.Format("%ld", static_cast<i32>(i));
        console.Print(line);
    }
    EXPECT_EQ(console.GetPendingCount(), 10000);
    EXPECT_EQ(PendingText(console, 0), "1");
    console.FlushPending();
    EXPECT_EQ(console.GetLineCount(), 10000);
    EXPECT_EQ(LineText(console, 0), "1");
    EXPECT_EQ(LineText(console, 9999), "10000");

    // Three more push out the three oldest; exactly the capacity drops nothing.
    for (int i = 0; i < 3; ++i)
        console.Print(Text("x"));
    console.FlushPending();
    EXPECT_EQ(console.GetLineCount(), 10000);
    EXPECT_EQ(LineText(console, 0), "4");
    EXPECT_EQ(LineText(console, 9999), "x");
}

TEST(ConsoleLines, DuplicatesAreDroppedOnlyWhenAsked)
{
    CommandInterpreter console;
    console.SetIgnoreDuplicates(true);
    for (const char* s : {"A", "A", "B", "A"})
        console.Print(Text(s));
    EXPECT_EQ(console.GetPendingCount(), 3);
    console.FlushPending();
    console.Print(Text("A"));  // the newest buffered line is A
    EXPECT_EQ(console.GetPendingCount(), 0);
    console.Print(Text("B"));
    EXPECT_EQ(console.GetPendingCount(), 1);

    console.SetIgnoreDuplicates(false);
    console.Print(Text("B"));
    EXPECT_EQ(console.GetPendingCount(), 2);
}

TEST(ConsoleLines, IncompleteLineIsReplacedByTheNextPrint)
{
    CommandInterpreter console;
    const u32 green = 0xFF00FF00;
    console.PrintColored(Text("progress 10%"), &green, false);
    console.Print(Text("progress 100%"), true);
    console.Print(Text("next"));
    ASSERT_EQ(console.GetPendingCount(), 2);
    StringA text;
    u32 color = 0;
    console.GetPendingLine(0, &text, &color);
    EXPECT_STREQ(text.CStr(), "progress 100%");
    EXPECT_EQ(color, green);
}

TEST(ConsoleLines, PrintLinesAndClear)
{
    CommandInterpreter console;
    ObjectList list;
    list.AddString("HELP");
    list.AddString("CLS");
    console.Print(Text("before"));
    console.FlushPending();
    console.PrintLines(list);
    EXPECT_EQ(console.GetPendingCount(), 2);
    EXPECT_EQ(PendingText(console, 1), "CLS");
    console.Clear();
    EXPECT_EQ(console.GetPendingCount(), 0);
    EXPECT_EQ(console.GetLineCount(), 0);
}

TEST(ConsoleLines, RedrawCallbackOnlyWhenTheFlagGoesUp)
{
    CommandInterpreter console;
    int calls = 0;
    console.SetRedrawCallback([](void* c) { ++*static_cast<int*>(c); }, &calls);
    console.Print(Text("a"));  // the flag starts set
    EXPECT_EQ(calls, 0);
    console.ClearRedraw();
    console.Print(Text("b"));
    console.Print(Text("c"));
    EXPECT_EQ(calls, 1);
}

TEST(ConsoleThreads, LinesFromSeveralThreadsAllArriveInTheirOwnOrder)
{
    CommandInterpreter console;
    constexpr int kThreads = 4;
    constexpr int kLines = 1500;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&console, t] {
            StringA line;
            for (int i = 0; i < kLines; ++i) {
                line.Format("%ld:%ld", static_cast<i32>(t), static_cast<i32>(i));
                console.PrintColored(line, 0xFF000000u + static_cast<u32>(t));
            }
        });
    }
    // The drawing thread flushes while they print.
    std::thread drawer([&console] {
        for (int i = 0; i < 200; ++i)
            console.FlushPending();
    });
    for (std::thread& t : threads)
        t.join();
    drawer.join();
    console.FlushPending();

    ASSERT_EQ(console.GetLineCount(), kThreads * kLines);
    int next[kThreads] = {};
    StringA text;
    u32 color = 0;
    for (int i = 0; i < kThreads * kLines; ++i) {
        ASSERT_TRUE(console.GetLine(i, &text, &color));
        const int t = static_cast<int>(color - 0xFF000000u);
        ASSERT_GE(t, 0);
        ASSERT_LT(t, kThreads);
        EXPECT_EQ(std::string(text.CStr()), std::to_string(t) + ":" + std::to_string(next[t]));
        ++next[t];
    }
}

TEST(ConsoleKeys, TableIsUpdatedBeforeTheHandlerAndReleasesOfUpKeysAreSkipped)
{
    struct Spy : CommandInterpreter {
        int calls = 0;
        bool shiftSeen = false;
        bool OnKey(u8 key, bool down, bool previous, bool observeOnly) override
        {
            ++calls;
            shiftSeen = keyDown_[kKeyLeftShift] != 0;
            return CommandInterpreter::OnKey(key, down, previous, observeOnly);
        }
    } spy;
    EXPECT_TRUE(spy.SetKeyState(0x41, 0, 0));
    EXPECT_EQ(spy.calls, 0);
    spy.SetKeyState(CommandInterpreter::kKeyLeftShift, 1, 0);
    EXPECT_TRUE(spy.shiftSeen);
    EXPECT_TRUE(spy.IsKeyDown(CommandInterpreter::kKeyLeftShift));
    spy.ReleaseAllKeys(false);
    EXPECT_TRUE(spy.IsKeyDown(CommandInterpreter::kKeyLeftShift));
    spy.ReleaseAllKeys(true);
    EXPECT_FALSE(spy.IsKeyDown(CommandInterpreter::kKeyLeftShift));
    EXPECT_EQ(spy.calls, 1);
}

TEST(ConsoleKeys, ObserveOnlyConsumesNothing)
{
    CommandInterpreter console;
    Commands commands;
    console.SetCommandCallback(Record, &commands);
    EXPECT_FALSE(console.SetKeyState(0x41, 1, 1));
    EXPECT_FALSE(console.SetKeyState(CommandInterpreter::kKeyEnter, 1, 1));
    EXPECT_TRUE(commands.lines.empty());
    EXPECT_TRUE(console.GetCommandLine().IsEmpty());
    EXPECT_TRUE(console.IsKeyDown(0x41));  // the table still follows the key
}

TEST(ConsoleEditor, EnterRunsTheLineAndLeavesItSelected)
{
    CommandInterpreter console;
    Commands commands;
    console.SetCommandCallback(Record, &commands);
    Type(console, "CPU");
    Tap(console, CommandInterpreter::kKeyEnter);
    EXPECT_EQ(commands.lines, (std::vector<std::string>{"CPU"}));
    EXPECT_STREQ(console.GetCommandLine().CStr(), "CPU");
    EXPECT_EQ(console.GetCursor(), 3);
    EXPECT_EQ(console.GetSelection(), -3);
    Tap(console, CommandInterpreter::kKeyPadEnter);
    EXPECT_EQ(commands.lines.size(), 2u);
    Type(console, "G");
    EXPECT_STREQ(console.GetCommandLine().CStr(), "G");
    EXPECT_EQ(console.GetCursor(), 1);
}

TEST(ConsoleEditor, EnterWithoutACommandCallbackPrintsUnknownCommand)
{
    CommandInterpreter console;
    Type(console, "XYZ");
    Tap(console, CommandInterpreter::kKeyEnter);
    EXPECT_EQ(PendingText(console, 0), "Unknown command: XYZ");
}

TEST(ConsoleEditor, ShiftSelectionAndDeletion)
{
    CommandInterpreter console;
    Type(console, "ABCDEF");
    console.SetKeyState(CommandInterpreter::kKeyLeftShift, 1, 0);
    for (int i = 0; i < 3; ++i)
        Tap(console, CommandInterpreter::kKeyLeft);
    EXPECT_EQ(console.GetCursor(), 3);
    EXPECT_EQ(console.GetSelection(), 3);
    console.SetKeyState(CommandInterpreter::kKeyLeftShift, 0, 0);
    Tap(console, CommandInterpreter::kKeyBackspace);
    EXPECT_STREQ(console.GetCommandLine().CStr(), "ABC");
    EXPECT_EQ(console.GetCursor(), 3);
    EXPECT_EQ(console.GetSelection(), 0);

    // Home with Shift selects back to the start; Delete removes it.
    console.SetKeyState(CommandInterpreter::kKeyRightShift, 1, 0);
    Tap(console, CommandInterpreter::kKeyHome);
    console.SetKeyState(CommandInterpreter::kKeyRightShift, 0, 0);
    EXPECT_EQ(console.GetSelection(), 3);
    Tap(console, CommandInterpreter::kKeyDelete);
    EXPECT_TRUE(console.GetCommandLine().IsEmpty());
    EXPECT_EQ(console.GetCursor(), 0);
}

TEST(ConsoleEditor, EndOfTravelClearsOnlyAnUnshiftedSelection)
{
    CommandInterpreter console;
    Commands commands;
    console.SetCommandCallback(Record, &commands);
    Type(console, "AB");
    Tap(console, CommandInterpreter::kKeyEnter);  // whole line selected, cursor at the end
    console.SetKeyState(CommandInterpreter::kKeyLeftShift, 1, 0);
    Tap(console, CommandInterpreter::kKeyRight);
    EXPECT_EQ(console.GetSelection(), -2);
    console.SetKeyState(CommandInterpreter::kKeyLeftShift, 0, 0);
    Tap(console, CommandInterpreter::kKeyRight);
    EXPECT_EQ(console.GetSelection(), 0);
    EXPECT_EQ(console.GetCursor(), 2);
}

TEST(ConsoleEditor, EditingKeys)
{
    CommandInterpreter console;
    Type(console, "AC");
    Tap(console, CommandInterpreter::kKeyLeft);
    Tap(console, 'B');
    EXPECT_STREQ(console.GetCommandLine().CStr(), "ABC");
    Tap(console, CommandInterpreter::kKeyHome);
    Tap(console, CommandInterpreter::kKeyDelete);
    Tap(console, CommandInterpreter::kKeyPad1);  // keypad 1 acts as End
    EXPECT_EQ(console.GetCursor(), 2);
    Tap(console, 0xE6);  // the minus key
    Tap(console, 0x60);  // keypad 0 types nothing
    EXPECT_STREQ(console.GetCommandLine().CStr(), "BC-");
    Tap(console, CommandInterpreter::kKeyBackspace);
    EXPECT_STREQ(console.GetCommandLine().CStr(), "BC");
    Tap(console, CommandInterpreter::kKeyEscape);
    EXPECT_TRUE(console.GetCommandLine().IsEmpty());
    EXPECT_EQ(console.GetCursor(), 0);
    Tap(console, CommandInterpreter::kKeyBackspace);  // nothing to delete
    EXPECT_TRUE(console.GetCommandLine().IsEmpty());
}

TEST(ConsoleEditor, ScrollKeysAccumulateForTheNextDraw)
{
    CommandInterpreter console;
    console.SetPageRows(28);
    Tap(console, CommandInterpreter::kKeyUp);
    Tap(console, CommandInterpreter::kKeyUp);
    Tap(console, CommandInterpreter::kKeyPageUp);
    EXPECT_EQ(console.GetScrollDelta(), -30);
    Tap(console, CommandInterpreter::kKeyDown);
    Tap(console, CommandInterpreter::kKeyPageDown);
    EXPECT_EQ(console.GetScrollDelta(), -1);
    console.SetKeyState(CommandInterpreter::kKeyRightCtrl, 1, 0);
    Tap(console, CommandInterpreter::kKeyPageUp);
    EXPECT_EQ(console.GetScrollDelta(), -1 - 10000);
}

TEST(ConsoleKeyChars, TypedCharacters)
{
    char c = '?';
    EXPECT_TRUE(VirtualKeyToChar(0x35, &c));
    EXPECT_EQ(c, '5');
    EXPECT_TRUE(VirtualKeyToChar(0x5A, &c));
    EXPECT_EQ(c, 'Z');
    EXPECT_TRUE(VirtualKeyToChar(0xF0, &c));
    EXPECT_EQ(c, '"');
    EXPECT_TRUE(VirtualKeyToChar(0x6E, &c));
    EXPECT_EQ(c, '.');
    c = '?';
    EXPECT_FALSE(VirtualKeyToChar(0x61, &c));
    EXPECT_FALSE(VirtualKeyToChar(0xF1, &c));
    EXPECT_EQ(c, '?');
}
