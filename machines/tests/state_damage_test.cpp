// Single changes of a saved state, on both machines: the machine either refuses the state
// and stays exactly as it was, or takes it and runs on (machines/tests/state_check.h).
// Also values set to the edges of their range, and the states of a run of many hours.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "machines/msx_machine.h"
#include "machines/msx_mapper.h"
#include "machines/tests/coleco_rig.h"
#include "machines/tests/msx_rig.h"
#include "machines/tests/state_sweep.h"

namespace {

using state_check::Bytes;

// A started machine with its BIOS and cartridge, as the core starts a run; several share
// the test's program tree.
template <typename Machine>
struct Started {
    CommandInterpreter console;
    BufferSurface surface;
    SoundBufferRing output;
    std::unique_ptr<Machine> machine = std::make_unique<Machine>();
    bool ok = false;

    explicit Started(const char* cartridge, const std::vector<u8>* knownImage = nullptr)
    {
        machine->CreateDevices();
        machine->SetHost(&console);
        machine->SetDisplay(&surface, &surface);
        machine->SetSoundOutput(&output);
        if constexpr (std::is_same_v<Machine, Msx1Machine>) {
            // Our banked image joins the known-ROM table as an ASCII 8 KB cartridge with SRAM.
            const u64 fingerprint = MsxMapper::Fingerprint(knownImage->data(), static_cast<u32>(knownImage->size()));
            machine->GetMapper()->AddKnownRom({fingerprint, MsxMapper::kTypeAscii8Sram, false});
        }
        DriveImage* slot = machine->GetDriveBay()->GetKindDrive(DriveBay::kCartridge, 0);
        ok = slot->InsertFile(ProgramTree::PathOf(cartridge)) && state_check::Start(*machine);
    }
    ~Started()
    {
        if (machine->IsRunning())
            machine->Stop();
    }
};

struct Coleco : Started<ColecoVisionMachine> {
    Coleco() : Started("media/game.col") {}
    static void Install()
    {
        ProgramTree::WriteBytes("prog/configs/coleco_v/coleco.rom", coleco_test::TestBios());
        ProgramTree::WriteBytes("media/game.col", coleco_test::TestCartridge());
    }
    // The cartridge's program at work, its sound playing.
    Bytes Running()
    {
        machine_run::RunFrames(machine->GetZ80(), machine->GetEventBus(), 30);
        return state_check::Save(*machine);
    }
};

struct Msx : Started<Msx1Machine> {
    static inline const std::vector<u8> kImage = coleco_test::ReadFile(KUV_ROM_MSX_BANKED_CART);
    Msx() : Started("media/banked.rom", &kImage) {}
    static void Install()
    {
        ProgramTree::WriteBytes("prog/configs/msx_1/msx.rom", msx_test::CBios());
        ProgramTree::WriteBytes("media/banked.rom", kImage);
    }
    // C-BIOS has started the cartridge (in its 142nd frame), whose tone plays on the AY
    // while it switches the windows at 0x8000 and 0xA000; then, as a program would, a byte
    // into the SRAM through 0xA000 and the SRAM left paged in at 0x6000.
    Bytes Running()
    {
        machine_run::RunFrames(machine->GetZ80(), machine->GetEventBus(), 150);
        MemorySpace* memory = machine->GetMemory();
        memory->Write8(0x7800, 32);
        memory->Write8(0xA010, 0x99);
        memory->Write8(0x7800, 1);
        memory->Write8(0x6800, 32);
        machine_run::RunFrames(machine->GetZ80(), machine->GetEventBus(), 2);
        EXPECT_NE(memory->Read8(0xE012, true) | memory->Read8(0xE013, true), 0) << "the cartridge's loop runs";
        EXPECT_EQ(memory->Read8(0x6010, true), 0x99) << "the SRAM shows at 0x6000";
        return state_check::Save(*machine);
    }
};

template <typename Kind> state_check::FreshLoad FreshLoad()
{
    return [](const Bytes& state) {
        Kind other;
        return other.ok && state_check::Load(*other.machine, state.data(), state.size());
    };
}

// The sweep of single changes (machines/tests/state_sweep.h) over a state of the running
// machine, each loaded into one just started, as the core starts a machine to load a state
// into; outside the optimised tree a sample that changes every value. Markers and names are
// left to the fuzz targets: any change there refuses the record.
template <typename Kind> void SweepRunningMachine(size_t leastValues)
{
    ProgramTree tree;
    Kind::Install();
    Kind saved;
    ASSERT_TRUE(saved.ok);
    const Bytes good = saved.Running();
    const state_sweep::Layout layout = state_sweep::Walk(good);
    ASSERT_GT(layout.bulk.size(), 70000u) << "the walk reached the memories at the end";
    ASSERT_GT(layout.values.size(), leastValues);

    Kind machine;
    ASSERT_TRUE(machine.ok);
    const auto changes = state_sweep::Changes(good, layout, state_sweep::FullSweep());
    const size_t reached = state_sweep::ValuesReached(layout, changes);
    std::printf("%zu single changes of a %zu-byte state reach %zu of its %zu values\n", changes.size(), good.size(),
                reached, layout.values.size());
    EXPECT_EQ(reached, layout.values.size());
    EXPECT_EQ(state_sweep::Sweep(*machine.machine, good, layout, changes, FreshLoad<Kind>()), "");
}

} // namespace

TEST(ColecoStateDamage, EverySingleChangeIsRefusedOrRuns)
{
    SweepRunningMachine<Coleco>(250);
}

TEST(MsxStateDamage, EverySingleChangeIsRefusedOrRuns)
{
    SweepRunningMachine<Msx>(300);
}

// The aspect is saved as a double and kept as a float: values that no setting gives,
// among them those the conversion would turn into 0 or leave undefined, are refused.
template <typename Kind> void CheckSavedAspects()
{
    ProgramTree tree;
    Kind::Install();
    Kind saved;
    ASSERT_TRUE(saved.ok);
    const Bytes good = saved.Running();
    // The key, the blob's type and its 4-byte length, then the double.
    const u8 key[] = {'A', 'P', 'C', 'T', Archive::kTypeBlob, 8, 0, 0, 0};
    const auto found = std::search(good.begin(), good.end(), std::begin(key), std::end(key));
    const size_t at = static_cast<size_t>(found - good.begin()) + sizeof key;
    ASSERT_LT(at, good.size());
    double stored;
    std::memcpy(&stored, &good[at], sizeof stored);
    ASSERT_NEAR(stored, 22.0 / 15, 1e-6) << "the walk found the aspect";

    const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
    const struct {
        double aspect;
        bool loads;
    } rows[] = {
        {1e-300, false}, {4.9e-324, false}, {1e-46, false}, {1e-30, false}, {1e39, false}, {1e300, false},
        {inf, false},    {nan, false},      {-1.5, false},  {1.0, false},   {2.0, false},  {4.0 / 3, true},
        {4.9 / 3, true}, {1.5, true},
    };
    Kind machine;
    ASSERT_TRUE(machine.ok);
    for (const auto& row : rows) {
        Bytes state = good;
        std::memcpy(&state[at], &row.aspect, sizeof row.aspect);
        EXPECT_EQ(state_check::CheckStateLoad(*machine.machine, state.data(), state.size(), FreshLoad<Kind>()), "")
            << row.aspect;
        EXPECT_EQ(FreshLoad<Kind>()(state), row.loads) << row.aspect;
    }
}

TEST(ColecoStateDamage, AspectsNoSettingGivesAreRefused)
{
    CheckSavedAspects<Coleco>();
}

TEST(MsxStateDamage, AspectsNoSettingGivesAreRefused)
{
    CheckSavedAspects<Msx>();
}

namespace {

// Values at the edges of their range, each set in turn, found by key (its characters, then
// the type byte whose low bits give the width less one). The tick count wraps and takes
// every count (those past 2^31 saved negative); the cycles to the next event run from 0 to
// the nearest event; the address mask is the Z80's own.
const struct {
    const char* key;
    std::vector<u64> loads, refused;
} kEdgeValues[] = {
    {"CNFRQ", {0, 0x7FFFFFF5, 0x7FFFFFFF, 0x80000000, 0xFFFFFFF5, 0xFFFFFFFF}, {}},
    {"CBEVT", {0, 1, 0x7FFFFFFF}, {0x80000000, 0xFFFFFFFF}},
    {"AMSK", {0xFFFF}, {0, 0xFF, 0x3FFF, 0x7FFF, 0xFFFE, 0x1FFFF, 0xFFFFFFFF}},
};

// Each value is refused with the machine as it was, or taken and run on, its next save
// loading into a fresh machine (state_check); and a refused state after it is refused
// cleanly, as the core takes back its own copy.
template <typename Kind> void CheckEdgeValues()
{
    ProgramTree tree;
    Kind::Install();
    Kind saved, machine;
    ASSERT_TRUE(saved.ok && machine.ok);
    const Bytes good = saved.Running();
    const Bytes refused(good.begin(), good.end() - 3);
    for (const auto& entry : kEdgeValues) {
        const std::string key = entry.key;
        const auto found = std::search(good.begin(), good.end(), key.begin(), key.end());
        ASSERT_NE(found, good.end()) << key;
        const size_t at = static_cast<size_t>(found - good.begin()) + key.size() + 1;
        for (const auto* values : {&entry.loads, &entry.refused}) {
            for (const u64 value : *values) {
                Bytes state = good;
                for (size_t i = 0; i <= (good[at - 1] & 0x0Fu); ++i)
                    state[at + i] = static_cast<u8>(value >> (8 * i));
                const std::string what = key + " " + std::to_string(value);
                EXPECT_EQ(FreshLoad<Kind>()(state), values == &entry.loads) << what;
                EXPECT_EQ(state_check::CheckStateLoad(*machine.machine, state.data(), state.size(), FreshLoad<Kind>()),
                          "") << what;
                EXPECT_EQ(state_check::CheckStateLoad(*machine.machine, refused.data(), refused.size(),
                                                      FreshLoad<Kind>()), "") << "a refused state after " << what;
            }
        }
    }
}

} // namespace

TEST(StateEdges, CountsAndMasksAtTheEdgesOfTheirRangeOnBothMachines)
{
    CheckEdgeValues<Coleco>();
    CheckEdgeValues<Msx>();
}

// Fourteen emulated hours at the 44,100 Hz bus take the tick count past 2^31; the state
// saved at the end of every hour loads into a fresh machine, which runs on. Minutes of
// host time: the optimised tree runs it (KUV_LONG_RUN set, as its test there does).
TEST(ColecoLongRun, EveryHourlyStateLoadsPastTwoToTheThirtyOneBusTicks)
{
    const char* longRun = std::getenv("KUV_LONG_RUN");
    if (!longRun || !*longRun || std::strcmp(longRun, "0") == 0)
        GTEST_SKIP() << "set KUV_LONG_RUN to run it";
    ProgramTree tree;
    Coleco::Install();
    Coleco running;
    ASSERT_TRUE(running.ok);
    Computer& machine = *running.machine;
    machine.Stop();
    ASSERT_TRUE(machine_run::StartMachine(&machine, machine.GetCpu(0), 44100));
    constexpr u64 kTicksPerHour = 44100ull * 3600;
    const u32 start = machine.GetEventBus()->GetTickCount();  // the first tick came as it started
    for (u64 hour = 1; hour <= 14; ++hour) {
        machine_run::RunBusTicks(machine.GetCpu(0), machine.GetEventBus(), kTicksPerHour);
        ASSERT_EQ(machine.GetEventBus()->GetTickCount(), static_cast<u32>(start + hour * kTicksPerHour));
        const Bytes state = state_check::Save(machine);
        Coleco fresh;
        ASSERT_TRUE(fresh.ok);
        ASSERT_TRUE(state_check::Load(*fresh.machine, state.data(), state.size())) << "hour " << hour;
        EXPECT_EQ(state_check::CheckRuns(*fresh.machine), "") << "hour " << hour;
    }
    EXPECT_GT(machine.GetEventBus()->GetTickCount(), 0x80000000u);
}
