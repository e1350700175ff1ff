// Debugger console object: bounded line lists, duplicates, line replacement, prints
// from several threads, the key table and the command-line editor.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "base/object_list.h"
#include "emu/command_interpreter.h"

namespace {

using Console = CommandInterpreter;

std::string LineText(const Console& console, i32 index, bool pending = false)
{
    StringA text;
    const bool ok = pending ? console.GetPendingLine(index, &text, nullptr) : console.GetLine(index, &text, nullptr);
    return ok ? std::string(text.CStr()) : std::string("<none>");
}

// Presses and releases a key the way the core does.
void Tap(Console& console, u8 key)
{
    console.SetKeyState(key, 1, 0);
    console.SetKeyState(key, 0, 0);
}

void Type(Console& console, const char* text)
{
    for (const char* p = text; *p; ++p)
        Tap(console, static_cast<u8>(*p));
}

void Hold(Console& console, u8 key, bool down)
{
    console.SetKeyState(key, down ? 1 : 0, 0);
}

void Record(void* context, const StringA& line)
{
    static_cast<std::vector<std::string>*>(context)->push_back(line.CStr());
}

}  // namespace

TEST(ConsoleLines, BothListsKeepTheNewestTenThousand)
{
    Console console;
    StringA line;
    for (int i = 0; i < 10001; ++i) {
        line.Format("%ld", static_cast<i32>(i));
        console.Print(line);
    }
    EXPECT_EQ(console.GetPendingCount(), 10000);
    EXPECT_EQ(console.GetLineCount(), 0);  // nothing reaches the buffer before a draw
    console.FlushPending();
    EXPECT_EQ(console.GetLineCount(), 10000);
    EXPECT_EQ(LineText(console, 0), "1");
    EXPECT_EQ(console.GetTopLine(), -1);  // the view follows new output

    // Three more push out the three oldest.
    for (int i = 0; i < 3; ++i)
        console.PrintColored(StringA("x"), 0xFF00FF00u);
    console.FlushPending();
    EXPECT_EQ(console.GetLineCount(), 10000);
    EXPECT_EQ(LineText(console, 0), "4");
    u32 color = 0;
    console.GetLine(9999, nullptr, &color);
    EXPECT_EQ(color, 0xFF00FF00u);
    console.Clear();
    EXPECT_EQ(console.GetLineCount(), 0);
}

TEST(ConsoleLines, DuplicatesAreDroppedOnlyWhenAsked)
{
    Console console;
    console.SetIgnoreDuplicates(true);
    for (const char* s : {"A", "A", "B", "A"})
        console.Print(StringA(s));
    EXPECT_EQ(console.GetPendingCount(), 3);
    console.FlushPending();
    console.Print(StringA("A"));  // the newest buffered line is A
    EXPECT_EQ(console.GetPendingCount(), 0);
    console.SetIgnoreDuplicates(false);
    console.Print(StringA("A"));
    EXPECT_EQ(console.GetPendingCount(), 1);
}

TEST(ConsoleLines, IncompleteLineIsReplacedAndListsPrintOneLineEach)
{
    Console console;
    int redraws = 0;
    console.SetRedrawCallback([](void* c) { ++*static_cast<int*>(c); }, &redraws);
    console.ClearRedraw();
    console.PrintColored(StringA("progress 10%"), 0xFF00FF00u, false);
    console.Print(StringA("progress 100%"), true);
    EXPECT_EQ(redraws, 1);  // only the flag's rise calls back
    u32 color = 0;
    ASSERT_EQ(console.GetPendingCount(), 1);
    console.GetPendingLine(0, nullptr, &color);
    EXPECT_EQ(LineText(console, 0, true), "progress 100%");
    EXPECT_EQ(color, 0xFF00FF00u);

    ObjectList list;
    list.AddString("HELP");
    list.AddString("CLS");
    console.PrintLines(list);
    EXPECT_EQ(LineText(console, 2, true), "CLS");
}

TEST(ConsoleThreads, LinesFromSeveralThreadsAllArriveInTheirOwnOrder)
{
    Console console;
    constexpr int kThreads = 4;
    constexpr int kLines = 1500;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&console, t] {
            StringA line;
            for (int i = 0; i < kLines; ++i) {
                line.Format("%ld", static_cast<i32>(i));
                console.PrintColored(line, 0xFF000000u + static_cast<u32>(t));
            }
        });
    }
    std::thread drawer([&console] {  // the drawing thread flushes meanwhile
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
        console.GetLine(i, &text, &color);
        const u32 t = color - 0xFF000000u;
        ASSERT_LT(t, static_cast<u32>(kThreads));
        ASSERT_EQ(std::string(text.CStr()), std::to_string(next[t]++));
    }
}

TEST(ConsoleKeys, ReleaseOfAnUpKeyAndObserveOnlyCallNoEditor)
{
    Console console;
    std::vector<std::string> commands;
    console.SetCommandCallback(Record, &commands);
    EXPECT_TRUE(console.SetKeyState(0x41, 0, 0));
    EXPECT_FALSE(console.SetKeyState(0x41, 1, 1));
    EXPECT_FALSE(console.SetKeyState(Console::kKeyEnter, 1, 1));
    EXPECT_TRUE(commands.empty());
    EXPECT_TRUE(console.GetCommandLine().IsEmpty());
    EXPECT_TRUE(console.IsKeyDown(0x41));  // the table still follows the key
    console.ReleaseAllKeys(true);
    EXPECT_FALSE(console.IsKeyDown(0x41));
}

TEST(ConsoleEditor, EnterRunsTheLineAndLeavesItSelected)
{
    Console console;
    Type(console, "XYZ");
    Tap(console, Console::kKeyEnter);
    EXPECT_EQ(LineText(console, 0, true), "Unknown command: XYZ");

    std::vector<std::string> commands;
    console.SetCommandCallback(Record, &commands);
    Tap(console, Console::kKeyEscape);
    Type(console, "CPU");
    Tap(console, Console::kKeyPadEnter);
    EXPECT_EQ(commands, (std::vector<std::string>{"CPU"}));
    EXPECT_EQ(console.GetCursor(), 3);
    EXPECT_EQ(console.GetSelection(), -3);
    Type(console, "G");
    EXPECT_STREQ(console.GetCommandLine().CStr(), "G");
}

TEST(ConsoleEditor, ShiftSelectionAndDeletion)
{
    Console console;
    Type(console, "ABCDEF");
    Hold(console, Console::kKeyLeftShift, true);
    for (int i = 0; i < 3; ++i)
        Tap(console, Console::kKeyLeft);
    EXPECT_EQ(console.GetSelection(), 3);
    Hold(console, Console::kKeyLeftShift, false);
    Tap(console, Console::kKeyBackspace);
    EXPECT_STREQ(console.GetCommandLine().CStr(), "ABC");
    EXPECT_EQ(console.GetCursor(), 3);

    // At the end of its travel Left keeps a shifted selection and drops an unshifted one.
    Hold(console, Console::kKeyRightShift, true);
    Tap(console, Console::kKeyHome);
    EXPECT_EQ(console.GetSelection(), 3);
    Tap(console, Console::kKeyLeft);
    EXPECT_EQ(console.GetSelection(), 3);
    Hold(console, Console::kKeyRightShift, false);
    Tap(console, Console::kKeyLeft);
    EXPECT_EQ(console.GetSelection(), 0);
    Tap(console, Console::kKeyRight);
    EXPECT_EQ(console.GetCursor(), 1);
}

TEST(ConsoleEditor, EditingAndScrollKeys)
{
    Console console;
    Type(console, "AC");
    Tap(console, Console::kKeyLeft);
    Tap(console, 'B');
    Tap(console, Console::kKeyHome);
    Tap(console, Console::kKeyDelete);
    Tap(console, Console::kKeyPad1);  // keypad 1 acts as End
    Tap(console, 0xE6);               // the minus key types "-"
    Tap(console, 0x60);               // keypad 0 types nothing
    EXPECT_STREQ(console.GetCommandLine().CStr(), "BC-");
    Tap(console, Console::kKeyEscape);
    Tap(console, Console::kKeyBackspace);
    EXPECT_TRUE(console.GetCommandLine().IsEmpty());

    console.SetPageRows(28);
    Tap(console, Console::kKeyUp);
    Tap(console, Console::kKeyPageUp);
    Tap(console, Console::kKeyDown);
    EXPECT_EQ(console.GetScrollDelta(), -28);
    Hold(console, Console::kKeyRightCtrl, true);
    Tap(console, Console::kKeyPageDown);
    EXPECT_EQ(console.GetScrollDelta(), 10000);
    // Held with nothing drawn, the scrolling stops a page past the buffer's ends.
    for (int i = 0; i < 3; ++i)
        Tap(console, Console::kKeyPageDown);
    EXPECT_EQ(console.GetScrollDelta(), 10028);
    for (int i = 0; i < 5; ++i)
        Tap(console, Console::kKeyPageUp);
    EXPECT_EQ(console.GetScrollDelta(), -10028);
}
