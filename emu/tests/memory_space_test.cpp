#include <gtest/gtest.h>

#include <vector>

#include "base/string_a.h"
#include "emu/memory_space.h"
#include "emu/tests/archive_buffer.h"

namespace {

// A device answering reads with value + offset, recording what it was given.
struct Probe {
    u8 value = 0xA5;
    bool accept = true;
    std::vector<u32> addresses;
    std::vector<i32> sizes;
    std::vector<u8> written;
    bool lastPeek = false;

    static bool Read(void* context, u32 address, i32 size, u8* buffer, bool peek)
    {
        auto* self = static_cast<Probe*>(context);
        self->addresses.push_back(address);
        self->sizes.push_back(size);
        self->lastPeek = peek;
        for (i32 i = 0; self->accept && i < size; ++i)
            buffer[i] = static_cast<u8>(self->value + i);
        return self->accept;
    }
    static bool Write(void* context, u32 address, i32 size, const u8* buffer)
    {
        auto* self = static_cast<Probe*>(context);
        self->addresses.push_back(address);
        if (self->accept)
            self->written.insert(self->written.end(), buffer, buffer + size);
        return self->accept;
    }
};

class MemorySpaceTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(mem.Allocate(0x10000, 0)); }
    u8& Byte(u32 address) { return mem.GetMemory()[address]; }
    const MemoryBlockEntry& Entry(u32 block) { return mem.GetBlockTable()[block]; }

    MemorySpace mem;
};

} // namespace

TEST_F(MemorySpaceTest, AllocateMakesPlainBlocksForTheFastPath)
{
    EXPECT_EQ(mem.GetBlockCount(), 64u);
    EXPECT_EQ(mem.GetHighestAddress(), 0xFFFFu);
    mem.Write8(0x1234, 0x5A);
    EXPECT_EQ(Byte(0x1234), 0x5A);
    EXPECT_EQ(Entry(4).flags & kMemReadKindMask, kMemReadDirect);
    EXPECT_EQ(Entry(4).flags & kMemWriteKindMask, kMemWriteDirect);
    EXPECT_EQ(static_cast<u8*>(Entry(4).readContext)[0x234], 0x5A);

    ASSERT_TRUE(mem.Allocate(0x10001, 0));   // one byte over: a whole block more
    EXPECT_EQ(mem.GetSize(), 0x10400u);
    ASSERT_TRUE(mem.Allocate(0x20000, 0xFFFF));
    EXPECT_EQ(mem.GetHighestAddress(), 0xFFFFu);
    // Rounding this up would wrap a 32-bit size: refused, the memory kept.
    EXPECT_FALSE(mem.Allocate(0xFFFFFC01u, 0));
    EXPECT_EQ(mem.GetSize(), 0x20000u);
}

TEST_F(MemorySpaceTest, UnreachableBytesReadFFAndSwallowWrites)
{
    Byte(0xFFFF) = 0x12;
    EXPECT_EQ(mem.Read8(0x10000, false), 0xFF);
    EXPECT_EQ(mem.Read16(0xFFFF, false), 0xFF12);
    EXPECT_EQ(mem.Read32(0xFFFE, false), 0xFFFF1200u);

    Byte(0x0400) = 0x77;
    ASSERT_TRUE(mem.SetAccess(1, 1, 1));   // read-only
    mem.Write8(0x0400, 0x11);
    EXPECT_EQ(mem.Read8(0x0400, false), 0x77);
    ASSERT_TRUE(mem.SetAccess(0, 1, 1));   // unmapped
    EXPECT_EQ(mem.Read8(0x0400, false), 0xFF);
    EXPECT_FALSE(mem.SetAccess(4, 0, 1));
    EXPECT_FALSE(mem.SetAccess(3, 62, 5));   // past the table; 62 and 63 still set
    EXPECT_EQ(mem.GetAccess(1), 0u);
}

TEST_F(MemorySpaceTest, HandlersAndTheirFallBacks)
{
    Probe probe;
    ASSERT_TRUE(mem.SetReadHandler(2, 1, &probe, Probe::Read, false));
    ASSERT_TRUE(mem.SetWriteHandler(2, 1, &probe, Probe::Write, false));
    EXPECT_EQ(Entry(2).flags & kMemReadKindMask, kMemReadViaHandler);
    EXPECT_EQ(mem.Read8(0x0810, true), 0xA5);
    EXPECT_TRUE(probe.lastPeek);
    mem.Write8(0x0810, 0x42);
    EXPECT_EQ(probe.written, std::vector<u8>{0x42});
    EXPECT_EQ(Byte(0x0810), 0);

    // Refusals fall back to the backing memory.
    probe.accept = false;
    Byte(0x0811) = 0x3C;
    EXPECT_EQ(mem.Read8(0x0811, false), 0x3C);
    mem.Write8(0x0812, 0x43);
    EXPECT_EQ(Byte(0x0812), 0x43);

    // Past the table: reads answer false, writes true; the blocks inside change.
    EXPECT_FALSE(mem.SetReadHandler(62, 4, &probe, Probe::Read, false));
    EXPECT_TRUE(mem.SetWriteHandler(62, 4, &probe, Probe::Write, false));
    EXPECT_FALSE(mem.SetReadHandler(0xFFFFFFF0u, 0x20, &probe, Probe::Read, false));
    EXPECT_EQ(Entry(63).flags & kMemReadKindMask, kMemReadViaHandler);

    // A binding withdrawn takes only its own handler out.
    Probe other;
    ASSERT_TRUE(mem.SetReadHandler(4, 1, &other, Probe::Read, false));
    mem.RemoveReadHandler(0, 64, &probe);
    EXPECT_EQ(Entry(2).flags & kMemReadKindMask, kMemReadDirect);
    EXPECT_EQ(mem.Read8(0x0811, false), 0x3C);
    EXPECT_EQ(mem.Read8(0x1000, false), 0xA5);
}

TEST_F(MemorySpaceTest, AliasesServeTheTargetBlocks)
{
    Byte(0x2010) = 0xC3;
    mem.AliasRead(0, 8, 8);
    EXPECT_EQ(mem.Read8(0x0010, false), 0xC3);
    EXPECT_NE(Entry(0).flags & kMemReadKindMask, kMemReadDirect);   // off the fast path
    mem.Write8(0x0010, 0x01);                                         // writes are not aliased
    EXPECT_EQ(Byte(0x2010), 0xC3);
    mem.AliasRead(0, 0, 8);                                           // alias removed
    EXPECT_EQ(mem.Read8(0x0010, false), 0x01);

    mem.AliasWrite(1, 40, 1);
    mem.Write16(0x0406, 0x1234);
    EXPECT_EQ(Byte(40 * 1024 + 6), 0x34);
    EXPECT_EQ(Byte(40 * 1024 + 7), 0x12);

    // An alias of an alias is not followed: the middle block's bytes serve.
    Byte(10 * 1024 + 1) = 0x0A;
    mem.AliasRead(10, 20, 1);
    mem.AliasRead(3, 10, 1);
    EXPECT_EQ(mem.Read8(3 * 1024 + 1, false), 0x0A);
    EXPECT_EQ(mem.Read16(3 * 1024 + 1, false), 0x000A);

    // A handler behind an alias gets the aliased address, or the CPU's when it asked.
    Probe probe;
    ASSERT_TRUE(mem.SetReadHandler(30, 1, &probe, Probe::Read, false));
    mem.AliasRead(2, 30, 1);
    mem.Read8(0x0805, false);
    EXPECT_EQ(probe.addresses.back(), 30u * 1024 + 5);
    ASSERT_TRUE(mem.SetReadHandler(30, 1, &probe, Probe::Read, true));
    mem.Read8(0x0805, false);
    EXPECT_EQ(probe.addresses.back(), 0x0805u);
}

TEST_F(MemorySpaceTest, MappingRangesAreClampedToTheTable)
{
    Byte(0) = 0x42;
    Byte(3 * 1024) = 0x43;
    mem.AliasRead(60, 0, 100);
    EXPECT_EQ(mem.Read8(60 * 1024, false), 0x42);
    EXPECT_EQ(mem.Read8(63 * 1024, false), 0x43);
    mem.AliasRead(0, 62, 8);   // only targets 62 and 63 exist
    EXPECT_EQ(Entry(1).readAlias, 63u);
    EXPECT_EQ(Entry(2).flags & kMemReadAlias, 0u);
    mem.AliasRead(50, 50, 0xFFFFFFFFu);
    mem.AliasWrite(70, 1, 4);
    mem.AliasWrite(60, 60, 1000);
    mem.ResetBlocks(40, 0xFFFFFFFFu);
    mem.ResetBlocks(1000, 1);
    std::vector<u8> buffer(1024, 0xEE);
    mem.MapBuffer(63, 5, buffer.data());
    EXPECT_EQ(mem.Read8(0xFFFF, false), 0xEE);
    mem.SetSlowWrite(62, 10, true);
    EXPECT_NE(Entry(63).flags & kMemWriteSlow, 0u);
    EXPECT_FALSE(mem.SetBlockAttribute(false, 60, 10));
    EXPECT_NE(Entry(63).flags & kMemNotSaved, 0u);
}

TEST_F(MemorySpaceTest, WideAccessesSplitAtBlockEdgesAndOnRefusal)
{
    Probe probe;
    ASSERT_TRUE(mem.SetReadHandler(0, 2, &probe, Probe::Read, false));
    mem.Read16(0x03FF, false);   // would cross into the next block
    EXPECT_EQ(probe.sizes, (std::vector<i32>{1, 1}));

    // A handler serving bytes only: split, low byte first.
    auto byteOnly = [](void*, u32 address, i32 size, u8* buffer, bool) {
        buffer[0] = static_cast<u8>(address);
        return size == 1;
    };
    ASSERT_TRUE(mem.SetReadHandler(4, 1, nullptr, byteOnly, false));
    EXPECT_EQ(mem.Read32(0x1010, false), 0x13121110u);

    mem.Write32(0x03FE, 0xA1B2C3D4u);
    EXPECT_EQ(Byte(0x03FE), 0xD4);
    EXPECT_EQ(Byte(0x0401), 0xA1);
}

TEST_F(MemorySpaceTest, BlockCopiesWrapAndStreamsInterleave)
{
    const u8 data[4] = {1, 2, 3, 4};
    ASSERT_TRUE(mem.WriteBlock(0xFFFE, data, 4, 0));
    EXPECT_EQ(Byte(0x0001), 4);
    ASSERT_TRUE(mem.CopyBlock(0xFFFE, 0x2000, 4, 0));
    EXPECT_EQ(Byte(0x2003), 4);

    MemoryStream even, odd;
    even.Allocate(0, -1);
    odd.Allocate(0, -1);
    even.Write("\xE0\xE1", 2);
    odd.Write("\x01\x11", 2);
    even.Seek(0);
    odd.Seek(0);
    ASSERT_TRUE(mem.LoadFromStream(even, 0x100, 1, 2));
    ASSERT_TRUE(mem.LoadFromStream(odd, 0x101, 1, 2));
    EXPECT_EQ(mem.Read32(0x100, false), 0x11E101E0u);
    EXPECT_FALSE(mem.LoadFromStream(even, 0x10000, 1, 1));
    EXPECT_FALSE(mem.WriteBlockFromStream(0x3000, odd, 1, 0));   // stream used up
}

// --- saved state ---

namespace {

StringA Key(const char* pattern, i32 n)
{
    StringA key;
    key.Format(pattern, n);
    return key;
}

// A "_MEMS" block with one run, written by hand for damaged variants.
void WriteMems(Archive& ar, u64 size, u64 highest, u64 span, u64 blobSize, bool close = true)
{
    const u8 ver = 0;
    const bool yes = true, no = false;
    std::vector<u8> blob(blobSize, 0x5A);
    ar.WriteMarker("_MEMS", Archive::kBlockOpen);
    ar.WriteUInt8(&ver, "VER");
    ar.WriteUInt64(&size, "MSZ");
    ar.WriteUInt64(&highest, "MLM");
    ar.WriteBool(&yes, Key("MDT%ld", 0));
    ar.WriteUInt64(&span, Key("MDTS%ld", 0));
    ar.WriteBlob(blob.data(), blob.size(), Key("MDTA%ld", 0));
    ar.WriteBool(&no, Key("MDT%ld", 1));
    if (close)
        ar.WriteMarker("_MEMS", Archive::kBlockClose);
}

} // namespace

TEST_F(MemorySpaceTest, StateKeepsSavedBlocksInRuns)
{
    for (u32 a = 0; a < 0x10000; a += 97)
        Byte(a) = static_cast<u8>(a >> 3);
    ASSERT_TRUE(mem.SetBlockAttribute(false, 0, 8));
    ArchiveBuffer buf;
    ASSERT_TRUE(mem.SaveState(buf.archive));

    // Blocks 0-7 not saved: one run, first block 8, 56 blocks.
    buf.Rewind();
    u8 ver;
    u64 value;
    bool more;
    ASSERT_TRUE(buf.archive.ReadMarker("_MEMS", Archive::kBlockOpen));
    ASSERT_TRUE(buf.archive.ReadUInt8(&ver, "VER") && buf.archive.ReadUInt64(&value, "MSZ"));
    ASSERT_TRUE(buf.archive.ReadUInt64(&value, "MLM") && buf.archive.ReadBool(&more, "MDT0"));
    ASSERT_TRUE(buf.archive.ReadUInt64(&value, "MDTS0"));
    EXPECT_EQ(value, 8u | (56ull << 32));

    MemorySpace other;   // no memory yet: the state makes it
    buf.Rewind();
    ASSERT_TRUE(other.LoadState(buf.archive, nullptr));
    EXPECT_EQ(other.GetHighestAddress(), 0xFFFFu);
    for (u32 a = 0; a < 0x10000; a += 97)
        ASSERT_EQ(other.GetMemory()[a], a < 0x2000 ? 0 : static_cast<u8>(a >> 3)) << a;

    // The same run cannot land in blocks that are marked not saved.
    ASSERT_TRUE(other.SetBlockAttribute(false, 8, 56));
    buf.Rewind();
    EXPECT_FALSE(other.LoadState(buf.archive, nullptr));
}

TEST_F(MemorySpaceTest, DamagedStatesAreRefused)
{
    struct Case {
        const char* what;
        u64 size, highest, span, blob;
    };
    const Case cases[] = {
        {"size not whole blocks", 0x10001, 0, 1ull << 32, 1024},
        {"size beyond any machine", 1ull << 40, 0, 1ull << 32, 1024},
        {"size just past the limit", MemorySpace::kMaxSize + 1024ull, 0, 1ull << 32, 1024},
        {"highest address not below size", 0x10000, 0x10000, 1ull << 32, 1024},
        {"run starts past the table", 0x10000, 0xFFFF, 64 | (1ull << 32), 1024},
        {"run of no blocks", 0x10000, 0xFFFF, 3, 0},
        {"run ends past the table", 0x10000, 0xFFFF, 60 | (5ull << 32), 5 * 1024},
        {"run wraps 32 bits", 0x10000, 0xFFFF, 1 | (0xFFFFFFFFull << 32), 1024},
        {"blob of another length", 0x10000, 0xFFFF, 1ull << 32, 1000},
    };
    for (const Case& c : cases) {
        ArchiveBuffer buf;
        WriteMems(buf.archive, c.size, c.highest, c.span, c.blob);
        buf.Rewind();
        EXPECT_FALSE(mem.LoadState(buf.archive, nullptr)) << c.what;
        EXPECT_LE(mem.GetSize(), MemorySpace::kMaxSize) << c.what;
    }

    ArchiveBuffer good, cut;
    WriteMems(good.archive, 0x10000, 0xFFFF, 2 | (1ull << 32), 1024);
    WriteMems(cut.archive, 0x10000, 0xFFFF, 2 | (1ull << 32), 1024, false);
    good.Rewind();
    cut.Rewind();
    ASSERT_TRUE(mem.LoadState(good.archive, nullptr));
    EXPECT_EQ(Byte(2 * 1024), 0x5A);
    EXPECT_FALSE(mem.LoadState(cut.archive, nullptr));
}
