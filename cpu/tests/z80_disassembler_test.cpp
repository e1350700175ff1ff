// Disassembler columns, lengths and kinds for representative opcodes of every set, the
// failure rules, and that a disassembly leaves the machine exactly as it was.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cpu/tests/z80_disasm_rig.h"

namespace {

struct Case {
    std::vector<u8> bytes;
    const char* mnemonic;
    const char* hex;
    i32 length;
    u32 kind;
};

void Check(DisasmRig& rig, const std::vector<Case>& cases)
{
    for (const Case& c : cases) {
        rig.Load(0x1000, {0, 0, 0, 0, 0});
        for (size_t i = 0; i < c.bytes.size(); ++i)
            rig.memory.GetMemory()[0x1000 + i] = c.bytes[i];
        rig.cpu.Regs().PC = 0x1000;
        const DisasmLine l = rig.Run();
        SCOPED_TRACE(c.hex);
        EXPECT_STREQ(c.mnemonic, l.mnemonic.CStr());
        EXPECT_STREQ(c.hex, l.hex.CStr());
        EXPECT_EQ(c.length, l.length);
        EXPECT_EQ(c.kind, l.kind);
    }
}

TEST(Z80Disassembler, ColumnsOfOneLine)
{
    DisasmRig rig;
    ASSERT_TRUE(rig.started);
    rig.cpu.Regs().A = 0x12;
    rig.cpu.Regs().F = 0x41;
    const DisasmLine l = rig.At(0x0100, {0x3E, 0x7F});
    EXPECT_EQ(2, l.length);
    EXPECT_STREQ("0100", l.address.CStr());
    EXPECT_STREQ("3E7F", l.hex.CStr());
    EXPECT_STREQ("LD A,7Fh", l.mnemonic.CStr());
    EXPECT_STREQ("-Z---C", l.flags.CStr());
    EXPECT_STREQ("A:=7Fh", l.trace.CStr());
    EXPECT_TRUE(l.spare6.IsEmpty());
    EXPECT_TRUE(l.spare7.IsEmpty());
    EXPECT_EQ(0u, l.kind);
    const u32 widths[7] = {4, 6, 28, 6, 48, 0, 3};
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(widths[i], l.widths[i]) << "column " << i + 1;
    rig.cpu.Regs().F = 0xE9;  // bits 5 and 3 are not shown
    EXPECT_STREQ("SZ---C", rig.Run().flags.CStr());
}

TEST(Z80Disassembler, MnemonicsOfEverySet)
{
    DisasmRig rig;
    rig.cpu.Regs().A = 0x12;
    Check(rig, {
        {{0x01, 0x34, 0x12}, "LD BC,1234h", "013412", 3, 0},
        {{0x36, 0x12}, "LD [HL],12h", "3612", 2, 0},
        {{0x34}, "INC [HL]", "34", 1, 0},
        {{0x08}, "EX AF,AF'", "08", 1, 0},
        {{0x10, 0xFE}, "DJNZ -02h", "10FE", 2, kDisasmKindJump},
        {{0x18, 0x05}, "JR (PC+05h)", "1805", 2, kDisasmKindJump},
        {{0x38, 0x80}, "JR C (PC-80h)", "3880", 2, kDisasmKindJump},
        {{0x3A, 0x00, 0x80}, "LD A,(8000h)", "3A0080", 3, 0},
        {{0x46}, "LD B,[HL]", "46", 1, 0},
        {{0x76}, "HLT", "76", 1, kDisasmKindCall},
        {{0x9F}, "SBC A,A", "9F", 1, 0},
        {{0xFE, 0x05}, "CP A,05h", "FE05", 2, 0},
        {{0xE8}, "RET PE", "E8", 1, kDisasmKindJump},
        {{0xFA, 0x34, 0x12}, "JP M 1234h", "FA3412", 3, kDisasmKindJump},
        {{0xC4, 0x34, 0x12}, "CALL NZ 1234h", "C43412", 3, kDisasmKindCall},
        {{0xF1}, "POP AF", "F1", 1, 0},
        {{0xFF}, "RST 7", "FF", 1, kDisasmKindCall},
        {{0xD3, 0xFE}, "OUT (12FEh),A", "D3FE", 2, 0},  // A on the high address lines
        {{0xE9}, "JP (HL)", "E9", 1, kDisasmKindJump},
        // CB
        {{0xCB, 0x1E}, "RR [HL]", "CB1E", 2, 0},
        {{0xCB, 0x37}, "SLL A", "CB37", 2, 0},
        {{0xCB, 0x7C}, "BIT 7,H", "CB7C", 2, 0},
        {{0xCB, 0x8F}, "RES 1,A", "CB8F", 2, 0},
        {{0xCB, 0xFE}, "SET 7,[HL]", "CBFE", 2, 0},
        // ED
        {{0xED, 0x78}, "IN A,(BC)", "ED78", 2, 0},
        {{0xED, 0x70}, "IN (BC)", "ED70", 2, 0},
        {{0xED, 0x71}, "OUT (BC),0", "ED71", 2, 0},
        {{0xED, 0x43, 0x34, 0x12}, "LD (nn),R16", "ED433412", 4, 0},
        {{0xED, 0x4D}, "RETI", "ED4D", 2, 0},
        {{0xED, 0x4C}, "NEG A", "ED4C", 2, 0},  // the mirrors, named as the CPU runs them
        {{0xED, 0x7C}, "NEG A", "ED7C", 2, 0},
        {{0xED, 0x55}, "RETN", "ED55", 2, 0},
        {{0xED, 0x7D}, "RETN", "ED7D", 2, 0},
        {{0xED, 0x4E}, "IM 0", "ED4E", 2, 0},
        {{0xED, 0x6E}, "IM 0", "ED6E", 2, 0},
        {{0xED, 0x76}, "IM 1", "ED76", 2, 0},
        {{0xED, 0x7E}, "IM 2", "ED7E", 2, 0},
        {{0xED, 0xAA}, "IND", "EDAA", 2, 0},
        {{0xED, 0xBB}, "OTDR", "EDBB", 2, 0},
        // DD, FD: patterns as they stand, operands counted
        {{0xDD, 0x21, 0x00, 0x40}, "LD XY,im16", "DD210040", 4, 0},
        {{0xDD, 0x36, 0x05, 0x12}, "LD (XY+sim8),n", "DD360512", 4, 0},
        {{0xFD, 0xBE, 0x01}, "CP  A,(XY+sim8)", "FDBE01", 3, 0},
        {{0xDD, 0x6D}, "NOP", "DD6D", 2, 0},
        {{0xDD, 0xE9}, "JP (XY)", "DDE9", 2, 0},
        // DD CB, FD CB
        {{0xDD, 0xCB, 0x05, 0x06}, "RLC (IX+05h)", "DDCB0506", 4, 0},
        {{0xDD, 0xCB, 0xFE, 0x80}, "RES 0,(IX-02h)->B", "DDCBFE80", 4, 0},
        {{0xFD, 0xCB, 0x80, 0xC7}, "SET 0,(IY-80h)->A", "FDCB80C7", 4, 0},
        {{0xDD, 0xCB, 0x01, 0x78}, "BIT 7,(IX+01h)", "DDCB0178", 4, 0},
    });
}

// Opcodes the CPU does not decode, or decodes as a pause before the next byte: no text,
// the failure trace, and the jump bit so that step-over does not run past them.
TEST(Z80Disassembler, UndecodedAndIgnoredPrefixes)
{
    DisasmRig rig;
    for (auto bytes : {std::vector<u8>{0xED, 0x77}, {0xED, 0x7F}, {0xED, 0x00}, {0xED, 0xFF},
                       {0xDD, 0x00}, {0xDD, 0xDD}, {0xFD, 0xED}, {0xDD, 0x76}}) {
        rig.Load(0x2000, {bytes[0], bytes[1], 0x00, 0x00});
        rig.cpu.Regs().PC = 0x2000;
        const DisasmLine l = rig.Run();
        SCOPED_TRACE(testing::Message() << std::hex << int(bytes[0]) << " " << int(bytes[1]));
        EXPECT_EQ(-1, l.length);
        EXPECT_TRUE(l.mnemonic.IsEmpty());
        EXPECT_STREQ("*(todo)", l.trace.CStr());
        EXPECT_EQ(kDisasmKindJump, l.kind);
        EXPECT_EQ(4, l.hex.GetLength());
    }
}

TEST(Z80Disassembler, NotRunningAnswersZeroWithEmptyColumns)
{
    MemorySpace memory;
    memory.Allocate(0x10000, 0);
    Z80Cpu cpu;
    cpu.SetServices(nullptr, nullptr, &memory, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
    cpu.Connect(kConnectMemoryMap);
    StringA s[7];
    u32 out[8];
    for (u32& v : out)
        v = 77;
    for (StringA& t : s)
        t.Assign("x");
    EXPECT_EQ(0, cpu.Disassemble(s[0], s[1], s[2], s[3], s[4], s[5], s[6], &out[0], &out[1], &out[2],
                                 &out[3], &out[4], &out[5], &out[6], &out[7]));
    for (StringA& t : s)
        EXPECT_TRUE(t.IsEmpty());
    for (u32 v : out)
        EXPECT_EQ(0u, v);
}

// A read handler that raises the abort flag when touched, as a breakpoint would.
bool AbortingRead(void* context, u32, i32, u8* buffer, bool)
{
    static_cast<AbortableZ80*>(context)->SetAbort(true);
    *buffer = 0;
    return true;
}

// The abort flag raised by the first byte of 0x0400: the line fails, keeping what was
// decoded (the placeholder form of an operand), and PC stays.
TEST(Z80Disassembler, AbortedReadFailsTheLine)
{
    struct Expect {
        std::vector<u8> bytes;  // placed to end at 0x03FF
        const char* mnemonic;
        u32 kind;
    };
    const Expect cases[] = {
        {{}, "???", kDisasmKindJump},
        {{0xCD}, "CALL im16", kDisasmKindCall | kDisasmKindJump},
        {{0x3E}, "LD A,im8", kDisasmKindJump},
        {{0x18}, "JR (PC+sim8)", kDisasmKindJump},
        {{0xDB}, "IN A,(im8)", kDisasmKindJump},
        {{0xED, 0x43}, "LD (nn),R16", kDisasmKindJump},
        {{0xFD, 0xCB}, "???", kDisasmKindJump},
    };
    for (const Expect& e : cases) {
        DisasmRig rig;
        rig.memory.SetReadHandler(1, 1, &rig.cpu, AbortingRead, false);
        rig.cpu.Connect(kConnectMemoryMap);
        const u16 pc = static_cast<u16>(0x0400 - e.bytes.size());
        std::string hex;
        for (size_t i = 0; i < e.bytes.size(); ++i) {
            rig.memory.GetMemory()[pc + i] = e.bytes[i];
            hex += "0123456789ABCDEF"[e.bytes[i] >> 4];
            hex += "0123456789ABCDEF"[e.bytes[i] & 15];
        }
        rig.cpu.Regs().PC = pc;
        const DisasmLine l = rig.Run();
        rig.cpu.SetAbort(false);
        SCOPED_TRACE(e.mnemonic);
        EXPECT_EQ(-1, l.length);
        EXPECT_STREQ(e.mnemonic, l.mnemonic.CStr());
        EXPECT_EQ(hex, l.hex.CStr());
        EXPECT_STREQ("*(todo)", l.trace.CStr());
        EXPECT_EQ(e.kind, l.kind);
        EXPECT_EQ(pc, rig.cpu.Regs().PC);
    }
}

TEST(Z80Disassembler, AddressWrapsAtTheTopOfMemory)
{
    DisasmRig rig;
    rig.Load(0xFFFF, {0xC3});
    rig.Load(0x0000, {0x34, 0x12});
    rig.cpu.Regs().PC = 0xFFFF;
    const DisasmLine l = rig.Run();
    EXPECT_EQ(3, l.length);
    EXPECT_STREQ("JP 1234h", l.mnemonic.CStr());
    EXPECT_STREQ("C33412", l.hex.CStr());
}

// --- no side effects ---

// A memory-mapped device serving 1 KB of its own bytes, counting what reaches it.
struct Probe {
    int realReads = 0;   // reads without the peek flag: these would move a device
    int peeks = 0;
    int writes = 0;
    int portCalls = 0;
    u8 image[1024] = {};
};

// Disassembles every opcode of every set with its bytes, operands and data in a device's
// block (direct fetch path, handler path and the memory space's alias path alike): the
// device must see peeks only, and memory, registers, time and ports must not move.
TEST(Z80Disassembler, ChangesNoMemoryPortOrDeviceState)
{
    DisasmRig rig;
    Probe probe;
    auto read = [](void* c, u32 address, i32, u8* buffer, bool peek) {
        auto* p = static_cast<Probe*>(c);
        (peek ? p->peeks : p->realReads)++;
        *buffer = p->image[address & 0x3FF];
        return true;
    };
    auto write = [](void* c, u32, i32, const u8*) { return ++static_cast<Probe*>(c)->writes > 0; };
    auto portRead = [](void* c, u32, i32, u8*, bool) { return ++static_cast<Probe*>(c)->portCalls > 0; };
    auto portWrite = [](void* c, u32, i32, const u8*) { return ++static_cast<Probe*>(c)->portCalls > 0; };
    rig.memory.SetReadHandler(4, 1, &probe, read, false);    // 0x1000-0x13FF
    rig.memory.SetWriteHandler(4, 1, &probe, write, false);
    rig.memory.AliasRead(8, 4, 1);                           // 0x2000-0x23FF reads through it
    rig.cpu.Connect(kConnectMemoryMap);
    rig.ports.SetDefaultReadHandler(&probe, portRead, nullptr);
    rig.ports.SetDefaultWriteHandler(&probe, portWrite);

    Z80Registers& r = rig.cpu.Regs();
    r.A = 0x12; r.F = 0xD7; r.BC = 0x10FE; r.DE = 0x1100; r.HL = 0x1200;
    r.SP = 0x13F0; r.IX = 0x1300; r.IY = 0x2010; r.A2 = 0x55; r.BC2 = 0x2222;
    r.PC = 0x0800;
    const Z80Registers before = r;
    const u64 cycles = rig.cpu.GetCycleCount();
    const std::vector<u8> memoryBefore(rig.memory.GetMemory(), rig.memory.GetMemory() + 0x10000);

    const std::vector<std::vector<u8>> prefixes = {{}, {0xCB}, {0xED}, {0xDD}, {0xFD}, {0xDD, 0xCB, 0x05},
                                                   {0xFD, 0xCB, 0xFB}};
    for (u16 pc : {u16(0x0800), u16(0x1000), u16(0x2000)}) {   // direct, handler, alias
        for (const auto& prefix : prefixes) {
            for (int op = 0; op < 256; ++op) {
                u8* code = pc < 0x1000 ? rig.memory.GetMemory() + pc : probe.image;
                for (size_t i = 0; i < prefix.size(); ++i)
                    code[i] = prefix[i];
                code[prefix.size()] = static_cast<u8>(op);
                r.PC = pc;
                ASSERT_NE(0, rig.Run().length);
            }
        }
    }
    r.PC = 0x0800;
    EXPECT_EQ(0, probe.realReads);
    EXPECT_GT(probe.peeks, 0);
    EXPECT_EQ(0, probe.writes);
    EXPECT_EQ(0, probe.portCalls);
    EXPECT_EQ(cycles, rig.cpu.GetCycleCount());
    EXPECT_FALSE(rig.cpu.IsStopRequested());

    EXPECT_EQ(before.PC, r.PC);
    EXPECT_EQ(before.SP, r.SP);
    EXPECT_EQ(before.BC, r.BC);
    EXPECT_EQ(before.A, r.A);
    EXPECT_EQ(before.F, r.F);
    // Only the code bytes this test stored in plain RAM differ.
    for (u32 a = 0; a < 0x10000; ++a) {
        if (a < 0x0800 || a >= 0x0805) {
            ASSERT_EQ(memoryBefore[a], rig.memory.GetMemory()[a]) << std::hex << a;
        }
    }
}

} // namespace
