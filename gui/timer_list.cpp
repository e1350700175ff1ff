#include "gui/timer_list.h"

#include "base/system_utils.h"

namespace {

i64 PeriodOf(i64 frequency, i32 rate)
{
    const i64 period = static_cast<i64>(static_cast<double>(frequency) / rate + 0.5);
    return period < 1 ? 1 : period;
}

} // namespace

TimerList::TimerList() : TimerList(TimerClock{PerfFrequency, PerfCounter}) {}

TimerList::TimerList(const TimerClock& clock) : clock_(clock) {}

TimerList::~TimerList()
{
    Clear();
}

bool TimerList::ReadClock(i64* frequency, i64* now) const
{
    u64 f = 0, c = 0;
    if (!clock_.frequency(f) || !clock_.counter(c) || f == 0)
        return false;
    *frequency = static_cast<i64>(f);
    *now = static_cast<i64>(c);
    return true;
}

void TimerList::Retime(i64 newFrequency, i64 now)
{
    for (TimerEntry* e = head_; e != nullptr; e = e->next) {
        const i64 period = PeriodOf(newFrequency, e->rate);
        e->due = static_cast<i64>(static_cast<double>(period) * e->due / e->period + 0.5);
        e->period = period;
    }
    frequency_ = newFrequency;
    base_ = now;
    nextDue_ = 0;
}

TimerEntry* TimerList::Add(i32 rate, TimerCallback callback, void* context, void* userContext, void* userFunction)
{
    i64 frequency = 0, now = 0;
    if (!ReadClock(&frequency, &now))
        return nullptr;
    if (head_ == nullptr) {
        frequency_ = frequency;
        base_ = now;
    } else if (frequency != frequency_) {
        Retime(frequency, now);
    }
    TimerEntry* entry = free_;
    if (entry != nullptr) {
        free_ = entry->next;
        const u32 serial = entry->serial + 1;
        *entry = TimerEntry{};
        entry->serial = serial;
    } else {
        entry = new TimerEntry;
    }
    entry->started = 1;
    entry->active = 1;
    entry->rate = rate > 0 ? rate : 0x7FFFFFFF;
    entry->callback = callback;
    entry->context = context;
    entry->userContext = userContext;
    entry->userFunction = userFunction;
    entry->period = PeriodOf(frequency_, entry->rate);
    entry->due = entry->period + now - base_;
    entry->prev = tail_;
    if (tail_ != nullptr)
        tail_->next = entry;
    else
        head_ = entry;
    tail_ = entry;
    nextDue_ = 0;
    if (running_)
        addedDuringRun_ = true;
    return entry;
}

void TimerList::Unlink(TimerEntry* entry)
{
    if (walkNext_ == entry)
        walkNext_ = entry->next;
    if (entry->prev != nullptr)
        entry->prev->next = entry->next;
    else
        head_ = entry->next;
    if (entry->next != nullptr)
        entry->next->prev = entry->prev;
    else
        tail_ = entry->prev;
    entry->active = 0;
    entry->prev = nullptr;
    entry->next = free_;
    free_ = entry;
}

void TimerList::Remove(TimerEntry* entry)
{
    if (entry != nullptr && entry->active != 0)
        Unlink(entry);
}

void TimerList::Restart()
{
    i64 frequency = 0, now = 0;
    if (head_ != nullptr && ReadClock(&frequency, &now))
        Retime(frequency, now);
}

bool TimerList::Run(int* waitMs)
{
    if (head_ == nullptr) {
        nextDue_ = 0;
        if (idleHook_ != nullptr)
            idleHook_(idleContext_, -1);
        if (waitMs != nullptr)
            *waitMs = -1;
        return true;
    }
    i64 frequency = 0, now = 0;
    if (!ReadClock(&frequency, &now))
        return false;
    if (frequency != frequency_) {
        Retime(frequency, now);
        return true;
    }
    const i64 elapsed = now - base_;
    if (elapsed == 0)
        return true;
    if (elapsed < 0) {
        base_ = now;
        return true;
    }
    i64 wait = 0;
    if (nextDue_ > elapsed) {
        wait = nextDue_ - elapsed;
    } else {
        running_ = true;
        addedDuringRun_ = false;
        i64 minimum = 0;
        for (TimerEntry* e = head_; e != nullptr; e = walkNext_) {
            walkNext_ = e->next;
            e->due -= elapsed;
            if (e->due <= 0) {
                const u32 serial = e->serial;
                const bool keep = e->callback != nullptr &&
                                  e->callback(e->context, e->userContext, e->userFunction, &e->count);
                // The callback may have removed (and even reused) its own entry.
                if (e->active == 0 || e->serial != serial)
                    continue;
                if (keep) {
                    ++e->count;
                    e->due = e->period;
                } else {
                    Unlink(e);
                    continue;
                }
            }
            if (e->due > 0 && (minimum == 0 || e->due < minimum))
                minimum = e->due;
        }
        walkNext_ = nullptr;
        running_ = false;
        base_ = now;
        nextDue_ = addedDuringRun_ ? 0 : minimum;
        wait = nextDue_;
    }
    const int ms = wait <= 0 ? -1 : [&] {
        const i64 v = static_cast<i64>(static_cast<double>(wait) / frequency_ * 1000.0);
        return v < 1 ? 1 : static_cast<int>(v > 0x7FFFFFFF ? 0x7FFFFFFF : v);
    }();
    if (idleHook_ != nullptr)
        idleHook_(idleContext_, ms);
    if (waitMs != nullptr)
        *waitMs = ms;
    return true;
}

void TimerList::FreeChain(TimerEntry* entry)
{
    while (entry != nullptr) {
        TimerEntry* next = entry->next;
        delete entry;
        entry = next;
    }
}

void TimerList::Clear()
{
    if (running_) {
        // A callback clears the list: the entries stay allocated (on the free
        // list) until the walk that called it has finished with them.
        while (head_ != nullptr)
            Unlink(head_);
        return;
    }
    FreeChain(head_);
    FreeChain(free_);
    head_ = tail_ = free_ = nullptr;
    walkNext_ = nullptr;
    nextDue_ = 0;
}
