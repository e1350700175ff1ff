// TimerList: periodic callbacks timed with the high-resolution counter.
//
// Each entry has a rate in calls per second and, from the counter frequency,
// a period in ticks. Run calls every entry that is due, at most once per run:
// a late timer is not caught up, its next call is one full period after the
// run that served it. Between due times a run costs two counter reads and a
// comparison (nextDue). When the counter frequency changes, every period and
// remaining wait is rescaled to it. Removed entries are kept on a free list
// and reused. Not thread-safe: TimerHost guards it.
#pragma once

#include "base/types.h"

// Called as callback(context, userContext, userFunction, &count); false
// removes the entry.
using TimerCallback = bool (*)(void* context, void* userContext, void* userFunction, u64* count);

// Where the list reads the time; the system's counter unless a test sets one.
struct TimerClock {
    bool (*frequency)(u64& ticksPerSecond);
    bool (*counter)(u64& ticks);
};

struct TimerEntry {
    u8 active = 0;
    u8 started = 0;
    i32 rate = 0;           // calls per second
    i64 period = 1;         // ticks between calls, at least 1
    i64 due = 0;            // ticks from the list's base until the next call
    TimerEntry* next = nullptr;
    TimerEntry* prev = nullptr;
    void* context = nullptr;
    void* userContext = nullptr;
    void* userFunction = nullptr;
    TimerCallback callback = nullptr;
    u64 count = 0;          // calls that answered true; at most one a run, 1000 runs a second
    u32 serial = 0;         // raised on every reuse, so a run can tell; wraps, compared for equality
};

class TimerList {
public:
    TimerList();
    explicit TimerList(const TimerClock& clock);
    ~TimerList();
    TimerList(const TimerList&) = delete;
    TimerList& operator=(const TimerList&) = delete;

    // A non-positive rate counts as 0x7FFFFFFF. Null when the counter fails.
    TimerEntry* Add(i32 rate, TimerCallback callback, void* context, void* userContext, void* userFunction);
    // Unlinks an active entry onto the free list; safe from inside a callback.
    void Remove(TimerEntry* entry);
    // Re-times the list to the counter's present frequency and value.
    void Restart();
    // Rescales every period and wait to a new frequency; base = now.
    void Retime(i64 newFrequency, i64 now);
    // Calls the due entries. waitMs, when given, receives the milliseconds
    // until the next due entry (-1: none or at once). False without counter.
    bool Run(int* waitMs);
    void Clear();

    bool IsEmpty() const { return head_ == nullptr; }
    i64 GetNextDue() const { return nextDue_; }
    // Optional hook told the wait (ms) after every run; none in the system.
    void SetIdleHook(void (*hook)(void* context, int waitMs), void* context)
    {
        idleHook_ = hook;
        idleContext_ = context;
    }

private:
    bool ReadClock(i64* frequency, i64* now) const;
    void Unlink(TimerEntry* entry);
    static void FreeChain(TimerEntry* entry);

    TimerClock clock_;
    TimerEntry* head_ = nullptr;
    TimerEntry* tail_ = nullptr;
    TimerEntry* free_ = nullptr;
    i64 frequency_ = 0;
    i64 base_ = 0;          // the host counter: 2^63 ns are 292 years since the host started
    void (*idleHook_)(void*, int) = nullptr;
    void* idleContext_ = nullptr;
    i64 nextDue_ = 0;
    // The walk of a run in progress: where it goes on, and whether entries
    // were added that the walk may not see.
    TimerEntry* walkNext_ = nullptr;
    bool running_ = false;
    bool addedDuringRun_ = false;
};
