#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "base/memory_stream.h"

namespace {

TEST(MemoryStream, AllocateRules) {
    MemoryStream m;
    EXPECT_FALSE(m.IsOpen());
    EXPECT_FALSE(m.Allocate(0, 0));
    ASSERT_TRUE(m.Allocate(0, -1));
    EXPECT_FALSE(m.Allocate(10, 1));  // already has a buffer
    EXPECT_EQ(m.GetSize(), 0u);
    EXPECT_EQ(m.GetCapacity(), 1024u);
    EXPECT_TRUE(m.IsGrowable());
    m.Free();
    EXPECT_FALSE(m.IsOpen());
    EXPECT_FALSE(m.Allocate(~0ULL, 0));  // a "negative" size
    ASSERT_TRUE(m.Allocate(16, 0));
    EXPECT_EQ(m.GetSize(), 16u);
    EXPECT_FALSE(m.IsGrowable());
}

TEST(MemoryStream, AutomaticGrowthTakesSixtyFourKilobytesFirst) {
    MemoryStream m;
    ASSERT_TRUE(m.Allocate(0, -1));
    const std::vector<u8> data(5000, 0x5A);
    EXPECT_EQ(m.Write(data.data(), data.size()), 5000u);
    EXPECT_EQ(m.GetCapacity(), 65536u);
    EXPECT_EQ(m.GetSize(), 5000u);
    EXPECT_EQ(m.GetPosition(), 5000u);
    // 5000 bytes of content when it grew: 64 KiB more.
    const std::vector<u8> more(70000 - 5000, 1);
    EXPECT_EQ(m.Write(more.data(), more.size()), more.size());
    EXPECT_EQ(m.GetCapacity(), 5000u + 65536u);
    // Past 64 KiB of content the step is half the content.
    EXPECT_EQ(m.Write(more.data(), 1000), 1000u);
    EXPECT_EQ(m.GetSize(), 71000u);
    EXPECT_EQ(m.GetCapacity(), 70000u + 35000u);
    std::vector<u8> back(5000);
    EXPECT_EQ(m.ReadAt(back.data(), 0, back.size()), 5000u);
    EXPECT_EQ(back, data);
}

TEST(MemoryStream, PositiveGrowStepGrowsByAtLeastTheNeed) {
    MemoryStream m;
    ASSERT_TRUE(m.Allocate(4, 8));
    const u8 bytes[20] = {};
    m.Seek(4);
    EXPECT_EQ(m.Write(bytes, 20), 20u);
    EXPECT_EQ(m.GetSize(), 24u);
    EXPECT_EQ(m.GetCapacity(), 4u + 21u);
}

TEST(MemoryStream, AttachedBufferCutsWritesAtItsEnd) {
    u8 outside[16] = {};
    MemoryStream m;
    EXPECT_FALSE(m.Attach(nullptr, 4));
    ASSERT_TRUE(m.Attach(outside, sizeof(outside)));
    u8 data[20];
    for (int i = 0; i < 20; ++i) data[i] = static_cast<u8>(i + 1);
    EXPECT_EQ(m.Write(data, 20), 16u);
    EXPECT_EQ(m.GetSize(), 16u);
    EXPECT_EQ(outside[15], 16);
    EXPECT_EQ(m.Write(data, 1), 0u);
    EXPECT_FALSE(m.SetSize(32));
    m.Free();  // forgets the buffer, does not free it
    EXPECT_EQ(outside[0], 1);
}

// The raw magic of a settings file goes in without its terminator, and a cut write
// is a failure.
TEST(MemoryStream, RawTextIsWrittenWholeOrFails) {
    struct Case {
        const char* text;
        u64 room;
        bool written;
        std::string after;  // the room afterwards; '.' stands for an untouched byte
    };
    const Case cases[] = {
        {"KUVINI", 8, true, "KUVINI.."},
        {"KUVINI", 4, false, "KUVI"},
        {"", 4, true, "...."},
        {nullptr, 4, true, "...."},
    };
    for (const Case& c : cases) {
        std::vector<char> room(c.room, '.');
        MemoryStream m;
        ASSERT_TRUE(m.Attach(room.data(), room.size()));
        EXPECT_EQ(WriteRawText(m, c.text), c.written) << (c.text ? c.text : "null") << " into " << c.room;
        EXPECT_EQ(std::string(room.begin(), room.end()), c.after) << (c.text ? c.text : "null");
    }
}

TEST(MemoryStream, SeekReadAndOffsetsPastTheEnd) {
    MemoryStream m;
    ASSERT_TRUE(m.Allocate(0, -1));
    const char text[] = "0123456789";
    m.Write(text, 10);
    EXPECT_TRUE(m.Seek(10));
    EXPECT_FALSE(m.Seek(11));
    char out[8] = {};
    EXPECT_EQ(m.ReadAt(out, 7, 8), 3u);
    EXPECT_EQ(std::memcmp(out, "789", 3), 0);
    EXPECT_EQ(m.ReadAt(out, 11, 1), 0u);
    EXPECT_EQ(m.GetPosition(), 10u);
    EXPECT_EQ(m.WriteAt("x", 12, 1), 0u);
    EXPECT_EQ(m.WriteAt("AB", 9, 2), 2u);
    EXPECT_EQ(m.GetSize(), 11u);
    u32 word = 0;
    m.Seek(2);
    EXPECT_EQ(m.Read(&word, 4), 4u);
    EXPECT_EQ(std::memcmp(&word, "2345", 4), 0);
}

TEST(MemoryStream, SetSizeKeepsTheCommonPrefix) {
    MemoryStream m;
    ASSERT_TRUE(m.Allocate(0, 64));
    m.Write("abcdef", 6);
    ASSERT_TRUE(m.SetSize(3));
    EXPECT_EQ(m.GetSize(), 3u);
    EXPECT_EQ(m.GetPosition(), 3u);
    EXPECT_EQ(std::memcmp(m.GetBuffer(), "abc", 3), 0);
    ASSERT_TRUE(m.SetSize(8));
    EXPECT_EQ(m.GetBuffer()[5], 0);
    EXPECT_TRUE(m.SetSize(8));
}

}  // namespace
