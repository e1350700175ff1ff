#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <tuple>
#include <vector>

#include "base/string_a.h"
#include "base/string_w.h"
#include "base/tests/temp_folder.h"
#include "emu/command_interpreter.h"
#include "emu/drive_bay.h"
#include "emu/drive_image.h"
#include "emu/mapper_device.h"
#include "emu/memory_block_entry.h"
#include "emu/memory_space.h"
#include "emu/system_interface.h"
#include "emu/tests/archive_buffer.h"
#include "emu/tests/record_helpers.h"

namespace fs = std::filesystem;

namespace {

class FakeHost : public SystemInterface {
public:
    ClockInterface* GetMainCpu() override { return nullptr; }
    CommandInterpreter* GetConsole() override { return nullptr; }
    bool IsLoadingState() override { return loading; }
    u64 GetTimeUnitsPerSecond() override { return 0; }
    u64 GetCurrentTime() override { return 0; }
    bool ApplyParams(ParamNode*) override { return true; }
    void PollInterrupts() override {}
    void SuppressBreaks(bool) override {}
    bool loading = false;
};

struct SizeNote : RomExtra {
    explicit SizeNote(u32 s) : size(s) {}
    u32 size;
};

// Records the layout it is given; reserves ROM space at a fixed base.
class TestMapper : public MapperDevice {
public:
    bool AllocateRomSpace(u32* baseKB, u32 totalKB) override
    {
        allocated.push_back(totalKB);
        *baseKB = base;
        return allocateOk;
    }
    bool CheckRom(u32 slot, DriveImage* drive, u32* size, RomExtra** extra) override
    {
        const bool ok = MapperDevice::CheckRom(slot, drive, size, extra);
        if (ok && noteSizes)
            *extra = new SizeNote(*size);
        return ok;
    }
    bool LoadRom(u32 slot, DriveImage*, u32 firstKB, u32 sizeKB, RomExtra* extra) override
    {
        loads.emplace_back(slot, firstKB, sizeKB);
        if (extra != nullptr)
            notedSizes.push_back(static_cast<SizeNote*>(extra)->size);
        return slot != failSlot;
    }

    u32 base = 64;
    bool allocateOk = true;
    bool noteSizes = false;
    u32 failSlot = 99;
    std::vector<u32> allocated;
    std::vector<std::tuple<u32, u32, u32>> loads;
    std::vector<u32> notedSizes;
};

class MapperTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir_ = folder_.Path();
        bay_.SetCartridgeCount(3);
        memory_.Allocate(64 * 1024, 0);
        for (TestMapper* m : {&mapper_, &second_}) {
            m->SetServices(&host_, nullptr, &memory_, nullptr, nullptr, nullptr, nullptr, &bay_, nullptr);
            m->SetHost(&console_);
        }
    }
    void TearDown() override
    {
        bay_.SetCartridgeCount(0); // closes the files before they are removed
        std::error_code ignored;
        fs::remove_all(dir_, ignored);
    }

    DriveImage* Drive(i32 i) { return bay_.GetKindDrive(DriveBay::kCartridge, i); }
    // Puts a file of size bytes into drive i.
    void Insert(i32 i, size_t size)
    {
        const fs::path file = dir_ / ("rom" + std::to_string(i) + ".bin");
        std::ofstream(file, std::ios::binary) << std::string(size, '\x5A');
        ASSERT_TRUE(Drive(i)->InsertFile(PathString(file.string().c_str())));
    }
    bool Start(MapperDevice& m)
    {
        i32 rate = 0;
        return m.Start(&rate);
    }

    TempFolder folder_{"kuv_mapper"};
    fs::path dir_;
    FakeHost host_;
    CommandInterpreter console_;
    DriveBay bay_;
    MemorySpace memory_;
    TestMapper mapper_;
    TestMapper second_;
};

TEST_F(MapperTest, SlotsAreLimitedToSixteen)
{
    EXPECT_FALSE(mapper_.AddRom(nullptr, false));
    for (int i = 0; i < 16; ++i)
        EXPECT_TRUE(mapper_.AddRom(Drive(0), i == 3));
    EXPECT_FALSE(mapper_.AddRom(Drive(0), false));
    EXPECT_EQ(mapper_.GetRomSlotCount(), 16);
    EXPECT_TRUE(mapper_.IsRomRequired(3));
    EXPECT_FALSE(mapper_.IsRomRequired(4));
}

TEST_F(MapperTest, ImagesAreLaidOutInWholeKilobytes)
{
    Insert(0, 8192);
    Insert(2, 32768 + 1);
    mapper_.AddRom(Drive(0), false);
    mapper_.AddRom(Drive(1), false); // empty
    mapper_.AddRom(Drive(2), false);
    Drive(0)->SetChangedFlag(true);
    ASSERT_TRUE(Start(mapper_));

    EXPECT_EQ(mapper_.allocated, (std::vector<u32>{8 + 33}));
    using Load = std::tuple<u32, u32, u32>;
    EXPECT_EQ(mapper_.loads, (std::vector<Load>{{0, 64, 8}, {2, 72, 33}}));
    const auto& entries = mapper_.GetRomEntries();
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[1].sizeKB, 0u);
    EXPECT_EQ(entries[1].firstKB, 72u);

    for (i32 i : {0, 2}) {
        EXPECT_TRUE(Drive(i)->IsInUse());
        EXPECT_TRUE(Drive(i)->IsAccepted());
        EXPECT_TRUE(Drive(i)->IsExamined());
        EXPECT_FALSE(Drive(i)->IsChanged());
    }
    EXPECT_TRUE(Drive(1)->IsExamined());
    EXPECT_FALSE(Drive(1)->IsAccepted());
    // Every block of the memory space is marked for saving.
    const MemoryBlockEntry* table = memory_.GetBlockTable();
    for (u32 b = 0; b < memory_.GetBlockCount(); ++b)
        EXPECT_EQ(table[b].flags & kMemSaveBits, kMemSaved);

    mapper_.Stop();
    EXPECT_TRUE(mapper_.GetRomEntries().empty());
}

TEST_F(MapperTest, OpenLatchCountsAsEmpty)
{
    Insert(0, 16384);
    Drive(0)->SetLatch(false);
    mapper_.AddRom(Drive(0), false);
    ASSERT_TRUE(Start(mapper_));
    EXPECT_TRUE(mapper_.loads.empty());
    EXPECT_EQ(mapper_.allocated, (std::vector<u32>{0}));
}

TEST_F(MapperTest, RequiredEmptySlotFailsWithAnErrorLine)
{
    mapper_.AddRom(Drive(0), true);
    EXPECT_FALSE(Start(mapper_));
    EXPECT_TRUE(mapper_.GetRomEntries().empty());
    EXPECT_TRUE(mapper_.allocated.empty());
    StringA line;
    u32 color = 0;
    ASSERT_TRUE(console_.GetPendingLine(0, &line, &color));
    EXPECT_STREQ(line.CStr(), "[ERROR] Non-empty ROM in slot 1 required!");
    EXPECT_EQ(color, 0xFFFF3C3Cu);
}

TEST_F(MapperTest, FailedAllocationOrLoadFailsTheStart)
{
    Insert(0, 1024);
    Insert(1, 2048);
    mapper_.AddRom(Drive(0), false);
    mapper_.AddRom(Drive(1), false);
    mapper_.allocateOk = false;
    EXPECT_FALSE(Start(mapper_));
    EXPECT_TRUE(mapper_.loads.empty());

    mapper_.allocateOk = true;
    mapper_.failSlot = 1;
    EXPECT_FALSE(Start(mapper_));
    EXPECT_EQ(mapper_.loads.size(), 2u);
    EXPECT_TRUE(mapper_.GetRomEntries().empty());
    for (i32 i : {0, 1}) {
        EXPECT_FALSE(Drive(i)->IsAccepted());
        EXPECT_TRUE(Drive(i)->IsExamined());
    }

    // The base mapper cannot reserve space: a start with an image fails.
    MapperDevice plain;
    plain.SetServices(&host_, nullptr, &memory_, nullptr, nullptr, nullptr, nullptr, &bay_, nullptr);
    plain.AddRom(Drive(0), false);
    i32 rate = 0;
    EXPECT_FALSE(plain.Start(&rate));
}

TEST_F(MapperTest, StartDuringStateLoadWaitsForTheState)
{
    Insert(0, 4096);
    mapper_.AddRom(Drive(0), false);
    host_.loading = true;
    EXPECT_TRUE(Start(mapper_));
    EXPECT_TRUE(mapper_.GetRomEntries().empty());
    EXPECT_TRUE(mapper_.loads.empty());
}

TEST_F(MapperTest, StateRoundTripRebuildsTheLayoutFromTheDrives)
{
    Insert(0, 8192);
    Insert(1, 16384);
    mapper_.noteSizes = true;
    mapper_.AddRom(Drive(0), false);
    mapper_.AddRom(Drive(1), false);
    ASSERT_TRUE(Start(mapper_));
    EXPECT_EQ(mapper_.notedSizes, (std::vector<u32>{8192, 16384}));

    ArchiveBuffer buf;
    ASSERT_TRUE(mapper_.SaveState(buf.archive));
    const ByteVec mapd = Cat({Marker(0xF0, "_MAPD"), Keyed("VER", 0x00, {0x00}), Marker(0xFF, "_MAPD")});
    const ByteVec bytes = buf.Bytes();
    ASSERT_GE(bytes.size(), mapd.size());
    EXPECT_EQ(ByteVec(bytes.end() - static_cast<std::ptrdiff_t>(mapd.size()), bytes.end()), mapd);

    // Loading lays out the same images with offsets only, reserving no space.
    second_.AddRom(Drive(0), false);
    second_.AddRom(Drive(1), false);
    host_.loading = true;
    ASSERT_TRUE(Start(second_));
    buf.Rewind();
    ASSERT_TRUE(second_.LoadState(buf.archive, nullptr));
    EXPECT_TRUE(second_.allocated.empty());
    using Load = std::tuple<u32, u32, u32>;
    EXPECT_EQ(second_.loads, (std::vector<Load>{{0, 0, 8}, {1, 8, 16}}));

    // A state without the block, or with another version, is refused.
    ByteVec bad = bytes;
    bad[bad.size() - mapd.size() + Marker(0xF0, "_MAPD").size() + Keyed("VER", 0x00, {}).size()] = 1;
    ArchiveBuffer damaged;
    damaged.stream.Write(bad.data(), bad.size());
    damaged.Rewind();
    TestMapper third;
    EXPECT_FALSE(third.LoadState(damaged.archive, nullptr));

    ArchiveBuffer cut;
    cut.stream.Write(bytes.data(), bytes.size() - mapd.size());
    cut.Rewind();
    EXPECT_FALSE(third.LoadState(cut.archive, nullptr));
}

} // namespace
