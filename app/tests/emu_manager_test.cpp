#include <gtest/gtest.h>

#include "app/tests/manager_rig.h"
#include "emu/computer.h"
#include "emu/tests/program_tree.h"

namespace {

i32 MachineIndexOf(const EmuManager& manager, const char* id)
{
    for (i32 i = 0; i < manager.GetMachineCount(); ++i) {
        Computer* machine = manager.GetMachineFactory(i);
        if (machine && machine->GetId() && StringA(machine->GetId()).CompareNarrow(id) == 0)
            return i;
    }
    return -1;
}

} // namespace

TEST(EmuManagerTest, ListsPrototypesAndAnswersNullOutOfRange)
{
    EmuManager manager(AddTestOutputs);
    ASSERT_EQ(manager.GetMachineCount(), 2);
    EXPECT_EQ(MachineIndexOf(manager, "msx_1"), 0);
    EXPECT_EQ(MachineIndexOf(manager, "coleco_v"), 1);
    EXPECT_EQ(manager.titleLabel.CompareNarrow("/Computer"), 0);
    EXPECT_EQ(manager.soundIndex, 1);  // the second output when there are two
    EXPECT_EQ(manager.rendererIndex, 0);

    EXPECT_EQ(manager.GetMachineFactory(manager.GetMachineCount()), nullptr);
    EXPECT_EQ(manager.GetMachineFactory(-1), nullptr);
    EXPECT_EQ(manager.GetRendererFactory(2), nullptr);
    EXPECT_EQ(manager.GetSoundOutputFactory(-1), nullptr);
    EXPECT_EQ(manager.CloneSoundOutput(5), nullptr);
    EXPECT_EQ(manager.CloneRenderer(-3), nullptr);
}

TEST(EmuManagerTest, SelectionsKeepIndexOnBadChoice)
{
    EmuManager manager(AddTestOutputs);
    manager.SelectSound(0);
    manager.SelectSound(7);
    EXPECT_EQ(manager.soundIndex, 0);
    EXPECT_TRUE(manager.soundName.IsEmpty());
    manager.SelectRenderer(1);
    EXPECT_EQ(manager.rendererName.CompareNarrow("Test Screen"), 0);
    manager.SelectRenderer(2);
    EXPECT_EQ(manager.rendererIndex, 1);
    manager.SelectMachine(-1);
    EXPECT_TRUE(manager.machineId.IsEmpty());
}

TEST(EmuManagerTest, CreateCoreFollowsTheRememberedMachine)
{
    ProgramTree tree;
    EmuManager manager(AddTestOutputs);
    const char* first = manager.GetMachineFactory(0)->GetId();
    const struct {
        const char* remembered;
        const char* expected;
    } cases[] = {
        {"coleco_v", "coleco_v"},
        {"no_such_machine", first},
        {"", first},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.remembered);
        manager.machineId.Assign(c.remembered);
        EmuCore* core = manager.CreateCore(-1);
        ASSERT_NE(core, nullptr);
        EXPECT_TRUE(core->IsWorkerAlive());
        EXPECT_STREQ(core->GetMachine()->GetId(), c.expected);
        EXPECT_EQ(core->GetCoreIndex(), MachineIndexOf(manager, c.expected));
        EXPECT_EQ(manager.machineId.CompareNarrow(c.expected), 0);
        EXPECT_NE(core->GetMachine(), manager.GetMachineFactory(core->GetCoreIndex()));  // a copy
        EXPECT_STREQ(static_cast<SoundBufferRing*>(core->GetSoundOutput())->GetName(), "Test Sound");
        EXPECT_EQ(manager.GetCoreCount(), 1);
        manager.RemoveCore(core);
        EXPECT_EQ(manager.GetCoreCount(), 0);
    }
    EXPECT_EQ(manager.CreateCore(manager.GetMachineCount()), nullptr);
    EXPECT_EQ(manager.GetCoreCount(), 0);
}

TEST(EmuManagerTest, SetCoreMachineSwapsOrCreates)
{
    ProgramTree tree;
    EmuManager manager(AddTestOutputs);
    const i32 coleco = MachineIndexOf(manager, "coleco_v");

    EmuCore* core = nullptr;
    ASSERT_TRUE(manager.SetCoreMachine(core, coleco));
    ASSERT_NE(core, nullptr);
    EXPECT_EQ(manager.GetCoreCount(), 1);
    Computer* before = core->GetMachine();

    EXPECT_FALSE(manager.SetCoreMachine(core, manager.GetMachineCount()));
    EXPECT_FALSE(manager.SetCoreMachine(core, -1));
    EXPECT_EQ(core->GetMachine(), before);

    ASSERT_TRUE(manager.SetCoreMachine(core, 0));
    EXPECT_NE(core->GetMachine(), before);
    EXPECT_EQ(core->GetCoreIndex(), 0);
    EXPECT_EQ(manager.GetCoreCount(), 1);
    // The manager's destructor deletes the listed core.
}

TEST(EmuManagerTest, RemoveCoreDeletesAnUnlistedCoreToo)
{
    ProgramTree tree;
    const i32 live = EmuCore::GetLiveCoreCount();
    {
        EmuManager manager(AddTestOutputs);
        EmuCore* listed = manager.CreateCore(-1);
        ASSERT_NE(listed, nullptr);
        auto* unlisted = new EmuCore(manager.GetCoreSettings(), nullptr, nullptr, nullptr, nullptr);
        ASSERT_TRUE(unlisted->Run());
        EXPECT_EQ(EmuCore::GetLiveCoreCount(), live + 2);
        manager.RemoveCore(unlisted);
        EXPECT_EQ(manager.GetCoreCount(), 1);
        EXPECT_EQ(EmuCore::GetLiveCoreCount(), live + 1);
        manager.RemoveCore(nullptr);
    }
    EXPECT_EQ(EmuCore::GetLiveCoreCount(), live);
}
