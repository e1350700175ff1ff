// The normal-speed run loop: slices of one bus tick, pacing against the host clock, the
// speed figure, and the requests served between instructions.
//
// Cycle book-keeping. A slice's budget is split at the CPU's next due event before it is
// run: the CPU's cycles-to-next-event counter is lowered by the part handed to Execute
// up front, and whatever lies beyond the event waits in eventOverflow. An instruction
// that overruns its budget leaves it negative; the overrun shortens what follows, so a
// 1/50 s runs its frameCycles exactly, give or take the last instruction.
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "core/emu_core.h"
#include "cpu/cpu_base.h"
#include "emu/computer.h"
#include "emu/drive_bay.h"
#include "emu/event_bus.h"
#include "emu/trace_report.h"
#include "video/display_surface.h"

namespace {

constexpr const char* kDisassemblingError = "Disassembling error";

i32 RoundHalfUp(double value)
{
    return static_cast<i32>(std::floor(value + 0.5));
}

} // namespace

// --- run start and end ------------------------------------------------------------------

bool EmuCore::PrepareRun()
{
    console_.Clear();
    // Notices of the start screen come first, so that a run started at once leaves them
    // readable (Start waits, under the core lock, while this reads them).
    PrintStartNotices();
    loopActive_.store(false);
    stopped_.store(false);
    started_.store(true);
    if (renderer_)
        renderer_->Reset();
    inBreak_.store(false);
    liveSync_.store(syncEnabled_.load() && !fastInit_.load());
    if (!machine_) {
        EndRun();
        return false;
    }
    if (DriveBay* bay = machine_->GetDriveBay())
        bay->ClearAccessFlags();

    i32 hz = EventBus::kBusRates[0];
    if (machine_->HasSyncFrequency()) {
        const u32 index = settings_->syncFrequency;
        if (index >= 1 && index <= 4)
            hz = EventBus::kBusRates[index];
    }

    machine_->SetDisplay(renderer_, renderer_);
    machine_->SetSoundOutput(soundOutput_);
    machine_->SetHost(&console_);

    bool ok = false;
    if (EventBus* bus = machine_->GetEventBus()) {
        // Only what the devices add while they start is registered for saved states.
        bus->SetRegistrationOpen(true);
        ok = machine_->Start(&hz);
        bus->SetRegistrationOpen(false);
    }
    syncHz_.store(hz);
    CpuBase* cpu = machine_->GetCpu(0);
    if (!ok || machine_->GetCpuCount() != 1 || !cpu || cpu->GetNominalFrequency() <= 0) {
        EndRun();
        return false;
    }
    speedPercent_.store(0);
    saveRequest_.store(nullptr);
    loadRequest_.store(nullptr);
    inputState_ = MouseState();
    return true;
}

void EmuCore::EndRun()
{
    runMode_.store(-1);
    inBreak_.store(false);
    if (machine_) {
        machine_->SetBreakHandler(nullptr, this);
        machine_->Stop();
    }
    loopActive_.store(false);
    pauseAck_.store(false);
    speedPercent_.store(0);
    budgetPointer_ = nullptr;
    breakInSlice_ = false;
    traceCount_ = 0;
    cpu_ = nullptr;
    wake_.store(true);
    stopped_.store(true);
    if (runEndHook_)
        runEndHook_(runEndHookContext_);
    // Last: Stop waits for it, so a run that no longer counts as started is over.
    started_.store(false);
    statusChanged_.store(true);
}

// The host counter's rate and what one 1 ms sleep really costs; answers the time after it.
u64 EmuCore::MeasureSleep(RunLoopState& s)
{
    s.counterFrequency = std::max<u64>(1, clock_->Frequency());
    s.millisecond = std::max<u64>(1, s.counterFrequency / 1000);
    const u64 t0 = clock_->Now();
    clock_->Sleep(1);
    const u64 t1 = clock_->Now();
    s.sleepCost = std::max(t1 - t0, s.millisecond);
    s.framePeriod = std::max<u64>(1, s.counterFrequency / kFramesPerSecond);
    return t1;
}

// The common start of both loops, under the run lock; false when the run did not start.
bool EmuCore::StartLoop(bool maxSpeed)
{
    ScopedLock run(runLock_);
    if (!PrepareRun())
        return false;
    RunLoopState& s = loop_;
    s = RunLoopState();
    s.syncCopy = liveSync_.load();
    cpu_ = machine_->GetCpu(0);

    // With a clock the bus schedules its own tick on the CPU and its answer is not a
    // tick count; either way a 1/50 s holds busHz / 50 ticks, one slice each.
    const i32 answer = machine_->SetBusFrequency(syncHz_.load(), maxSpeed ? nullptr : cpu_);
    const EventBus* bus = machine_->GetEventBus();
    s.ticksPerFrame = maxSpeed ? answer : (bus ? bus->GetBusFrequency() / kFramesPerSecond : 0);
    s.ticksPerFrame = std::max<i32>(1, s.ticksPerFrame);

    const i32 nominal = cpu_->GetNominalFrequency();
    s.frameCycles = nominal / static_cast<double>(kFramesPerSecond);
    s.frameIndex = 0;
    s.slicesLeft = s.ticksPerFrame;
    const u64 t1 = MeasureSleep(s);
    s.secondDeadline = t1 + s.counterFrequency;
    s.frameDeadline = t1 + s.framePeriod;
    s.lastSpeedTime = t1;
    if (maxSpeed) {
        s.tickPeriod = std::max<u64>(
            1, static_cast<u64>(std::floor(s.counterFrequency / (s.ticksPerFrame * 50.0) + 0.5)));
        s.chunk = std::max<i32>(1, nominal / (s.ticksPerFrame * kFramesPerSecond));
        s.budget = s.chunk;
        s.tickStart = t1;
        s.chunkStart = t1;
        s.measureStart = t1;
        s.measureCycles = cpu_->GetCycleCount();
    } else {
        s.budget = RoundHalfUp(s.frameCycles / s.ticksPerFrame);
        s.frameRest = s.frameCycles - s.budget;
    }

    stepCount_.store(0);
    traceCount_ = 0;
    budgetPointer_ = &s.budget;
    statusChanged_.store(true);
    stepPending_.store(true);  // the first request check drops any stepping state
    traceNext_.store(false);
    breakInSlice_ = false;
    savedBudget_ = 0;
    skipArmed_.store(false);
    wake_.store(true);
    loopActive_.store(true);

    cpu_->FindNextEvent();
    SplitAtEvent(s.budget);
    machine_->SetBreakHandler(&EmuCore::OnCpuBreakCheck, this);
    {
        ScopedLock queue(queueLock_);
        queues_[0].Clear();
        queues_[1].Clear();
        s.applyQueue = static_cast<i32>((queueSelector_ ^ 1) & 1);
    }
    runMode_.store(maxSpeed ? 1 : 0);
    return true;
}

i32 EmuCore::SplitBudget(i32* budget, i32* toEvent)
{
    if (*toEvent < *budget) {
        const i64 beyond = static_cast<i64>(*budget) - *toEvent;
        *budget = *toEvent;
        *toEvent = 0;
        return static_cast<i32>(std::min<i64>(beyond, INT32_MAX));
    }
    const i64 left = static_cast<i64>(*toEvent) - *budget;
    *toEvent = static_cast<i32>(std::min<i64>(left, ClockInterface::kNothingPending));
    return 0;
}

void EmuCore::SplitAtEvent(i32& budget)
{
    loop_.eventOverflow = SplitBudget(&budget, &cpu_->CyclesToNextEvent());
}

// --- the normal-speed loop --------------------------------------------------------------

// Runs the CPU until the current budget is used up, serving requests between
// instructions, then runs the events that fell due. False when the run has ended.
bool EmuCore::RunBudget()
{
    RunLoopState& s = loop_;
    for (;;) {
        if (wake_.load()) {
            const Serve served = ServeRequests();
            if (served == Serve::kLeave)
                return false;
            if (served == Serve::kRecheck)
                continue;
        }
        if (s.budget > 0) {
            if (wake_.load())
                continue;
            s.budget -= cpu_->Execute(s.budget);
            if (s.budget > 0)
                continue;
        }
        // The part up to the event (or the whole budget) is spent; an overrun is negative.
        i32& toEvent = cpu_->CyclesToNextEvent();
        toEvent += s.budget;
        s.budget += s.eventOverflow;
        s.eventOverflow = 0;
        if (toEvent <= 0) {
            cpu_->RunDueEvents();
            if (breakInSlice_) {
                // An event broke: what is left of the slice waits for the continue.
                SplitAtEvent(savedBudget_);
                continue;
            }
        }
        if (s.budget > 0) {
            SplitAtEvent(s.budget);
            continue;
        }
        return true;
    }
}

void EmuCore::RunLoop()
{
    RunLoopState& s = loop_;
    try {
        // What the machine throws while it starts ends the run as an error later would.
        if (!StartLoop(false))
            return;
        while (RunBudget()) {
            // The slice is complete: hand out the next share of the 1/50 s.
            s.frameRest += s.budget;
            s.budget = 0;
            --s.slicesLeft;
            if (s.slicesLeft > 0) {
                const i32 next = s.frameRest > 0 ? RoundHalfUp(s.frameRest / s.slicesLeft) : 0;
                s.budget = next;
                s.frameRest -= next;
            } else {
                s.budget = static_cast<i32>(s.frameRest);  // the carried overrun, 0 or less
                s.frameRest = s.frameCycles;
                const i32 next = RoundHalfUp(s.frameCycles / s.ticksPerFrame);
                s.budget += next;
                s.frameRest -= next;
            }
            SplitAtEvent(s.budget);

            if (liveSync_.load() != s.syncCopy) {
                // Synchronisation switched: the schedule starts afresh from now.
                const u64 now = clock_->Now();
                s.frameDeadline = now + s.framePeriod;
                s.syncCopy = liveSync_.load();
                s.secondDeadline = s.lastSpeedTime + s.counterFrequency;
            }
            if (s.slicesLeft <= 0) {
                FrameBoundary();
                s.slicesLeft = s.ticksPerFrame;
            }
        }
    } catch (...) {
        EndRun();
        throw;
    }
}

// The input of the previous 1/50 s goes in, the queues swap and the machine ends its
// frame; both loops do this once per 1/50 s.
void EmuCore::EndEmulatedFrame()
{
    RunLoopState& s = loop_;
    InputQueue& due = queues_[s.applyQueue & 1];
    if (due.count > 0)
        ApplyInputEvents(due, &s.keyApplied);
    {
        // The queue the GUI filled until now is applied at the next boundary.
        ScopedLock queue(queueLock_);
        s.applyQueue = static_cast<i32>(queueSelector_ & 1);
        queueSelector_ ^= 1;
    }
    if (frameHook_)
        frameHook_(frameHookContext_);
    ++s.frameIndex;
}

// Once per 1/50 s of emulated time.
void EmuCore::FrameBoundary()
{
    RunLoopState& s = loop_;
    EndEmulatedFrame();
    // Fast initialisation runs flat out until the first key press or disk access.
    if (!liveSync_.load() && syncEnabled_.load()) {
        const DriveBay* bay = machine_->GetDriveBay();
        if (s.keyApplied || (fastInit_.load() && bay && bay->AnyDriveAccessed()))
            liveSync_.store(true);
    }
    if (liveCores_.load() > 1)
        SleepMs(0);

    u64 now = clock_->Now();
    if (!s.syncCopy)
        s.frameDeadline = now + s.framePeriod;
    else
        now = Pace(now);
    SpeedCheck(now, false);
}

// Sleeps in 1 ms steps until less than two sleeps' worth is left; a frame ends up to that
// much early, never late. A late frame moves the schedule instead of being caught up.
u64 EmuCore::Pace(u64 now)
{
    RunLoopState& s = loop_;
    while (static_cast<i64>(s.frameDeadline - now) >= static_cast<i64>(2 * s.sleepCost)) {
        clock_->Sleep(1);
        const u64 t = clock_->Now();
        s.sleepCost = std::max(s.millisecond, (t - now + s.sleepCost) / 2);
        now = t;
    }
    s.sleepCost = std::max(s.millisecond, s.sleepCost - s.sleepCost / 16);
    if (static_cast<i64>(s.frameDeadline - now) > 0)
        s.frameDeadline += s.framePeriod;
    else
        s.frameDeadline = now + s.framePeriod;
    return now;
}

void EmuCore::SpeedCheck(u64 now, bool maxSpeed)
{
    RunLoopState& s = loop_;
    if (s.frameIndex < kFramesPerSecond)
        return;
    if (liveCores_.load() > 1)
        SleepMs(0);
    const i64 late = static_cast<i64>(now - s.secondDeadline);
    speedPercent_.store(ComputeSpeedPercent(late, s.counterFrequency, speedPercent_.load(), maxSpeed));
    s.frameIndex = 0;
    s.secondDeadline = now + s.counterFrequency;
    s.lastSpeedTime = now;
}

i32 EmuCore::ComputeSpeedPercent(i64 lateTicks, u64 counterFrequency, i32 previous, bool maxSpeed)
{
    // A second 2^63 / 10000 ticks off (10 days of a ns counter) reads below 10 permille or
    // before its start, as nearer ones do; the product below stays within 64 bits.
    constexpr i64 kFarthest = INT64_MAX / 10000;
    if (counterFrequency == 0 || counterFrequency > static_cast<u64>(INT64_MAX) || lateTicks > kFarthest ||
        lateTicks < -kFarthest)
        return previous;
    // Host time the emulated second took, in units of 1/10000 s.
    const i64 x = lateTicks * 10000 / static_cast<i64>(counterFrequency) + 10000;
    if (x <= 0)
        return previous;
    const i32 permille = static_cast<i32>(10000000 / x);
    // Within the pacing's jitter a synchronised run reads as exactly full speed; flat out
    // it can only lag, so anything close reads full.
    if (maxSpeed ? permille > 991 : (permille >= 992 && permille <= 1018))
        return 100;
    return permille / 10 != 0 ? permille / 10 : previous;
}

// --- requests ---------------------------------------------------------------------------

EmuCore::Serve EmuCore::ServeRequests()
{
    RunLoopState& s = loop_;
    wake_.store(false);
    if (stopped_.load()) {
        EndRun();
        return Serve::kLeave;
    }
    if (traceNext_.exchange(false)) {
        StringA line;
        if (FormatTraceLine(line))
            console_.Print(line);
    }

    if (pauseRequests_.load() > 0 || inBreak_.load()) {
        if (!pauseAck_.load()) {
            s.pauseStart = clock_->Now();
            pauseAck_.store(true);
        }
        wake_.store(true);
        ServeStateRequests(runMode_.load() == 1);
        if (inBreak_.load())
            thread_.SuspendSelf(true);
        SleepMs(1);
        return Serve::kRecheck;
    }

    if (breakInSlice_) {
        // Back to the slice the break ended, less what ran in it before the break.
        s.budget = savedBudget_ - (kBreakBudget - s.budget);
        breakInSlice_ = false;
    }
    if (pauseAck_.load()) {
        const u64 now = clock_->Now();
        pauseAck_.store(false);
        if (pauseRequests_.load() > 0 || inBreak_.load()) {
            // Paused again at once: still the same pause.
            pauseAck_.store(true);
            wake_.store(true);
            SleepMs(1);
            return Serve::kRecheck;
        }
        // The schedule moves on by the time spent paused, so the frame that was running
        // keeps what was left of its period: a pause, however short and whether the loop
        // saw it or not, neither lets a frame run unpaced nor counts against the
        // emulated second being measured.
        const u64 paused = now - s.pauseStart;
        s.frameDeadline += paused;
        s.secondDeadline += paused;
        s.lastSpeedTime += paused;
        s.tickStart = now;
        s.chunkStart = now;
    }

    if (stepPending_.load()) {
        stepCount_.store(0);
        stepPending_.store(false);
        SyncTrace();
        SkipCheck();
        return Serve::kProceed;
    }
    const i32 steps = stepCount_.load();
    SyncTrace();
    if (steps == 0) {
        SkipCheck();
        return Serve::kProceed;
    }
    if (steps < 0) {
        // Step-over: mode 1 runs up to the target, mode 0 runs while at the target.
        const u32 mode = stepOverMode_.load();
        const bool atTarget = cpu_->GetPC() == stepOverTarget_.load();
        if (mode > 1 || (mode == 1) == atTarget) {
            BreakAfterStep();
        } else {
            ExecuteOne();
            wake_.store(true);
        }
        return Serve::kProceed;
    }

    ExecuteOne();
    if (skipArmed_.load()) {
        if (cpu_->GetPC() == skipPc_.load())
            wake_.store(true);
        else
            skipArmed_.store(false);
    }
    // A break inside the instruction has ended the stepping already.
    i32 left = stepCount_.load();
    if (left > 0) {
        stepCount_.store(--left);
        if (left > 0)
            wake_.store(true);
        else
            BreakAfterStep();
    }
    SyncTrace();
    return Serve::kProceed;
}

void EmuCore::ServeStateRequests(bool maxSpeed)
{
    if (Archive* archive = saveRequest_.load()) {
        stateRequestFailed_.store(true);
        if (WriteCoreBlock(*archive, maxSpeed))
            stateRequestFailed_.store(false);
        saveRequest_.store(nullptr);
    } else if (Archive* archive = loadRequest_.load()) {
        stateRequestFailed_.store(true);
        ReadCoreBlock(*archive, maxSpeed);
        loadRequest_.store(nullptr);
    }
}

void EmuCore::ExecuteOne()
{
    loop_.budget -= cpu_->Execute(0);
}

// The instruction a break abandoned runs once more without breaking again.
void EmuCore::SkipCheck()
{
    if (!skipArmed_.load())
        return;
    if (cpu_->GetPC() == skipPc_.load()) {
        ExecuteOne();
        wake_.store(true);
    } else {
        skipArmed_.store(false);
    }
}

void EmuCore::BreakAfterStep()
{
    stepCount_.store(0);
    traceCount_ = 0;
    if (!inBreak_.load()) {
        inBreak_.store(true);
        statusChanged_.store(true);
        machine_->SetBusFlag(true);
        wake_.store(true);
    }
    if (!consoleMode_.load()) {
        ConsoleOnFromWorker();
        statusChanged_.store(true);
    }
    StringA line;
    if (FormatTraceLine(line))
        console_.Print(line);
    else
        console_.Print(StringA(kDisassemblingError));
}

// The worker shows the console without the core lock, which a GUI operation may hold
// while it waits for this very loop; the GUI side makes a missing surface later.
void EmuCore::ConsoleOnFromWorker()
{
    consoleMode_.store(true);
    console_.MarkForRedraw();
    AppendControl(kInputReleaseAll);
}

bool EmuCore::OnCpuBreakCheck(void* core, bool* restart, bool* reportAnyway)
{
    auto* self = static_cast<EmuCore*>(core);
    if (!self || !self->loopActive_.load() || !self->machine_)
        return false;
    CpuBase* cpu = self->machine_->GetCpu(0);
    if (!cpu) {
        if (reportAnyway)
            *reportAnyway = true;
        return false;
    }
    if (!self->budgetPointer_)
        return false;

    const u32 pc = cpu->GetPC();
    const bool conditional = restart && *restart;
    if (conditional && self->skipArmed_.load() && pc == self->skipPc_.load()) {
        // The abandoned instruction is running again: the access that broke goes through.
        // An unconditional request is never skipped: it breaks after the instruction.
        if (reportAnyway)
            *reportAnyway = self->skipResult_;
        return false;
    }
    if (conditional) {
        self->skipPc_.store(pc);
        const bool abandoned = cpu->RequestStop();
        *restart = abandoned;
        self->skipArmed_.store(abandoned);
        self->skipResult_ = false;
        if (reportAnyway)
            *reportAnyway = false;
    } else {
        cpu->EndSlice();
    }

    if (!self->breakInSlice_) {
        self->breakInSlice_ = true;
        self->savedBudget_ = *self->budgetPointer_;
    }
    *self->budgetPointer_ = kBreakBudget;
    if (!self->inBreak_.load()) {
        self->statusChanged_.store(true);
        self->inBreak_.store(true);
        self->machine_->SetBusFlag(true);
    }
    if (!self->consoleMode_.load()) {
        self->ConsoleOnFromWorker();
        self->statusChanged_.store(true);
    }
    self->traceNext_.store(true);
    self->stepCount_.store(0);
    self->traceCount_ = 0;
    self->wake_.store(true);
    return true;
}

void EmuCore::Step()
{
    stepPending_.store(true);
    wake_.store(true);
    thread_.Resume();
    while (loopActive_.load() && !pauseAck_.load() && stepPending_.load())
        SleepMs(1);
    stepCount_.store(0);
    stepPending_.store(false);
}
