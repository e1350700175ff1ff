// Z80 saved state: a suspended instruction survives a save and a load, damaged states are
// refused; the register dump's texts.
#include <gtest/gtest.h>

#include "base/archive.h"
#include "base/memory_stream.h"
#include "base/object_list.h"
#include "cpu/tests/z80_test_rig.h"

namespace {

class StateBuffer {
public:
    StateBuffer() { stream.Allocate(0, 4096); }
    Archive& Writer() { return archive; }
    bool LoadInto(Z80Cpu& cpu)
    {
        stream.Seek(0);
        Archive reader(&stream);
        return cpu.LoadState(reader, nullptr);
    }
    MemoryStream stream;
    Archive archive{&stream};
};

TEST(Z80State, SuspendedInstructionIsFinishedAfterALoad)
{
    Z80Rig first;
    first.Load(0, {0xCD, 0x00, 0x20});   // CALL 2000h    17 T
    first.R().SP = 0xF000;
    first.R().IX = 0xABCD;
    EXPECT_EQ(5, first.cpu.Execute(5));
    StateBuffer state;
    ASSERT_TRUE(first.cpu.SaveState(state.Writer()));

    Z80Rig second;
    second.Load(0, {0xCD, 0x00, 0x20});
    ASSERT_TRUE(state.LoadInto(second.cpu));
    EXPECT_EQ(5, second.cpu.GetOwedCycles());
    EXPECT_EQ(0x0000u, second.cpu.GetPC());
    EXPECT_EQ(0xABCD, second.R().IX);
    EXPECT_EQ(5u, second.cpu.GetCycleCount());
    EXPECT_EQ(12, second.cpu.Execute(12));   // exactly the rest of the CALL
    EXPECT_EQ(0x2000, second.R().PC);
    EXPECT_EQ(0xEFFE, second.R().SP);
    EXPECT_EQ(0, second.cpu.GetOwedCycles());
    EXPECT_EQ(17u, second.cpu.GetCycleCount());
}

TEST(Z80State, RoundTripWritesTheSameBytes)
{
    Z80Rig first;
    first.Load(0, {0x31, 0x00, 0xF0,    // LD SP,F000h
                   0xED, 0x5E,          // IM 2
                   0xD9,                // EXX
                   0x08});              // EX AF,AF'
    first.R().BC = 0x1122;
    first.R().A = 0x33;
    first.cpu.Execute(30);
    StateBuffer a;
    ASSERT_TRUE(first.cpu.SaveState(a.Writer()));
    Z80Rig second;
    ASSERT_TRUE(a.LoadInto(second.cpu));
    StateBuffer b;
    ASSERT_TRUE(second.cpu.SaveState(b.Writer()));
    ASSERT_EQ(a.stream.GetSize(), b.stream.GetSize());
    std::vector<u8> bytesA(a.stream.GetSize()), bytesB(b.stream.GetSize());
    a.stream.ReadAt(bytesA.data(), 0, bytesA.size());
    b.stream.ReadAt(bytesB.data(), 0, bytesB.size());
    EXPECT_EQ(bytesA, bytesB);
    EXPECT_EQ(0x1122, second.R().BC2);
    EXPECT_EQ(0x33, second.R().A2);
    EXPECT_EQ(2, second.R().IM);
}

TEST(Z80State, VersionOtherThanZeroIsRefused)
{
    Z80Rig first;
    StateBuffer state;
    ASSERT_TRUE(first.cpu.CpuBase::SaveState(state.Writer()));
    const u8 version = 1;
    ASSERT_TRUE(state.Writer().WriteUInt8(&version, "VER"));
    Z80Rig second;
    second.R().A = 0x42;
    EXPECT_FALSE(state.LoadInto(second.cpu));
    EXPECT_EQ(0x42, second.R().A);
}

TEST(Z80State, MissingLastKeyIsRefusedAfterTheOthers)
{
    Z80Rig first;
    first.R().A = 0x99;
    StateBuffer state;
    ASSERT_TRUE(first.cpu.SaveState(state.Writer()));
    // Cut the last keyed value ("PEPC": F8, 8-byte key record, type, 2 bytes).
    state.stream.SetSize(state.stream.GetSize() - 12);
    Z80Rig second;
    EXPECT_FALSE(state.LoadInto(second.cpu));
    EXPECT_EQ(0x99, second.R().A);
}

TEST(Z80State, OwedCyclesBeyondTheInstructionAreRefused)
{
    Z80Rig first;
    first.Load(0, {0xCD, 0x00, 0x20});   // CALL 2000h
    first.cpu.Execute(5);
    first.R().pendingOpcode = 0x00;      // a NOP cannot owe 5 of its 4 T-states
    StateBuffer state;
    ASSERT_TRUE(first.cpu.SaveState(state.Writer()));
    Z80Rig second;
    EXPECT_FALSE(state.LoadInto(second.cpu));
}

TEST(Z80Dump, CompactAndFullForms)
{
    Z80Rig rig;
    rig.R().F = 0xD7;
    rig.R().A = 0x12;
    rig.R().BC = 0x3456;
    rig.R().PC = 0x0100;
    rig.cpu.Execute(0);   // NOP at 0100h
    ObjectList lines;
    ASSERT_TRUE(rig.cpu.DumpRegisters(lines, false));
    ASSERT_EQ(2, lines.Count());
    EXPECT_STREQ("CPU Z80, Frequency=3579545, Cycles=4 (-0), Flags: SZAPC (D7h)", lines.At(0)->GetNarrow());
    EXPECT_STREQ("    A=12h, BC=3456h, DE=0000h, HL=0000h, PC=0101h, SP=0000h", lines.At(1)->GetNarrow());
    lines.Clear();
    rig.R().F = 0x40;
    ASSERT_TRUE(rig.cpu.DumpRegisters(lines, true));
    ASSERT_EQ(8, lines.Count());
    EXPECT_STREQ("~CPU", lines.At(0)->GetNarrow());
    EXPECT_STREQ("AF=1240h", lines.At(1)->GetNarrow());
    EXPECT_STREQ("PC=0101h", lines.At(5)->GetNarrow());
    EXPECT_STREQ("-Z--- I-", lines.At(7)->GetNarrow());
}

} // namespace
