// The worker's life, starting and stopping runs, and the control operations around them.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>

#include "base/string_w.h"
#include "core/tests/core_rig.h"
#include "emu/sound_stream.h"
#include "video/null_display.h"

namespace {

class SilentSound : public SoundStreamInterface {
public:
    SoundStreamInterface* Clone() override { return new SilentSound; }
    bool Open(i32, i32, i32) override { return true; }
    void Silence() override {}
    i32* FlipBuffer(i32*, i32*, i32*) override { return nullptr; }
    void FillBuffer() override {}
};

std::string Narrow(const StringW& text)
{
    StringA narrow;
    narrow.Assign(text);
    return narrow.CStr();
}

TEST(Worker, StartWithoutMachineOrCpuAnswersFalse)
{
    FakeClock clock;
    EmuCore bare(nullptr, nullptr, nullptr, nullptr, nullptr, &clock);
    EXPECT_FALSE(bare.Start(false, false));  // no worker yet
    ASSERT_TRUE(bare.Run());
    EXPECT_TRUE(bare.IsWorkerAlive());
    EXPECT_FALSE(bare.Start(false, false));
    EXPECT_FALSE(bare.IsStarted());

    EmuCore noCpu(nullptr, new Computer, nullptr, nullptr, nullptr, &clock);
    ASSERT_TRUE(noCpu.Run());
    EXPECT_FALSE(noCpu.Start(false, false));
    EXPECT_EQ(noCpu.GetPauseRequests(), 0);

    StringW status;
    bare.GetStatusText(status);
    EXPECT_TRUE(status.IsEmpty());
    i32 f = -1, h = -1, c = -1;
    EXPECT_EQ(bare.GetDriveCounts(&f, &h, &c), 0);
    EXPECT_EQ(bare.GetDrive(0), nullptr);
}

TEST(Worker, FailedPreparationLeavesTheWorkerIdle)
{
    CoreRig rig({}, 2);  // a run needs exactly one CPU
    ASSERT_TRUE(rig.alive);
    EXPECT_FALSE(rig.core->Start(false, false));
    EXPECT_FALSE(rig.core->IsStarted());
    EXPECT_TRUE(rig.core->IsStopped());
    EXPECT_FALSE(rig.core->IsLoopActive());
    EXPECT_EQ(rig.core->GetPauseRequests(), 0);
    const auto lines = rig.ConsoleLines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), "[DONE] Emulation stopped!");

    // The status names the machine by its display name, not its trace tag; a machine
    // without a name is "Unknown"; no run, no speed.
    StringW status;
    rig.machine->SetName("");
    rig.machine->SetDescription("TAG");
    rig.core->GetStatusText(status);
    EXPECT_EQ(Narrow(status), "Unknown (CPU=3.50 MHz)");
    rig.machine->SetName("Test machine");
    rig.core->GetStatusText(status);
    EXPECT_EQ(Narrow(status), "Test machine (CPU=3.50 MHz)");
}

TEST(Worker, RunTwiceShutdownTwiceAndDeleteWhileRunning)
{
    const i32 before = EmuCore::GetLiveCoreCount();
    {
        CoreRig rig;
        EXPECT_EQ(EmuCore::GetLiveCoreCount(), before + 1);
        ASSERT_TRUE(rig.alive);
        EXPECT_TRUE(rig.core->Run());
        ASSERT_TRUE(rig.core->Start(false, false));
        rig.core->Shutdown();
        EXPECT_FALSE(rig.core->IsWorkerAlive());
        EXPECT_FALSE(rig.core->IsStarted());
        EXPECT_EQ(rig.machine->GetCpuCount(), 0);  // the worker cleared the machine as it left
        rig.core->Shutdown();
    }
    {
        // Deleted without a shut-down, in the middle of a run.
        FakeClock clock;
        EmuCore core(nullptr, new TestMachine, nullptr, nullptr, nullptr, &clock);
        ASSERT_TRUE(core.Run());
        ASSERT_TRUE(core.Start(false, false));
    }
    EXPECT_EQ(EmuCore::GetLiveCoreCount(), before);
}

TEST(Worker, PauseRequestedBeforeTheRunHoldsIt)
{
    CoreRig rig;
    ASSERT_TRUE(rig.alive);
    rig.core->RequestPause();  // no loop: returns at once, and counts
    EXPECT_EQ(rig.core->GetPauseRequests(), 1);
    // Start returns once the loop has answered its first request check, before any
    // instruction; the request made before it still holds the loop there.
    ASSERT_TRUE(rig.core->Start(false, false));
    EXPECT_TRUE(rig.core->IsPaused());
    EXPECT_EQ(rig.core->GetPauseRequests(), 1);
    EXPECT_EQ(rig.machine->cpu->GetCycleCount(), 0u);
    EXPECT_EQ(rig.Frames(), 0);
    rig.core->ReleasePause();
    EXPECT_TRUE(WaitFor([&] { return rig.Frames() >= 2; }));
}

TEST(Worker, AnythingThrownEndsTheRunNotTheProgram)
{
    CoreRig rig;
    ASSERT_TRUE(rig.alive);
    std::atomic<bool> thrown{false};
    rig.onFrame = [&](i32 frame) {
        if (frame == 3 && !thrown.exchange(true))
            throw 42;  // not a std::exception
    };
    ASSERT_TRUE(rig.core->Start(false, false));
    ASSERT_TRUE(WaitFor([&] { return thrown.load() && !rig.core->IsStarted(); }));
    ASSERT_TRUE(WaitFor([&] {
        const auto lines = rig.ConsoleLines();
        return !lines.empty() && lines.back() == "[ERROR] Emulation ended by an error: unknown exception";
    }));
    EXPECT_FALSE(rig.core->IsLoopActive());
    // The worker stays and serves the next run.
    EXPECT_TRUE(rig.core->IsWorkerAlive());
    const i32 frames = rig.Frames();
    ASSERT_TRUE(rig.core->Start(false, false));
    EXPECT_TRUE(WaitFor([&] { return rig.Frames() >= frames + 3; }));
}

// A machine whose start throws: the run ends with the error reported, Start answers false
// and Stop returns; the worker serves the next run.
TEST(Worker, AnErrorWhileTheMachineStartsEndsTheRun)
{
    CoreRig rig;
    ASSERT_TRUE(rig.alive);
    std::atomic<bool> failStart{true};
    rig.machine->onStart = [&](TestMachine&) {
        if (failStart.load())
            throw std::runtime_error("no BIOS");
    };
    ASSERT_FALSE(rig.core->Start(false, false));
    EXPECT_FALSE(rig.core->IsStarted());
    EXPECT_FALSE(rig.core->IsLoopActive());
    EXPECT_FALSE(rig.machine->IsRunning());
    EXPECT_TRUE(WaitFor([&] {
        const auto lines = rig.ConsoleLines();
        return !lines.empty() && lines.back() == "[ERROR] Emulation ended by an error: no BIOS";
    }));
    rig.core->Stop();

    failStart.store(false);
    ASSERT_TRUE(rig.core->Start(false, false));
    EXPECT_TRUE(WaitFor([&] { return rig.Frames() >= 2; }));
    rig.core->Stop();
    EXPECT_FALSE(rig.core->IsStarted());
}

// A run that fails to start while its end is slow to finish (5 ms between marking it
// stopped and no longer started): Start answers false every time, by either way of failing.
TEST(Worker, StartAnswersFalseForARunThatFailsWhileItsEndIsSlow)
{
    struct Case {
        const char* what;
        i32 cpus;
        bool throws;
    };
    const Case cases[] = {{"two CPUs", 2, false}, {"the machine's start throws", 1, true}};
    for (const Case& c : cases) {
        CoreRig rig({}, c.cpus);
        ASSERT_TRUE(rig.alive);
        if (c.throws)
            rig.machine->onStart = [](TestMachine&) { throw std::runtime_error("no BIOS"); };
        std::atomic<i32> ends{0};
        rig.core->SetRunEndHook(
            [](void* context) {
                static_cast<std::atomic<i32>*>(context)->fetch_add(1);
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            },
            &ends);
        for (i32 i = 0; i < 5; ++i) {
            EXPECT_FALSE(rig.core->Start(false, false)) << c.what << ", start " << i;
            EXPECT_FALSE(rig.core->IsStarted()) << c.what;
        }
        EXPECT_EQ(ends.load(), 5) << c.what;
    }
}

// A worker held in a frame for as long as the test wants: it answers no request.
struct HeldWorker {
    static void OnFrame(void* context)
    {
        auto* self = static_cast<HeldWorker*>(context);
        self->holding.store(true);
        while (!self->release.load())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }

    std::atomic<bool> holding{false};
    std::atomic<bool> release{false};
};

std::atomic<i32> gFreed{0};

class WatchedMachine : public TestMachine {
public:
    ~WatchedMachine() override { gFreed.fetch_add(1); }
    void Stop() override
    {
        TestMachine::Stop();
        stopped.store(true);
    }
    std::atomic<bool> stopped{false};
};

class WatchedDisplay : public NullDisplay {
public:
    ~WatchedDisplay() override { gFreed.fetch_add(1); }
};

class WatchedSound : public SilentSound {
public:
    ~WatchedSound() override { gFreed.fetch_add(1); }
};

TEST(Worker, GivenUpWorkerFindsWhatItUsesStillAllocated)
{
    // All of this outlives the test, as the worker may; the list (never destroyed) keeps
    // each core, and through it what its worker uses, reachable for the leak checker.
    static FakeClock clock;
    static HeldWorker held;
    static std::vector<EmuCore*>& givenUp = *new std::vector<EmuCore*>;
    held.holding.store(false);
    held.release.store(false);
    gFreed.store(0);
    auto* machine = new WatchedMachine;
    auto* core = new EmuCore(nullptr, machine, new WatchedDisplay, new WatchedSound, nullptr, &clock);
    givenUp.push_back(core);
    core->SetFrameHook(&HeldWorker::OnFrame, &held);
    ASSERT_TRUE(core->Run());
    ASSERT_TRUE(core->Start(false, false));
    ASSERT_TRUE(WaitFor([&] { return held.holding.load(); }));
    const i32 cores = EmuCore::GetLiveCoreCount();

    delete core;  // the pause wait and the three joins: about 4 s
    EXPECT_EQ(gFreed.load(), 0);
    // The core is no longer counted, but it is still there for its worker.
    EXPECT_EQ(EmuCore::GetLiveCoreCount(), cores - 1);
    EXPECT_TRUE(core->IsWorkerGivenUp());
    CoreConsole& console = core->GetConsole();
    console.FlushPending();
    StringA last;
    u32 color = 0;
    for (i32 i = 0; console.GetLine(i, &last, &color); ++i) {
    }
    EXPECT_EQ(std::string(last.CStr()).rfind("[ERROR] The emulation thread did not stop", 0), 0u) << last.CStr();

    // Let go, the worker ends the run it was in (it stops the machine, which reports to
    // the console) and leaves.
    held.release.store(true);
    ASSERT_TRUE(WaitFor([&] { return machine->stopped.load() && !core->IsWorkerAlive(); }));
    EXPECT_EQ(gFreed.load(), 0);
    console.FlushPending();
    i32 count = 0;
    while (console.GetLine(count, &last, &color))
        ++count;
    EXPECT_STREQ(last.CStr(), "[DONE] Emulation stopped!");
}

TEST(Control, StopThenMachineAndSoundOutputChange)
{
    CoreRig rig;
    ASSERT_TRUE(rig.alive);
    ASSERT_TRUE(rig.core->Start(false, false));
    EXPECT_TRUE(rig.core->Start(false, false));  // already running
    auto* other = new TestMachine;
    auto* sound = new SilentSound;
    EXPECT_FALSE(rig.core->SetMachine(other));
    EXPECT_FALSE(rig.core->SetSoundOutput(sound));  // the caller keeps what was refused
    EXPECT_EQ(rig.core->GetSoundOutput(), nullptr);
    ASSERT_TRUE(WaitFor([&] { return rig.Frames() >= 1; }));
    rig.core->Stop();
    EXPECT_FALSE(rig.core->IsStarted());
    EXPECT_FALSE(rig.core->IsLoopActive());
    EXPECT_TRUE(rig.core->IsConsoleMode());  // Stop shows the console
    EXPECT_TRUE(rig.core->TakeStatusChanged());
    EXPECT_FALSE(rig.core->TakeStatusChanged());

    EXPECT_TRUE(rig.core->SetSoundOutput(sound));
    EXPECT_EQ(rig.core->GetSoundOutput(), sound);
    EXPECT_EQ(rig.machine->GetSoundOutput(), sound);

    ASSERT_TRUE(rig.core->SetMachine(other));
    rig.machine = other;
    EXPECT_EQ(rig.core->GetMachine(), other);
    EXPECT_TRUE(rig.core->GetConsole().IsCentred());
    EXPECT_EQ(rig.ConsoleLines().back(), "Computer \"TestPC\"");
    ASSERT_TRUE(rig.core->Start(false, false));
    EXPECT_FALSE(rig.core->GetConsole().IsCentred());
    ASSERT_TRUE(WaitFor([&] { return rig.Frames() >= 1; }));
}

TEST(Control, RendererAndConsoleSurfaceAreReplaced)
{
    FakeClock clock;
    NullDisplay prototype;
    EmuCore core(nullptr, new TestMachine, nullptr, nullptr, &prototype, &clock);
    ASSERT_TRUE(core.Run());
    LockedDisplaySurface* console = core.GetConsoleSurface();
    ASSERT_NE(console, nullptr);
    EXPECT_EQ(console->frameReadyUserData, &core);

    // In console mode a null renderer puts the do-nothing display and a fresh console
    // surface in place; the machine draws into the new display.
    core.SetRenderer(nullptr, false);
    ASSERT_NE(core.GetRenderer(), nullptr);
    EXPECT_STREQ(core.GetRenderer()->GetName(), "No Rendering");
    EXPECT_NE(core.GetConsoleSurface(), nullptr);
    EXPECT_EQ(core.GetMachine()->GetDisplay(), core.GetRenderer());
    EXPECT_TRUE(core.UpdateDisplay(true, true));
}

TEST(Control, OptionMenusByKind)
{
    CoreRig rig;
    EmuCore& core = *rig.core;
    for (u32 id : {0u, 5u, 7u, 9u})
        EXPECT_EQ(core.GetObjectById(id), nullptr) << id;
    OptionItem* general = core.GetObjectById(1);
    OptionItem* debug = core.GetObjectById(8);
    ASSERT_TRUE(general && debug);

    // The console's duplicate filter follows the application setting through its item.
    OptionItem* ignore = debug->GetChild(debug->GetChildCount() - 1);
    EXPECT_FALSE(ignore->IsChecked());
    EXPECT_TRUE(ignore->Execute());
    EXPECT_EQ(rig.settings.ignoreConsoleDuplicates, 1);
    EXPECT_TRUE(core.GetConsole().GetIgnoreDuplicates());

    // Sync frequency: five choices, bound to the setting, offered while no run is started.
    OptionItem* sync = general->GetChild(general->GetChildCount() - 1);
    ASSERT_EQ(sync->GetChildCount(), 5);
    OptionItem* slowest = sync->GetChild(4);
    EXPECT_TRUE(slowest->IsEnabled());
    EXPECT_TRUE(slowest->Execute());
    EXPECT_EQ(rig.settings.syncFrequency, 4u);
    EXPECT_TRUE(slowest->IsChecked());
    ASSERT_TRUE(core.Start(false, false));
    EXPECT_FALSE(sync->GetChild(0)->IsEnabled());
    EXPECT_EQ(core.GetSyncHz(), 44100);
}

} // namespace
