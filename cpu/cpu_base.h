// CpuBase: the device base of every processor and the master clock of the machine.
//
// Emulated time is a 64-bit cycle count; nanoseconds follow from it through the current
// clock period, re-based whenever the frequency changes so that time stays continuous.
// The derived processor's Execute runs a slice of cycles and keeps the slice bookkeeping
// below, so that devices called from inside the slice read an exact cycle count.
//
//   total cycles = CYCL + SCYCL + (MCYCL - ECYCL)        MCYCL, ECYCL are 0 outside Execute
//   time (ns)    = LSCYCL + (total - LCYCL) * CFREQ
//
// Events are kept in one list in insertion order (never sorted) and fired between slices
// by RunDueEvents; the run loop sizes every slice to the cycles to the next event, so a
// callback runs on its due cycle unless an instruction overran it.
//
// Memory accessors take a fast path straight into the memory space's block table for
// plain RAM and ROM blocks (one mask, one table index, one flags test) and fall back to
// the memory space otherwise. The interpreter goes one step shorter still: a page table
// of direct pointers per 1 KB of its 64 KB, copied from the block table and copied again
// whenever the memory space's map version moves on. Every access that can reach a device
// checks the abort flag that RequestStop raises, and then answers false: the instruction
// is abandoned.
//
// Saved state, after the "_DEV" block: the "_CPU" block (cpu_state.cpp).
#pragma once

#include "base/string_a.h"
#include "base/types.h"
#include "cpu/clock_interface.h"
#include "emu/device.h"
#include "emu/memory_block_entry.h"

class MemorySpace;

// One scheduled event; nodes are recycled through the free list.
struct CpuEvent {
    u32 reservedA = 0;      // carried through saved states unchanged
    u32 reservedB = 0;
    u64 due = 0;            // absolute cycle count at which the event fires
    CpuEvent* next = nullptr;
    CpuEvent* prev = nullptr;
    Component* target = nullptr;
    CpuEventCallback callback = nullptr;
    u32 reservedC = 0;
    u32 reservedD = 0;
    const char* name = nullptr;   // not owned: a literal or the event bus registry's copy
    i32 period = 0;               // |period| given to AddEvent; raised to 1 when used below 1
    u32 userWords[2] = {0, 0};
};

class CpuBase : public Device, public ClockInterface {
public:
    static constexpr i32 kNanosecondsPerSecond = 1000000000;

    // Where a pending event of a saved state may be due, in cycles from the saved count,
    // for its (converted) period p of at least 1. The program itself saves an event due
    // within its next period, or overdue by a slice's overrun past its due cycle (the last
    // instruction, cycles added between slices); after the off-frequency catch-up (and a
    // return to the nominal clock, which scales what is left) up to four periods ahead.
    // Loads refuse events outside the window, so a damaged due never silences an event
    // for longer, nor fires it in a longer burst; the first firing after a load lies
    // anywhere inside it.
    static constexpr i64 kDueOverrun = 1024;
    static constexpr i64 kDuePeriodsAhead = 4;
    static constexpr i64 EarliestDue(i64 p) { return -p - kDueOverrun; }
    static constexpr i64 LatestDue(i64 p) { return kDuePeriodsAhead * p + kDueOverrun; }

    CpuBase();
    ~CpuBase() override;

    // --- device (cpu_base.cpp) ---
    bool Start(i32* rate) override;
    void Stop() override;
    i32 GetKind() const override { return 1; }
    // Bit 0x02 caches the memory layout for the fast paths.
    bool Connect(u32 flags) override;
    bool SaveState(Archive& archive) override;                        // cpu_state.cpp
    bool LoadState(Archive& archive, LoadContext context) override;   // cpu_state.cpp

    // --- clock interface (cpu_base.cpp) ---
    void Reset() override;
    void ResetProgramCounter() override;
    i32 Execute(i32 cycles) override { return cycles; }
    u32 EndSlice() override { return GetPC(); }
    bool RequestStop() override { return false; }
    u32 GetPC() const override { return 0; }
    void ExtNotify(u32) override {}
    void ExtFlush() override {}
    u64 GetCycleCount() const override
    {
        return cycles_ + static_cast<u64>(static_cast<i64>(addedCycles_)) +
               static_cast<u64>(static_cast<i64>(sliceBudget_) - static_cast<i64>(sliceLeft_));
    }
    u32 GetAddressMask() const override { return addressMask_; }
    void SetAddressMask(u32 mask) override
    {
        addressMask_ = mask;
        InvalidateDirectPages();
    }
    void CheckInterrupts() override
    {
        checkInterrupts_ = true;
        UpdateAttention();
    }
    i32 GetNominalFrequency() const override { return nominalFrequency_; }
    bool SetFrequency(i32 hz) override;
    i32 GetFrequency() const override { return currentFrequency_; }
    void ChangeFrequency(i32 hz) override;
    i32 GetTicksPerSecond() const override { return kNanosecondsPerSecond; }
    u64 GetTime() const override;
    bool IsNmiPending() const override { return nmiPending_; }
    bool SetNmiPending(bool pending) override
    {
        nmiPending_ = pending;
        UpdateAttention();
        return true;
    }
    bool ExtQuery(u32, u32, u32) override { return false; }
    i32 ExtCount() override { return 0; }
    i32 AddCycles(i32 cycles) override;
    bool UsesTimeBase() const override { return false; }
    void ExtPair(u32* a, u32* b) override;
    i32 GetEffectiveFrequency() const override;

    // --- events (cpu_events.cpp) ---
    bool AddEvent(i32 period, CpuEventCallback callback, Component* target, const char* name,
                  u32 userWord0, u32 userWord1) override;
    void FindNextEvent() override;
    void RunDueEvents() override;
    // Moves every pending event so that it stays due at the same time after the period
    // changed by ratio = old period / new period.
    void RescaleEvents(double ratio);
    const CpuEvent* GetFirstEvent() const { return eventHead_; }

    // --- memory and port access (cpu_access.cpp) ---
    // All answer false when the abort flag was raised (the output is then not to be
    // used). Fetches advance *counter by the size on success. Peeks never change a device:
    // handlers are told so on every path.
    template <typename T> bool FetchFast(u32 address, T* value, u32* counter);
    template <typename T> bool ReadFast(u32 address, T* value);
    template <typename T> bool PeekFast(u32 address, T* value);
    template <typename T> bool WriteFast(u32 address, T value);
    template <typename T> bool FetchPlain(u32 address, T* value, u32* counter);
    template <typename T> bool ReadPlain(u32 address, T* value);
    template <typename T> bool PeekPlain(u32 address, T* value);
    template <typename T> bool WritePlain(u32 address, T value);
    // An instruction byte as the fetch sees it, for the debugger: no side effects.
    bool PeekFetch(u32 address, u8* value);
    bool PeekFetchWord(u32 address, u16* value);
    bool ReadMemory(u32 address, u8* value) { return ReadFast<u8>(address, value); }
    bool ReadMemory2(u32 address, u8* value) { return PeekFast<u8>(address, value); }
    bool PeekWord(u32 address, u16* value) { return PeekFast<u16>(address, value); }
    bool WriteMemory(u32 address, u8 value) { return WriteFast<u8>(address, value); }
    bool ReadWord(u32 address, u16* value) { return ReadFast<u16>(address, value); }
    bool WriteWord(u32 address, u16 value) { return WriteFast<u16>(address, value); }

    // --- state seen by the debugger and the tests ---
    bool IsInExecute() const { return inExecute_; }
    bool IsStopRequested() const { return abort_; }
    bool AreInterruptsEnabled() const { return iff1_; }
    bool IsInterruptCheckPending() const { return checkInterrupts_; }
    i32 GetInterruptDelay() const { return interruptDelay_; }
    i32 GetOwedCycles() const { return owedCycles_; }
    u32 GetMemorySize() const { return memSize_; }
    double GetPeriod() const { return period_; }

protected:
    // Cycle conversion for off-frequency running: n cycles of the nominal clock become
    // floor(n / period + 0.5) when the current frequency differs, saturated to 32 bits.
    i32 ConvertCycles(i32 n) const;
    // Byte accesses off the direct path: a block handler when the entry's kind (flags &
    // kindMask) says so, else the memory space (0xFF without one). The caller masked the
    // address and checks the abort flag afterwards.
    u8 ReadNonDirect(u32 address, u32 kindMask, bool peek);
    bool ReadByte(u32 address, u32 kindMask, bool peek, u8* out);
    void WriteNonDirect(u32 address, u8 value);
    // A value of sizeof(T) bytes at address (masked here): direct from one block when it
    // lies in one, else byte by byte; ReadSlow always through the memory space.
    template <typename T> bool ReadSized(u32 address, u32 kindMask, bool peek, T* value);
    template <typename T> bool ReadSlow(u32 address, bool peek, T* value);
    u8 SlowRead8(u32 address, bool peek);
    void SlowWrite8(u32 address, u8 value);
    void FreeEvents();

    // Direct pages: the interpreter's copy of what the block table maps for the 64 KB
    // that 16-bit addresses reach, one entry per 1 KB page: the page's bytes when every
    // address in it would take the direct path for a fetch, a data read or a write, else
    // null (the access then goes the long way, as before). Stale as soon as the memory
    // space's map version moves on, or the table, the size or the address mask changes.
    static constexpr u32 kDirectPages = 64;
    bool AreDirectPagesCurrent() const { return pagesVersion_ == *mapVersion_; }
    void InvalidateDirectPages() { pagesVersion_ = *mapVersion_ - 1; }
    void RefreshDirectPages();
    // Every change of the NMI request, the interrupt check, IFF1 or the boundary request
    // goes through here, so that the processor tests one flag per instruction.
    void UpdateAttention() { attention_ = nmiPending_ || (checkInterrupts_ && iff1_) || boundaryRequest_; }
    CpuEvent* UnlinkEvent(CpuEvent* node);   // answers the node that followed it

    // Fields in the order of the "_CPU" block where they are saved (key in brackets).
    i32 nominalFrequency_ = 0;      // [FREQ] configured clock, Hz
    u64 cycles_ = 0;                // [CYCL] cycles of finished slices; 1.4e10 a second flat out: 40 years
    i32 currentFrequency_ = 0;      // [FFREQ] clock at which time now advances, Hz
    u64 baseCycles_ = 0;            // [LCYCL] cycle count at the last re-basing
    u64 baseTime_ = 0;              // [LSCYCL] time at the last re-basing, ns; the time wraps at 2^64 (GetTime)
    double period_ = 1.0;           // [CFREQ] ns per cycle at the current frequency
    bool iffreq_ = false;           // [IFFREQ] kept for saved states only
    bool checkInterrupts_ = false;  // [CHWI] poll the interrupt lines before the next instruction
    u32 addressMask_ = 0xFFFFFFFF;  // [AMSK] applied to every address
    u32 memSize_ = 0;               // [MESZ] highest address of the memory space + 1
    u8* ram_ = nullptr;             // backing memory of the memory space
    MemoryBlockEntry* blocks_ = nullptr;  // its block table, 1 KB per entry
    bool nmiPending_ = false;       // [NMI]
    u32 crid_ = 0;                  // [CRID] kept for saved states only
    StringA disasmText_;            // scratch text of the disassembler
    bool iff1_ = false;             // [AHWI] maskable interrupts enabled
    i32 interruptDelay_ = 0;        // [HWID] instruction boundaries to pass before accepting one
    u8 fmsk_[16] = {};              // [FMSK] first 8 bytes saved; kept for saved states only
    bool inExecute_ = false;
    u32 instructionStart_ = 0;      // address of the instruction being executed
    bool abort_ = false;            // [WFLT] raised by RequestStop; ends the slice
    i32 sliceBudget_ = 0;           // [MCYCL] cycles granted to the running slice
    i32 sliceLeft_ = 0;             // [ECYCL] cycles of the slice not yet used
    i32 owedCycles_ = 0;            // [PCYCL] cycles paid towards a suspended instruction
    i32 addedCycles_ = 0;           // [SCYCL] a loaded state's; cycles added outside a slice go to cycles_
    bool eventsStarted_ = false;    // [STEVT]
    CpuEvent* eventHead_ = nullptr;
    CpuEvent* eventTail_ = nullptr;
    CpuEvent* freeEvents_ = nullptr;
    bool attention_ = false;        // NMI pending, interrupt check raised with IFF1 set, or a boundary request
    bool boundaryRequest_ = false;  // the processor's own: one look at the next instruction boundary
    const u8* fetchPages_[kDirectPages] = {};
    const u8* readPages_[kDirectPages] = {};
    u8* writePages_[kDirectPages] = {};
    const u32* mapVersion_ = &kNoMapVersion;  // the memory space's, while connected to one
    u32 pagesVersion_ = kNoMapVersion - 1;    // the map version the pages were copied at

private:
    static constexpr u32 kNoMapVersion = 0;
};
