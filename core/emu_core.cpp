// The core object, its worker thread, the pause hand-shake and shut-down.
#include "core/emu_core.h"

#include <algorithm>
#include <cstdio>

#include "base/object_list.h"
#include "base/system_utils.h"
#include "cpu/cpu_base.h"
#include "emu/computer.h"
#include "emu/sound_stream.h"
#include "emu/trace_report.h"
#include "video/display_surface.h"
#include "video/null_display.h"

std::atomic<i32> EmuCore::liveCores_{0};

namespace {

// Creator's wait for the worker to report, in 1 ms polls.
constexpr i32 kWorkerReportPolls = 5000;
// Shut-down waits this long for the loop to pause before it asks it to stop anyway.
constexpr i32 kShutdownPauseLimitMs = 2000;
constexpr i32 kJoinTimeouts[3] = {100, 400, 1500};

const char* const kGivenUpLine =
    "[ERROR] The emulation thread did not stop; it is left running, and what it uses (the core, machine, "
    "renderer, sound output and console) is deliberately not freed";

const char* const kClosingLine = "Press F5 in the console or choose Start to run the machine; HELP lists the commands.";

} // namespace

EmuCore::EmuCore(EmuCoreSettings* settings, Computer* machine, LockedDisplaySurface* renderer,
                 SoundStreamInterface* soundOutput, const LockedDisplaySurface* consoleFactory,
                 HostClock* clock)
    : settings_(settings ? settings : &ownSettings_),
      consoleFactory_(consoleFactory),
      clock_(clock ? clock : &SystemHostClock()),
      thread_(&EmuCore::ThreadEntry, this)
{
    machine_ = machine;
    renderer_ = renderer ? renderer : new NullDisplay;
    rendererOwned_ = true;
    soundOutput_ = soundOutput;
    stopped_.store(false);
    consoleMode_.store(true);
    if (consoleFactory_)
        consoleSurface_ = consoleFactory_->Clone();

    console_.SetCentred(true);
    console_.SetCommandCallback(&EmuCore::ConsoleCommandThunk, this);
    console_.SetPanelProvider(&EmuCore::DumpRegistersHook, this);
    InstallConsoleSurface();

    if (machine_) {
        AttachMachine();
        PrepareMachine(true);
    }

    for (i32 i = 0; i < 6; ++i) {
        optionItems_[i] = new DeviceOption;
        optionsRoot_.AddChild(optionItems_[i]);
    }
    BuildOptionsMenu();

    statusChanged_.store(false);
    stateLoaded_.store(false);
    liveCores_.fetch_add(1);
}

EmuCore::~EmuCore()
{
    // A core deleted without a shut-down would wait for its idle worker for ever.
    Shutdown();
    liveCores_.fetch_sub(1);
    console_.SetPanelProvider(nullptr, nullptr);
    if (workerGivenUp_.load()) {
        // The worker left running may still use these (Shutdown said so in the log).
        optionsRoot_.DeleteChildren();
        return;
    }
    if (machine_) {
        ScopedLock core(coreLock_);
        if (!started_.load()) {
            DetachMachine(machine_);
            delete machine_;
            machine_ = nullptr;
            BuildOptionsMenu();
        }
    }
    if (machine_)
        machine_->SetSoundOutput(nullptr);
    delete soundOutput_;
    soundOutput_ = nullptr;
    if (machine_)
        machine_->SetDisplay(nullptr, nullptr);
    if (rendererOwned_)
        delete renderer_;
    renderer_ = nullptr;
    delete consoleSurface_;
    consoleSurface_ = nullptr;
    memoryState_.Free();
    optionsRoot_.DeleteChildren();
}

void EmuCore::operator delete(EmuCore* core, std::destroying_delete_t)
{
    // Shut down first: only then is it known whether the worker was given up.
    core->Shutdown();
    if (core->workerGivenUp_.load()) {
        // Left to the worker whole; to its owner the core is gone.
        liveCores_.fetch_sub(1);
        return;
    }
    core->~EmuCore();
    ::operator delete(core);
}

// Hands the machine everything it takes from its core.
void EmuCore::AttachMachine()
{
    machine_->SetDisplay(renderer_, renderer_);
    machine_->SetSoundOutput(soundOutput_);
    machine_->SetTraceCounter(&traceCount_);
    machine_->SetHost(&console_);
    // The run loop installs the callback itself; until then breaks are refused.
    machine_->SetBreakHandler(nullptr, this);
}

void EmuCore::DetachMachine(Computer* machine)
{
    machine->SetBreakHandler(nullptr, nullptr);
    machine->SetTraceCounter(nullptr);
    machine->SetDisplay(nullptr, nullptr);
    machine->SetSoundOutput(nullptr);
}

void EmuCore::PrepareMachine(bool closingLine)
{
    if (!machine_->CreateDevices())
        machine_->ClearMachine();
    ObjectList notices;
    machine_->LoadMachineSettings(&notices);
    PrintDescription(closingLine);
    // A machine switch rebuilds the start screen: notices not yet seen stay on it.
    PrintStartNotices();
    for (i32 i = 0; i < notices.Count(); ++i)
        AddStartNotice(*notices.At(i));
}

void EmuCore::AddStartNotice(const StringBase& text)
{
    ScopedLock core(coreLock_);
    StringA kept;
    kept.Assign(text);
    // A file that stays damaged tells the same at every machine switch: the start screen
    // shows the notice it keeps already (PrepareMachine printed it again) once.
    const bool centred = console_.IsCentred();
    if (centred && std::any_of(startNotices_.begin(), startNotices_.end(),
                               [&kept](const StringA& notice) { return notice.Compare(kept) == 0; }))
        return;
    console_.PrintWrapped(kept, ReportColor::kError);
    // In the plain console a notice simply stays among the lines.
    if (centred)
        startNotices_.push_back(std::move(kept));
}

void EmuCore::PrintStartNotices()
{
    for (const StringA& notice : startNotices_)
        console_.PrintWrapped(notice, ReportColor::kError);
}

void EmuCore::PrintDescription(bool closingLine)
{
    if (!machine_)
        return;
    ObjectList lines;
    machine_->GetDescription(lines);
    for (i32 i = 0; i < lines.Count(); ++i) {
        const StringBase* line = lines.At(i);
        if (line)
            console_.PrintColored(*line, i == 0 ? CommandInterpreter::kDefaultColor : kDescriptionColor);
    }
    if (closingLine)
        console_.PrintWrapped(StringA(kClosingLine), kClosingLineColor);
}

void EmuCore::InstallConsoleSurface()
{
    if (!consoleSurface_)
        return;
    consoleSurface_->frameReadyCallback = &EmuCore::DrawConsole;
    consoleSurface_->frameReadyUserData = this;
    console_.MarkForRedraw();
}

// --- the worker -------------------------------------------------------------------------

bool EmuCore::Run()
{
    if (workerAlive_.load())
        return true;
    if (!workerExit_.load())
        return false;
    handshakeLock_.Enter();
    workerExit_.store(false);
    stopped_.store(true);
    if (!thread_.Start(false, 3)) {
        workerExit_.store(true);
        handshakeLock_.Leave();
        return false;
    }
    handshakeLock_.Leave();
    for (i32 i = 0; i < kWorkerReportPolls && !workerAlive_.load(); ++i)
        SleepMs(1);
    if (workerAlive_.load())
        return true;
    workerExit_.store(true);
    stopped_.store(false);
    ScopedLock wait(handshakeLock_);
    return false;
}

u32 EmuCore::ThreadEntry(void* core)
{
    if (!core)
        return 1;
    auto* self = static_cast<EmuCore*>(core);
    try {
        return self->WorkerMain() ? 0 : 1;
    } catch (...) {
        // Outside a run (the machine's settings saved as the worker leaves): the worker
        // ends, but the program does not.
        ConsoleReport::PrintError(&self->console_, "[ERROR] The emulation thread ended by an error");
        self->workerId_.store(std::thread::id());
        self->workerAlive_.store(false);
        return 1;
    }
}

bool EmuCore::WorkerMain()
{
    if (!stopped_.load())
        return false;
    ScopedLock life(handshakeLock_);
    if (workerExit_.load())
        return false;
    workerId_.store(std::this_thread::get_id());
    started_.store(false);
    stopped_.store(true);
    workerAlive_.store(true);

    while (!workerExit_.load()) {
        if (started_.load() || stopped_.load()) {
            if (!thread_.SuspendSelf(false))
                SleepMs(1);
            continue;
        }
        CpuBase* cpu = machine_ ? machine_->GetCpu(0) : nullptr;
        if (!cpu) {
            SleepMs(1);
            continue;
        }
        try {
            if (maxSpeedQuery_ && maxSpeedQuery_(cpu))
                RunLoopMaxSpeed();
            else
                RunLoop();
        } catch (const std::exception& e) {
            // The loop has ended the run; the worker stays to serve the next one.
            ConsoleReport::PrintError(&console_, "[ERROR] Emulation ended by an error: %s", e.what());
        } catch (...) {
            // Whatever a machine throws must not end the program from this thread.
            ConsoleReport::PrintError(&console_, "[ERROR] Emulation ended by an error: unknown exception");
        }
    }

    if (machine_) {
        // No console is left to read at the end: the owner takes the lines after Shutdown.
        settingsSaveFailure_.Clear();
        machine_->SaveMachineSettings(&settingsSaveFailure_);
        machine_->ClearMachine();
    }
    workerId_.store(std::thread::id());
    // Last: a worker that is no longer alive is done with the machine too.
    workerAlive_.store(false);
    return true;
}

// --- pause hand-shake -----------------------------------------------------------------

void EmuCore::RequestPause()
{
    // The count goes up before wake is raised, so a loop that sees wake sees the request.
    pauseRequests_.fetch_add(1);
    wake_.store(true);
    // The worker asking (a machine callback) would wait for itself.
    if (OnWorkerThread())
        return;
    WaitWhile([this] { return loopActive_.load() && !pauseAck_.load(); }, -1);
}

void EmuCore::ReleasePause()
{
    i32 count = pauseRequests_.load();
    while (count > 0 && !pauseRequests_.compare_exchange_weak(count, count - 1)) {
    }
    wake_.store(true);
}

void EmuCore::SetPaused(bool pause)
{
    if (pause)
        RequestPause();
    else
        ReleasePause();
}

void EmuCore::Shutdown()
{
    if (workerExit_.load())
        return;
    {
        ScopedLock core(coreLock_);
        pauseRequests_.fetch_add(1);
        wake_.store(true);
        WaitWhile([this] { return loopActive_.load() && !pauseAck_.load(); }, kShutdownPauseLimitMs);
        stopped_.store(true);
        workerExit_.store(true);
        wake_.store(true);
        thread_.Resume();
    }

    bool ended = false;
    for (i32 timeout : kJoinTimeouts) {
        if ((ended = thread_.Join(timeout)))
            break;
    }
    if (!ended) {
        // Killing it could leave a lock it holds locked for good; it is given up instead,
        // with everything it may still use.
        workerGivenUp_.store(true);
        ConsoleReport::PrintError(&console_, "%s", kGivenUpLine);
        std::fprintf(stderr, "%s\n", kGivenUpLine);
        thread_.Detach();
    } else if (renderer_) {
        ScopedLock core(coreLock_);
        renderer_->Reset();
        renderer_->EndFrame(true);
        if (machine_)
            machine_->SetDisplay(nullptr, nullptr);
        SetRenderer(nullptr, false);
    }
    ReleasePause();
}

// --- small helpers --------------------------------------------------------------------

OptionItem* EmuCore::GetObjectById(u32 id)
{
    for (i32 i = 0; i < 6; ++i) {
        if (static_cast<u32>(kMenuKinds[i]) == id)
            return optionItems_[i];
    }
    return nullptr;
}

void EmuCore::ResetInputQueues()
{
    ScopedLock queue(queueLock_);
    for (InputQueue& q : queues_) {
        q.Clear();
        q.entries[0] = kInputOverflow;
        q.count = 1;
    }
}

void EmuCore::AppendControl(u16 word)
{
    ScopedLock queue(queueLock_);
    queues_[queueSelector_ & 1].Append(word);
}

bool EmuCore::DrawConsole(void* core)
{
    auto* self = static_cast<EmuCore*>(core);
    if (!self || !self->consoleSurface_ || !self->console_.NeedsRedraw())
        return false;
    self->console_.Draw(self->consoleSurface_);
    return true;
}
