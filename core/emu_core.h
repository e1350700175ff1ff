// EmuCore: one emulation run. It owns a machine, the renderer that shows its screen, the
// sound output, the debugger console and a worker thread that executes the machine.
//
// Threads. The GUI thread calls the control operations, each under the core lock; the
// worker runs the machine in its run loop; the two meet only through the request fields
// below (atomics: a writer stores its request first and raises `wake` last, the loop
// clears `wake` before it reads them), the input queues (queue lock) and the pause
// hand-shake: a requester raises the pause count and waits until the loop, between two
// instructions, acknowledges with pauseAck. While paused, the loop touches nothing of the
// machine, so the GUI thread may.
//
// Locks, always taken in this order: core lock, queue lock, then the console's own. The
// worker holds the hand-shake lock for its whole life and the run lock while it prepares
// a run; it never takes the core lock.
//
// Shut-down. A worker that does not stop within the join time-outs is given up rather
// than killed (it may hold a lock). It may still come back, so nothing it can reach is
// freed after that: the core itself, its machine, renderer, sound output and console
// stay allocated for the rest of the process.
//
// Run loop (emu_core_run.cpp): slices of one bus tick of CPU cycles, split at the CPU's
// due events; every 1/50 s of emulated time the queued input of the previous 1/50 s is
// applied, the queues swap and the loop paces itself against the host clock; once per
// emulated second it works out the speed figure. Requests (stop, pause, break, step,
// step-over, trace, "_EMUCORE" save and load) are served between instructions.
//
// "_EMUCORE" (emu_core_state_block.cpp), the run loop's record in a saved state:
//   F0 "_EMUCORE", "VER" u8 1, "VERR" u8 1, "MAXS" u8 (1 from the maximum-speed loop),
//   "PC" i32 budget, "PCR" i32 cycles set aside for the next event, "PI" i32 slices
//   left, "PFC" 8-byte blob cycles left of the 1/50 s (double), "CPF" 8-byte blob cycles
//   per 1/50 s (double), "IPF" i32 slices per 1/50 s, "FI" i32 1/50 s frames of the
//   emulated second so far, FF "_EMUCORE". The maximum-speed loop leaves out PFC and CPF.
#pragma once

#include <atomic>
#include <new>
#include <system_error>
#include <thread>
#include <vector>

#include "base/memory_stream.h"
#include "base/scoped_lock.h"
#include "base/string_a.h"
#include "base/system_utils.h"
#include "base/thread.h"
#include "core/core_console.h"
#include "core/host_clock.h"
#include "core/input_queue.h"
#include "emu/mouse_service.h"
#include "emu/option_item.h"

class Archive;
class ClockInterface;
class Computer;
class CpuBase;
class DriveImage;
class LockedDisplaySurface;
class ObjectList;
class TokenList;
class SoundStreamInterface;
class PathString;
class StreamInterface;
class StringW;

// The application settings a core reads; the emulator manager owns them and the core
// binds its menus to them.
struct EmuCoreSettings {
    u8 ignoreConsoleDuplicates = 0;  // "dbgIgnoreConsoleDupStr"
    u32 syncFrequency = 0;           // "EmuSyncFreq": 0..4 for 2450 .. 44100 Hz
};

// The loop's own variables; the "_EMUCORE" record holds the first seven.
struct RunLoopState {
    i32 budget = 0;            // cycles left in the current slice
    i32 eventOverflow = 0;     // part of the slice set aside: the next event falls inside it
    i32 slicesLeft = 0;        // slices left in the current 1/50 s
    double frameRest = 0.0;    // cycles of the 1/50 s not yet handed to slices
    double frameCycles = 0.0;  // CPU cycles per 1/50 s
    i32 ticksPerFrame = 0;     // bus ticks (slices) per 1/50 s
    i32 frameIndex = 0;        // 1/50 s frames of the current emulated second, back to 0 at 50
    u64 counterFrequency = 1;  // host counter ticks per second
    u64 millisecond = 1;
    u64 framePeriod = 1;       // host ticks per 1/50 s
    u64 sleepCost = 1;         // what a 1 ms sleep costs, in host ticks; at least millisecond
    // Host times: counter ticks (ns: 584 years of host uptime), compared by i64 difference.
    u64 frameDeadline = 0;     // host time at which the current 1/50 s should end
    u64 secondDeadline = 0;    // host time at which the current emulated second should end
    u64 lastSpeedTime = 0;     // host time of the last speed figure
    u64 pauseStart = 0;        // host time at which the loop last became paused
    bool keyApplied = false;   // a key reached the machine during this run
    bool syncCopy = false;     // the loop's copy of liveSync
    i32 applyQueue = 0;        // the input queue the worker applies at the next boundary
    // Maximum-speed loop only.
    i32 chunk = 0;             // cycles of the last chunk
    u64 tickStart = 0;         // host time at which the current bus tick began
    u64 tickPeriod = 1;        // host ticks per bus tick
    u64 chunkStart = 0;        // host time at which the last chunk began
    u64 measureStart = 0;      // host time and cycle count at the start of a 10-frame span
    u64 measureCycles = 0;
};

class EmuCore {
public:
    // Menu kinds of the six option items, in GetObjectById order.
    static constexpr i32 kMenuKinds[6] = {1, 4, 2, 3, 8, 6};
    static constexpr u32 kDescriptionColor = 0xFFBC8080;
    static constexpr u32 kClosingLineColor = 0xFF8080FF;
    // What the loop's budget becomes when a break ends a slice: large enough that the
    // loop goes back to its requests instead of closing the slice.
    static constexpr i32 kBreakBudget = 0x7FFFFFF;
    // The emulated second the speed figure measures, in 1/50 s frames.
    static constexpr i32 kFramesPerSecond = 50;

    using FrameHook = void (*)(void* context);
    // Answers whether the CPU runs in the maximum-speed loop.
    using MaxSpeedQuery = bool (*)(ClockInterface* clock);

    // settings may be null (defaults); a null renderer stands for the do-nothing display.
    // consoleFactory: the prototype the console's own surface is cloned from (not owned).
    // clock: the pacing clock (not owned; null for the host's).
    EmuCore(EmuCoreSettings* settings, Computer* machine, LockedDisplaySurface* renderer,
            SoundStreamInterface* soundOutput, const LockedDisplaySurface* consoleFactory,
            HostClock* clock = nullptr);
    // Shuts the worker down first when nobody did. When the worker had to be given up,
    // the machine, renderer, sound output and console surface stay allocated for it.
    virtual ~EmuCore();
    // Deleting a core whose worker was given up leaves the whole core alive (neither
    // destroyed nor freed): the worker may come back to any part of it. A core is
    // therefore made with new; one of automatic storage cannot be kept.
    void operator delete(EmuCore* core, std::destroying_delete_t);

    EmuCore(const EmuCore&) = delete;
    EmuCore& operator=(const EmuCore&) = delete;

    // --- worker (emu_core.cpp) ---
    // Starts the worker and waits (at most about 5 s) until it idles. True at once when it
    // lives already.
    bool Run();
    // Thread routine: 1 for a null core, else 0 when the worker ended normally.
    static u32 ThreadEntry(void* core);
    // Stops and joins the worker (100, 400, then 1500 ms); a worker that does not end is
    // reported and given up. Does nothing the second time.
    void Shutdown();
    // The worker did not stop at shut-down and was left running: nothing it may use is
    // freed from then on.
    bool IsWorkerGivenUp() const { return workerGivenUp_.load(); }
    // The pause hand-shake. Requests nest; the loop runs again when every one is
    // released. A request while no loop runs returns at once and holds the next run.
    void RequestPause();
    void ReleasePause();
    // Option item of menu kind id (1, 4, 2, 3, 8, 6), else null.
    OptionItem* GetObjectById(u32 id);
    // Both input queues hold the overflow marker alone (releases keys, resets the mouse).
    void ResetInputQueues();
    // Frame callback of the console's surface: draws the console when it needs it.
    static bool DrawConsole(void* core);

    // --- input (emu_core_input.cpp) ---
    // A host key (the system's 8-bit code). False hands the key back to the window (F11
    // and F12 save and load states there).
    bool OnKey(i32 code, bool down);
    // A mouse event (action as in input_queue.h); always true.
    bool QueueInputEvent(u16 x, u16 y, u16 action);
    void ReleaseInputs(bool keys, bool mouse);
    // Worker: applies and empties one queue; keyApplied is set when a key event went in.
    void ApplyInputEvents(InputQueue& queue, bool* keyApplied);
    // A copy of the queue the GUI side fills now.
    void CopyInputQueue(InputQueue* out);

    // --- trace line (emu_core_trace.cpp) ---
    // The instruction at CPU 0's program counter as one fixed-column line; false (line
    // unchanged) while no run is started or without a CPU.
    bool FormatTraceLine(StringA& line);
    // The column layout alone: seven texts with their widths.
    static void LayOutTraceColumns(StringA& line, const StringA texts[7], const i32 widths[7]);

    // --- run loops (emu_core_run.cpp, emu_core_run_max.cpp) ---
    bool PrepareRun();
    void RunLoop();
    void RunLoopMaxSpeed();
    // The machine's break callback (worker, inside Execute). True when it broke.
    static bool OnCpuBreakCheck(void* core, bool* restart, bool* reportAnyway);
    // Drops the loop's stepping state (the step commands' hand-shake).
    void Step();
    // The end-of-run sequence.
    void EndRun();
    // Speed in percent for an emulated second that ended lateTicks host ticks after its
    // deadline (negative: early); previous when the measure says nothing.
    // Flat out (maxSpeed) a run can only lag, so anything close to real time reads 100.
    static i32 ComputeSpeedPercent(i64 lateTicks, u64 counterFrequency, i32 previous, bool maxSpeed = false);
    // Splits a slice's budget at the CPU's next event: the budget becomes the part before
    // it, toEvent is lowered by that part up front, and the part beyond it is returned.
    // A negative budget (an overrun larger than the slice) raises toEvent, no further than
    // "nothing pending".
    static i32 SplitBudget(i32* budget, i32* toEvent);

    // --- control (emu_core_control.cpp) ---
    bool Start(bool breakFirst, bool showConsole);
    void Stop();
    void Break(bool threadPause);
    void Continue();
    void SetConsoleMode(bool on, bool pauseFirst);
    void SetRenderer(LockedDisplaySurface* renderer, bool owned);
    // Both refuse (false; the caller keeps what was refused) while a run is started or
    // once the worker was given up.
    bool SetSoundOutput(SoundStreamInterface* output);
    bool SetMachine(Computer* machine);
    // A notice of the start screen (a settings file that could not be read, the settings
    // used instead), printed in the error colour. When the start screen gives way to the
    // plain console (a run starts, a first command is typed) its notices are printed again
    // as the console's first lines: a run started at once must not wipe them unread. The
    // start screen tells each notice once (a text it keeps already is not added again),
    // wrapped to the console's width.
    void AddStartNotice(const StringBase& text);
    void GetStatusText(StringW& out);
    bool UpdateDisplay(bool refreshDescription, bool full);
    i32 GetDriveCounts(i32* floppies, i32* hardDisks, i32* cartridges);
    DriveImage* GetDrive(i32 index);
    void BuildOptionsMenu();
    void SetPaused(bool pause);

    // --- state block (emu_core_state_block.cpp), worker while paused ---
    bool WriteCoreBlock(Archive& archive, bool maxSpeed);
    bool ReadCoreBlock(Archive& archive, bool maxSpeed);

    // --- save states (emu_core_state.cpp), GUI thread ---
    // lockHeld: the caller holds the core lock already (the console commands). Saving
    // needs an active run loop and answers false silently without one. A file save
    // builds the whole state in memory and then replaces the file, so a failure leaves
    // the previous file as it was. A refused load leaves the machine as it was before
    // it: its configuration, its devices and its run state are put back. folder: empty
    // for the default "states" folders.
    bool SaveStateToStream(StreamInterface& stream, bool lockHeld);
    bool SaveStateToFile(const PathString& folder, bool lockHeld);
    bool LoadStateFromStream(StreamInterface& stream, bool lockHeld);
    bool LoadStateFromFile(const PathString& folder, bool lockHeld);
    // The core's one state in memory (the Save State and Load State dialogs use it).
    MemoryStream& GetMemoryState() { return memoryState_; }

    // --- console commands (emu_core_console.cpp), GUI thread ---
    // One console line (a function key's command too), under the core lock; its answers
    // are console lines. Dropped while the worker is not alive.
    void ExecuteConsoleCommand(const StringA& line);
    // The console's command callback (context: the core).
    static void ConsoleCommandThunk(void* core, const StringA& line);
    // The console's panel provider: every enabled device's register panel lines, only
    // while a run is in break.
    static void DumpRegistersHook(void* core, ObjectList& lines);

    // --- stepping fields the console commands set while the run is in break ---
    void SetStepCount(i32 count) { stepCount_.store(count); }
    i32 GetStepCount() const { return stepCount_.load(); }
    void SetStepOver(u32 mode, u32 target)
    {
        stepOverMode_.store(mode);
        stepOverTarget_.store(target);
    }

    // --- seams ---
    // Called on the worker at every 1/50 s boundary, where the machine ends its frame.
    void SetFrameHook(FrameHook hook, void* context)
    {
        frameHook_ = hook;
        frameHookContext_ = context;
    }
    // Called on the worker as a run ends, after it counts as stopped and before it no
    // longer counts as started.
    void SetRunEndHook(FrameHook hook, void* context)
    {
        runEndHook_ = hook;
        runEndHookContext_ = context;
    }
    // The CPU interface has no maximum-speed query: without one every run takes the
    // normal-speed loop.
    void SetMaxSpeedQuery(MaxSpeedQuery query) { maxSpeedQuery_ = query; }

    // --- state seen by the GUI and the tests ---
    Computer* GetMachine() const { return machine_; }
    CoreConsole& GetConsole() { return console_; }
    LockedDisplaySurface* GetRenderer() const { return renderer_; }
    LockedDisplaySurface* GetConsoleSurface() const { return consoleSurface_; }
    SoundStreamInterface* GetSoundOutput() const { return soundOutput_; }
    bool IsWorkerAlive() const { return workerAlive_.load(); }
    bool IsStarted() const { return started_.load(); }
    bool IsStopped() const { return stopped_.load(); }
    bool IsLoopActive() const { return loopActive_.load(); }
    bool IsInBreak() const { return inBreak_.load(); }
    bool IsPaused() const { return pauseAck_.load(); }
    bool IsConsoleMode() const { return consoleMode_.load(); }
    i32 GetRunMode() const { return runMode_.load(); }
    i32 GetPauseRequests() const { return pauseRequests_.load(); }
    i32 GetSpeedPercent() const { return speedPercent_.load(); }
    i32 GetSyncHz() const { return syncHz_.load(); }
    // Why the last state load was refused ("Enable \"Max CPU Speed\"!"), else empty.
    const StringA& GetStateMessage() const { return stateMessage_; }
    // What the last SaveStateToFile could not save, where and why (two lines, as its
    // console message says it); empty after a save that worked. GUI thread.
    const StringW& GetStateSaveFailure() const { return stateSaveFailure_; }
    // What the last LoadStateFromFile said on the console when it loaded nothing (no state
    // saved, a file refused and why); empty after a load that worked. GUI thread.
    const StringW& GetStateLoadFailure() const { return stateLoadFailure_; }
    // The machine settings files that could not be written when the machine was last
    // replaced or the worker ended (SaveMachineSettings' lines); read after Shutdown.
    const StringW& GetSettingsSaveFailure() const { return settingsSaveFailure_; }
    // Read and cleared by the main window.
    bool TakeStatusChanged() { return statusChanged_.exchange(false); }
    bool TakeStateLoaded() { return stateLoaded_.exchange(false); }
    // Set when the console put a file into a drive or took one out (MOUNT): the main
    // window's icons, tooltips and Drives menu show the drives again.
    bool TakeDrivesChanged() { return drivesChanged_.exchange(false); }
    void SetCoreIndex(i32 index) { coreIndex_ = index; }
    i32 GetCoreIndex() const { return coreIndex_; }
    void SetFastInit(bool on) { fastInit_.store(on); }
    // "Synchronization": pace against the host clock (takes effect in the running loop).
    void SetSyncEnabled(bool on)
    {
        syncEnabled_.store(on);
        liveSync_.store(on);
    }
    bool IsSyncEnabled() const { return syncEnabled_.load(); }
    static i32 GetLiveCoreCount() { return liveCores_.load(); }

private:
    enum class Serve { kProceed, kRecheck, kLeave };

    // emu_core.cpp
    bool WorkerMain();
    void PrintDescription(bool closingLine);
    // Creates the machine's devices, reads its settings files and prints its description,
    // then what the settings files said (a damaged one kept as .bad, the settings used).
    void PrepareMachine(bool closingLine);
    void AttachMachine();
    void DetachMachine(Computer* machine);
    void InstallConsoleSurface();
    // 100 yields, then 1 ms sleeps, while cond holds (at most limitMs, < 0 for none):
    // the loop usually answers within a slice. False on the time limit.
    template <typename Pred>
    static bool WaitWhile(Pred cond, i32 limitMs)
    {
        for (i32 i = 0; i < 100; ++i) {
            if (!cond())
                return true;
            SleepMs(0);
        }
        for (i32 waited = 0; cond(); ++waited) {
            if (limitMs >= 0 && waited >= limitMs)
                return false;
            SleepMs(1);
        }
        return true;
    }
    bool OnWorkerThread() const { return std::this_thread::get_id() == workerId_.load(); }
    void AppendControl(u16 word);

    // emu_core_run.cpp
    bool StartLoop(bool maxSpeed);
    Serve ServeRequests();
    void ServeStateRequests(bool maxSpeed);
    void SkipCheck();
    void ExecuteOne();
    void BreakAfterStep();
    void ConsoleOnFromWorker();
    void SplitAtEvent(i32& budget);
    u64 MeasureSleep(RunLoopState& s);
    bool RunBudget();
    void EndEmulatedFrame();
    void FrameBoundary();
    u64 Pace(u64 now);
    void SpeedCheck(u64 now, bool maxSpeed);
    // The chips read the step count through the worker's own copy.
    void SyncTrace() { traceCount_ = stepCount_.load(); }

    // emu_core_console.cpp
    void RunConsoleCommand(TokenList& tokens, const StringA& line, const StringA& word, i32 parameters);
    void LeaveCentredView();
    // The kept notices of the start screen, in the error colour, as the next lines.
    void PrintStartNotices();
    void PrintStateError();
    bool RefuseParameters(i32 parameters);
    void PrintCurrentInstruction(bool stateErrorOtherwise);
    void ArmSkip();
    void StepCommand();
    void StepOverCommand(bool always);
    void MountCommand(TokenList& tokens, const StringA& line, i32 parameters);

    // emu_core_state.cpp
    void PauseForState();
    void ReleaseStatePause();
    bool HandToWorker(std::atomic<Archive*>& request, Archive& archive);
    bool WriteState(StreamInterface& stream);
    bool ReadState(StreamInterface& stream, StringA& error, bool& startedHere);
    bool SaveStateLocked(StreamInterface& stream);
    bool LoadStateLocked(StreamInterface& stream, const PathString* fileName);
    // The state file's path; create makes its folder, and folderError (when given) then
    // holds why the folder could not be made.
    PathString StateFilePath(const PathString& folder, bool create, std::error_code* folderError = nullptr) const;
    // A file load's failure: its console line (the error colour with the console's
    // "[ERROR] " tag, else information), kept untagged as GetStateLoadFailure's text.
    void ReportLoadFailure(bool error, const char* format, ...);

    // emu_core_run_max.cpp
    void FrameBoundaryMax(u64 now);
    void NextChunk(u64 now);

    // --- ownership and wiring ---
    EmuCoreSettings ownSettings_;
    EmuCoreSettings* settings_;
    Computer* machine_ = nullptr;
    const LockedDisplaySurface* consoleFactory_ = nullptr;
    CoreConsole console_;
    LockedDisplaySurface* consoleSurface_ = nullptr;
    LockedDisplaySurface* renderer_ = nullptr;
    bool rendererOwned_ = true;
    DeviceOption optionsRoot_;
    OptionItem* optionItems_[6] = {};
    SoundStreamInterface* soundOutput_ = nullptr;
    HostClock* clock_;
    FrameHook frameHook_ = nullptr;
    void* frameHookContext_ = nullptr;
    FrameHook runEndHook_ = nullptr;
    void* runEndHookContext_ = nullptr;
    MaxSpeedQuery maxSpeedQuery_ = nullptr;

    // --- locks and the worker ---
    LockRecord handshakeLock_;
    LockRecord runLock_;
    LockRecord coreLock_;
    LockRecord queueLock_;
    Thread thread_;
    std::atomic<std::thread::id> workerId_{};
    std::atomic<bool> workerAlive_{false};
    std::atomic<bool> workerExit_{true};
    std::atomic<bool> workerGivenUp_{false};

    // --- input (queue lock; the worker alone changes the selector) ---
    InputQueue queues_[2];
    u32 queueSelector_ = 0;
    MouseState inputState_;

    // --- settings and run state ---
    i32 coreIndex_ = 0;
    std::atomic<bool> syncEnabled_{true};
    std::atomic<bool> fastInit_{false};
    std::atomic<bool> liveSync_{true};
    std::atomic<i32> syncHz_{0};
    std::atomic<i32> speedPercent_{0};
    std::atomic<bool> started_{false};
    std::atomic<bool> loopActive_{false};
    std::atomic<bool> inBreak_{false};
    std::atomic<bool> stopped_{false};
    std::atomic<i32> runMode_{-1};
    std::atomic<i32> pauseRequests_{0};
    std::atomic<bool> pauseAck_{false};
    std::atomic<bool> statusChanged_{false};
    std::atomic<bool> stateLoaded_{false};
    std::atomic<bool> drivesChanged_{false};
    std::atomic<bool> wake_{false};
    std::atomic<Archive*> saveRequest_{nullptr};
    std::atomic<Archive*> loadRequest_{nullptr};
    std::atomic<bool> stateRequestFailed_{false};
    StringA stateMessage_;
    StringW stateSaveFailure_;
    StringW stateLoadFailure_;
    StringW settingsSaveFailure_;
    MemoryStream memoryState_;
    // Notices of the start screen, kept until a run has opened its console with them: the
    // GUI thread's, under the core lock; the worker reads them while Start waits for the run.
    std::vector<StringA> startNotices_;

    // --- debug stepping ---
    std::atomic<i32> stepCount_{0};  // >0 instructions to step, <0 step-over, 0 none
    i64 traceCount_ = 0;             // the worker's copy of stepCount that the chips read
    i32 savedBudget_ = 0;
    i32* budgetPointer_ = nullptr;   // worker only
    bool breakInSlice_ = false;      // worker only
    std::atomic<u32> stepOverMode_{0};
    std::atomic<u32> stepOverTarget_{0};
    std::atomic<bool> stepPending_{false};
    std::atomic<bool> traceNext_{false};
    std::atomic<bool> skipArmed_{false};
    bool skipResult_ = false;
    std::atomic<u32> skipPc_{0};
    std::atomic<bool> consoleMode_{true};

    RunLoopState loop_;  // worker only
    CpuBase* cpu_ = nullptr;  // CPU 0 of the running loop; worker only

    static std::atomic<i32> liveCores_;
};
