// TimerHost: the frame window's GUI timers.
//
// A list of millisecond timers (TimerList) run on the GUI thread by RunTimers,
// which the frame window's timer procedure calls every millisecond (Windows
// timer and timer-queue timer, see FrameWindow). AddTimer and RemoveTimer may
// come from any thread: the list's lock is held while they change it and
// while a run walks it. A run entered again on the thread that is running the
// list (a callback that pumps messages) returns at once, and an AddTimer or
// RemoveTimer from inside a callback goes through without waiting for the
// run that called it; an entry added that way is first due one period later.
#pragma once

#include <atomic>
#include <mutex>
#include <thread>

#include "gui/timer_list.h"
#include "gui/window_interface.h"

class TimerHost : public virtual FrameInterface {
public:
    // showState: how the frame window is first shown (see FrameWindow).
    explicit TimerHost(int showState);
    TimerHost(int showState, const TimerClock& clock);
    ~TimerHost() override = default;

    // intervalMs in 1..1000, as a rate of floor(1000 / intervalMs + 0.5) calls
    // per second; 0 when nothing was added, else (the window created) the
    // result of StartTimers(false), else 1.
    u64 AddTimer(int intervalMs, TimerFunction function, void* userContext) override;
    // id is a TimerEntry; 0 does nothing.
    void RemoveTimer(u64 id) override;
    // Makes the system timers that drive RunTimers; here none: false for an
    // empty list, else true after re-timing the list when restart is set.
    virtual bool StartTimers(bool restart);

    // Calls the due timers (the body of the timer procedure). GUI thread.
    void RunTimers();
    bool IsRunningTimers() const { return busy_.load(); }

    int showState;

protected:
    TimerList timers;

private:
    static bool CallTimerFunction(void* context, void* userContext, void* userFunction, u64* count);
    bool RunningOnThisThread() const;

    std::recursive_mutex lock_;
    std::atomic<bool> busy_{false};
    std::atomic<std::thread::id> busyThread_{};
};
