// Z80 instructions: flag rules (bits 5 and 3 included), block instructions, and the
// decoding and T-states of the prefixed sets. ZEXDOC covers the documented results at
// large; these pin what it does not check.
#include <gtest/gtest.h>

#include <vector>

#include "cpu/tests/z80_test_rig.h"

namespace {

// Runs the program at 0000h one instruction at a time; answers the T-states of the last.
i32 Step(Z80Rig& rig, int instructions)
{
    i32 t = 0;
    for (int i = 0; i < instructions; ++i)
        t = rig.cpu.Execute(0);
    return t;
}

TEST(Z80Flags, ArithmeticEdges)
{
    struct Case {
        u8 a, opcode, operand, resultA, flags;
        const char* what;
    };
    const Case cases[] = {
        {0x80, 0xC6, 0x80, 0x00, 0x45, "ADD A,80h: Z, V, C"},
        {0x00, 0xD6, 0x01, 0xFF, 0x93, "SUB 1 from 0: S, H, N, C"},
        {0x40, 0xFE, 0x28, 0x40, 0x12, "CP 28h: H, N; bits 5 and 3 stay 0"},
        {0xFF, 0xE6, 0x28, 0x28, 0x14, "AND 28h: H, P; bits 5 and 3 not from the result"},
        {0x7F, 0xCE, 0x00, 0x80, 0x94, "ADC A,0 with carry: S, H, V"},
    };
    for (const Case& c : cases) {
        Z80Rig rig;
        rig.Load(0, {0x37,                  // SCF (only ADC uses the carry)
                     c.opcode, c.operand}); // ALU A,n
        rig.R().A = c.a;
        Step(rig, 2);
        EXPECT_EQ(c.resultA, rig.R().A) << c.what;
        EXPECT_EQ(c.flags, rig.R().F) << c.what;
    }
}

TEST(Z80Flags, IncAndDec)
{
    Z80Rig rig;
    rig.Load(0, {0x3C,          // INC A     7Fh -> 80h: S, H, V
                 0x37,          // SCF
                 0x05});        // DEC B     80h -> 7Fh: H, V, N, C kept
    rig.R().A = 0x7F;
    rig.R().BC = 0x8000;
    Step(rig, 1);
    EXPECT_EQ(0x94, rig.R().F);
    Step(rig, 2);
    EXPECT_EQ(0x7F, rig.R().BC >> 8);
    EXPECT_EQ(0x17, rig.R().F);
}

TEST(Z80Flags, BitTests)
{
    Z80Rig rig;
    rig.Load(0, {0xCB, 0x7F,    // BIT 7,A
                 0xCB, 0x40});  // BIT 0,B
    rig.R().A = 0x80;
    rig.R().BC = 0xFE00;
    rig.R().F = 0x29;           // C, and bits 5 and 3
    EXPECT_EQ(8, Step(rig, 1));
    EXPECT_EQ(0x91, rig.R().F);  // S, H, C kept; Z, P/V, 5, 3 clear
    Step(rig, 1);
    EXPECT_EQ(0x55, rig.R().F);  // Z, H, P/V, C
}

TEST(Z80Flags, KeepersCarryBits5And3AndDaaComputesThem)
{
    Z80Rig rig;
    rig.Load(0, {0x37,          // SCF
                 0x3F,          // CCF
                 0x2F,          // CPL
                 0x07,          // RLCA
                 0x27});        // DAA
    rig.R().F = 0x28;
    rig.R().A = 0x15;
    Step(rig, 1);
    EXPECT_EQ(0x29, rig.R().F);
    Step(rig, 1);
    EXPECT_EQ(0x38, rig.R().F);          // H = old C, C cleared
    Step(rig, 1);
    EXPECT_EQ(0x3A, rig.R().F);
    EXPECT_EQ(0xEA, rig.R().A);
    Step(rig, 1);
    EXPECT_EQ(0x29, rig.R().F);          // RLCA: H and N cleared, C = old bit 7
    EXPECT_EQ(0xD5, rig.R().A);
    Step(rig, 1);                        // DAA after RLCA (N, H clear, C set): D5h + 60h
    EXPECT_EQ(0x35, rig.R().A);
    EXPECT_EQ(0x25, rig.R().F);          // bit 5 from 35h, P/V (even), C
}

TEST(Z80Flags, LdAROfAFreshCpu)
{
    Z80Rig rig;
    rig.Load(0, {0xED, 0x5F});   // LD A,R
    rig.R().F = 0xFF;
    Step(rig, 1);
    EXPECT_EQ(0x02, rig.R().A);  // the two fetches of LD A,R itself
    EXPECT_EQ(0x01, rig.R().F);  // C kept, P/V from IFF2 (clear after reset)
}

TEST(Z80Block, LdirCopiesPassByPass)
{
    Z80Rig rig;
    rig.Load(0, {0xED, 0xB0});   // LDIR
    rig.Load(0x1000, {0xA1, 0xA2, 0xA3});
    rig.R().HL = 0x1000;
    rig.R().DE = 0x2000;
    rig.R().BC = 3;
    EXPECT_EQ(21, Step(rig, 1));
    EXPECT_EQ(0x0000, rig.R().PC);
    EXPECT_TRUE(rig.R().F & 0x04);
    EXPECT_EQ(21, Step(rig, 1));
    EXPECT_EQ(16, Step(rig, 1));
    EXPECT_EQ(0x0002, rig.R().PC);
    EXPECT_EQ(0, rig.R().BC);
    EXPECT_FALSE(rig.R().F & 0x04);
    EXPECT_EQ(0xA3, rig.Peek(0x2002));
}

TEST(Z80Block, CpirStopsAtTheFirstMatch)
{
    Z80Rig rig;
    rig.Load(0, {0xED, 0xB1});   // CPIR
    rig.Load(0x1000, {0x10, 0x20, 0x30, 0x20});
    rig.R().HL = 0x1000;
    rig.R().BC = 4;
    rig.R().A = 0x20;
    rig.cpu.Execute(100);
    EXPECT_EQ(0x1002, rig.R().HL);
    EXPECT_EQ(2, rig.R().BC);
    EXPECT_EQ(0x46, rig.R().F & 0x46);   // Z, P/V (BC not 0), N
}

TEST(Z80Block, InputRepeatSetsZeroOnEveryPass)
{
    Z80Rig rig;
    rig.HookPort(0x50);
    rig.portValue = 0x77;
    rig.Load(0, {0xED, 0xB2,    // INIR
                 0xED, 0xA2});  // INI
    rig.R().BC = 0x0250;
    rig.R().HL = 0x3000;
    EXPECT_EQ(21, Step(rig, 1));
    EXPECT_TRUE(rig.R().F & 0x40);
    EXPECT_EQ(16, Step(rig, 1));
    EXPECT_EQ(0x0002, rig.R().PC);
    rig.R().BC = 0x0250;
    Step(rig, 1);                        // INI with B 2 -> 1
    EXPECT_FALSE(rig.R().F & 0x40);
    EXPECT_EQ(0x77, rig.Peek(0x3002));
}

TEST(Z80Prefixed, IndexBitSetCopiesIntoARegister)
{
    Z80Rig rig;
    rig.Load(0, {0xDD, 0xCB, 0x05, 0x00,    // RLC (IX+5),B
                 0xFD, 0xCB, 0xFE, 0x5E});  // BIT 3,(IY-2)
    rig.R().IX = 0x4000;
    rig.R().IY = 0x4007;
    rig.Load(0x4005, {0x81});
    EXPECT_EQ(23, Step(rig, 1));
    EXPECT_EQ(0x03, rig.Peek(0x4005));
    EXPECT_EQ(0x03, rig.R().BC >> 8);
    EXPECT_EQ(0x05, rig.R().F);              // C, P/V (even parity)
    EXPECT_EQ(20, Step(rig, 1));
    EXPECT_EQ(0x55, rig.R().F);              // bit 3 of 03h is 0: Z, H, P/V, C kept; 5 and 3 clear
}

TEST(Z80Prefixed, RedundantPrefixesCostFourEach)
{
    Z80Rig rig;
    rig.Load(0, {0xDD, 0x00,                // DD, then NOP
                 0xDD, 0xDD, 0x21, 0x11, 0x11,   // DD DD LD IX,1111h
                 0xFD, 0xDD, 0x21, 0x22, 0x22}); // FD DD LD IX,2222h
    EXPECT_EQ(4, Step(rig, 1));
    EXPECT_EQ(0x0001, rig.R().PC);
    EXPECT_EQ(4, Step(rig, 1));               // the NOP
    EXPECT_EQ(4, Step(rig, 1));
    EXPECT_EQ(14, Step(rig, 1));
    EXPECT_EQ(0x1111, rig.R().IX);
    EXPECT_EQ(4, Step(rig, 1));
    EXPECT_EQ(14, Step(rig, 1));
    EXPECT_EQ(0x2222, rig.R().IX);
    EXPECT_EQ(0x0000, rig.R().IY);
}

TEST(Z80Prefixed, HalfRegistersCostNine)
{
    Z80Rig rig;
    rig.Load(0, {0xDD, 0x26, 0x5A,    // LD IXH,5Ah
                 0xFD, 0x85});        // ADD A,IYL
    rig.R().IY = 0x0003;
    rig.R().A = 0x01;
    EXPECT_EQ(9, Step(rig, 1));
    EXPECT_EQ(0x5A00, rig.R().IX);
    EXPECT_EQ(9, Step(rig, 1));
    EXPECT_EQ(0x04, rig.R().A);
}

// NEG, RETN and IM at every code of their ED columns, as the chip runs them, and the
// undefined codes beside them as no-operations. Each code runs once from 0000h with A = 01h,
// F = 41h, IM 1 (IM 2 before the IM 1 codes), IFF1 clear and IFF2 set, 1234h on the stack,
// and (HL) = 5Ah, which ED 77 leaves (77 alone is LD (HL),A).
TEST(Z80Prefixed, EdMirrorsAndUndefinedCodes)
{
    struct Case {
        u8 op;
        i32 t;
        u8 a, f, im;
        u16 pc, sp;
        bool iff1;
    };
    constexpr u8 kA = 0x01, kF = 0x41;
    std::vector<Case> cases;
    for (u8 op : {0x44, 0x4C, 0x54, 0x5C, 0x64, 0x6C, 0x74, 0x7C})  // NEG: 0 - 01h
        cases.push_back({op, 8, 0xFF, 0x93, 1, 0x0002, 0xEFFE, false});
    for (u8 op : {0x45, 0x4D, 0x55, 0x5D, 0x65, 0x6D, 0x75, 0x7D})  // RETN (4D RETI)
        cases.push_back({op, 14, kA, kF, 1, 0x1234, 0xF000, true});
    for (u8 op : {0x46, 0x4E, 0x66, 0x6E})                          // IM 0
        cases.push_back({op, 8, kA, kF, 0, 0x0002, 0xEFFE, false});
    for (u8 op : {0x56, 0x76})                                      // IM 1
        cases.push_back({op, 8, kA, kF, 1, 0x0002, 0xEFFE, false});
    for (u8 op : {0x5E, 0x7E})                                      // IM 2
        cases.push_back({op, 8, kA, kF, 2, 0x0002, 0xEFFE, false});
    for (u8 op : {0x77, 0x7F, 0x00, 0x3F, 0x80, 0xA4, 0xFF})        // undefined
        cases.push_back({op, 8, kA, kF, 1, 0x0002, 0xEFFE, false});
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "ED " << std::hex << int(c.op));
        Z80Rig rig;
        rig.Load(0, {0xED, c.op, 0x00});
        rig.Load(0xEFFE, {0x34, 0x12});
        rig.Load(0x4000, {0x5A});
        rig.R().A = kA;
        rig.R().F = kF;
        rig.R().HL = 0x4000;
        rig.R().SP = 0xEFFE;
        rig.R().IM = (c.op == 0x56 || c.op == 0x76) ? 2 : 1;
        rig.R().IFF2 = true;
        rig.R().IR = 0x0010;
        EXPECT_EQ(c.t, Step(rig, 1));
        EXPECT_EQ(c.pc, rig.R().PC);
        EXPECT_EQ(c.a, rig.R().A);
        EXPECT_EQ(c.f, rig.R().F);
        EXPECT_EQ(c.im, rig.R().IM);
        EXPECT_EQ(c.sp, rig.R().SP);
        EXPECT_EQ(c.iff1, rig.cpu.AreInterruptsEnabled());
        EXPECT_EQ(0x12, rig.cpu.GetR()) << "R counts the prefix and the code";
        EXPECT_EQ(0x5A, rig.Peek(0x4000));
    }
}

TEST(Z80Prefixed, OutZeroAndRetiRestoresIff1)
{
    Z80Rig rig;
    rig.HookPort(0x60);
    rig.Load(0, {0xED, 0x71,    // OUT (C),0
                 0xED, 0x4D});  // RETI
    rig.Load(0xEFFE, {0x34, 0x12});
    rig.R().BC = 0x0060;
    rig.R().A = 0x55;
    rig.R().SP = 0xEFFE;
    rig.R().IFF2 = true;
    EXPECT_EQ(12, Step(rig, 1));
    ASSERT_EQ(1u, rig.portWrites.size());
    EXPECT_EQ(0x00, rig.portWrites[0].second);
    EXPECT_EQ(14, Step(rig, 1));
    EXPECT_EQ(0x1234, rig.R().PC);
    EXPECT_TRUE(rig.cpu.AreInterruptsEnabled());
}

TEST(Z80Main, ConditionalCosts)
{
    Z80Rig rig;
    rig.HookPort(0x70);
    rig.Load(0, {0x06, 0x02,          // LD B,2
                 0x10, 0xFE,          // DJNZ $ (13 taken, 8 not)
                 0x3E, 0x12,          // LD A,12h
                 0xD3, 0x70,          // OUT (70h),A: port 1270h
                 0xC0});              // RET NZ (5 not taken)
    Step(rig, 1);
    EXPECT_EQ(13, Step(rig, 1));
    EXPECT_EQ(8, Step(rig, 1));
    Step(rig, 2);
    ASSERT_EQ(1u, rig.portWrites.size());
    EXPECT_EQ(0x12, rig.portWrites[0].second);
    rig.R().F = 0x40;
    EXPECT_EQ(5, Step(rig, 1));
}

} // namespace
