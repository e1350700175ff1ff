// The Z80 interpreter's working state; included only by the interpreter's .cpp files.
//
// Execute builds one Z80Core on its stack and runs the whole slice inside it. The core
// holds the registers the instructions use most in plain members that never escape, so
// the compiler keeps them in machine registers: a byte stored into emulated memory
// cannot alias them, which it could if they lived in the Z80Cpu object. Every member
// function is forced inline for that reason.
//
// Hand-over with the Z80Cpu object:
//   memory handlers and the memory space   time only (slice counter, instruction start):
//                                          what a device may ask of the clock; after the
//                                          call the direct pages are brought up to date
//   port handlers, interrupt entry          every register (SaveRegs / LoadRegs)
//   end of Execute                          every register
// R counts in rCount_ and is folded into IR at each hand-over.
//
// Legend of the instruction files' names and comments: r 8-bit register, rr register
// pair, n byte, nn word, d displacement, iHL / (HL) the byte at HL, iC / (C) the port in
// BC, (X+d) the byte at IX or IY plus d, X IX or IY, XH / XL its halves, cc condition.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

#include "cpu/z80_alu.h"
#include "cpu/z80_cpu.h"
#include "cpu/z80_tables.h"
#include "emu/memory_block_entry.h"

// Forced only when optimising: a debug build would otherwise spend a minute building one
// enormous function (so would an instrumented build, which asks for KUV_Z80_PLAIN_INLINE).
#if defined(__GNUC__) && defined(__OPTIMIZE__) && !defined(KUV_Z80_PLAIN_INLINE)
#define Z80_INLINE inline __attribute__((always_inline))
#define Z80_LIKELY(x) __builtin_expect(!!(x), 1)
#define Z80_UNLIKELY(x) __builtin_expect(!!(x), 0)
#else
#define Z80_INLINE inline
#define Z80_LIKELY(x) (x)
#define Z80_UNLIKELY(x) (x)
#endif

static_assert(std::endian::native == std::endian::little, "direct word accesses assume a little-endian host");

// case labels 0..255 calling F(n)
#define Z80_CASE4(F, n) F(n) F((n) + 1) F((n) + 2) F((n) + 3)
#define Z80_CASE16(F, n) Z80_CASE4(F, n) Z80_CASE4(F, (n) + 4) Z80_CASE4(F, (n) + 8) Z80_CASE4(F, (n) + 12)
#define Z80_CASE64(F, n) Z80_CASE16(F, n) Z80_CASE16(F, (n) + 16) Z80_CASE16(F, (n) + 32) Z80_CASE16(F, (n) + 48)
#define Z80_CASE256(F) Z80_CASE64(F, 0) Z80_CASE64(F, 64) Z80_CASE64(F, 128) Z80_CASE64(F, 192)

class Z80Core {
public:
    explicit Z80Core(Z80Cpu& cpu) : cpu_(cpu) {}

    // The whole of Execute (z80_execute.cpp). A single step (cycles 0) has a loop of its
    // own, so that the running loop does not ask at every instruction which one it is.
    template <bool SingleStep> Z80_INLINE i32 Run(i32 cycles);

private:
    // --- hand-over with the Z80Cpu object ---
    Z80_INLINE void LoadMemoryCache()
    {
        blocks_ = cpu_.blocks_;
        memSize_ = cpu_.memSize_;
        amask_ = cpu_.addressMask_;
        if (Z80_UNLIKELY(!cpu_.AreDirectPagesCurrent()))
            cpu_.RefreshDirectPages();
    }
    // Before a call that may reach a device: what the clock answers from inside it. The
    // running instruction's cycles are charged up front, so the device is shown the time
    // at the start of the instruction.
    Z80_INLINE void TimeOut()
    {
        cpu_.sliceLeft_ = left_ + cost_;
        cpu_.instructionStart_ = static_cast<u16>(start_);
    }
    // After it: AddCycles, EndSlice and RequestStop work on the slice counter, and the
    // device may have changed the memory map.
    Z80_INLINE void TimeIn()
    {
        left_ = cpu_.sliceLeft_ - cost_;
        LoadMemoryCache();
        WatchAttention();
    }
    // The CPU's attention flag moves only inside calls (followed by TimeIn) and in the
    // instructions that change IFF1 (Attend): the loop then tests one local bound.
    Z80_INLINE void WatchAttention() { attentionBound_ = cpu_.attention_ ? INT32_MAX : 0; }
    Z80_INLINE void Attend()
    {
        cpu_.UpdateAttention();
        WatchAttention();
    }
    // The instruction's own T-states (a prefixed set's table entry), charged as soon as
    // they are known.
    Z80_INLINE void Charge(i32 n)
    {
        left_ -= n;
        cost_ += n;
    }
    // A met condition or a repeated pass: after the instruction's last access.
    Z80_INLINE void Extra(i32 n) { left_ -= n; }
    Z80_INLINE void SaveRegs()
    {
        Z80Registers& r = cpu_.regs_;
        r.A = a;
        r.F = f;
        r.BC = bc;
        r.DE = de;
        r.HL = hl;
        r.PC = static_cast<u16>(pc);
        r.SP = sp;
        r.IX = ix;
        r.IY = iy;
        r.IR = static_cast<u16>((r.IR & 0xFF80) | ((r.IR + (rCount_ - rFolded_)) & 0x7F));
        rFolded_ = rCount_;
        TimeOut();
    }
    Z80_INLINE void LoadRegs()
    {
        const Z80Registers& r = cpu_.regs_;
        a = r.A;
        f = r.F;
        bc = r.BC;
        de = r.DE;
        hl = r.HL;
        pc = r.PC;
        sp = r.SP;
        ix = r.IX;
        iy = r.IY;
        TimeIn();
    }

    // --- memory (fast path inline; anything else through the CPU base) ---
    Z80_INLINE const MemoryBlockEntry* Direct(u32 address, u32 kindMask, u32 kind) const
    {
        if (Z80_LIKELY(address < memSize_)) {
            const MemoryBlockEntry* e = &blocks_[address >> kMemBlockShift];
            if (Z80_LIKELY((e->flags & kindMask) == kind))
                return e;
        }
        return nullptr;
    }
    // Both bytes inside one direct block.
    Z80_INLINE const MemoryBlockEntry* DirectWord(u32 address, u32 kindMask, u32 kind) const
    {
        if (Z80_LIKELY(address + 1 < memSize_ && (address & kMemBlockMask) != kMemBlockMask)) {
            const MemoryBlockEntry* e = &blocks_[address >> kMemBlockShift];
            if (Z80_LIKELY((e->flags & kindMask) == kind))
                return e;
        }
        return nullptr;
    }
    Z80_INLINE bool ReadAny(u16 address, u8& value, u32 kindMask)
    {
        const u32 m = address & amask_;
        if (const MemoryBlockEntry* e = Direct(m, kindMask, kMemReadDirect)) {
            value = static_cast<const u8*>(e->readContext)[m & kMemBlockMask];
            return true;
        }
        TimeOut();
        const u8 v = cpu_.ReadNonDirect(m, kindMask, false);
        TimeIn();
        if (cpu_.abort_)
            return false;
        value = v;
        return true;
    }
    // The direct page of an address, null when the access goes the long way; a word
    // also needs both bytes in the page.
    static Z80_INLINE u32 PageOf(u32 address) { return static_cast<u16>(address) >> kMemBlockShift; }
    static Z80_INLINE u32 OffsetOf(u32 address) { return address & kMemBlockMask; }
    static Z80_INLINE bool WordFits(u32 address) { return OffsetOf(address) != kMemBlockMask; }
    // Instruction bytes test the fetch kind (0x55), data the read kind (0x15).
    Z80_INLINE bool Fetch8(u8& value)
    {
        if (const u8* page = cpu_.fetchPages_[PageOf(pc)]) {
            value = page[OffsetOf(pc)];
            ++pc;
            return true;
        }
        if (!ReadAny(static_cast<u16>(pc), value, kMemReadKindMask))
            return false;
        ++pc;
        return true;
    }
    Z80_INLINE bool Fetch16(u16& value)
    {
        if (const u8* page = cpu_.fetchPages_[PageOf(pc)]; page && WordFits(pc)) {
            std::memcpy(&value, page + OffsetOf(pc), 2);
            pc += 2;
            return true;
        }
        const u32 m = pc & amask_;
        if (const MemoryBlockEntry* e = DirectWord(m, kMemReadKindMask, kMemReadDirect)) {
            std::memcpy(&value, static_cast<const u8*>(e->readContext) + (m & kMemBlockMask), 2);
            pc += 2;
            return true;
        }
        u8 lo, hi;
        if (!ReadAny(static_cast<u16>(pc), lo, kMemReadKindMask) ||
            !ReadAny(static_cast<u16>(pc + 1), hi, kMemReadKindMask))
            return false;
        value = static_cast<u16>(lo | (hi << 8));
        pc += 2;
        return true;
    }
    Z80_INLINE bool Read8(u16 address, u8& value)
    {
        if (const u8* page = cpu_.readPages_[PageOf(address)]) {
            value = page[OffsetOf(address)];
            return true;
        }
        return ReadAny(address, value, kDataReadMask);
    }
    Z80_INLINE bool Read16(u16 address, u16& value)
    {
        if (const u8* page = cpu_.readPages_[PageOf(address)]; page && WordFits(address)) {
            std::memcpy(&value, page + OffsetOf(address), 2);
            return true;
        }
        const u32 m = address & amask_;
        if (const MemoryBlockEntry* e = DirectWord(m, kDataReadMask, kMemReadDirect)) {
            std::memcpy(&value, static_cast<const u8*>(e->readContext) + (m & kMemBlockMask), 2);
            return true;
        }
        u8 lo, hi;
        if (!Read8(address, lo) || !Read8(static_cast<u16>(address + 1), hi))
            return false;
        value = static_cast<u16>(lo | (hi << 8));
        return true;
    }
    Z80_INLINE bool Write8(u16 address, u8 value)
    {
        if (u8* page = cpu_.writePages_[PageOf(address)]) {
            page[OffsetOf(address)] = value;
            return true;
        }
        const u32 m = address & amask_;
        if (const MemoryBlockEntry* e = Direct(m, kMemWriteKindMask, kMemWriteDirect)) {
            static_cast<u8*>(e->writeContext)[m & kMemBlockMask] = value;
            return true;
        }
        TimeOut();
        cpu_.WriteNonDirect(m, value);
        TimeIn();
        return !cpu_.abort_;
    }
    Z80_INLINE bool Write16(u16 address, u16 value)
    {
        if (u8* page = cpu_.writePages_[PageOf(address)]; page && WordFits(address)) {
            std::memcpy(page + OffsetOf(address), &value, 2);
            return true;
        }
        const u32 m = address & amask_;
        if (const MemoryBlockEntry* e = DirectWord(m, kMemWriteKindMask, kMemWriteDirect)) {
            std::memcpy(static_cast<u8*>(e->writeContext) + (m & kMemBlockMask), &value, 2);
            return true;
        }
        return Write8(address, static_cast<u8>(value)) && Write8(static_cast<u16>(address + 1), static_cast<u8>(value >> 8));
    }
    // LD rr,(nn): the pair changes only when both bytes were read.
    Z80_INLINE bool Fetch16Indirect(u16& rr)
    {
        u16 nn, v;
        if (!Fetch16(nn) || !Read16(nn, v))
            return false;
        rr = v;
        return true;
    }
    // (X+d): the displacement byte follows the opcode.
    template <bool IsIY> Z80_INLINE bool IndexAddress(u16& out)
    {
        u8 d;
        if (!Fetch8(d))
            return false;
        out = static_cast<u16>(Index<IsIY>() + static_cast<i8>(d));
        return true;
    }
    // The low byte goes to SP - 2 first; SP moves only when both bytes were written.
    Z80_INLINE bool Push16(u16 value)
    {
        const u16 s = static_cast<u16>(sp - 2);
        if (!Write16(s, value))
            return false;
        sp = s;
        return true;
    }
    Z80_INLINE bool Pop16(u16& value)
    {
        if (!Read16(sp, value))
            return false;
        sp += 2;
        return true;
    }
    Z80_INLINE bool PopPC()
    {
        u16 v;
        if (!Pop16(v))
            return false;
        pc = v;
        return true;
    }

    // --- ports: every register is handed over, a handler may look at them ---
    Z80_INLINE bool PortIn(u16 port, u8& value, bool& wait)
    {
        SaveRegs();
        bool w = false;
        value = cpu_.PortRead(port, &w);
        LoadRegs();
        wait = w;
        return !cpu_.abort_;
    }
    Z80_INLINE bool PortOut(u16 port, u8 value)
    {
        SaveRegs();
        cpu_.PortWrite(port, value);
        LoadRegs();
        return !cpu_.abort_;
    }

    // --- registers by opcode field ---
    template <int R> Z80_INLINE u8 Get8() const
    {
        if constexpr (R == 0) return static_cast<u8>(bc >> 8);
        else if constexpr (R == 1) return static_cast<u8>(bc);
        else if constexpr (R == 2) return static_cast<u8>(de >> 8);
        else if constexpr (R == 3) return static_cast<u8>(de);
        else if constexpr (R == 4) return static_cast<u8>(hl >> 8);
        else if constexpr (R == 5) return static_cast<u8>(hl);
        else {
            static_assert(R == 7, "code 6 is (HL)");
            return a;
        }
    }
    template <int R> Z80_INLINE void Set8(u8 v)
    {
        if constexpr (R == 0) bc = static_cast<u16>((bc & 0x00FF) | (v << 8));
        else if constexpr (R == 1) bc = static_cast<u16>((bc & 0xFF00) | v);
        else if constexpr (R == 2) de = static_cast<u16>((de & 0x00FF) | (v << 8));
        else if constexpr (R == 3) de = static_cast<u16>((de & 0xFF00) | v);
        else if constexpr (R == 4) hl = static_cast<u16>((hl & 0x00FF) | (v << 8));
        else if constexpr (R == 5) hl = static_cast<u16>((hl & 0xFF00) | v);
        else {
            static_assert(R == 7, "code 6 is (HL)");
            a = v;
        }
    }
    // Pair field: 0 BC, 1 DE, 2 HL, 3 SP.
    template <int P> Z80_INLINE u16& Pair()
    {
        if constexpr (P == 0) return bc;
        else if constexpr (P == 1) return de;
        else if constexpr (P == 2) return hl;
        else return sp;
    }
    template <bool IsIY> Z80_INLINE u16& Index() { return IsIY ? iy : ix; }
    // With an index prefix, codes 4 and 5 name the index register's halves.
    template <int R, bool IsIY> Z80_INLINE u8 GetX8()
    {
        if constexpr (R == 4) return static_cast<u8>(Index<IsIY>() >> 8);
        else if constexpr (R == 5) return static_cast<u8>(Index<IsIY>());
        else return Get8<R>();
    }
    template <int R, bool IsIY> Z80_INLINE void SetX8(u8 v)
    {
        u16& x = Index<IsIY>();
        if constexpr (R == 4) x = static_cast<u16>((x & 0x00FF) | (v << 8));
        else if constexpr (R == 5) x = static_cast<u16>((x & 0xFF00) | v);
        else Set8<R>(v);
    }
    // Condition field: NZ, Z, NC, C, PO, PE, P, M.
    template <int C> Z80_INLINE bool Cond() const
    {
        constexpr u8 kMask[8] = {z80::kZ, z80::kZ, z80::kC, z80::kC, z80::kPV, z80::kPV, z80::kS, z80::kS};
        return ((f & kMask[C]) != 0) == ((C & 1) != 0);
    }
    // ALU field: ADD, ADC, SUB, SBC, AND, XOR, OR, CP.
    template <int Y> Z80_INLINE void Alu(u8 v)
    {
        if constexpr (Y == 0) f = z80::AddFlags(a, v, 0);
        else if constexpr (Y == 1) f = z80::AddFlags(a, v, f & z80::kC);
        else if constexpr (Y == 2) f = z80::SubFlags(a, v, 0);
        else if constexpr (Y == 3) f = z80::SubFlags(a, v, f & z80::kC);
        else if constexpr (Y == 4) { a &= v; f = static_cast<u8>(z80::kSzpTable[a] | z80::kH); }
        else if constexpr (Y == 5) { a ^= v; f = z80::kSzpTable[a]; }
        else if constexpr (Y == 6) { a |= v; f = z80::kSzpTable[a]; }
        else f = z80::CpFlags(a, v);
    }
    Z80_INLINE u8 ReadR() const
    {
        const u16 ir = cpu_.regs_.IR;
        return static_cast<u8>((ir & 0x80) | ((ir + (rCount_ - rFolded_)) & 0x7F));
    }

    // --- instruction sets (z80_ops_main.h, z80_ops_prefixed.h, z80_ops_index.h) ---
    // Each answers false when an access was abandoned; the instruction's T-states are
    // then given back.
    Z80_INLINE bool Dispatch(u8 op);
    template <unsigned N> Z80_INLINE bool Main();
    Z80_INLINE bool ExecuteCB();
    template <unsigned N> Z80_INLINE bool CB();
    // A CB operation on a byte read from memory: (HL), or (X+d) with its register copy.
    template <unsigned N> Z80_INLINE bool MemoryCB(u16 address, u8 value);
    Z80_INLINE bool ExecuteED();
    template <bool IsIY> Z80_INLINE bool ExecuteIndexed();
    template <unsigned N, bool IsIY> Z80_INLINE bool Indexed();
    template <bool IsIY> Z80_INLINE bool ExecuteIndexCB();
    // The ED helpers.
    template <int R> Z80_INLINE bool IN_r_iC();
    template <int R> Z80_INLINE bool OUT_iC_r();
    template <int Dir, bool Repeat> Z80_INLINE bool LDxx();
    template <int Dir, bool Repeat> Z80_INLINE bool CPxx();
    template <int Dir, bool Repeat> Z80_INLINE bool INxx();
    template <int Dir, bool Repeat> Z80_INLINE bool OUTxx();
    // INI / OUTI family after the transfer: HL steps, B counts down, the flags follow B.
    template <int Dir, bool Repeat> Z80_INLINE void BlockIoStep();
    // A repeating block instruction goes round again: PC back onto its ED prefix.
    Z80_INLINE void RepeatBlock()
    {
        pc -= 2;
        Extra(5);
    }
    // The code after a prefix runs again as an instruction of its own.
    Z80_INLINE bool StepBack()
    {
        --pc;
        --rCount_;
        Charge(4);
        return true;
    }

    // HALT, PC back on it: with no NMI or interrupt check raised and the opcode in plain
    // memory, each further pass only fetches the same byte, counts R and pays 4 T-states,
    // until the slice ends at the next event. All passes but the last are taken here in
    // one go; the last runs through the loop as before, so it is suspended across the
    // slice end, or seen by a single step, exactly as it would have been.
    Z80_INLINE void SkipHaltPasses()
    {
        if (left_ <= 4 || cpu_.attention_)
            return;
        const u32 m = pc & amask_;
        const MemoryBlockEntry* e = Direct(m, kMemReadKindMask, kMemReadDirect);
        if (!e || static_cast<const u8*>(e->readContext)[m & kMemBlockMask] != 0x76)
            return;
        const i32 passes = (left_ - 1) / 4;
        left_ -= passes * 4;
        rCount_ += static_cast<u32>(passes);
    }

    // Interrupts at an instruction boundary: 1 taken, 0 none, -1 abandoned.
    Z80_INLINE int Boundary()
    {
        reachedBoundary_ = true;
        if (clockCredit_ != 0) {
            cpu_.sliceBudget_ -= clockCredit_;
            clockCredit_ = 0;
        }
        cpu_.boundaryRequest_ = false;   // ServiceInterrupts updates the attention flag
        cost_ = 0;
        SaveRegs();
        i32 cycles = 0;
        const int result = cpu_.ServiceInterrupts(&cycles);
        LoadRegs();
        WatchAttention();   // an interrupt taken or a request served lowers the flag
        if (result > 0)
            left_ -= cycles;
        return result;
    }
    Z80_INLINE i32 Finish();

    static constexpr u32 kDataReadMask = kMemReadable | kMemReadHandler | kMemReadAlias; // 0x15

    Z80Cpu& cpu_;
    u8 a = 0, f = 0;
    u16 bc = 0, de = 0, hl = 0, sp = 0, ix = 0, iy = 0;
    // PC in a full-width variable, counted modulo 2^16: every use truncates it to 16 bits
    // or masks it with amask_. A 16-bit variable cost the 32-bit build a store and a
    // reload around each opcode fetch.
    u32 pc = 0;
    u32 rCount_ = 0;            // opcode fetches in this call: below a slice's 2^31 cycles / 4
    u32 rFolded_ = 0;           // the part of rCount_ already added to R
    i32 left_ = 0;              // ECYCL while running, the running instruction already charged
    i32 cost_ = 0;              // what the running instruction has been charged so far
    i32 attentionBound_ = 0;    // left_ at or below it leaves the fast path: 0, or INT32_MAX
                                // while the CPU's attention flag is raised
    u32 start_ = 0;             // address of the instruction being executed, counted as pc is
    i32 resumedOwed_ = 0;       // cycles a resumed instruction had paid in earlier slices
    i32 clockCredit_ = 0;       // the part of them still credited to the slice's length
    bool reachedBoundary_ = false;  // an interrupt check or a stopped opcode fetch in this call
    const MemoryBlockEntry* blocks_ = nullptr;
    u32 memSize_ = 0;
    u32 amask_ = 0xFFFF;
};
