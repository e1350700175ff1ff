// The run loop's "_EMUCORE" record: its layout, reading it back, and the records a load
// must refuse.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "base/archive.h"
#include "base/memory_stream.h"
#include "core/tests/core_rig.h"

namespace {

struct Buffer {
    MemoryStream stream;
    Archive archive{&stream};
    Buffer() { stream.Allocate(0, -1); }
    void Rewind() { stream.Seek(0); }
};

struct BlockValues {
    u8 version = 1;
    u8 revision = 1;
    u8 maxs = 0;
    i32 budget = 1000;
    i32 overflow = 0;
    i32 slicesLeft = 10;
    double rest = 13000.0;
    double cycles = 70000.0;
    i32 ticks = 49;
    i32 frame = 3;
};

void WriteBlock(Archive& a, const BlockValues& v)
{
    ASSERT_TRUE(a.WriteMarker("_EMUCORE", 0xF0));
    a.WriteUInt8(&v.version, "VER");
    a.WriteUInt8(&v.revision, "VERR");
    a.WriteUInt8(&v.maxs, "MAXS");
    a.WriteInt32(&v.budget, "PC");
    a.WriteInt32(&v.overflow, "PCR");
    a.WriteInt32(&v.slicesLeft, "PI");
    a.WriteBlob(&v.rest, 8, "PFC");
    a.WriteBlob(&v.cycles, 8, "CPF");
    a.WriteInt32(&v.ticks, "IPF");
    a.WriteInt32(&v.frame, "FI");
    a.WriteMarker("_EMUCORE", 0xFF);
}

TEST(CoreStateBlock, ReadBackWrittenAgainAndRefused)
{
    CoreRig run;
    ASSERT_TRUE(run.core->Start(false, false));
    ASSERT_TRUE(WaitFor([&] { return run.Frames() >= 3; }));
    run.core->RequestPause();  // the test thread may touch the loop's record now
    EmuCore& core = *run.core;
    auto read = [&](const BlockValues& v, bool maxSpeed = false) {
        Buffer b;
        WriteBlock(b.archive, v);
        b.Rewind();
        return core.ReadCoreBlock(b.archive, maxSpeed);
    };

    Buffer b;
    WriteBlock(b.archive, BlockValues());
    b.Rewind();
    ASSERT_TRUE(core.ReadCoreBlock(b.archive, false));
    EXPECT_EQ(b.stream.GetPosition(), b.stream.GetSize());
    // The queues hold the overflow marker alone: every key released, the mouse reset.
    InputQueue q;
    core.CopyInputQueue(&q);
    EXPECT_EQ(q.count, 1);
    EXPECT_EQ(q.entries[0], kInputOverflow);

    // Refused, and nothing of them taken: a record of the other loop (with its message),
    // versions, and values the loop cannot run with.
    BlockValues v;
    v.maxs = 1;
    EXPECT_FALSE(read(v));
    EXPECT_STREQ(core.GetStateMessage().CStr(), "Enable \"Max CPU Speed\"!");
    EXPECT_FALSE(read(BlockValues(), true));
    EXPECT_STREQ(core.GetStateMessage().CStr(), "Disable \"Max CPU Speed\"!");
    void (*const bad[])(BlockValues&) = {
        [](BlockValues& x) { x.version = 0; },       [](BlockValues& x) { x.revision = 2; },
        [](BlockValues& x) { x.ticks = 0; },         [](BlockValues& x) { x.slicesLeft = 50; },
        [](BlockValues& x) { x.budget = 0x7FFFFFF; }, [](BlockValues& x) { x.cycles = std::nan(""); },
        [](BlockValues& x) { x.frame = 50; },
    };
    for (auto spoil : bad) {
        BlockValues x;
        spoil(x);
        EXPECT_FALSE(read(x));
    }

    // Written back, the record read first is the same bytes: keys, types and order.
    Buffer again;
    ASSERT_TRUE(core.WriteCoreBlock(again.archive, false));
    ASSERT_EQ(again.stream.GetSize(), b.stream.GetSize());
    EXPECT_EQ(std::memcmp(again.stream.GetBuffer(), b.stream.GetBuffer(), b.stream.GetSize()), 0);
    const i32 frames = run.Frames();
    core.ReleasePause();
    EXPECT_TRUE(WaitFor([&] { return run.Frames() > frames + 2; }));
}

} // namespace
