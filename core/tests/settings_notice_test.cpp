// A machine's settings files that could not be read are named on its core's console,
// whether the machine came with the core or was set into it later.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "core/tests/core_rig.h"
#include "emu/tests/program_tree.h"

TEST(SettingsNotice, UnreadableMachineFilesAreNamedAndKept)
{
    const std::vector<u8> damaged = {'K', 'U', 'V', 'I', 'N', 'I', 0x01};
    const std::vector<std::string> notices = {
        "Settings file \"test_pc.drv\" could not be read: it is a folder, the defaults are used.",
        "Settings file \"test_pc.ini\" could not be read: kept as \"test_pc.ini.bad\", the defaults are used.",
    };
    for (const bool later : {false, true}) {
        SCOPED_TRACE(later ? "set later" : "made with the core");
        ProgramTree tree;
        ProgramTree::WriteBytes("user/settings/test_pc.ini", damaged);
        ProgramTree::MakeFolder("user/settings/test_pc.drv");
        FakeClock clock;
        auto* machine = new TestMachine;
        machine->id = "test_pc";
        auto core = std::make_unique<EmuCore>(nullptr, later ? new TestMachine : machine, nullptr, nullptr, nullptr,
                                              &clock);
        ASSERT_TRUE(core->Run());
        if (later) {
            ASSERT_TRUE(core->SetMachine(machine));
        }
        CoreConsole& console = core->GetConsole();
        console.FlushPending();
        std::vector<std::string> lines;
        StringA text;
        for (i32 i = 0; console.GetLine(i, &text, nullptr); ++i)
            lines.push_back(text.CStr());
        ASSERT_GE(lines.size(), notices.size()) << ::testing::PrintToString(lines);
        EXPECT_EQ(std::vector<std::string>(lines.end() - 2, lines.end()), notices) << "after the description";

        core->Shutdown();
        EXPECT_EQ(ProgramTree::Read("user/settings/test_pc.ini.bad"), damaged);
        EXPECT_NE(ProgramTree::Read("user/settings/test_pc.ini"), damaged) << "written whole at exit";
        EXPECT_TRUE(std::filesystem::is_directory(ProgramTree::Where("user/settings/test_pc.drv")));
    }
}
