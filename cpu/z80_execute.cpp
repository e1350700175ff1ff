// Z80 execution: the slice loop, suspension across slices, stop requests.
#include <algorithm>

#include "cpu/z80_core.h"
#include "cpu/z80_ops_index.h"
#include "cpu/z80_ops_main.h"
#include "cpu/z80_ops_prefixed.h"
#include "emu/port_space.h"

template <bool SingleStep> Z80_INLINE i32 Z80Core::Run(i32 cycles)
{
    Z80Cpu& c = cpu_;
    c.inExecute_ = true;
    c.abort_ = false;
    // 0 is a single step: one instruction, never suspended. The largest budget leaves the
    // slice counters room for a resumed instruction's credit and an end-of-slice request;
    // the run loop simply asks again for the rest.
    constexpr i32 kMaxBudget = 0x7FFFFFFF - (1 << 20);
    const i32 budget = SingleStep ? 1 : std::min(cycles, kMaxBudget);
    c.sliceBudget_ = budget;
    c.sliceLeft_ = budget;
    LoadRegs();
    start_ = pc;

    u8 op = 0;
    if (c.owedCycles_ != 0 && left_ > 0) {
        // Finish the instruction suspended at the end of an earlier slice: its opcode was
        // fetched then, and no interrupt comes between. What it paid before is credited to
        // both sides of the slice, so the clock reads on from where it stood and the
        // instruction costs only the rest. The next instruction boundary, which the
        // boundary request makes the loop look at, takes the credit back out of the slice
        // (Finish does when the slice ends first), so that from there on the clock reads
        // the cycles really spent.
        resumedOwed_ = c.owedCycles_;
        c.owedCycles_ = 0;
        left_ += resumedOwed_;
        c.sliceBudget_ += resumedOwed_;
        clockCredit_ = resumedOwed_;
        c.boundaryRequest_ = true;
        Attend();
        op = c.regs_.pendingOpcode;
        pc = c.regs_.pendingPC;
        goto resume;
    }

    for (;;) {
        start_ = pc;
        // One test for both the end of the slice and the attention flag.
        if (Z80_UNLIKELY(left_ <= attentionBound_)) {
            if (left_ <= 0)
                break;
            const int taken = Boundary();
            if (taken < 0)
                break;
            if (taken > 0)
                continue;
        }
        if (!Fetch8(op)) {
            reachedBoundary_ = true;
            break;
        }
        ++rCount_;
    resume:
        cost_ = z80::kMainCycles[op];
        left_ -= cost_;
        if (Z80_UNLIKELY(left_ < 0)) {
            if constexpr (!SingleStep) {
                // Does not fit: pay what is left now and the rest in a later slice. PC
                // shows the instruction meanwhile.
                left_ += cost_;
                c.regs_.pendingOpcode = op;
                c.regs_.pendingPC = static_cast<u16>(pc);
                c.owedCycles_ = left_;
                left_ = 0;
                pc = start_;
                break;
            }
        }
        if (!Dispatch(op)) {
            left_ += cost_;   // abandoned: the instruction charges nothing
            break;
        }
    }
    cost_ = 0;
    return Finish();
}

Z80_INLINE i32 Z80Core::Finish()
{
    Z80Cpu& c = cpu_;
    SaveRegs();
    i32 executed = c.sliceBudget_ - c.sliceLeft_;
    if (resumedOwed_ != 0) {
        // A later boundary or opcode fetch means the resumed instruction completed (or was
        // suspended again), even when a stop came at that very fetch; otherwise a stop
        // abandoned it, and it still owes what it owed.
        const bool resumedFinished = rCount_ != 0 || reachedBoundary_;
        if (c.abort_ && !resumedFinished)
            c.owedCycles_ = resumedOwed_;
        else
            executed -= clockCredit_;
        c.boundaryRequest_ = false;
        c.UpdateAttention();
    }
    if (executed == 0)
        executed = c.abort_ ? 0 : 1;   // an unstopped call always moves time on
    c.cycles_ += static_cast<u64>(static_cast<i64>(executed));
    c.sliceBudget_ = 0;
    c.sliceLeft_ = 0;
    if (c.abort_) {
        // The abandoned instruction runs again in full next time.
        c.abort_ = false;
        c.regs_.PC = static_cast<u16>(start_);
    }
    c.inExecute_ = false;
    return executed;
}

i32 Z80Cpu::Execute(i32 cycles)
{
    Z80Core core(*this);
    return cycles == 0 ? core.Run<true>(0) : core.Run<false>(cycles);
}

// The slice ends after the current instruction; what it executed so far still counts.
// ECYCL and MCYCL move together, so the executed count MCYCL - ECYCL is kept; a second
// request in the same instruction finds ECYCL already at the end mark and changes nothing.
u32 Z80Cpu::EndSlice()
{
    if (inExecute_) {
        const i32 shift = sliceLeft_ + 32767;
        sliceLeft_ -= shift;
        sliceBudget_ -= shift;
    }
    return GetPC();
}

bool Z80Cpu::RequestStop()
{
    if (!inExecute_)
        return false;
    abort_ = true;
    EndSlice();
    regs_.PC = static_cast<u16>(instructionStart_);
    return true;
}

u8 Z80Cpu::PortRead(u16 port, bool* wait)
{
    *wait = false;
    if (!ports_)
        return 0xFF;
    u8 w = 0;
    const u8 value = ports_->Read8(port, false, &w);
    *wait = w != 0;
    return value;
}

void Z80Cpu::PortWrite(u16 port, u8 value)
{
    if (ports_)
        ports_->Write8(port, value);
}
