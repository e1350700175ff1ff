// Event bus, service "_BUS": periodic device timers and the named-event registry.
//
// The bus runs at one of five rates (2450, 7350, 14700, 22050 or 44100 Hz). Every bus
// tick counts each timer down; a timer whose countdown runs out calls its callback and
// reloads (the callback answers true) or ends (false). The tick itself is the
// repeating CPU event "_BusFreqEvent" when the run loop hands the main CPU's clock to
// SetBusFrequency, otherwise the run loop ticks the bus itself.
//
//   kind 1  timer         rate = min(requested, busHz) calls per busHz ticks
//   kind 2  stream timer  50 Hz; flips and fills a sound stream of its own (sound_stream.h)
//
// Rates rarely divide the bus rate (a 240 Hz frame timer on a 2450 Hz bus is 10.2 ticks),
// so a timer reloads with floor(busHz / rate) ticks plus one whenever its running
// remainder (busHz % rate per call) reaches rate: Bresenham's walk, which makes exactly
// rate calls in every busHz ticks with the calls spread evenly. A plain floor would run
// that frame timer 2% fast. The CPU event that ticks the bus spreads its cycles the same
// way, so the bus itself keeps exactly busHz ticks per emulated second.
//
// Saved states never hold callback addresses: every event that must survive a load
// (bus timers, stream timers, CPU events) is registered here under its owner and its
// name while the machine starts, and a loaded state re-binds its events by looking
// them up. Registry kinds: 0 bus timer, 1 stream timer, 2 CPU event.
//
// "_EVT" block (event_bus_state.cpp), keys in order:
//   "VER" u8 0, "CRFRQ" i32 bus frequency, "CNFRQ" i32 tick counter (its 32 bits, which
//   wrap), "CNEVT" u32 n,
//   per timer i: "DVEVT%ld" owner's dotted name, "NMEVT%ld" timer name,
//                "DTEVT%ld" 40-byte record (see TimerRecord in event_bus_state.cpp),
//                "RMEVT%ld" i32 running remainder of the timer's reloads.
//
// Everything runs on the emulation worker thread; no locks.
#pragma once

#include <deque>

#include "base/string_a.h"
#include "base/types.h"
#include "cpu/clock_interface.h"
#include "emu/component.h"

class SoundStreamInterface;

// Bus timer callback: user is the owner given to AddTimer; fireCount counts the calls
// made so far; userWords are the two words given to AddTimer. True keeps the timer.
using BusTimerCallback = bool (*)(Component* user, u64* fireCount, u32* userWords);

// Stream timer callback: buffer, count, minimum and maximum come from the stream's
// FlipBuffer; achievedRate is the timer's real rate in Hz. True keeps the timer.
using StreamTimerCallback = bool (*)(Component* target, i32* buffer, i32 count, i32 minimum,
                                     i32 maximum, i32 achievedRate, u32* userWords);

// Kinds of the named-event registry.
inline constexpr u32 kNamedBusTimer = 0;
inline constexpr u32 kNamedStreamTimer = 1;
inline constexpr u32 kNamedCpuEvent = 2;

// A registry entry's binding, answered by FindNamedEvent. The callback is the one of
// the entry's kind; use the accessor that matches kind.
struct NamedEventMatch {
    Component* target = nullptr;
    u32 kind = 0;
    void (*callback)() = nullptr;

    BusTimerCallback AsBusTimer() const { return reinterpret_cast<BusTimerCallback>(callback); }
    StreamTimerCallback AsStreamTimer() const { return reinterpret_cast<StreamTimerCallback>(callback); }
    CpuEventCallback AsCpuEvent() const { return reinterpret_cast<CpuEventCallback>(callback); }
};

// One timer node; spent nodes go to the bus's free list and are reused.
struct BusTimer {
    static constexpr u32 kTimer = 1;
    static constexpr u32 kStream = 2;

    u32 kind = kTimer;           // 1 timer, 2 stream timer; anything else is removed at the next tick
    i32 achievedRate = 0;        // calls per second: min(requested rate, busHz)
    i32 reload = 0;              // floor(busHz / achieved rate): the shorter of the two intervals
    i32 countdown = 0;           // ticks until the next call
    i32 remainder = 0;           // busHz % achieved rate summed per reload, below achieved rate
    BusTimer* next = nullptr;
    BusTimer* prev = nullptr;
    Component* user = nullptr;   // owner; first callback argument of a kind-1 timer
    BusTimerCallback callback = nullptr;
    u64 fireCount = 0;           // calls made so far; at most one a tick, 2^64 ticks never come
    const char* name = nullptr;  // not owned: a literal or the registry's copy
    i32 requestedRate = 0;       // Hz; 0x7FFFFFFF for "every tick", 50 for stream timers
    u32 userWords[2] = {0, 0};
    bool started = false;        // has taken part in a tick since the last frequency change
    SoundStreamInterface* stream = nullptr;      // stream timers: owned stream object
    Component* streamTarget = nullptr;           // stream timers: the device
    StreamTimerCallback streamCallback = nullptr;
    u32 streamParams[2] = {0, 0};                // below 2^24 and below 256
};

class EventBusBase {
public:
    virtual ~EventBusBase() = default;

    // A periodic timer calling callback(user, ...) rate times per emulated second (a rate
    // of 0 or less: every tick). With startAtFirstTick the first call comes at the first
    // tick, else after a full reload. name registers it for saved states while the
    // registration window is open; the answer is then the registration's.
    virtual bool AddTimer(i32 rate, BusTimerCallback callback, Component* user, const char* name,
                          u32 userWord0, u32 userWord1, bool startAtFirstTick) = 0;
    // A 50 Hz stream timer feeding a clone of the sound output opened with
    // (streamParam1, streamParam2, 50). False without a sound output or when the stream
    // cannot be made or opened.
    virtual bool AddTimerWithCallback(u32 streamParam1, u32 streamParam2, StreamTimerCallback callback,
                                      Component* target, const char* name, u32 userWord0,
                                      u32 userWord1) = 0;
    virtual i32 GetBusFrequency() const = 0;
    // Ticks since the bus frequency was last set, modulo 2^32: at 44,100 Hz the count
    // wraps after 27 hours, so a distance between two counts is their difference taken
    // in u32.
    virtual u32 GetTickCount() const = 0;
};

class EventBus : public EventBusBase, public Component {
public:
    static constexpr i32 kBusRates[5] = {2450, 7350, 14700, 22050, 44100};
    static constexpr i32 kStreamRate = 50;
    static constexpr i32 kEveryTick = 0x7FFFFFFF;

    EventBus();
    ~EventBus() override;

    // --- timers (event_bus.cpp) ---
    bool AddTimer(i32 rate, BusTimerCallback callback, Component* user, const char* name, u32 userWord0,
                  u32 userWord1, bool startAtFirstTick) override;
    bool AddTimerWithCallback(u32 streamParam1, u32 streamParam2, StreamTimerCallback callback,
                              Component* target, const char* name, u32 userWord0,
                              u32 userWord1) override;
    i32 GetBusFrequency() const override { return busFrequency_; }
    u32 GetTickCount() const override { return tickCount_; }

    // Quantises requested to a bus rate and recomputes every timer's reload. With a clock
    // it adds the repeating CPU event "_BusFreqEvent" (first tick due at once, then every
    // floor or ceil(clock Hz / bus Hz) cycles, busHz ticks per clock Hz cycles) and
    // answers 1; without one it answers the bus ticks per 1/50 s and the caller ticks the
    // bus itself. Every call with a clock adds another event: call it once per run.
    i32 SetBusFrequency(i32 requested, ClockInterface* clock);
    static i32 QuantiseFrequency(i32 requested);
    // One bus tick.
    void Tick();
    // The "_BusFreqEvent" callback: ticks target (the bus), sets the cycles to the next
    // tick and keeps the event. userWords[0] carries the running remainder of those
    // cycles (so it travels with the CPU's saved events).
    static bool TickCallback(Component* target, i32* period, u32* userWords, ClockInterface* clock);

    // While held (the run is in the debugger), stream timers still call their channels
    // but do not fill their sound output; holding silences every stream.
    void SetHold(bool hold);
    bool IsHeld() const { return hold_; }

    // The prototype that stream timers clone; set by the system base.
    void SetSoundOutput(SoundStreamInterface* output) { soundOutput_ = output; }
    SoundStreamInterface* GetSoundOutput() const { return soundOutput_; }

    // The registration window: open only while the emulation core starts the machine, so
    // that just the events and timers that devices add in their Start are registered.
    void SetRegistrationOpen(bool open) { registrationOpen_ = open; }
    bool IsRegistrationOpen() const { return registrationOpen_; }

    // --- named-event registry (event_bus_registry.cpp) ---
    // Refuse a null name, callback or target. True when the same (owner, name) is already
    // registered with the same kind and callback; false when it clashes (another kind or
    // callback, or another component of the same name).
    bool RegisterNamedEventKind0(const char* name, BusTimerCallback callback, Component* target);
    bool RegisterNamedEventKind1(const char* name, StreamTimerCallback callback, Component* target);
    bool RegisterNamedEventKind2(const char* name, CpuEventCallback callback, Component* target);
    // The first entry whose owner's dotted name and whose name match; nameOut gets the
    // registry's copy of the name (valid while the bus lives).
    bool FindNamedEvent(const StringBase& deviceName, const StringBase& eventName, NamedEventMatch* match,
                        const char** nameOut) const;
    // The same, but only a CPU event (kind 2) matches.
    bool FindNamedEventKind2(const StringBase& deviceName, const StringBase& eventName,
                             NamedEventMatch* match, const char** nameOut) const;
    i32 GetNamedEventCount() const { return static_cast<i32>(named_.size()); }

    // --- component ---
    // Resets the tick counter and the hold flag and registers "_BusFreqEvent".
    bool Start(i32* rate) override;
    // Removes every timer (and its stream); the bus frequency and tick counter become 0.
    void Stop() override;
    bool SaveState(Archive& archive) override;                        // event_bus_state.cpp
    bool LoadState(Archive& archive, LoadContext context) override;   // event_bus_state.cpp

    // Timers in list order, for the debugger and the tests.
    const BusTimer* GetFirstTimer() const { return head_; }
    i32 GetTimerCount() const;

private:
    struct NamedEvent {
        StringA name;         // the event's name (owned copy, handed out by FindNamedEvent)
        StringA ownerPath;    // the owner's dotted name at registration
        Component* target;
        u32 kind;
        void (*callback)();
    };

    bool RegisterEvent(const char* name, void (*callback)(), Component* target, u32 kind);
    bool FindEvent(const StringBase& deviceName, const StringBase& eventName, bool cpuOnly,
                   NamedEventMatch* match, const char** nameOut) const;

    BusTimer* TakeNode();
    // Sets node's rate and reload for the current bus frequency (above 0) and clears its
    // remainder; the countdown is the caller's.
    void Retime(BusTimer* node) const;
    // Countdown to the next call, carrying the remainder.
    void Reload(BusTimer* node) const;
    void Append(BusTimer* node);
    // Unlinks node, destroys its stream and puts it on the free list; answers the node
    // that followed it.
    BusTimer* Remove(BusTimer* node);
    void RemoveAllTimers();
    void FreeAllNodes();
    // A stream timer's call: flip, let the channel render, fill unless held.
    bool FireStream(BusTimer* node);

    std::deque<NamedEvent> named_;  // a deque: handed-out names must not move
    BusTimer* head_ = nullptr;
    BusTimer* tail_ = nullptr;
    BusTimer* free_ = nullptr;
    i32 busFrequency_ = 0;      // [CRFRQ] Hz, 0 until set
    u32 tickCount_ = 0;         // [CNFRQ] ticks since the frequency was last set; wraps modulo 2^32
    bool ticked_ = false;       // a tick came since the frequency was last set
    bool hold_ = false;
    SoundStreamInterface* soundOutput_ = nullptr;
    bool registrationOpen_ = false;
};
