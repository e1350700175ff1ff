// Event bus: the "_EVT" block.
//
// Timer record, 40 bytes little-endian:
//    0 u32  kind in bits 0-7; bit 8 set while the timer waits for its first tick
//    4 i32  achieved rate        8 i32 reload        12 i32 countdown
//   16 i32  requested rate
//   20 u32  stream timers: (streamParam2 << 24) | streamParam1; 0 for timers
//   24 u64  fire count          32 u32 user word 0  36 u32 user word 1
// followed by the keyed i32 "RMEVT%ld": the running remainder of the reloads.
#include <algorithm>

#include "base/archive.h"
#include "base/stream_interface.h"
#include "emu/event_bus.h"
#include "emu/little_endian.h"
#include "emu/state_block.h"

namespace {

constexpr u64 kRecordSize = 40;
constexpr u32 kNotStartedBit = 0x100;
// A timer's "DTEVT" and "RMEVT" values alone take this many bytes (each: marker, key
// record of at least six characters, type; then the record's length and bytes, and the
// remainder); a count that the stream cannot hold is refused before anything is added.
constexpr u64 kMinTimerBytes = (1 + 4 + 6 + 1 + 4 + kRecordSize) + (1 + 4 + 6 + 1 + 4);

const char kBlockName[] = "_EVT";

bool IsBusRate(i32 hz)
{
    for (const i32 rate : EventBus::kBusRates) {
        if (hz == rate)
            return true;
    }
    return false;
}

struct TimerRecord {
    u32 kind = 0;
    bool notStarted = false;
    i32 achievedRate = 0;
    i32 reload = 0;
    i32 countdown = 0;
    i32 requestedRate = 0;
    u32 streamWord = 0;
    u64 fireCount = 0;
    u32 userWords[2] = {0, 0};
    i32 remainder = 0;      // saved beside the record, not in it

    void Pack(u8* p) const
    {
        StoreLe32(p + 0, kind | (notStarted ? kNotStartedBit : 0));
        StoreLe32(p + 4, static_cast<u32>(achievedRate));
        StoreLe32(p + 8, static_cast<u32>(reload));
        StoreLe32(p + 12, static_cast<u32>(countdown));
        StoreLe32(p + 16, static_cast<u32>(requestedRate));
        StoreLe32(p + 20, streamWord);
        StoreLe64(p + 24, fireCount);
        StoreLe32(p + 32, userWords[0]);
        StoreLe32(p + 36, userWords[1]);
    }

    void Unpack(const u8* p)
    {
        const u32 word0 = LoadLe32(p + 0);
        kind = word0 & 0xFF;
        notStarted = (word0 & kNotStartedBit) != 0;
        achievedRate = static_cast<i32>(LoadLe32(p + 4));
        reload = static_cast<i32>(LoadLe32(p + 8));
        countdown = static_cast<i32>(LoadLe32(p + 12));
        requestedRate = static_cast<i32>(LoadLe32(p + 16));
        streamWord = LoadLe32(p + 20);
        fireCount = LoadLe64(p + 24);
        userWords[0] = LoadLe32(p + 32);
        userWords[1] = LoadLe32(p + 36);
    }

    // The timing a timer of this requested rate has at busFrequency, as the bus sets it:
    // later reloads count with these values, and a countdown beyond the longest interval
    // would silence the timer for up to 2^31 ticks.
    bool IsPlausible(i32 busFrequency) const
    {
        if (requestedRate < 1)
            return false;
        if (busFrequency == 0)
            return achievedRate == 0 && reload == 0 && remainder == 0;
        const i32 rate = std::min(requestedRate, busFrequency);
        return achievedRate == rate && reload == busFrequency / rate && remainder >= 0 && remainder < rate &&
               countdown >= 0 && countdown <= reload + 1;
    }
};

}  // namespace

bool EventBus::SaveState(Archive& archive)
{
    u32 count = 0;
    for (const BusTimer* node = head_; node; node = node->next) {
        if (node->kind != BusTimer::kTimer && node->kind != BusTimer::kStream)
            return false;
        // A timer without an owner could never be re-bound: the state would not load.
        if (!(node->kind == BusTimer::kTimer ? node->user : node->streamTarget))
            return false;
        ++count;
    }

    // The count's 32 bits as they stand: past 2^31 its i32 record reads negative.
    const i32 ticks = static_cast<i32>(tickCount_);
    if (!StateBlock::Open(archive, kBlockName) || !archive.WriteInt32(&busFrequency_, "CRFRQ") ||
        !archive.WriteInt32(&ticks, "CNFRQ") || !archive.WriteUInt32(&count, "CNEVT"))
        return false;

    StringA key;
    StringA owner;
    i32 index = 0;
    for (const BusTimer* node = head_; node; node = node->next, ++index) {
        const bool isStream = node->kind == BusTimer::kStream;
        (isStream ? node->streamTarget : node->user)->GetFullName(owner);
        key.Format("DVEVT%ld", index);
        if (!archive.WriteStringValue(owner, key))
            return false;
        key.Format("NMEVT%ld", index);
        if (!archive.WriteStringValue(StringA(node->name), key))
            return false;

        TimerRecord record;
        record.kind = node->kind;
        record.notStarted = !node->started;
        record.achievedRate = node->achievedRate;
        record.reload = node->reload;
        record.countdown = node->countdown;
        record.requestedRate = node->requestedRate;
        record.streamWord = isStream ? (node->streamParams[1] << 24) | (node->streamParams[0] & 0xFFFFFF) : 0;
        record.fireCount = node->fireCount;
        record.userWords[0] = node->userWords[0];
        record.userWords[1] = node->userWords[1];
        u8 bytes[kRecordSize];
        record.Pack(bytes);
        key.Format("DTEVT%ld", index);
        if (!archive.WriteBlob(bytes, kRecordSize, key))
            return false;
        i32 remainder = node->remainder;
        key.Format("RMEVT%ld", index);
        if (!archive.WriteInt32(&remainder, key))
            return false;
    }
    return StateBlock::Close(archive, kBlockName);
}

bool EventBus::LoadState(Archive& archive, LoadContext /*context*/)
{
    RemoveAllTimers();

    i32 frequency = 0;
    i32 ticks = 0;
    u32 count = 0;
    if (!StateBlock::Enter(archive, kBlockName) || !archive.ReadInt32(&frequency, "CRFRQ") ||
        !archive.ReadInt32(&ticks, "CNFRQ") || !archive.ReadUInt32(&count, "CNEVT"))
        return false;
    // Taken as stored (the bus tick comes back with the CPU's events), but only a rate
    // the bus can run at. Every count is one the bus can reach: a negative one is a count
    // past 2^31 (earlier builds wrote those too, after their count overflowed).
    if (frequency != 0 && !IsBusRate(frequency))
        return false;
    StreamInterface* stream = archive.GetStream();
    if (!stream)
        return false;
    const u64 size = stream->GetSize();
    const u64 position = stream->GetPosition();
    if (position > size || count > (size - position) / kMinTimerBytes)
        return false;
    busFrequency_ = frequency;
    tickCount_ = static_cast<u32>(ticks);
    // A count of 0 is taken as a bus still waiting for its first tick; saved exactly where
    // the count wrapped, the first tick passes over the running timers, which then come a
    // tick late once.
    ticked_ = tickCount_ != 0;

    StringA key;
    StringA owner;
    StringA name;
    for (u32 i = 0; i < count; ++i) {
        const i32 index = static_cast<i32>(i);
        key.Format("DVEVT%ld", index);
        if (!archive.ReadStringValue(owner, key))
            return false;
        key.Format("NMEVT%ld", index);
        if (!archive.ReadStringValue(name, key))
            return false;
        NamedEventMatch match;
        const char* registryName = nullptr;
        if (!FindNamedEvent(owner, name, &match, &registryName))
            return false;
        u8 bytes[kRecordSize];
        key.Format("DTEVT%ld", index);
        if (!archive.ReadBlob(bytes, kRecordSize, key))
            return false;
        TimerRecord record;
        record.Unpack(bytes);
        key.Format("RMEVT%ld", index);
        if (!archive.ReadInt32(&record.remainder, key))
            return false;
        if (!record.IsPlausible(busFrequency_))
            return false;

        // The registered callback must be of the timer's own kind: calling a CPU event
        // or a bus timer as a stream callback (or the reverse) would crash.
        bool added = false;
        if (record.kind == BusTimer::kTimer) {
            if (match.kind != kNamedBusTimer || (record.notStarted && ticked_))
                return false;
            added = AddTimer(record.requestedRate, match.AsBusTimer(), match.target, registryName,
                             record.userWords[0], record.userWords[1], record.notStarted);
        } else if (record.kind == BusTimer::kStream) {
            if (match.kind != kNamedStreamTimer || record.requestedRate != kStreamRate)
                return false;
            added = AddTimerWithCallback(record.streamWord & 0xFFFFFF, record.streamWord >> 24,
                                         match.AsStreamTimer(), match.target, registryName,
                                         record.userWords[0], record.userWords[1]);
        }
        if (!added)
            return false;
        BusTimer* node = tail_;
        node->kind = record.kind;
        node->achievedRate = record.achievedRate;
        node->reload = record.reload;
        node->countdown = record.countdown;
        node->remainder = record.remainder;
        node->requestedRate = record.requestedRate;
        node->fireCount = record.fireCount;
        node->userWords[0] = record.userWords[0];
        node->userWords[1] = record.userWords[1];
        node->started = !record.notStarted;
    }
    return StateBlock::Leave(archive, kBlockName);
}
