// A machine's settings file that could not be read is named on its core's console, whether
// the machine came with the core or was set into it later, and stays named when the start
// screen gives way.
#include <gtest/gtest.h>

#include <functional>

#include "core/tests/core_rig.h"
#include "emu/trace_report.h"
#include "emu/tests/program_tree.h"

TEST(SettingsNotice, UnreadableMachineFileIsNamedAndKept)
{
    const std::vector<u8> damaged = {'K', 'U', 'V', 'I', 'N', 'I', 0x01};
    for (const bool later : {false, true}) {
        SCOPED_TRACE(later ? "set later" : "made with the core");
        ProgramTree tree;
        ProgramTree::WriteBytes("user/settings/test_pc.ini", damaged);
        FakeClock clock;
        auto* machine = new TestMachine;
        machine->id = "test_pc";
        auto core = std::make_unique<EmuCore>(nullptr, later ? new TestMachine : machine, nullptr, nullptr, nullptr,
                                              &clock);
        ASSERT_TRUE(core->Run());
        if (later) {
            ASSERT_TRUE(core->SetMachine(machine));
        }
        StringA line;
        core->GetConsole().FlushPending();
        ASSERT_TRUE(core->GetConsole().GetLine(core->GetConsole().GetLineCount() - 1, &line, nullptr));
        EXPECT_STREQ(line.CStr(), "Settings file \"test_pc.ini\" could not be read: kept as \"test_pc.ini.bad\", the "
                                  "defaults are used.") << "after the description";
        core->Shutdown();
        EXPECT_EQ(ProgramTree::Read("user/settings/test_pc.ini.bad"), damaged);
    }
}

// The notice outlives the start screen: when a run starts (whichever way), the first
// command is typed or F12 finds no state saved the console is cleared, and the notice
// comes back as its first line, in the error colour. A machine switch keeps it on the rebuilt start screen, after
// the description; a file that stays damaged (a folder in its place) tells it once.
TEST(SettingsNotice, StaysWhenTheStartScreenGoes)
{
    struct Case {
        const char* name;
        bool switchFirst;
        std::function<void(EmuCore&)> leave;
    };
    const Case cases[] = {
        {"a run starts (toolbar, menu, auto-start)", false, [](EmuCore& core) { ASSERT_TRUE(core.Start(false, false)); }},
        {"F5", false, [](EmuCore& core) { core.OnKey(DebugHotkeys::kKeyF5, true); }},
        {"Ctrl+F5", false,
         [](EmuCore& core) {
             core.OnKey(CommandInterpreter::kKeyLeftCtrl, true);
             core.OnKey(DebugHotkeys::kKeyF5, true);
         }},
        {"START typed", false, [](EmuCore& core) { core.ExecuteConsoleCommand(StringA("START")); }},
        {"GO typed", false, [](EmuCore& core) { core.ExecuteConsoleCommand(StringA("GO")); }},
        {"a first command", false, [](EmuCore& core) { core.ExecuteConsoleCommand(StringA("DASM")); }},
        {"F12, no state saved", false, [](EmuCore& core) { EXPECT_FALSE(core.LoadStateFromFile({}, false)); }},
        {"a machine switch", true, [](EmuCore&) {}},
        {"a machine switch, then a run", true, [](EmuCore& core) { ASSERT_TRUE(core.Start(false, false)); }},
    };
    const char* notice = "Settings file \"test_pc.ini\" could not be read: it is a folder, the defaults are used.";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ProgramTree tree;
        ProgramTree::MakeFolder("user/settings/test_pc.ini");
        FakeClock clock;
        auto* machine = new TestMachine;
        machine->id = "test_pc";
        auto core = std::make_unique<EmuCore>(nullptr, machine, nullptr, nullptr, nullptr, &clock);
        ASSERT_TRUE(core->Run());
        if (c.switchFirst) {
            auto* same = new TestMachine;
            same->id = "test_pc";
            ASSERT_TRUE(core->SetMachine(same));
        }
        c.leave(*core);
        // What a run's console opened with is still there once it is stopped.
        const bool ran = core->IsStarted();
        core->Stop();
        CoreConsole& console = core->GetConsole();
        console.FlushPending();
        const bool startScreen = console.IsCentred();
        EXPECT_EQ(startScreen, c.switchFirst && !ran);
        StringA line;
        i32 told = 0;
        for (i32 i = 0; console.GetLine(i, &line, nullptr); ++i)
            told += line.CompareNarrow(notice) == 0;
        EXPECT_EQ(told, 1);
        u32 color = 0;
        ASSERT_TRUE(console.GetLine(startScreen ? console.GetLineCount() - 1 : 0, &line, &color));
        EXPECT_STREQ(line.CStr(), notice);
        EXPECT_EQ(color, ReportColor::kError);
        core->Shutdown();
    }
}
