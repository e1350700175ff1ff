// The "_CPU" state block: time base, slice bookkeeping, interrupt flags and every pending
// event, stored by its owner's dotted name and its own name so that loading binds it to
// the live callback through the event bus's registry.
//
//   "VER" u8 0, "FREQ" i64, "CYCL" u64, "FFREQ" i64, "LCYCL" u64, "LSCYCL" u64,
//   "CFREQ" blob 8 (double), "IFFREQ" bool, "MCYCL" i32, "ECYCL" i32, "SCYCL" i32,
//   "PCYCL" i32, "AMSK" u64, "MESZ" u64, "NMI" bool, "CRID" u32, "CHWI" bool, "AHWI" bool,
//   "HWID" i32, "FMSK" u64, "WFLT" bool, "STEVT" bool, "CNEVT" u32,
//   per event i: "DVEVT%ld" string, "NMEVT%ld" string, "DTEVT%ld" blob 36,
//   "CBEVT" i32
//
// Event record (little-endian): reserved A u32, reserved B u32, due u64, reserved C u32,
// reserved D u32, period i32, user word 0 u32, user word 1 u32.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <type_traits>

#include "base/archive.h"
#include "base/string_a.h"
#include "cpu/cpu_base.h"
#include "emu/event_bus.h"
#include "emu/little_endian.h"
#include "emu/state_block.h"

namespace {

constexpr const char* kBlock = "_CPU";
constexpr u32 kEventRecordSize = 36;

// Record fields are 32 bits wide but for the 64-bit due cycle.
template <typename T> void PutLe(u8* p, T value)
{
    if constexpr (sizeof(T) == 8)
        StoreLe64(p, value);
    else
        StoreLe32(p, static_cast<u32>(value));
}

template <typename T> T GetLe(const u8* p)
{
    if constexpr (sizeof(T) == 8)
        return LoadLe64(p);
    else
        return static_cast<T>(LoadLe32(p));
}

// The event record's fields at their offsets, written once for saving and loading.
template <typename Event, typename Visit> void VisitEventRecord(Event& e, Visit visit)
{
    visit(0, e.reservedA);
    visit(4, e.reservedB);
    visit(8, e.due);
    visit(16, e.reservedC);
    visit(20, e.reservedD);
    visit(24, e.period);
    visit(28, e.userWords[0]);
    visit(32, e.userWords[1]);
}

// The run loop may set any positive 32-bit clock (at full speed, the measured one).
bool IsClock(i64 hz)
{
    return hz > 0 && hz <= INT32_MAX;
}

// A running event is due within the window of a saved state (cpu_base.h). period: the
// converted one.
bool DueFitsClock(const CpuEvent& e, u64 now, i32 period)
{
    const i64 p = std::max(period, 1);
    const i64 d = static_cast<i64>(e.due - now);
    return d >= CpuBase::EarliestDue(p) && d <= CpuBase::LatestDue(p);
}

// Cycles from now to the nearest due event, at least 0; kNothingPending without events.
i32 NearestEvent(const CpuEvent* e, u64 now)
{
    i64 nearest = ClockInterface::kNothingPending;
    for (; e; e = e->next)
        nearest = std::min(nearest, std::max<i64>(static_cast<i64>(e->due - now), 0));
    return static_cast<i32>(nearest);
}

StringA IndexedKey(const char* pattern, u32 index)
{
    StringA key;
    key.Format(pattern, index);   // %ld takes 32 bits on every host
    return key;
}

} // namespace

bool CpuBase::SaveState(Archive& archive)
{
    if (!Device::SaveState(archive) || !StateBlock::Open(archive, kBlock))
        return false;
    const i64 freq = nominalFrequency_;
    const i64 currentFreq = currentFrequency_;
    u8 period[8];
    u64 periodBits;
    std::memcpy(&periodBits, &period_, 8);
    StoreLe64(period, periodBits);
    const u64 mask = addressMask_;
    const u64 memSize = memSize_;
    const u64 fmsk = LoadLe64(fmsk_);   // the first 8 bytes
    u32 count = 0;
    for (const CpuEvent* e = eventHead_; e; e = e->next)
        ++count;

    if (!archive.WriteInt64(&freq, "FREQ") || !archive.WriteUInt64(&cycles_, "CYCL") ||
        !archive.WriteInt64(&currentFreq, "FFREQ") || !archive.WriteUInt64(&baseCycles_, "LCYCL") ||
        !archive.WriteUInt64(&baseTime_, "LSCYCL") ||
        !archive.WriteBlob(period, sizeof(period), "CFREQ") || !archive.WriteBool(&iffreq_, "IFFREQ") ||
        !archive.WriteInt32(&sliceBudget_, "MCYCL") || !archive.WriteInt32(&sliceLeft_, "ECYCL") ||
        !archive.WriteInt32(&addedCycles_, "SCYCL") || !archive.WriteInt32(&owedCycles_, "PCYCL") ||
        !archive.WriteUInt64(&mask, "AMSK") || !archive.WriteUInt64(&memSize, "MESZ") ||
        !archive.WriteBool(&nmiPending_, "NMI") || !archive.WriteUInt32(&crid_, "CRID") ||
        !archive.WriteBool(&checkInterrupts_, "CHWI") || !archive.WriteBool(&iff1_, "AHWI") ||
        !archive.WriteInt32(&interruptDelay_, "HWID") || !archive.WriteUInt64(&fmsk, "FMSK") ||
        !archive.WriteBool(&abort_, "WFLT") || !archive.WriteBool(&eventsStarted_, "STEVT") ||
        !archive.WriteUInt32(&count, "CNEVT"))
        return false;

    u32 index = 0;
    for (const CpuEvent* e = eventHead_; e; e = e->next, ++index) {
        StringA owner;
        if (e->target)
            e->target->GetFullName(owner);
        const StringA name(e->name ? e->name : "");
        u8 record[kEventRecordSize];
        VisitEventRecord(*e, [&](u32 at, const auto& field) { PutLe(record + at, field); });
        if (!archive.WriteStringValue(owner, IndexedKey("DVEVT%ld", index)) ||
            !archive.WriteStringValue(name, IndexedKey("NMEVT%ld", index)) ||
            !archive.WriteBlob(record, sizeof(record), IndexedKey("DTEVT%ld", index)))
            return false;
    }
    return archive.WriteInt32(&cyclesToNextEvent_, "CBEVT") && StateBlock::Close(archive, kBlock);
}

bool CpuBase::LoadState(Archive& archive, LoadContext context)
{
    if (!Device::LoadState(archive, context) || !StateBlock::Enter(archive, kBlock))
        return false;

    i64 freq = 0, currentFreq = 0;
    u64 mask = 0, memSize = 0, fmsk = 0;
    u8 period[8];
    if (!archive.ReadInt64(&freq, "FREQ") || !archive.ReadUInt64(&cycles_, "CYCL") ||
        !archive.ReadInt64(&currentFreq, "FFREQ") || !archive.ReadUInt64(&baseCycles_, "LCYCL") ||
        !archive.ReadUInt64(&baseTime_, "LSCYCL") || !archive.ReadBlob(period, sizeof(period), "CFREQ"))
        return false;
    // Both clocks are positive 32-bit frequencies, and the period is the current one's:
    // every time and cycle conversion divides by it, so a period that disagrees is
    // refused and the one used is computed here (a few ulps may differ between hosts).
    if (!IsClock(freq) || !IsClock(currentFreq))
        return false;
    // The nominal clock is the machine's own (its configuration restarts it first): another
    // one would convert every event period at the wrong ratio.
    if (freq != nominalFrequency_)
        return false;
    const u64 periodBits = LoadLe64(period);
    double loadedPeriod;
    std::memcpy(&loadedPeriod, &periodBits, 8);
    const double expectedPeriod = static_cast<double>(kNanosecondsPerSecond) / static_cast<double>(currentFreq);
    if (!(std::fabs(loadedPeriod - expectedPeriod) <= expectedPeriod * 1e-12))
        return false;   // also NaN
    nominalFrequency_ = static_cast<i32>(freq);
    currentFrequency_ = static_cast<i32>(currentFreq);
    period_ = expectedPeriod;
    if (!archive.ReadBool(&iffreq_, "IFFREQ") || !archive.ReadInt32(&sliceBudget_, "MCYCL") ||
        !archive.ReadInt32(&sliceLeft_, "ECYCL") || !archive.ReadInt32(&addedCycles_, "SCYCL") ||
        !archive.ReadInt32(&owedCycles_, "PCYCL") || !archive.ReadUInt64(&mask, "AMSK"))
        return false;
    // A state is saved between slices, where the slice counters stand level; counters
    // apart would move the clock when the next slice sets them, away from every event.
    if (sliceBudget_ != sliceLeft_)
        return false;
    // Time is the cycles since the last re-base times the period: a base past the count has
    // no time. Any distance has one, as the time wraps at 2^64 ns (GetTime).
    if (baseCycles_ > GetCycleCount())
        return false;
    // The mask is the CPU's own, set as it starts (the Z80's 16 bits): the program never
    // changes it, and a narrower one would wrap every address.
    if (mask != addressMask_)
        return false;
    if (!archive.ReadUInt64(&memSize, "MESZ") || memSize != memSize_)
        return false;   // saved by a machine with another memory layout
    if (!archive.ReadBool(&nmiPending_, "NMI") || !archive.ReadUInt32(&crid_, "CRID") ||
        !archive.ReadBool(&checkInterrupts_, "CHWI") || !archive.ReadBool(&iff1_, "AHWI") ||
        !archive.ReadInt32(&interruptDelay_, "HWID") || !archive.ReadUInt64(&fmsk, "FMSK") ||
        !archive.ReadBool(&abort_, "WFLT"))
        return false;
    StoreLe64(fmsk_, fmsk);
    UpdateAttention();

    while (eventHead_)
        UnlinkEvent(eventHead_);

    u32 count = 0;
    if (!archive.ReadBool(&eventsStarted_, "STEVT") || !archive.ReadUInt32(&count, "CNEVT"))
        return false;
    for (u32 i = 0; i < count; ++i) {
        StringA owner, name;
        if (!archive.ReadStringValue(owner, IndexedKey("DVEVT%ld", i)) || owner.IsEmpty() ||
            !archive.ReadStringValue(name, IndexedKey("NMEVT%ld", i)))
            return false;
        NamedEventMatch match;
        const char* registryName = nullptr;
        if (!bus_ || !bus_->FindNamedEventKind2(owner, name, &match, &registryName))
            return false;
        u8 record[kEventRecordSize];
        if (!archive.ReadBlob(record, sizeof(record), IndexedKey("DTEVT%ld", i)))
            return false;
        const auto load = [&](u32 at, auto& field) {
            field = GetLe<std::remove_reference_t<decltype(field)>>(record + at);
        };
        CpuEvent saved;
        VisitEventRecord(saved, load);
        if (!AddEvent(saved.period, match.AsCpuEvent(), match.target, registryName, saved.userWords[0],
                      saved.userWords[1]))
            return false;
        VisitEventRecord(*eventTail_, load);
        if (eventsStarted_ && !DueFitsClock(*eventTail_, GetCycleCount(), ConvertCycles(eventTail_->period)))
            return false;
    }
    i32 toNext = 0;
    if (!archive.ReadInt32(&toNext, "CBEVT"))
        return false;
    // Saved between slices, the count runs from 0 (an event due) to the nearest event.
    // The run loop counts it down by what each slice spent: a negative one is never
    // written and would take 2^31 cycles to come back round. One beyond the nearest event
    // would hold every event back that long, so the nearer of the two is taken.
    if (toNext < 0)
        return false;
    cyclesToNextEvent_ = eventsStarted_ ? std::min(toNext, NearestEvent(eventHead_, GetCycleCount())) : toNext;
    return StateBlock::Leave(archive, kBlock);
}
