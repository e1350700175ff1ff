// Event bus: bus frequency, timers and the tick.
#include "emu/event_bus.h"

#include <algorithm>

#include "emu/sound_stream.h"

namespace {

// a / b rounded to nearest, halves away from zero (a >= 0, b > 0).
i32 RoundedQuotient(i64 a, i64 b)
{
    return static_cast<i32>((2 * a + b) / (2 * b));
}

// Cycles from one bus tick to the next: floor(clockHz / busHz), one more whenever the
// carried remainder of clockHz % busHz per tick sums to busHz, so that busHz ticks take
// exactly clockHz cycles. A remainder out of range (a damaged state) is folded back in.
i32 NextTickPeriod(i32 clockHz, i32 busHz, u32* remainder, i32 current)
{
    if (clockHz <= 0 || busHz <= 0)
        return current;
    const u32 clock = static_cast<u32>(clockHz);
    const u32 bus = static_cast<u32>(busHz);
    u32 carried = *remainder % bus + clock % bus;
    i32 period = static_cast<i32>(clock / bus);
    if (carried >= bus) {
        carried -= bus;
        ++period;
    }
    *remainder = carried;
    return period;
}

}  // namespace

EventBus::EventBus()
{
    SetName("_BUS");
}

EventBus::~EventBus()
{
    RemoveAllTimers();
    FreeAllNodes();
}

// --- timer list --------------------------------------------------------------------------

BusTimer* EventBus::TakeNode()
{
    // Spent nodes are reused so that steady ticking never allocates.
    if (free_) {
        BusTimer* node = free_;
        free_ = node->next;
        *node = BusTimer{};
        return node;
    }
    return new BusTimer{};
}

void EventBus::Append(BusTimer* node)
{
    node->next = nullptr;
    node->prev = tail_;
    if (tail_)
        tail_->next = node;
    else
        head_ = node;
    tail_ = node;
}

BusTimer* EventBus::Remove(BusTimer* node)
{
    BusTimer* following = node->next;
    if (node->prev)
        node->prev->next = node->next;
    else
        head_ = node->next;
    if (node->next)
        node->next->prev = node->prev;
    else
        tail_ = node->prev;
    delete node->stream;
    node->stream = nullptr;
    node->prev = nullptr;
    node->next = free_;
    free_ = node;
    return following;
}

void EventBus::RemoveAllTimers()
{
    while (head_)
        Remove(head_);
}

void EventBus::FreeAllNodes()
{
    RemoveAllTimers();
    while (free_) {
        BusTimer* node = free_;
        free_ = node->next;
        delete node;
    }
}

i32 EventBus::GetTimerCount() const
{
    i32 n = 0;
    for (const BusTimer* node = head_; node; node = node->next)
        ++n;
    return n;
}

void EventBus::Retime(BusTimer* node) const
{
    const i32 rate = std::max(1, std::min(node->requestedRate, busFrequency_));
    node->achievedRate = rate;
    node->reload = busFrequency_ / rate;
    node->remainder = 0;
}

void EventBus::Reload(BusTimer* node) const
{
    node->countdown = node->reload;
    const i32 rate = node->achievedRate;
    if (rate <= 0 || busFrequency_ <= 0)
        return;
    // reload * rate falls short of busHz by less than rate ticks; adding the shortfall
    // per call and one tick whenever it has summed to rate makes the rate exact.
    node->remainder += busFrequency_ - node->reload * rate;
    if (node->remainder >= rate) {
        node->remainder -= rate;
        ++node->countdown;
    }
}

// --- adding timers -----------------------------------------------------------------------

bool EventBus::AddTimer(i32 rate, BusTimerCallback callback, Component* user, const char* name, u32 userWord0,
                        u32 userWord1, bool startAtFirstTick)
{
    // A timer without a callback could only crash the next tick.
    if (!callback)
        return false;
    BusTimer* node = TakeNode();
    node->kind = BusTimer::kTimer;
    node->requestedRate = rate > 0 ? rate : kEveryTick;
    node->user = user;
    node->callback = callback;
    node->name = name;
    node->userWords[0] = userWord0;
    node->userWords[1] = userWord1;
    // A timer that is to fire at the first tick must not be passed over by it.
    node->started = !startAtFirstTick || ticked_;
    if (busFrequency_ > 0) {
        Retime(node);
        node->countdown = startAtFirstTick ? 0 : node->reload;
    } else {
        node->countdown = node->requestedRate;
    }
    Append(node);

    if (!registrationOpen_)
        return true;
    if (!name)
        return false;
    if (!user)
        return true;
    return RegisterNamedEventKind0(name, callback, user);
}

bool EventBus::AddTimerWithCallback(u32 streamParam1, u32 streamParam2, StreamTimerCallback callback,
                                    Component* target, const char* name, u32 userWord0, u32 userWord1)
{
    if (!soundOutput_)
        return false;
    // The saved record packs both parameters into one word.
    if (streamParam1 >= (1u << 24) || streamParam2 >= 256)
        return false;
    SoundStreamInterface* stream = soundOutput_->Clone();
    if (!stream)
        return false;
    if (!stream->Open(static_cast<i32>(streamParam1), static_cast<i32>(streamParam2), kStreamRate)) {
        delete stream;
        return false;
    }
    BusTimer* node = TakeNode();
    node->kind = BusTimer::kStream;
    node->requestedRate = kStreamRate;
    node->streamTarget = target;
    node->streamCallback = callback;
    node->stream = stream;
    node->streamParams[0] = streamParam1;
    node->streamParams[1] = streamParam2;
    node->name = name;
    node->userWords[0] = userWord0;
    node->userWords[1] = userWord1;
    node->started = ticked_;
    if (busFrequency_ > 0)
        Retime(node);
    Append(node);

    if (!registrationOpen_)
        return true;
    if (!name || !callback)
        return false;
    if (!target)
        return true;
    return RegisterNamedEventKind1(name, callback, target);
}

// --- frequency and ticks -----------------------------------------------------------------

i32 EventBus::QuantiseFrequency(i32 requested)
{
    for (const i32 rate : kBusRates) {
        if (requested <= rate)
            return rate;
    }
    return kBusRates[4];
}

i32 EventBus::SetBusFrequency(i32 requested, ClockInterface* clock)
{
    tickCount_ = 0;
    ticked_ = false;
    busFrequency_ = QuantiseFrequency(requested);
    for (BusTimer* node = head_; node; node = node->next) {
        if (node->kind != BusTimer::kTimer && node->kind != BusTimer::kStream)
            continue;
        Retime(node);
        node->countdown = node->started ? node->reload : 0;
    }
    if (clock) {
        const i32 period = RoundedQuotient(std::max(0, clock->GetNominalFrequency()), busFrequency_);
        // A negative period makes the first tick due at once.
        clock->AddEvent(-period, &EventBus::TickCallback, this, "_BusFreqEvent", 0, 0);
        return 1;
    }
    return busFrequency_ / kStreamRate;
}

bool EventBus::TickCallback(Component* target, i32* period, u32* userWords, ClockInterface* clock)
{
    auto* bus = static_cast<EventBus*>(target);
    bus->Tick();
    if (period && userWords && clock)
        *period = NextTickPeriod(clock->GetNominalFrequency(), bus->busFrequency_, &userWords[0], *period);
    return true;
}

bool EventBus::FireStream(BusTimer* node)
{
    if (!node->stream || !node->streamCallback)
        return false;
    i32 count = 0;
    i32 minimum = 0;
    i32 maximum = 0;
    i32* buffer = node->stream->FlipBuffer(&count, &minimum, &maximum);
    if (!buffer || count <= 0)
        return false;
    if (!node->streamCallback(node->streamTarget, buffer, count, minimum, maximum, node->achievedRate,
                              node->userWords))
        return false;
    if (!hold_)
        node->stream->FillBuffer();
    return true;
}

void EventBus::Tick()
{
    BusTimer* node = head_;
    while (node) {
        // The first tick after a frequency change passes over the timers that were
        // already running, so that each starts a full reload from here.
        if (!ticked_) {
            if (node->started) {
                node = node->next;
                continue;
            }
            node->started = true;
        }
        if (node->kind != BusTimer::kTimer && node->kind != BusTimer::kStream) {
            node = Remove(node);
            continue;
        }
        if (--node->countdown > 0) {
            node = node->next;
            continue;
        }
        const bool keep = node->kind == BusTimer::kTimer
                              ? node->callback(node->user, &node->fireCount, node->userWords)
                              : FireStream(node);
        ++node->fireCount;
        if (keep) {
            Reload(node);
            node = node->next;
        } else {
            node = Remove(node);
        }
    }
    ticked_ = true;
    ++tickCount_;   // wraps modulo 2^32; every user takes differences of counts in u32
}

void EventBus::SetHold(bool hold)
{
    if (hold_ == hold)
        return;
    hold_ = hold;
    if (!hold)
        return;
    for (BusTimer* node = head_; node; node = node->next) {
        if (node->kind == BusTimer::kStream && node->stream)
            node->stream->Silence();
    }
}

// --- component ---------------------------------------------------------------------------

bool EventBus::Start(i32* /*rate*/)
{
    tickCount_ = 0;
    ticked_ = false;
    hold_ = false;
    // The bus tick is a CPU event; registering it lets a saved "_CPU" block re-bind it.
    return RegisterNamedEventKind2("_BusFreqEvent", &EventBus::TickCallback, this);
}

void EventBus::Stop()
{
    FreeAllNodes();
    busFrequency_ = 0;
    tickCount_ = 0;
    ticked_ = false;
}
