#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/object_list.h"
#include "base/string_w.h"
#include "cpu/cpu_base.h"
#include "emu/tests/archive_buffer.h"
#include "emu/tests/machine_fixtures.h"
#include "emu/tests/machine_run.h"

namespace {

// The smallest processor on the real CPU base: every slice simply passes its cycles.
class TestCpu : public machine_run::IdleCpu {
public:
    bool timeBase = false;   // counts time apart from its nominal clock

    bool UsesTimeBase() const override { return timeBase; }
};

// An empty machine as the emulation core builds it: services, the CPU, one device that
// ticks on a 50 Hz bus timer, the console attached.
struct EmptyMachine {
    CommandInterpreter console;
    TestMachine machine;
    TestCpu* cpu = nullptr;
    ProbeDevice* ticker = nullptr;

    explicit EmptyMachine(const char* id = "test_pc") : machine(id)
    {
        machine.CreateDevices();
        cpu = new TestCpu;
        ticker = new ProbeDevice;
        machine.AddDevice(cpu, nullptr, nullptr);
        machine.AddDevice(ticker, "Ticker", nullptr);
        machine.SetHost(&console);
    }

    void Run(u64 cycles) { machine_run::RunCycles(cpu, cycles); }
};

// What the emulation core writes for a state: the snapshot, then the component records.
std::vector<u8> SaveMachine(TestMachine& machine)
{
    ArchiveBuffer buf;
    EXPECT_TRUE(machine.SaveInitState(buf.archive));
    EXPECT_TRUE(machine.SaveComponent(buf.archive));
    return buf.Bytes();
}

} // namespace

// At 2450 Hz the bus ticks on cycle floor(k * 3579545 / 2450), the first tick at once; a
// 50 Hz timer fires every 49 ticks, first at tick 49. A second of emulated time (plus
// less than a tick) therefore holds ticks 0..2450 and 50 calls.
constexpr u64 kOneSecond = 3579545 + 700;

TEST(ComputerMilestone, EmptyMachineStartsTicksAndStops)
{
    EmptyMachine m;
    ASSERT_TRUE(m.machine.StartLikeTheCore());
    EXPECT_EQ(m.machine.GetMainCpu(), static_cast<ClockInterface*>(m.cpu));
    EXPECT_EQ(m.ticker->connects, (std::vector<u32>{0x008E, 0x0140, 0x0002}));
    EXPECT_EQ(m.cpu->GetMemorySize(), 0x4000u);   // the CPU took the machine's memory map

    EXPECT_EQ(m.machine.SetBusFrequency(2450, m.cpu), 1);
    m.cpu->FindNextEvent();
    m.Run(kOneSecond);
    EXPECT_EQ(m.ticker->ticks, 50u);
    EXPECT_EQ(m.machine.GetCurrentTime(), m.cpu->GetTime());

    m.machine.Stop();
    EXPECT_FALSE(m.machine.IsRunning());
    StringA speed;
    m.machine.GetSpeedText(speed);
    EXPECT_STREQ(speed.CStr(), "CPU=3.58 MHz");
    const std::vector<std::string> lines = ConsoleLines(m.console);
    EXPECT_EQ(lines, (std::vector<std::string>{"[INIT] Started emulation of TestPC", "[DONE] Emulation stopped!"}));
}

TEST(ComputerMilestone, FailingStartStillPrintsItsLine)
{
    EmptyMachine m;
    m.ticker->failStart = true;
    EXPECT_FALSE(m.machine.StartLikeTheCore());
    EXPECT_EQ(ConsoleLines(m.console), std::vector<std::string>{"[INIT] Started emulation of TestPC"});
}

TEST(ComputerMilestone, StateReloadsIntoAFreshMachineByteForByte)
{
    EmptyMachine first;
    first.ticker->period = 9;
    ASSERT_TRUE(first.machine.StartLikeTheCore());
    first.machine.SetBusFrequency(2450, first.cpu);
    first.cpu->FindNextEvent();
    first.Run(kOneSecond);
    first.machine.GetMemory()->Write8(0x1234, 0xA7);
    first.machine.ApplyKeyEvent(0x41, true);
    const std::vector<u8> saved = SaveMachine(first.machine);

    EmptyMachine second;
    ASSERT_TRUE(second.machine.StartLikeTheCore());
    ArchiveBuffer buf;
    buf.stream.Write(saved.data(), saved.size());
    buf.Rewind();
    bool changed = false;
    ASSERT_TRUE(second.machine.LoadInitState(buf.archive, &changed));
    EXPECT_TRUE(changed);
    EXPECT_EQ(second.ticker->period, 9);
    // The emulation core restarts a machine whose settings changed, then reads the records.
    second.machine.Stop();
    ASSERT_TRUE(second.machine.StartLikeTheCore());
    ASSERT_TRUE(second.machine.LoadComponent(buf.archive, nullptr));
    EXPECT_EQ(buf.stream.GetPosition(), buf.stream.GetSize());
    EXPECT_EQ(second.machine.GetMemory()->Read8(0x1234, false), 0xA7);
    EXPECT_EQ(SaveMachine(second.machine), saved);

    // Both machines go on alike: the bus tick and the device timer were re-bound by name.
    second.cpu->FindNextEvent();
    first.Run(49 * 1461);
    second.Run(49 * 1461);
    EXPECT_EQ(first.ticker->ticks, 51u);
    EXPECT_EQ(second.ticker->ticks, 1u);
    EXPECT_EQ(SaveMachine(second.machine), SaveMachine(first.machine));
}

TEST(ComputerSnapshot, DataIsOneNodeNamedAfterTheMachine)
{
    EmptyMachine m("msx_1");
    ArchiveBuffer buf;
    ASSERT_TRUE(m.machine.SaveInitState(buf.archive));
    buf.Rewind();
    u64 size = 0;
    ASSERT_TRUE(buf.archive.ReadMarker("_EMUINIT", Archive::kBlockOpen));
    ASSERT_TRUE(buf.archive.ReadUInt64(&size, "SIZE"));
    std::vector<u8> data(size);
    ASSERT_TRUE(buf.archive.ReadBlob(data.data(), size, "DATA"));
    const std::vector<u8> head = {0, 0, 0, 0, 0x80, 0x81, 0x84, 0x05, 0x00, 'm', 's', 'x', '_', '1'};
    ASSERT_GE(data.size(), head.size());
    EXPECT_EQ(std::vector<u8>(data.begin(), data.begin() + head.size()), head);
    EXPECT_EQ(data.back(), 0xFF);
    EXPECT_TRUE(buf.archive.ReadMarker("_EMUINIT", Archive::kBlockClose));
}

TEST(ComputerSnapshot, ChangedFlagReportsOnlyRealDifferencesOfThisMachine)
{
    EmptyMachine m;
    ArchiveBuffer buf;
    ASSERT_TRUE(m.machine.SaveInitState(buf.archive));
    bool changed = true;
    buf.Rewind();
    ASSERT_TRUE(m.machine.LoadInitState(buf.archive, &changed));
    EXPECT_FALSE(changed);
    m.ticker->period = 1;
    buf.Rewind();
    ASSERT_TRUE(m.machine.LoadInitState(buf.archive, &changed));
    EXPECT_TRUE(changed);
    EXPECT_EQ(m.ticker->period, 5);

    // Another machine's snapshot is skipped whole.
    EmptyMachine other("coleco_v");
    other.ticker->period = 1;
    buf.Rewind();
    ASSERT_TRUE(other.machine.LoadInitState(buf.archive, &changed));
    EXPECT_FALSE(changed);
    EXPECT_EQ(other.ticker->period, 1);
}

TEST(ComputerSnapshot, EmptyAndDamagedSnapshots)
{
    EmptyMachine m;
    auto load = [&m](ArchiveBuffer& buf, bool* changed) {
        buf.Rewind();
        return m.machine.LoadInitState(buf.archive, changed);
    };
    const u64 zero = 0;

    // SIZE 0 and no DATA: nothing changed.
    ArchiveBuffer empty;
    empty.archive.WriteMarker("_EMUINIT", Archive::kBlockOpen);
    empty.archive.WriteUInt64(&zero, "SIZE");
    empty.archive.WriteMarker("_EMUINIT", Archive::kBlockClose);
    bool changed = true;
    EXPECT_TRUE(load(empty, &changed));
    EXPECT_FALSE(changed);

    // A SIZE larger than the file is refused before anything is allocated for it.
    for (u64 size : {u64{1} << 40, u64{0xFFFFFFFF}, u64{64}}) {
        ArchiveBuffer huge;
        huge.archive.WriteMarker("_EMUINIT", Archive::kBlockOpen);
        huge.archive.WriteUInt64(&size, "SIZE");
        const u8 few[8] = {};
        huge.archive.WriteBlob(few, sizeof few, "DATA");
        EXPECT_FALSE(load(huge, &changed)) << size;
    }

    // DATA that is no settings node: the load goes on and reports a change.
    ArchiveBuffer garbage;
    const u8 junk[6] = {1, 2, 3, 4, 5, 6};
    const u64 six = sizeof junk;
    garbage.archive.WriteMarker("_EMUINIT", Archive::kBlockOpen);
    garbage.archive.WriteUInt64(&six, "SIZE");
    garbage.archive.WriteBlob(junk, six, "DATA");
    garbage.archive.WriteMarker("_EMUINIT", Archive::kBlockClose);
    changed = false;
    EXPECT_TRUE(load(garbage, &changed));
    EXPECT_TRUE(changed);

    // A misnamed block fails.
    ArchiveBuffer other;
    other.archive.WriteMarker("_EMUINI", Archive::kBlockOpen);
    EXPECT_FALSE(load(other, &changed));
}

TEST(ComputerState, MachineBlockFollowsTheDeviceBlock)
{
    EmptyMachine m;
    ArchiveBuffer buf;
    ASSERT_TRUE(m.machine.SaveState(buf.archive));
    buf.Rewind();
    EXPECT_TRUE(m.machine.LoadState(buf.archive, nullptr));

    buf.stream.GetBuffer()[buf.stream.GetSize() - 10] = 1;   // "VER" 1 in "_MCH"
    buf.Rewind();
    EXPECT_FALSE(m.machine.LoadState(buf.archive, nullptr));
}

TEST(ComputerIdentity, IdsFollowTheModelIdAndDescriptionNamesTheMachine)
{
    Computer plain;
    EXPECT_EQ(plain.GetSettingsName(), nullptr);
    EXPECT_STREQ(plain.GetDescription().GetNarrow(), "PC");
    TestMachine machine("msx_1");
    EXPECT_STREQ(machine.GetSettingsName(), "msx_1");
    EXPECT_STREQ(machine.GetStateName(), "msx_1");
    ObjectList lines;
    machine.GetDescription(lines);
    ASSERT_EQ(lines.Count(), 1);
    EXPECT_STREQ(lines.At(0)->GetNarrow(), "Computer \"TestPC\"");
}

TEST(ComputerIdentity, SpeedTextShowsTheRunningClockAndMarksOnlyTheConfiguredOne)
{
    EmptyMachine m;
    m.cpu->timeBase = true;
    ASSERT_TRUE(m.machine.StartLikeTheCore());
    m.cpu->ChangeFrequency(1789772);
    StringA speed;
    m.machine.GetSpeedText(speed);
    EXPECT_STREQ(speed.CStr(), "CPU=1.79 MHz");   // the clock it runs at, unmarked
    m.machine.Stop();
    m.machine.GetSpeedText(speed);
    EXPECT_STREQ(speed.CStr(), "CPU=@3.58 MHz");
}
