#include <gtest/gtest.h>

#include <cstring>
#include <numeric>
#include <vector>

#include "base/fifo_stream.h"

namespace {

std::vector<u8> Bytes(int first, int count) {
    std::vector<u8> v(static_cast<size_t>(count));
    std::iota(v.begin(), v.end(), static_cast<u8>(first));
    return v;
}

// A 16-byte ring holding 10 bytes that run past its end: bytes 100..109 stored
// from ring offset 13.
void MakeWrapped(FifoStream& f) {
    ASSERT_TRUE(f.Allocate(16, 0));
    const auto filler = Bytes(0, 13);
    ASSERT_EQ(f.Append(filler.data(), filler.size()), 13u);
    f.Discard(12);
    const auto data = Bytes(100, 10);
    ASSERT_EQ(f.Append(data.data(), data.size()), 10u);
    f.Discard(1);
    ASSERT_EQ(f.GetFill(), 10u);
    ASSERT_EQ(f.GetCapacity(), 16u);
}

TEST(FifoStream, EmptyRingGrowsOnFirstAppend) {
    FifoStream f;
    const auto data = Bytes(1, 10);
    EXPECT_EQ(f.Append(data.data(), 10), 10u);
    EXPECT_EQ(f.GetSize(), 10u);
    EXPECT_EQ(f.GetCapacity(), 10u + 1024u);
    std::vector<u8> out(10);
    EXPECT_EQ(f.Peek(out.data(), 10, false), 10u);
    EXPECT_EQ(out, data);
}

TEST(FifoStream, WrappedBytesComeBackInOrder) {
    FifoStream f;
    MakeWrapped(f);
    std::vector<u8> out(10);
    EXPECT_EQ(f.Peek(out.data(), 10, false), 10u);
    EXPECT_EQ(out, Bytes(100, 10));
    // Reads through the position wrap as well.
    std::vector<u8> part(6);
    ASSERT_TRUE(f.Seek(2));
    EXPECT_EQ(f.Read(part.data(), 6), 6u);
    EXPECT_EQ(part, Bytes(102, 6));
    // GetBuffer makes them contiguous.
    const u8* held = f.GetBuffer();
    EXPECT_EQ(std::vector<u8>(held, held + 10), Bytes(100, 10));
    EXPECT_EQ(f.GetFill(), 10u);
}

TEST(FifoStream, AppendIntoAFullWrappedRingGrowsAndKeepsOrder) {
    FifoStream f;
    MakeWrapped(f);
    const auto more = Bytes(110, 20);
    EXPECT_EQ(f.Append(more.data(), more.size()), 20u);
    EXPECT_EQ(f.GetFill(), 30u);
    EXPECT_EQ(f.GetCapacity(), 30u + 16u / 4 + 1024u);
    std::vector<u8> out(30);
    EXPECT_EQ(f.Peek(out.data(), 100, true), 30u);
    EXPECT_EQ(out, Bytes(100, 30));
    EXPECT_EQ(f.GetFill(), 0u);
}

TEST(FifoStream, ConsumingPeekAndDiscard) {
    FifoStream f;
    MakeWrapped(f);
    std::vector<u8> out(2);
    EXPECT_EQ(f.Peek(out.data(), 2, true), 2u);
    EXPECT_EQ(out, Bytes(100, 2));
    EXPECT_EQ(f.GetFill(), 8u);
    f.Discard(5);  // crosses the ring's end
    out.resize(4);
    EXPECT_EQ(f.Peek(out.data(), 4, false), 3u);
    EXPECT_EQ(std::vector<u8>(out.begin(), out.begin() + 3), Bytes(107, 3));
    f.Discard(-1);
    EXPECT_EQ(f.GetFill(), 0u);
    // An emptied ring starts again at offset 0: the next bytes sit at the start.
    const auto data = Bytes(7, 4);
    f.Append(data.data(), 4);
    EXPECT_EQ(f.GetBuffer(), f.MemoryStream::GetBuffer());
}

TEST(FifoStream, WriteOverAndPastTheHeldBytes) {
    FifoStream f;
    MakeWrapped(f);
    ASSERT_TRUE(f.Seek(8));
    const u8 patch[4] = {0xA0, 0xA1, 0xA2, 0xA3};
    EXPECT_EQ(f.Write(patch, 4), 4u);
    EXPECT_EQ(f.GetFill(), 12u);
    std::vector<u8> out(12);
    EXPECT_EQ(f.ReadAt(out.data(), 0, 12), 12u);
    std::vector<u8> expect = Bytes(100, 8);
    expect.insert(expect.end(), patch, patch + 4);
    EXPECT_EQ(out, expect);
    EXPECT_EQ(f.WriteAt(patch, 13, 1), 0u);
    EXPECT_EQ(f.GetPosition(), 12u);
    // The end for ReadAt is the fill, not the ring's capacity.
    ASSERT_TRUE(f.Seek(0));
    EXPECT_EQ(f.ReadAt(out.data(), 13, 1), 0u);
    EXPECT_EQ(f.GetPosition(), 12u);
}

TEST(FifoStream, ReserveAndSetSizeUnwrap) {
    FifoStream f;
    MakeWrapped(f);
    ASSERT_TRUE(f.Reserve(6));
    EXPECT_EQ(f.GetFill(), 10u);
    EXPECT_EQ(std::vector<u8>(f.MemoryStream::GetBuffer(), f.MemoryStream::GetBuffer() + 10), Bytes(100, 10));
    ASSERT_TRUE(f.SetSize(4));  // drops all but the 4 oldest
    std::vector<u8> out(10);
    EXPECT_EQ(f.Peek(out.data(), 10, false), 4u);
    EXPECT_EQ(std::vector<u8>(out.begin(), out.begin() + 4), Bytes(100, 4));
}

TEST(FifoStream, AttachedRingDoesNotGrow) {
    u8 outside[8] = {};
    FifoStream f;
    ASSERT_TRUE(f.Attach(outside, sizeof(outside)));
    const auto data = Bytes(1, 8);
    EXPECT_EQ(f.Append(data.data(), 8), 8u);
    EXPECT_EQ(f.Append(data.data(), 1), 0u);
    EXPECT_EQ(f.GetFill(), 8u);
    f.Free();
    EXPECT_EQ(f.GetFill(), 0u);
}

}  // namespace
