// Worker thread with a start gate.
//
// The gate is a manual-reset event: it holds the worker before its routine
// begins and again at every pause point the worker chooses (SuspendSelf), so
// the owner can stop the worker only where the worker knows it is safe.
//
// Everything the worker touches lives in a shared block that the worker keeps
// alive itself: a worker that is given up (Terminate where the platform cannot
// kill threads safely) may outlive this object without touching freed memory.
#pragma once

#include "base/types.h"

#include <memory>
#include <thread>

class Thread {
public:
    using Routine = u32 (*)(void* argument);

    // Exit code of a worker whose routine returned nonzero (or never ran).
    static constexpr u32 kFailCode = 0xFFFFFFFFu;

    Thread(Routine routine, void* argument);
    ~Thread();
    Thread(const Thread&) = delete;
    Thread& operator=(const Thread&) = delete;

    // Priority 1 (idle) .. 5 (time critical), 3 normal; any other value keeps
    // the default. Priorities are a no-op where the platform has no portable
    // equivalent.
    bool Start(bool startSuspended, int priority);

    // Releases a paused worker first; timeoutMs < 0 waits without limit.
    // True when no worker is left running.
    bool Join(int timeoutMs);

    // Kills the worker where the platform can; elsewhere the worker is
    // detached and released from the gate, and the answer is false (it may
    // still run). Either way this object no longer owns a worker afterwards.
    bool Terminate();

    // Gives the worker up without killing it on any platform: it is released
    // from the gate and may still run, and this object owns no worker
    // afterwards. For owners that must not risk killing a worker mid-lock.
    // True when no worker was running.
    bool Detach();

    bool Resume();
    void RequestPause();

    // Called only by the worker itself, at its pause points.
    bool SuspendSelf(bool onlyIfRequested);

    bool IsRunning() const;
    bool IsSuspended() const;
    bool IsPauseRequested() const;
    u32 GetResult() const;    // 1 until the routine returns, then its value
    u32 GetExitCode() const;  // 0 when the routine returned 0, else kFailCode

private:
    struct Shared;
    static void Proc(std::shared_ptr<Shared> shared, u64 run);
    void ReapHandle();
    bool GiveUp(bool kill);
    // A field of the shared block, read under its lock.
    template <class T>
    T Locked(T Shared::*field) const;

    std::shared_ptr<Shared> shared_;
    std::thread handle_;
};
