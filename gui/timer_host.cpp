#include "gui/timer_host.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

TimerHost::TimerHost(int showState) : showState(showState) {}

TimerHost::TimerHost(int showState, const TimerClock& clock) : showState(showState), timers(clock) {}

bool TimerHost::CallTimerFunction(void* context, void* userContext, void* userFunction, u64* count)
{
    if (userFunction == nullptr)
        return false;
    auto function = reinterpret_cast<TimerFunction>(userFunction);
    return function(static_cast<WindowInterface*>(context), userContext, userFunction, count);
}

bool TimerHost::RunningOnThisThread() const
{
    return busy_.load() && busyThread_.load() == std::this_thread::get_id();
}

u64 TimerHost::AddTimer(int intervalMs, TimerFunction function, void* userContext)
{
    if (intervalMs < 1 || intervalMs > 1000)
        return 0;
    const i32 rate = std::max(1, static_cast<i32>(std::floor(1000.0 / intervalMs + 0.5)));
    // Another thread waits here for a run in progress; the running thread
    // itself (a callback adding a timer) holds the lock already.
    std::lock_guard<std::recursive_mutex> guard(lock_);
    TimerEntry* entry = timers.Add(rate, CallTimerFunction, static_cast<WindowInterface*>(this), userContext,
                                   reinterpret_cast<void*>(function));
    if (entry == nullptr)
        return 0;
    if (IsCreated())
        return StartTimers(false) ? 1 : 0;
    return 1;
}

void TimerHost::RemoveTimer(u64 id)
{
    if (id == 0)
        return;
    std::lock_guard<std::recursive_mutex> guard(lock_);
    timers.Remove(reinterpret_cast<TimerEntry*>(static_cast<uintptr_t>(id)));
}

bool TimerHost::StartTimers(bool restart)
{
    std::lock_guard<std::recursive_mutex> guard(lock_);
    if (timers.IsEmpty())
        return false;
    if (restart)
        timers.Restart();
    return true;
}

void TimerHost::RunTimers()
{
    if (RunningOnThisThread())
        return;
    std::lock_guard<std::recursive_mutex> guard(lock_);
    busyThread_.store(std::this_thread::get_id());
    busy_.store(true);
    timers.Run(nullptr);
    busy_.store(false);
    busyThread_.store(std::thread::id{});
}
