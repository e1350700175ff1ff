// The operations the GUI thread calls: start, stop, break and continue a run, switch the
// console view, exchange renderer, sound output and machine, and answer the status
// text, the drives and the option menus. Each holds the core lock for its body; those
// that touch what the worker uses pause the run loop first.
#include "base/object_list.h"
#include "base/string_w.h"
#include "core/emu_core.h"
#include "cpu/cpu_base.h"
#include "emu/computer.h"
#include "emu/drive_bay.h"
#include "emu/sound_stream.h"
#include "video/display_surface.h"
#include "video/null_display.h"

namespace {

// Start gives up on a worker that neither begins nor refuses a run within this time.
constexpr i32 kStartLimitMs = 10000;

const char* const kSyncTexts[5] = {
    "2450 Hz (fastest emulation)", "7350 Hz (fast emulation)", "14700 Hz (normal emulation)",
    "22050 Hz (slow emulation)",   "44100 Hz (slowest emulation)",
};

// Holds one pause request for the length of a block.
class PauseHold {
public:
    explicit PauseHold(EmuCore& core) : core_(core) { core_.RequestPause(); }
    ~PauseHold() { core_.ReleasePause(); }
    PauseHold(const PauseHold&) = delete;
    PauseHold& operator=(const PauseHold&) = delete;

private:
    EmuCore& core_;
};

} // namespace

bool EmuCore::Start(bool breakFirst, bool showConsole)
{
    coreLock_.Enter();
    if (!workerAlive_.load()) {
        coreLock_.Leave();
        return false;
    }
    if (started_.load() && !stopped_.load()) {
        coreLock_.Leave();
        return true;
    }
    // A run needs a CPU; without one the worker would never begin it and this would wait.
    if (!machine_ || !machine_->GetCpu(0)) {
        coreLock_.Leave();
        return false;
    }
    RequestPause();
    if (console_.IsCentred()) {
        console_.Clear();
        console_.SetCentred(false);
    }
    stopped_.store(false);
    thread_.Resume();
    for (i32 waited = 0; !loopActive_.load() && !stopped_.load(); ++waited) {
        if (waited >= kStartLimitMs) {
            stopped_.store(true);
            wake_.store(true);
            break;
        }
        // The idle worker may have been about to close its gate when it was opened.
        thread_.Resume();
        SleepMs(1);
    }
    const bool began = loopActive_.load();
    if (began) {
        {
            // The loop holds the run lock until it has finished starting.
            ScopedLock run(runLock_);
        }
        // The run begins held: the console view and a first break are in place before
        // the machine executes anything. The loop's first request check answers at once.
        WaitWhile([this] { return loopActive_.load() && !pauseAck_.load(); }, kStartLimitMs);
    } else {
        // Stopped before its loop began: the run failed (or never came). Its end marks
        // it stopped before it no longer counts as started; the answer waits for that
        // end to finish, so that the next Start finds the worker idle.
        WaitWhile([this] { return started_.load(); }, kStartLimitMs);
    }
    if (!began || !started_.load()) {
        coreLock_.Leave();
        ReleasePause();
        return false;
    }
    // The run's console begins with them (PrepareRun): they are no longer the start screen's.
    startNotices_.clear();
    if (console_.IsCentred())
        console_.SetCentred(false);
    coreLock_.Leave();
    SetConsoleMode(showConsole, false);
    if (breakFirst)
        Break(false);
    ReleasePause();
    return true;
}

void EmuCore::Stop()
{
    SetConsoleMode(true, false);
    ScopedLock core(coreLock_);
    if (!workerAlive_.load())
        return;
    RequestPause();
    stopped_.store(true);
    wake_.store(true);
    thread_.Resume();
    WaitWhile([this] { return started_.load(); }, -1);
    ReleasePause();
    if (renderer_) {
        renderer_->Reset();
        renderer_->EndFrame(true);
    }
}

void EmuCore::Break(bool threadPause)
{
    if (inBreak_.load() || !started_.load()) {
        if (threadPause) {
            ScopedLock core(coreLock_);
            thread_.RequestPause();
        }
        return;
    }
    ScopedLock core(coreLock_);
    if (!workerAlive_.load())
        return;
    inBreak_.store(true);
    wake_.store(true);
    thread_.Resume();
    WaitWhile([this] { return loopActive_.load() && !pauseAck_.load(); }, -1);
    if (loopActive_.load())
        AppendControl(kInputReleaseAll);
    if (!started_.load()) {
        inBreak_.store(false);
    } else {
        if (consoleMode_.load())
            console_.MarkForRedraw();
        machine_->SetBusFlag(true);
    }
    if (threadPause)
        thread_.RequestPause();
}

void EmuCore::Continue()
{
    thread_.Resume();
    if (!inBreak_.load())
        return;
    ScopedLock core(coreLock_);
    if (!workerAlive_.load())
        return;
    // A break the loop raised itself may not have paused it yet; the bus is the worker's
    // until it has.
    WaitWhile([this] { return loopActive_.load() && !pauseAck_.load(); }, -1);
    if (machine_)
        machine_->SetBusFlag(false);
    inBreak_.store(false);
    wake_.store(true);
    if (loopActive_.load()) {
        AppendControl(kInputReleaseAll);
        if (consoleMode_.load())
            console_.MarkForRedraw();
    }
}

void EmuCore::SetConsoleMode(bool on, bool pauseFirst)
{
    if (consoleMode_.load() == on)
        return;
    ScopedLock core(coreLock_);
    const bool pause = workerAlive_.load() && pauseFirst && loopActive_.load();
    if (pause)
        RequestPause();
    consoleMode_.store(on);
    if (!on) {
        if (renderer_) {
            renderer_->Invalidate();
            renderer_->EndFrame(true);
        }
    } else {
        if (!consoleSurface_ && consoleFactory_)
            consoleSurface_ = consoleFactory_->Clone();
        InstallConsoleSurface();
        // The machine must not keep keys pressed that the console receives from now on.
        if (loopActive_.load() && workerAlive_.load())
            AppendControl(kInputReleaseAll);
    }
    if (pause)
        ReleasePause();
}

void EmuCore::SetRenderer(LockedDisplaySurface* renderer, bool owned)
{
    ScopedLock core(coreLock_);
    PauseHold hold(*this);
    if (renderer == renderer_ && renderer) {
        rendererOwned_ = owned;
    } else {
        LockedDisplaySurface* old = renderer_;
        const bool oldOwned = rendererOwned_;
        if (renderer) {
            renderer_ = renderer;
            rendererOwned_ = owned;
        } else {
            renderer_ = new NullDisplay;
            rendererOwned_ = true;
        }
        // The machine lets go of the old surface before it is freed, whether a run is
        // started or not (it would otherwise hold a dangling display until the next run).
        if (machine_)
            machine_->SetDisplay(renderer_, renderer_);
        // A worker given up at shut-down may still draw into the old one.
        if (oldOwned && old != renderer_ && !workerGivenUp_.load())
            delete old;
    }
    if (consoleMode_.load() && consoleFactory_) {
        delete consoleSurface_;
        consoleSurface_ = consoleFactory_->Clone();
    }
    InstallConsoleSurface();
}

bool EmuCore::SetSoundOutput(SoundStreamInterface* output)
{
    if (output == soundOutput_)
        return true;
    ScopedLock core(coreLock_);
    if (started_.load() || workerGivenUp_.load())
        return false;
    SoundStreamInterface* old = soundOutput_;
    soundOutput_ = output;
    if (machine_)
        machine_->SetSoundOutput(output);
    delete old;
    return true;
}

bool EmuCore::SetMachine(Computer* machine)
{
    if (machine == machine_)
        return true;
    ScopedLock core(coreLock_);
    if (started_.load() || workerGivenUp_.load())
        return false;
    if (Computer* old = machine_) {
        old->SetBreakHandler(nullptr, nullptr);
        old->SetTraceCounter(nullptr);
        if (machine) {
            settingsSaveFailure_.Clear();
            old->SaveMachineSettings(&settingsSaveFailure_);
        }
        DetachMachine(old);
        machine_ = nullptr;
        // The menus point into the old machine's devices.
        BuildOptionsMenu();
        delete old;
    }
    machine_ = machine;
    if (!machine_) {
        BuildOptionsMenu();
        return true;
    }
    AttachMachine();
    console_.Clear();
    if (!console_.IsCentred())
        console_.SetCentred(true);
    PrepareMachine(false);
    BuildOptionsMenu();
    return true;
}

void EmuCore::GetStatusText(StringW& out)
{
    ScopedLock core(coreLock_);
    out.Clear();
    if (!workerAlive_.load() || !machine_)
        return;
    // The caption names the machine as its menu entry does ("MSX-1", "ColecoVision"); the
    // short description is the machine's trace tag ("MB") and says nothing to a user.
    const char* name = machine_->GetName();
    StringA text(name && *name ? name : "Unknown");
    const i32 speed = started_.load() ? speedPercent_.load() : -1;
    StringA detail;
    machine_->GetSpeedText(detail);
    if (speed >= 0)
        detail.AppendFormat(", Speed=%ld", speed);
    if (renderer_ && !consoleMode_.load() && renderer_->IsSwapSynchronised())
        detail.Append(", VSYNC=On");
    if (!detail.IsEmpty()) {
        text.Append(" (");
        text.Append(detail);
        text.Append(")");
    }
    out.Assign(text);
}

bool EmuCore::UpdateDisplay(bool refreshDescription, bool full)
{
    ScopedLock core(coreLock_);
    if (!workerAlive_.load())
        return true;
    if (consoleMode_.load() && !consoleSurface_ && consoleFactory_) {
        // The worker switched the console on and left the surface to this thread.
        consoleSurface_ = consoleFactory_->Clone();
        InstallConsoleSurface();
    }
    if (consoleMode_.load() && consoleSurface_) {
        if (refreshDescription && machine_) {
            console_.Clear();
            ObjectList lines;
            machine_->GetDescription(lines);
            console_.PrintLines(lines);
        }
        if (consoleSurface_->FitToOutputSize())
            console_.MarkForRedraw();
        if (console_.NeedsRedraw())
            consoleSurface_->BeginFrame(0, 0.0f);
        consoleSurface_->EndFrame(full);
    } else if (renderer_ && !stopped_.load()) {
        renderer_->EndFrame(full);
    }
    return true;
}

i32 EmuCore::GetDriveCounts(i32* floppies, i32* hardDisks, i32* cartridges)
{
    ScopedLock core(coreLock_);
    if (!workerAlive_.load())
        return 0;
    i32 counts[DriveBay::kKindCount] = {};
    if (const DriveBay* bay = machine_ ? machine_->GetDriveBay() : nullptr) {
        for (i32 kind = 0; kind < DriveBay::kKindCount; ++kind) {
            const i32 n = bay->GetKindCount(kind);
            counts[kind] = n < 0 ? 0 : (n > DriveBay::kMaxDrivesPerKind ? DriveBay::kMaxDrivesPerKind : n);
        }
    }
    if (floppies)
        *floppies = counts[DriveBay::kFloppy];
    if (hardDisks)
        *hardDisks = counts[DriveBay::kHardDisk];
    if (cartridges)
        *cartridges = counts[DriveBay::kCartridge];
    return counts[0] + counts[1] + counts[2];
}

DriveImage* EmuCore::GetDrive(i32 index)
{
    ScopedLock core(coreLock_);
    if (!workerAlive_.load() || !machine_)
        return nullptr;
    const DriveBay* bay = machine_->GetDriveBay();
    return bay ? bay->GetDrive(index) : nullptr;
}

namespace {

u8 RunStarted(void* core)
{
    return static_cast<EmuCore*>(core)->IsStarted() ? 1 : 0;
}

} // namespace

void EmuCore::BuildOptionsMenu()
{
    for (OptionItem* item : optionItems_) {
        if (item)
            item->DeleteChildren();
    }
    if (!optionItems_[0])
        return;
    if (machine_) {
        for (i32 i = 0; i < 6; ++i)
            machine_->BuildMenu(optionItems_[i], kMenuKinds[i]);
        optionItems_[5]->AddSeparator();
        machine_->BuildMenu(optionItems_[5], 5);
        optionItems_[5]->AddSeparator();
        machine_->BuildMenu(optionItems_[5], 7);
    }

    OptionItem* debug = optionItems_[4];
    if (debug->GetChildCount() > 0)
        debug->AddSeparator();
    console_.SetIgnoreDuplicates(settings_->ignoreConsoleDuplicates != 0);
    if (OptionItem* item = debug->AddCheckItem("Ignore equal console strings", &settings_->ignoreConsoleDuplicates, 1)) {
        // The setting is the application's; the console follows it.
        item->AddActionCall(
            [](void* core) -> u8 {
                auto* self = static_cast<EmuCore*>(core);
                self->console_.SetIgnoreDuplicates(self->settings_->ignoreConsoleDuplicates != 0);
                return 0;
            },
            this);
    }

    if (machine_ && machine_->HasSyncFrequency()) {
        OptionItem* first = optionItems_[0];
        if (first->GetChildCount() > 0)
            first->AddSeparator();
        if (OptionItem* sync = first->AddItem("Sync Frequency")) {
            for (u32 value = 0; value < 5; ++value) {
                // Chosen while no run is started; the next run takes it.
                if (OptionItem* radio = sync->AddRadioItem(kSyncTexts[value], &settings_->syncFrequency, value))
                    radio->AddEnabledIfCall(&RunStarted, this, 0);
            }
        }
    }
}
