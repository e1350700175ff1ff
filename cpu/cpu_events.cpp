// CPU event list: events at exact cycles, fired between slices in insertion order.
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "cpu/cpu_base.h"
#include "emu/event_bus.h"

namespace {

// Signed distance from now to due, on the low 32 bits: exact while no event lies more
// than 2^31 cycles away.
inline i32 Distance(u64 due, u64 now)
{
    return static_cast<i32>(static_cast<u32>(due) - static_cast<u32>(now));
}

// Runs a due event; false when it asked to be removed. A kept event repeats no more
// often than every cycle.
bool Fire(CpuEvent& node, ClockInterface* clock)
{
    if (!node.callback(node.target, &node.period, node.userWords, clock))
        return false;
    if (node.period < 1)
        node.period = 1;
    return true;
}

} // namespace

CpuEvent* CpuBase::UnlinkEvent(CpuEvent* node)
{
    CpuEvent* following = node->next;
    if (node->prev)
        node->prev->next = node->next;
    else
        eventHead_ = node->next;
    if (node->next)
        node->next->prev = node->prev;
    else
        eventTail_ = node->prev;
    node->prev = nullptr;
    node->next = freeEvents_;
    freeEvents_ = node;
    return following;
}

void CpuBase::FreeEvents()
{
    for (CpuEvent* list : {eventHead_, freeEvents_}) {
        while (list) {
            CpuEvent* next = list->next;
            delete list;
            list = next;
        }
    }
    eventHead_ = eventTail_ = freeEvents_ = nullptr;
}

bool CpuBase::AddEvent(i32 period, CpuEventCallback callback, Component* target, const char* name,
                       u32 userWord0, u32 userWord1)
{
    CpuEvent* node = freeEvents_;
    if (node)
        freeEvents_ = node->next;
    else
        node = new CpuEvent;
    *node = CpuEvent{};
    node->period = static_cast<i32>(std::min<i64>(std::llabs(static_cast<i64>(period)), 0x7FFFFFFF));
    node->userWords[0] = userWord0;
    node->userWords[1] = userWord1;
    node->target = target;
    node->callback = callback;
    node->name = name;

    const u64 base = eventsStarted_ ? GetCycleCount() : 0;
    if (period <= 0) {
        node->due = base;
        cyclesToNextEvent_ = 0;
    } else {
        const i32 p = ConvertCycles(node->period);
        node->due = base + static_cast<u64>(static_cast<i64>(p));
        if (p < cyclesToNextEvent_)
            cyclesToNextEvent_ = p;
    }

    node->prev = eventTail_;
    if (eventTail_)
        eventTail_->next = node;
    else
        eventHead_ = node;
    eventTail_ = node;

    // Events added while the machine starts are registered by name, so that a saved
    // state can bind them to their callbacks again.
    if (bus_ && bus_->IsRegistrationOpen())
        return bus_->RegisterNamedEventKind2(name, callback, target);
    return true;
}

void CpuBase::FindNextEvent()
{
    eventsStarted_ = true;
    cyclesToNextEvent_ = kNothingPending;
    const u64 now = GetCycleCount();
    CpuEvent* node = eventHead_;
    while (node) {
        if (node->due != 0) {
            // Counted from the real distance, which equals the period for an event added
            // before the start and stays exact for events restored from a saved state.
            const i32 d = Distance(node->due, now);
            cyclesToNextEvent_ = std::min(cyclesToNextEvent_, std::max(d, 0));
            node = node->next;
            continue;
        }
        // Added with a period of 0 or below before the start: it fires now.
        if (!Fire(*node, this)) {
            node = UnlinkEvent(node);
            continue;
        }
        const i32 p = ConvertCycles(node->period);
        cyclesToNextEvent_ = std::min(cyclesToNextEvent_, p);
        node->due = now + static_cast<u64>(static_cast<i64>(p));
        node = node->next;
    }
}

void CpuBase::RunDueEvents()
{
    cyclesToNextEvent_ = kNothingPending;
    if (!eventHead_)
        return;
    const u64 now = GetCycleCount();
    CpuEvent* node = eventHead_;
    while (node) {
        i32 d = Distance(node->due, now);
        if (d > 0) {
            cyclesToNextEvent_ = std::min(cyclesToNextEvent_, d);
            node = node->next;
            continue;
        }
        if (!Fire(*node, this)) {
            node = UnlinkEvent(node);
            continue;
        }
        i32 p = node->period;
        const bool offFrequency = currentFrequency_ != nominalFrequency_;
        if (offFrequency) {
            p = ConvertCycles(p);
            if (p <= 0)
                p = 1;
        }
        // The next due counts from the previous one, so a repeating event keeps its phase.
        node->due += static_cast<u64>(static_cast<i64>(p));
        d = Distance(node->due, now);
        if (d >= 0) {
            cyclesToNextEvent_ = std::min(cyclesToNextEvent_, d);
            node = node->next;
            continue;
        }
        // Still behind: at the nominal clock it fires once per missed period until it has
        // caught up; off-frequency, more than four missed periods are skipped.
        if (offFrequency && -static_cast<i64>(d) / p > 4)
            node->due = now + 4 * static_cast<u64>(p);
    }
}

void CpuBase::RescaleEvents(double ratio)
{
    cyclesToNextEvent_ = kNothingPending;
    if (!eventHead_)
        return;
    const u64 now = GetCycleCount();
    for (CpuEvent* node = eventHead_; node; node = node->next) {
        const i32 r = Distance(node->due, now);
        const i64 s = static_cast<i64>(std::floor(r / ratio + 0.5));
        node->due = now + static_cast<u64>(s);
        cyclesToNextEvent_ = s > 0 ? static_cast<i32>(std::min<i64>(cyclesToNextEvent_, s)) : 0;
    }
}
