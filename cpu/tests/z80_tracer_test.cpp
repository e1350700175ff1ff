// Trace texts: live register and memory values, conditions and their outcome, results
// computed on copies, and the failure rule when a value cannot be peeked.
#include <gtest/gtest.h>

#include "cpu/tests/z80_disasm_rig.h"

namespace {

class Z80Tracer : public testing::Test {
protected:
    const char* Trace(u16 pc, std::initializer_list<u8> bytes)
    {
        line_ = rig_.At(pc, bytes);
        return line_.trace.CStr();
    }

    DisasmRig rig_;
    Z80Registers& r_ = rig_.cpu.Regs();
    DisasmLine line_;
};

TEST_F(Z80Tracer, ConditionalJumpsShowTheTestedFlagAndTheOutcome)
{
    r_.F = 0;
    EXPECT_STREQ("jz 1234h (Z ? no)", Trace(0x0200, {0xCA, 0x34, 0x12}));
    r_.F = Z80Cpu::kFlagZ;
    EXPECT_STREQ("+jz 1234h (Z ? YES)", Trace(0x0200, {0xCA, 0x34, 0x12}));
    EXPECT_STREQ("jz 0203h (Z ? YES)", Trace(0x0200, {0xCA, 0x03, 0x02}));  // lands on the next one
    r_.F = Z80Cpu::kFlagPV;
    EXPECT_STREQ("-jp 0100h (P ? YES)", Trace(0x0200, {0xEA, 0x00, 0x01}));
}

TEST_F(Z80Tracer, RelativeJumps)
{
    r_.F = 0;
    EXPECT_STREQ("-jnz -02h:=0300h (z ? YES)", Trace(0x0300, {0x20, 0xFE}));
    EXPECT_STREQ("jc +10h:=0312h (C ? no)", Trace(0x0300, {0x38, 0x10}));
    EXPECT_STREQ("+jmp +05h:=0307h", Trace(0x0300, {0x18, 0x05}));
    EXPECT_STREQ("jmp +00h:=0302h", Trace(0x0300, {0x18, 0x00}));
    r_.BC = 0x0100;
    EXPECT_STREQ("loop -02h:=0400h (B-1:=00h>0 ? no)", Trace(0x0400, {0x10, 0xFE}));
    r_.BC = 0x0500;
    EXPECT_STREQ("-loop -02h:=0400h (B-1:=04h>0 ? YES)", Trace(0x0400, {0x10, 0xFE}));
    EXPECT_EQ(0x0500, r_.BC);  // B is not counted down by a preview
}

TEST_F(Z80Tracer, CallsReturnsAndRestarts)
{
    r_.F = 0;
    EXPECT_STREQ("calls 1234h (S ? no)", Trace(0x0200, {0xFC, 0x34, 0x12}));
    EXPECT_STREQ("+callns 1234h (s ? YES)", Trace(0x0200, {0xF4, 0x34, 0x12}));
    r_.SP = 0xF000;
    rig_.Load(0xF000, {0x00, 0x01});
    EXPECT_STREQ("*ret 0100h", Trace(0x0500, {0xC9}));
    EXPECT_STREQ("-retnc 0100h (c ? YES)", Trace(0x0500, {0xD0}));
    EXPECT_STREQ("retc 0100h (C ? no)", Trace(0x0500, {0xD8}));
    EXPECT_EQ(0xF000, r_.SP);
    EXPECT_STREQ("*int 7 (38h)", Trace(0x0500, {0xFF}));
    r_.HL = 0x4567;
    EXPECT_STREQ("*jmp HL=4567h", Trace(0x0500, {0xE9}));
}

TEST_F(Z80Tracer, StackAndExchanges)
{
    r_.A = 0x12; r_.F = 0x34; r_.SP = 0xFFF0;
    EXPECT_STREQ("push AF=1234h =>([SP-2]=[FFEEh])", Trace(0x0100, {0xF5}));
    r_.SP = 0x0001;
    EXPECT_STREQ("push BC=0000h =>([SP-2]=[FFFFh])", Trace(0x0100, {0xC5}));
    r_.SP = 0x8000;
    rig_.Load(0x8000, {0xCD, 0xAB});
    EXPECT_STREQ("pop DE:=ABCDh <=([SP]=[8000h])+2", Trace(0x0100, {0xD1}));
    r_.HL = 0x1111;
    EXPECT_STREQ("xchg [SP]=[8000h]=ABCDh, HL=1111h", Trace(0x0100, {0xE3}));
    r_.A2 = 0x56; r_.F2 = 0x78;
    EXPECT_STREQ("xchg AF=1234h, AF'=5678h", Trace(0x0100, {0x08}));
    r_.BC2 = 0xB2B2; r_.DE2 = 0xD2D2; r_.HL2 = 0x4242;  // the values the main set will take
    EXPECT_STREQ("xchg BC:=B2B2h, DE:=D2D2h, HL:=4242h", Trace(0x0100, {0xD9}));
}

TEST_F(Z80Tracer, Loads)
{
    EXPECT_STREQ("DE:=1234h", Trace(0x0100, {0x11, 0x34, 0x12}));
    r_.HL = 0x4000;
    rig_.Load(0x4000, {0x99, 0x88});
    EXPECT_STREQ("[HL=4000h]:=12h", Trace(0x0100, {0x36, 0x12}));
    r_.BC = 0x0102;
    EXPECT_STREQ("B:=C=02h", Trace(0x0100, {0x41}));
    EXPECT_STREQ("E:=[HL]=[4000h]=99h", Trace(0x0100, {0x5E}));
    EXPECT_STREQ("[HL]=[4000h]:=(B=01h)", Trace(0x0100, {0x70}));
    r_.A = 0x5A;
    r_.DE = 0x4001;
    EXPECT_STREQ("A:=([DE]=[4001h]=88h)", Trace(0x0100, {0x1A}));
    EXPECT_STREQ("A:=([4000h]=99h)", Trace(0x0100, {0x3A, 0x00, 0x40}));
    EXPECT_STREQ("HL:=([4000h]=8899h)", Trace(0x0100, {0x2A, 0x00, 0x40}));
}

TEST_F(Z80Tracer, ArithmeticShowsTheResultItWillProduce)
{
    r_.A = 0x10;
    r_.F = 0;
    EXPECT_STREQ("add A+05h=10h+05h:=15h", Trace(0x0100, {0xC6, 0x05}));
    r_.F = Z80Cpu::kFlagC;
    EXPECT_STREQ("adc A+05h=10h+05h+1:=16h", Trace(0x0100, {0xCE, 0x05}));
    EXPECT_STREQ("sbc A-10h=10h-10h-1:=FFh", Trace(0x0100, {0xDE, 0x10}));
    r_.BC = 0x0203;
    EXPECT_STREQ("sub A-B=10h-02h:=0Eh", Trace(0x0100, {0x90}));
    EXPECT_STREQ("and A & C=10h & 03h:=00h", Trace(0x0100, {0xA1}));
    r_.HL = 0x4000;
    rig_.Load(0x4000, {0x01});
    EXPECT_STREQ("or A|[HL=4000h]=10h|01h:=11h", Trace(0x0100, {0xB6}));
    r_.A = 0x05;
    EXPECT_STREQ("cmp A-05h=05h-05h ? sZhpNc", Trace(0x0100, {0xFE, 0x05}));
    EXPECT_STREQ("cmp A-[HL=4000h]=05h-01h ? szhpNc", Trace(0x0100, {0xBE}));
    EXPECT_EQ(0x05, r_.A);
    EXPECT_EQ(Z80Cpu::kFlagC, r_.F);

    r_.BC = 0x0500;
    EXPECT_STREQ("inc B+1=:=06h", Trace(0x0100, {0x04}));
    EXPECT_STREQ("dec [HL=4000h]-1=:=00h", Trace(0x0100, {0x35}));
    r_.DE = 0xFFFF;
    EXPECT_STREQ("inc DE+1:=0000h", Trace(0x0100, {0x13}));
    EXPECT_STREQ("add HL+DE=4000h+FFFFh:=3FFFh", Trace(0x0100, {0x19}));
    r_.A = 0x0F; r_.F = 0;
    EXPECT_STREQ("daa (A=0Fh):=15h", Trace(0x0100, {0x27}));
    EXPECT_STREQ("not ~A:=F0h", Trace(0x0100, {0x2F}));
}

TEST_F(Z80Tracer, AccumulatorRotatesAndCarryFlag)
{
    r_.A = 0x81;
    r_.F = 0;
    EXPECT_STREQ("rol A<<1=81h<<1:=03h", Trace(0x0100, {0x07}));
    EXPECT_STREQ("ror A>>1=81h>>1:=C0h", Trace(0x0100, {0x0F}));
    EXPECT_STREQ("rcl A<<1=81h<<1:=02h", Trace(0x0100, {0x17}));
    r_.F = Z80Cpu::kFlagC;
    EXPECT_STREQ("rcr A>>1=81h>>1:=C0h", Trace(0x0100, {0x1F}));
    EXPECT_STREQ("C_FLAG^1:=0 (HF=NF=0)", Trace(0x0100, {0x3F}));
    r_.F = 0;
    EXPECT_STREQ("C_FLAG^1:=1 (HF=NF=0)", Trace(0x0100, {0x3F}));
    EXPECT_STREQ("C_FLAG:=1 (HF=NF=0)", Trace(0x0100, {0x37}));
}

TEST_F(Z80Tracer, PortsAreNamedNotRead)
{
    r_.A = 0x12;
    EXPECT_STREQ("in A,12FEh", Trace(0x0100, {0xDB, 0xFE}));
    EXPECT_STREQ("IN A,(12FEh)", line_.mnemonic.CStr());
    EXPECT_STREQ("out 12FEh,A:=12h", Trace(0x0100, {0xD3, 0xFE}));
    r_.BC = 0x00A8;
    EXPECT_STREQ("in B,(BC=00A8h)", Trace(0x0100, {0xED, 0x40}));
    EXPECT_STREQ("in (BC=00A8h)", Trace(0x0100, {0xED, 0x70}));
    r_.HL = 0x3344;
    EXPECT_STREQ("out (BC=00A8h),L:=44h", Trace(0x0100, {0xED, 0x69}));
    EXPECT_STREQ("out (BC=00A8h),0", Trace(0x0100, {0xED, 0x71}));
}

TEST_F(Z80Tracer, BitSet)
{
    r_.BC = 0x8102;
    r_.F = 0;
    EXPECT_STREQ("rol (B=81h)<<1:=03h", Trace(0x0100, {0xCB, 0x00}));
    EXPECT_STREQ("shr (C=02h)>>1:=01h", Trace(0x0100, {0xCB, 0x39}));
    EXPECT_STREQ("sar (B=81h)>>1:=C0h", Trace(0x0100, {0xCB, 0x28}));
    EXPECT_STREQ("shl (C=02h)<<1:=05h", Trace(0x0100, {0xCB, 0x31}));
    r_.F = Z80Cpu::kFlagC;
    EXPECT_STREQ("rcr (C=02h)>>1:=81h", Trace(0x0100, {0xCB, 0x19}));
    r_.HL = 0x4000;
    rig_.Load(0x4000, {0x80});
    EXPECT_STREQ("testbit 7,([HL]=[4000h]=80h) ? 1 (zf:=0)", Trace(0x0100, {0xCB, 0x7E}));
    EXPECT_STREQ("testbit 0,(B=81h) ? 1 (zf:=0)", Trace(0x0100, {0xCB, 0x40}));
    EXPECT_STREQ("testbit 1,(B=81h) ? 0 (ZF:=1)", Trace(0x0100, {0xCB, 0x48}));
    EXPECT_STREQ("clearbit 7,([HL]=[4000h]=80h):=00h", Trace(0x0100, {0xCB, 0xBE}));
    EXPECT_STREQ("setbit 0,(C=02h):=03h", Trace(0x0100, {0xCB, 0xC1}));
    EXPECT_EQ(0x80, rig_.memory.GetMemory()[0x4000]);
}

TEST_F(Z80Tracer, IndexBitSet)
{
    r_.IX = 0x4000;
    r_.IY = 0x4100;
    r_.F = 0;
    rig_.Load(0x3FFE, {0x81});
    rig_.Load(0x4105, {0x40});
    EXPECT_STREQ("rol ([IX-02h]=[3FFEh]=81h):=03h->B", Trace(0x0100, {0xDD, 0xCB, 0xFE, 0x00}));
    EXPECT_STREQ("shr ([IY+05h]=[4105h]=40h):=20h", Trace(0x0100, {0xFD, 0xCB, 0x05, 0x3E}));
    EXPECT_STREQ("testbit 6,([IY+05h]=[4105h]=40h) ? 1 (zf:=0)", Trace(0x0100, {0xFD, 0xCB, 0x05, 0x76}));
    EXPECT_STREQ("clearbit 0,([IX-02h]=[3FFEh]):=80h (->A)", Trace(0x0100, {0xDD, 0xCB, 0xFE, 0x87}));
    EXPECT_STREQ("setbit 1,([IY+05h]=[4105h]):=42h", Trace(0x0100, {0xFD, 0xCB, 0x05, 0xCE}));
    EXPECT_EQ(0x81, rig_.memory.GetMemory()[0x3FFE]);
}

TEST_F(Z80Tracer, FormsWithoutTraceSayTodo)
{
    EXPECT_STREQ("(todo)", Trace(0x0100, {0xED, 0xB0}));
    EXPECT_STREQ("(todo)", Trace(0x0100, {0xDD, 0x23}));
    EXPECT_STREQ("(todo)", Trace(0x0100, {0xED, 0x4B, 0x00, 0x40}));
}

// A value that cannot be peeked fails the line even though the mnemonic is complete.
bool AbortRead(void* context, u32, i32, u8* buffer, bool)
{
    static_cast<AbortableZ80*>(context)->SetAbort(true);
    *buffer = 0;
    return true;
}

TEST_F(Z80Tracer, UnreadableValueFailsTheLine)
{
    rig_.memory.SetReadHandler(0x20, 1, &rig_.cpu, AbortRead, false);  // 0x8000-0x83FF
    rig_.cpu.Connect(kConnectMemoryMap);
    struct Case {
        std::initializer_list<u8> bytes;
        const char* mnemonic;
    };
    r_.SP = 0x8000;
    r_.HL = 0x8000;
    r_.IX = 0x8000;
    const Case cases[] = {
        {{0xC9}, "RET"},
        {{0xC0}, "RET NZ"},
        {{0xE1}, "POP HL"},
        {{0x7E}, "LD A,[HL]"},
        {{0x3A, 0x00, 0x80}, "LD A,(8000h)"},
        {{0xCB, 0x46}, "BIT 0,[HL]"},
    };
    for (const Case& c : cases) {
        Trace(0x0100, c.bytes);
        rig_.cpu.SetAbort(false);
        SCOPED_TRACE(c.mnemonic);
        EXPECT_EQ(-1, line_.length);
        EXPECT_STREQ(c.mnemonic, line_.mnemonic.CStr());
        EXPECT_STREQ("*(todo)", line_.trace.CStr());
        EXPECT_EQ(kDisasmKindJump, line_.kind & kDisasmKindJump);
    }
    // DD CB: the operand byte is read before any text, so the mnemonic stays empty.
    Trace(0x0100, {0xDD, 0xCB, 0x01, 0x06});
    rig_.cpu.SetAbort(false);
    EXPECT_EQ(-1, line_.length);
    EXPECT_TRUE(line_.mnemonic.IsEmpty());
    EXPECT_STREQ("DDCB0106", line_.hex.CStr());
    EXPECT_STREQ("*(todo)", line_.trace.CStr());
}

} // namespace
