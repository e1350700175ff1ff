// A machine's settings file that could not be read is named on its core's console, whether
// the machine came with the core or was set into it later.
#include <gtest/gtest.h>

#include "core/tests/core_rig.h"
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
