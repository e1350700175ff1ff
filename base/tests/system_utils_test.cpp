#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "base/scoped_lock.h"
#include "base/sha1.h"
#include "base/string_a.h"
#include "base/system_utils.h"
#include "base/tests/temp_folder.h"

namespace {

std::string Sha1Hex(const std::string& message) {
    u32 h[5] = {};
    Sha1(message.data(), static_cast<u32>(message.size()), h[0], h[1], h[2], h[3], h[4]);
    char text[41];
    std::snprintf(text, sizeof(text), "%08x%08x%08x%08x%08x", static_cast<unsigned>(h[0]),
                  static_cast<unsigned>(h[1]), static_cast<unsigned>(h[2]), static_cast<unsigned>(h[3]),
                  static_cast<unsigned>(h[4]));
    return text;
}

TEST(Sha1, StandardTestVectors) {
    EXPECT_EQ(Sha1Hex(""), "da39a3ee5e6b4b0d3255bfef95601890afd80709");
    EXPECT_EQ(Sha1Hex("abc"), "a9993e364706816aba3e25717850c26c9cd0d89d");
    // 56 bytes: the length field needs a second block.
    EXPECT_EQ(Sha1Hex("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
              "84983e441c3bd26ebaae4aa1f95129e5e54670f1");
    EXPECT_EQ(Sha1Hex("abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmnoijklmnopjklmnopqklmnopqrlmnopqrs"
                      "mnopqrstnopqrstu"),
              "a49b2446a02c645bf419f995b67091253a04a259");
    EXPECT_EQ(Sha1Hex(std::string(1000000, 'a')), "34aa973cd4c4daa4f61eeb2bdbad27316534016f");
}

TEST(Sha1, LengthsAroundTheBlockEnd) {
    // Digests of 55..65 bytes of 'a', as any conforming implementation gives.
    EXPECT_EQ(Sha1Hex(std::string(55, 'a')), "c1c8bbdc22796e28c0e15163d20899b65621d65a");
    EXPECT_EQ(Sha1Hex(std::string(56, 'a')), "c2db330f6083854c99d4b5bfb6e8f29f201be699");
    EXPECT_EQ(Sha1Hex(std::string(57, 'a')), "f08f24908d682555111be7ff6f004e78283d989a");
    EXPECT_EQ(Sha1Hex(std::string(63, 'a')), "03f09f5b158a7a8cdad920bddc29b81c18a551f5");
    EXPECT_EQ(Sha1Hex(std::string(64, 'a')), "0098ba824b5c16427bd7a1122a5a442a25ec644d");
    EXPECT_EQ(Sha1Hex(std::string(65, 'a')), "11655326c708d70319be2610e8a57d9a5b959d3b");
}

TEST(SystemUtils, NextPowerOfTwo) {
    EXPECT_EQ(NextPowerOfTwo(0), 0u);
    EXPECT_EQ(NextPowerOfTwo(1), 1u);
    EXPECT_EQ(NextPowerOfTwo(33), 64u);
    EXPECT_EQ(NextPowerOfTwo(64), 64u);
    EXPECT_EQ(NextPowerOfTwo(0x80000000u), 0x80000000u);
    EXPECT_EQ(NextPowerOfTwo(0x80000001u), 0u);
}

TEST(SystemUtils, CounterAdvancesWithSleep) {
    u64 frequency = 0;
    u64 start = 0;
    u64 end = 0;
    ASSERT_TRUE(PerfFrequency(frequency));
    EXPECT_GE(frequency, 1000000u);
    PerfCounter(start);
    SleepMs(20);
    PerfCounter(end);
    const double ms = static_cast<double>(end - start) * 1000.0 / static_cast<double>(frequency);
    EXPECT_GE(ms, 15.0);
    EXPECT_LT(ms, 5000.0);
}

// Read-only bytes: a copy that wrote to them at all would fault. The same address, a
// null source or a null destination must each move nothing.
const u8 kReadOnly[4] = {1, 2, 3, 4};

TEST(SystemUtils, CopiesThatMoveNothingNeverWrite) {
    struct Case {
        const char* what;
        u8* dest;
        const void* source;
    };
    const u8 other[4] = {9, 9, 9, 9};
    const Case cases[] = {
        {"onto itself", const_cast<u8*>(kReadOnly), kReadOnly},
        {"from null", const_cast<u8*>(kReadOnly), nullptr},
        {"to null", nullptr, other},
    };
    for (const Case& c : cases) {
        CopyMem(c.dest, c.source, 4);
        EXPECT_EQ(std::vector<u8>(kReadOnly, kReadOnly + 4), (std::vector<u8>{1, 2, 3, 4})) << c.what;
    }
    u8 copy[4] = {};
    CopyMem(copy, other, sizeof(copy));
    EXPECT_EQ(copy[3], 9);
}

TEST(SystemUtils, FileHelpers) {
    const TempFolder folder("kuv_sysutil");
    const std::string path = (folder / "sysutil.bin").string();
    EXPECT_EQ(FileSizeOf((path + ".missing").c_str()), 0u);
    EXPECT_EQ(FileSizeOf(nullptr), 0u);
    std::FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fclose(f);
    EXPECT_EQ(FileSizeOf(path.c_str()), 0u);
    f = std::fopen(path.c_str(), "wb");
    std::fputs("hello", f);
    EXPECT_EQ(FileTell(f), 5u);
    std::fclose(f);
    EXPECT_EQ(FileSizeOf(path.c_str()), 5u);
    char out[16] = {};
    EXPECT_EQ(ReadFileBytes(path.c_str(), out, 3), 3u);
    EXPECT_EQ(std::string(out), "hel");
    EXPECT_EQ(ReadFileBytes(path.c_str(), out, 0), 0u);
    EXPECT_EQ(ReadFileBytes(path.c_str(), nullptr, 4), 0u);
    std::filesystem::remove(path);
}

TEST(SystemUtils, HostQueries) {
    EXPECT_GE(GetProcessorCount(), 1u);
    StringA build;
    GetBuildDescription(build);
    EXPECT_EQ(std::string(build.CStr()).rfind("Unicode, ", 0), 0u) << build.CStr();
#ifdef _WIN32
    EXPECT_EQ(GetOsPlatform(), 2u);
    EXPECT_EQ(GetOsPlatform(), 2u);
    EXPECT_NE(GetOsMajorVersion(), 0xFFFFFFFFu);
#endif
}

TEST(ScopedLock, DepthCountsNestedGuardsAndExcludesOtherThreads) {
    LockRecord record;
    std::atomic<bool> entered{false};
    std::thread other;
    {
        ScopedLock outer(record);
        {
            ScopedLock inner(&record);  // re-entrant for the holder
            EXPECT_EQ(record.Depth(), 2);
        }
        EXPECT_EQ(record.Depth(), 1);
        other = std::thread([&] {
            ScopedLock guard(record);
            entered = true;
        });
        SleepMs(30);
        EXPECT_FALSE(entered.load());
        bool tried = true;
        std::thread probe([&] {
            tried = record.TryEnter();
            if (tried) record.Leave();
        });
        probe.join();
        EXPECT_FALSE(tried);
        EXPECT_EQ(record.Depth(), 1);
    }
    other.join();
    EXPECT_TRUE(entered.load());
    EXPECT_EQ(record.Depth(), 0);
}

}  // namespace
