#include "base/thread.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <system_error>

#ifdef _WIN32
#include <windows.h>
#ifdef __MINGW32__
#include <pthread.h>
#endif
#endif

// Every field is guarded by `lock`. `run` numbers the starts: a worker whose
// run number is no longer current was given up and must leave the fields alone.
struct Thread::Shared {
    std::mutex lock;
    std::condition_variable changed;  // gate opened, or a run ended
    Routine routine = nullptr;
    void* argument = nullptr;
    u32 result = 1;
    u32 exitCode = 0;
    bool running = false;
    bool suspended = false;
    bool pauseRequested = false;
    bool gateOpen = false;
    u64 run = 0;
    std::thread::id worker;

    // Lets a worker paused at the gate go on.
    void ReleasePaused() {
        if (!suspended) return;
        suspended = false;
        gateOpen = true;
        changed.notify_all();
    }
};

namespace {

#ifdef _WIN32
HANDLE NativeHandle(std::thread& t) {
#ifdef __MINGW32__
    // The posix-flavoured runtime hands out pthread ids, not kernel handles.
    return static_cast<HANDLE>(pthread_gethandle(t.native_handle()));
#else
    return static_cast<HANDLE>(t.native_handle());
#endif
}
#endif

void SetPriority([[maybe_unused]] std::thread& t, [[maybe_unused]] int priority) {
#ifdef _WIN32
    static constexpr int kLevels[] = {THREAD_PRIORITY_IDLE, THREAD_PRIORITY_BELOW_NORMAL,
                                      THREAD_PRIORITY_NORMAL, THREAD_PRIORITY_ABOVE_NORMAL,
                                      THREAD_PRIORITY_TIME_CRITICAL};
    if (priority >= 1 && priority <= 5) SetThreadPriority(NativeHandle(t), kLevels[priority - 1]);
#endif
    // Elsewhere changing a thread's priority needs privileges or a real-time
    // policy; the default scheduling serves the emulation well enough.
}

}  // namespace

Thread::Thread(Routine routine, void* argument) : shared_(std::make_shared<Shared>()) {
    shared_->routine = routine;
    shared_->argument = argument;
}

Thread::~Thread() {
    if (!Join(-1)) Terminate();
    if (handle_.joinable()) handle_.detach();
}

// Called under the lock once the current worker has cleared `running`; the
// worker needs no lock after that, so the join ends promptly.
void Thread::ReapHandle() {
    if (handle_.joinable()) handle_.join();
}

void Thread::Proc(std::shared_ptr<Shared> s, u64 run) {
    std::unique_lock lk(s->lock);
    if (s->run != run) return;
    if (!s->routine) {
        s->running = false;
        s->exitCode = kFailCode;
        lk.unlock();
        s->changed.notify_all();
        return;
    }
    s->changed.wait(lk, [&] { return s->gateOpen || s->run != run; });
    const bool givenUp = s->run != run;
    const Routine routine = s->routine;
    void* const argument = s->argument;
    lk.unlock();

    const u32 result = givenUp ? 1 : routine(argument);

    lk.lock();
    if (s->run == run) {
        s->result = result;
        s->exitCode = result == 0 ? 0 : kFailCode;
        s->suspended = false;
        s->running = false;
    }
    lk.unlock();
    s->changed.notify_all();
}

bool Thread::Start(bool startSuspended, int priority) {
    Shared& s = *shared_;
    std::lock_guard lk(s.lock);
    if (s.running) return false;
    s.result = 1;
    if (!s.routine) return false;
    ReapHandle();
    s.pauseRequested = false;
    s.gateOpen = !startSuspended;
    const u64 run = ++s.run;
    try {
        handle_ = std::thread(&Thread::Proc, shared_, run);
    } catch (const std::system_error&) {
        s.suspended = false;
        return false;
    }
    s.worker = handle_.get_id();
    SetPriority(handle_, priority);
    s.running = true;
    s.suspended = startSuspended;
    s.exitCode = 0;
    return true;
}

bool Thread::Join(int timeoutMs) {
    Shared& s = *shared_;
    std::unique_lock lk(s.lock);
    if (!s.running) {
        ReapHandle();
        return true;
    }
    s.pauseRequested = false;
    s.ReleasePaused();
    if (!handle_.joinable()) return false;
    const auto ended = [&] { return !s.running; };
    if (timeoutMs < 0)
        s.changed.wait(lk, ended);
    else
        s.changed.wait_for(lk, std::chrono::milliseconds(timeoutMs), ended);
    if (s.running) return false;
    s.suspended = false;
    ReapHandle();
    return true;
}

bool Thread::Terminate() { return GiveUp(true); }

bool Thread::Detach() { return GiveUp(false); }

bool Thread::GiveUp(bool kill) {
    Shared& s = *shared_;
    std::unique_lock lk(s.lock);
    if (!s.running) {
        ReapHandle();
        return true;
    }
    if (!handle_.joinable()) return false;
    bool killed = false;
#ifdef _WIN32
    const HANDLE h = NativeHandle(handle_);
    if (kill) {
        if (!TerminateThread(h, kFailCode)) return false;
        killed = true;
    }
#else
    // No safe way to kill a thread here: cancelling it could leave any lock it
    // holds (the allocator's included) locked for good. It is given up instead,
    // released from the gate so it is not stuck there, and may still run.
    (void)kill;
#endif
    s.pauseRequested = false;
    s.suspended = false;
    s.running = false;
    s.gateOpen = true;
    s.exitCode = kFailCode;
    s.worker = std::thread::id();
    ++s.run;
    s.changed.notify_all();
#ifdef _WIN32
    if (killed) {
        lk.unlock();
        WaitForSingleObject(h, 1);
        lk.lock();
    }
#endif
    if (handle_.joinable()) handle_.detach();
    return killed;
}

bool Thread::Resume() {
    Shared& s = *shared_;
    std::lock_guard lk(s.lock);
    s.pauseRequested = false;
    if (!s.running) return false;
    s.ReleasePaused();
    return true;
}

void Thread::RequestPause() {
    Shared& s = *shared_;
    std::lock_guard lk(s.lock);
    s.pauseRequested = true;
}

bool Thread::SuspendSelf(bool onlyIfRequested) {
    Shared& s = *shared_;
    std::unique_lock lk(s.lock);
    // Only the current worker may close the gate on itself; a worker that was
    // given up must not take a request meant for its successor.
    if (!s.running || s.worker != std::this_thread::get_id()) return false;
    if (onlyIfRequested && !s.pauseRequested) return false;
    s.pauseRequested = false;
    if (s.suspended) return true;
    s.gateOpen = false;
    s.suspended = true;
    const u64 run = s.run;
    s.changed.wait(lk, [&] { return s.gateOpen || s.run != run; });
    return true;
}

template <class T>
T Thread::Locked(T Shared::*field) const {
    std::lock_guard lk(shared_->lock);
    return (*shared_).*field;
}

bool Thread::IsRunning() const { return Locked(&Shared::running); }

bool Thread::IsSuspended() const { return Locked(&Shared::suspended); }

bool Thread::IsPauseRequested() const { return Locked(&Shared::pauseRequested); }

u32 Thread::GetResult() const { return Locked(&Shared::result); }

u32 Thread::GetExitCode() const { return Locked(&Shared::exitCode); }
