// CPU base: time base, frequency changes, start and stop.
#include "cpu/cpu_base.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "emu/memory_space.h"

CpuBase::CpuBase()
{
    SetName("CPU");
    SetDescription("CPU");
}

CpuBase::~CpuBase()
{
    FreeEvents();
}

bool CpuBase::Start(i32* rate)
{
    eventsStarted_ = false;
    if (!Device::Start(rate))
        return false;
    if (nominalFrequency_ == 0)
        return false;
    addressMask_ = 0xFFFFFFFF;
    InvalidateDirectPages();
    iff1_ = true;
    checkInterrupts_ = true;
    interruptDelay_ = 0;
    nmiPending_ = false;
    inExecute_ = false;
    abort_ = false;
    instructionStart_ = 0;
    addedCycles_ = 0;
    owedCycles_ = 0;
    sliceLeft_ = 0;
    sliceBudget_ = 0;
    cycles_ = 0;
    std::memset(fmsk_, 0xFF, sizeof(fmsk_));
    iffreq_ = false;
    currentFrequency_ = nominalFrequency_;
    baseTime_ = 0;
    baseCycles_ = 0;
    period_ = static_cast<double>(kNanosecondsPerSecond) / nominalFrequency_;
    UpdateAttention();
    Reset();
    return true;
}

void CpuBase::Stop()
{
    ExtFlush();
    Reset();
    eventsStarted_ = false;
    FreeEvents();
    Device::Stop();
}

bool CpuBase::Connect(u32 flags)
{
    if (!Device::Connect(flags))
        return false;
    if (flags & kConnectMemoryMap) {
        ExtFlush();
        // A memory space without memory leaves nothing to read directly: every access
        // then goes to the memory space, which answers its defaults.
        if (memory_ && memory_->GetBlockTable() && memory_->GetSize() != 0) {
            memSize_ = memory_->GetHighestAddress() + 1;
            ram_ = memory_->GetMemory();
            blocks_ = memory_->GetBlockTable();
            mapVersion_ = memory_->GetMapVersion();
        } else {
            memSize_ = 0;
            ram_ = nullptr;
            blocks_ = nullptr;
            mapVersion_ = &kNoMapVersion;
        }
        InvalidateDirectPages();
    }
    return true;
}

void CpuBase::RefreshDirectPages()
{
    // A page maps linearly onto one block only when the mask keeps the offset bits.
    const bool linear = blocks_ != nullptr && (addressMask_ & kMemBlockMask) == kMemBlockMask;
    for (u32 page = 0; page < kDirectPages; ++page) {
        fetchPages_[page] = nullptr;
        readPages_[page] = nullptr;
        writePages_[page] = nullptr;
        const u32 first = (page << kMemBlockShift) & addressMask_;
        if (!linear || first >= memSize_ || memSize_ - first < kMemBlockSize)
            continue;
        const MemoryBlockEntry& e = blocks_[first >> kMemBlockShift];
        if ((e.flags & kMemReadKindMask) == kMemReadDirect)
            fetchPages_[page] = static_cast<const u8*>(e.readContext);
        if ((e.flags & (kMemReadable | kMemReadHandler | kMemReadAlias)) == kMemReadDirect)
            readPages_[page] = static_cast<const u8*>(e.readContext);
        if ((e.flags & kMemWriteKindMask) == kMemWriteDirect)
            writePages_[page] = static_cast<u8*>(e.writeContext);
    }
    pagesVersion_ = *mapVersion_;
}

void CpuBase::Reset()
{
    nmiPending_ = false;
    iff1_ = true;
    checkInterrupts_ = true;
    interruptDelay_ = 0;
    owedCycles_ = 0;
    UpdateAttention();
}

void CpuBase::ResetProgramCounter()
{
    nmiPending_ = false;
    iff1_ = true;
    checkInterrupts_ = true;
    interruptDelay_ = 0;
    UpdateAttention();
}

i32 CpuBase::ConvertCycles(i32 n) const
{
    if (currentFrequency_ == nominalFrequency_)
        return n;
    // Above 1 GHz (the full-speed run loop measures such clocks) the period is below 1 ns
    // and a large n grows past 32 bits: the count saturates instead.
    const double converted = std::floor(n / period_ + 0.5);
    return static_cast<i32>(std::clamp(converted, static_cast<double>(INT32_MIN), static_cast<double>(INT32_MAX)));
}

i32 CpuBase::AddCycles(i32 cycles)
{
    const i32 n = ConvertCycles(cycles);
    if (n < 1)
        return n;
    if (inExecute_)
        sliceLeft_ -= n;   // the slice ends earlier; GetCycleCount already counts them
    else
        cycles_ += static_cast<u64>(n);   // SCYCL is only carried: 32 bits would overflow in a long run
    return n;
}

u64 CpuBase::GetTime() const
{
    // 2^64 ns are 584 emulated years: 96 days of the fastest flat-out run measured (2,232
    // times real time), less at a clock of a few Hz. The time wraps as the sum below does
    // rather than converting a double out of range.
    const u64 d = GetCycleCount() - baseCycles_;
    double ns = static_cast<double>(d) * period_;
    if (!(ns < 0x1p64))
        ns = std::fmod(ns, 0x1p64);
    return baseTime_ + static_cast<u64>(ns);
}

void CpuBase::ChangeFrequency(i32 hz)
{
    baseTime_ = GetTime();
    baseCycles_ = GetCycleCount();
    currentFrequency_ = hz;
    const double newPeriod = hz != 0 ? static_cast<double>(kNanosecondsPerSecond) / hz : 1.0;
    RescaleEvents(period_ / newPeriod);
    period_ = newPeriod;
}

bool CpuBase::SetFrequency(i32 hz)
{
    if (hz < 0)
        return false;
    ChangeFrequency(currentFrequency_);   // re-base under the old period
    nominalFrequency_ = hz;
    ChangeFrequency(currentFrequency_);
    return true;
}

void CpuBase::ExtPair(u32* a, u32* b)
{
    if (a)
        *a = 0;
    if (b)
        *b = 0;
}

i32 CpuBase::GetEffectiveFrequency() const
{
    return UsesTimeBase() ? kNanosecondsPerSecond : nominalFrequency_;
}
