// Sound channel: where logged writes land in the rendered period, table rebuilds, and
// the "_SNDCH" state with damaged or out-of-range content.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "emu/tests/archive_buffer.h"
#include "sound/sound_channel.h"
#include "sound/tests/sound_rig.h"

namespace {

// Renders the value of the last record applied (-1 before any) and journals every call.
class RecordingChannel : public SoundChannel {
public:
    struct Call {
        char kind;     // 'B' tables, 'A' apply, 'R' render
        i64 a = 0;     // B: min; A: payload value or -1 for none; R: count
        i64 b = 0;     // B: max; A: time
        i64 c = 0;     // A: next time
        bool operator==(const Call&) const = default;
    };

    void BuildTables(i32 minimum, i32 maximum) override { calls.push_back({'B', minimum, maximum}); }
    void ApplyRegisterEvent(const u8* payload, const u8*, u64 time, u64 nextTime, i64, i32) override
    {
        const i64 value = payload ? payload[0] : -1;
        if (payload)
            state = payload[0];
        calls.push_back({'A', value, static_cast<i64>(time), static_cast<i64>(nextTime)});
    }
    void RenderSamples(i32* out, i32 count) override
    {
        calls.push_back({'R', count});
        std::fill(out, out + count, state);
    }
    bool Write(u8 value) { return AppendBlock(&value, 1, 0); }
    std::vector<Call> Renders() const
    {
        std::vector<Call> out;
        std::copy_if(calls.begin(), calls.end(), std::back_inserter(out), [](const Call& c) { return c.kind == 'R'; });
        return out;
    }

    std::vector<Call> calls;
    i32 state = -1;
};

using Call = RecordingChannel::Call;

class SoundChannelTest : public ::testing::Test {
protected:
    static constexpr i32 kLength = 100;
    static constexpr u64 kPeriod = 1000;   // cycles between two callbacks

    void SetUp() override
    {
        channel = rig.Add(new RecordingChannel);
        ASSERT_TRUE(rig.Start(true, false));
        ASSERT_FALSE(channel->IsStopped());
        // The first callback only takes a buffer; the second renders it. After this a
        // period runs from cycle kPeriod.
        Callback();
        Advance(kPeriod);
        Callback();
        channel->calls.clear();
    }

    void Advance(u64 cycles) { rig.cpu->AddCycles(static_cast<i32>(cycles)); }
    // Renders the buffer taken last time and takes the next one.
    i32* Callback(i32 minimum = 0, i32 maximum = 255)
    {
        buffers.emplace_back(kLength, -99);
        i32* next = buffers.back().data();
        SoundChannel::FillCallback(channel, next, kLength, minimum, maximum, 50, nullptr);
        return next;
    }
    // The buffer rendered by the latest callback.
    const std::vector<i32>& Rendered() const { return buffers[buffers.size() - 2]; }

    SoundRig rig;
    RecordingChannel* channel = nullptr;
    std::vector<std::vector<i32>> buffers;
};

TEST_F(SoundChannelTest, PeriodWithoutWritesIsOneRunAndLeavesBothLogsEmpty)
{
    Advance(kPeriod);
    Callback();
    EXPECT_EQ(channel->calls, (std::vector<Call>{{'R', kLength}}));
    EXPECT_EQ(0u, channel->GetLogFill(0));
    EXPECT_EQ(0u, channel->GetLogFill(1));
}

TEST_F(SoundChannelTest, WriteTakesEffectAtItsScaledSamplePosition)
{
    Advance(250);
    ASSERT_TRUE(channel->Write(7));
    Advance(750);
    Callback();
    EXPECT_EQ(channel->Renders(), (std::vector<Call>{{'R', 25}, {'R', 75}}));
    const std::vector<i32>& out = Rendered();
    EXPECT_EQ(-1, out[24]);
    EXPECT_EQ(7, out[25]);
    EXPECT_EQ(7, out[99]);
}

TEST_F(SoundChannelTest, ManyWritesAtOneCycleRenderNothingBetweenThemAndApplyInOrder)
{
    Advance(500);
    for (u8 v = 0; v < 10; ++v)
        ASSERT_TRUE(channel->Write(v));
    Advance(500);
    Callback();
    std::vector<Call> expected{{'R', 50}};
    const i64 at = static_cast<i64>(kPeriod + 500);
    for (i64 v = 0; v < 10; ++v)
        expected.push_back({'A', v, at, v < 9 ? at : static_cast<i64>(2 * kPeriod)});
    expected.push_back({'R', 50});
    EXPECT_EQ(channel->calls, expected);
    EXPECT_EQ(9, Rendered()[50]);
}

TEST_F(SoundChannelTest, WriteAtThePeriodStartStillHearsTheOldStateForOneSample)
{
    ASSERT_TRUE(channel->Write(3));   // at the very cycle the period began
    Advance(kPeriod);
    Callback();
    EXPECT_EQ(channel->Renders(), (std::vector<Call>{{'R', 1}, {'R', kLength - 1}}));
    EXPECT_EQ(-1, Rendered()[0]);
    EXPECT_EQ(3, Rendered()[1]);
}

TEST_F(SoundChannelTest, WriteAtThePreviousPeriodsLastOffsetStillRendersBeforeIt)
{
    Advance(500);
    channel->Write(1);
    Advance(500);
    Callback();
    channel->calls.clear();
    Advance(500);   // the same offset into the next period
    channel->Write(2);
    Advance(500);
    Callback();
    EXPECT_EQ(channel->Renders(), (std::vector<Call>{{'R', 50}, {'R', 50}}));
    EXPECT_EQ(1, Rendered()[49]);
    EXPECT_EQ(2, Rendered()[50]);
}

// The first callback after Start has no buffer to render into: what was written before
// it is applied unheard, and the first buffer covers only the period after it.
TEST(SoundChannelStart, FirstBufferCoversOnlyThePeriodAfterTheFirstCallback)
{
    SoundRig rig;
    auto* channel = rig.Add(new RecordingChannel);
    ASSERT_TRUE(rig.Start(true, false));
    rig.cpu->AddCycles(400);
    channel->Write(3);
    rig.cpu->AddCycles(600);
    std::vector<i32> first(100, -99);
    std::vector<i32> second(100, -99);
    SoundChannel::FillCallback(channel, first.data(), 100, 0, 255, 50, nullptr);
    EXPECT_TRUE(channel->Renders().empty());
    EXPECT_EQ(3, channel->state);
    EXPECT_EQ(0u, channel->GetLogFill(0) + channel->GetLogFill(1));
    EXPECT_EQ(1000u, channel->GetPeriodStart());
    channel->calls.clear();
    rig.cpu->AddCycles(250);
    channel->Write(7);
    rig.cpu->AddCycles(750);
    SoundChannel::FillCallback(channel, second.data(), 100, 0, 255, 50, nullptr);
    EXPECT_EQ(channel->Renders(), (std::vector<Call>{{'R', 25}, {'R', 75}}));
    EXPECT_EQ(3, first[24]);
    EXPECT_EQ(7, first[25]);
}

TEST_F(SoundChannelTest, NewOutputRangeRebuildsTablesBeforeAnyBlock)
{
    Callback(-100, 100);   // the next buffer comes with another range
    channel->calls.clear();
    Advance(500);
    channel->Write(5);
    Advance(500);
    Callback(-100, 100);
    ASSERT_GE(channel->calls.size(), 3u);
    EXPECT_EQ(channel->calls[0], (Call{'B', -100, 100}));
    EXPECT_EQ('A', channel->calls[1].kind);
    EXPECT_EQ(-1, channel->calls[1].a);   // only the new tables
    // Same range again: no rebuild.
    channel->calls.clear();
    Advance(kPeriod);
    Callback(-100, 100);
    EXPECT_EQ(channel->calls, (std::vector<Call>{{'R', kLength}}));
}

// --- state ---

// Offset of the value stored under key in an archive's bytes (after the key's string
// record and the type byte).
size_t ValueOffset(const std::vector<u8>& bytes, const std::string& key)
{
    const std::vector<u8> pattern(key.begin(), key.end());
    auto it = std::search(bytes.begin(), bytes.end(), pattern.begin(), pattern.end());
    EXPECT_NE(it, bytes.end()) << key;
    return static_cast<size_t>(it - bytes.begin()) + key.size() + 1;
}

void PutLE(std::vector<u8>& bytes, size_t at, u64 value, int size)
{
    for (int i = 0; i < size; ++i)
        bytes[at + static_cast<size_t>(i)] = static_cast<u8>(value >> (8 * i));
}

class SoundChannelStateTest : public SoundChannelTest {
protected:
    // The channel's state with writes 1 at +100 and 2 at +200 cycles waiting in its log.
    std::vector<u8> SavedWithTwoWrites()
    {
        Advance(100);
        channel->Write(1);
        Advance(100);
        channel->Write(2);
        ArchiveBuffer saved;
        EXPECT_TRUE(channel->SaveState(saved.archive));
        return saved.Bytes();
    }

    // Loads bytes into a second started channel; answers it or null on refusal.
    RecordingChannel* LoadInto(const std::vector<u8>& bytes)
    {
        others.push_back(std::make_unique<SoundRig>());
        SoundRig& other = *others.back();
        target = other.Add(new RecordingChannel);
        EXPECT_TRUE(other.Start(true, false));
        ArchiveBuffer in;
        in.stream.Write(bytes.data(), bytes.size());
        in.Rewind();
        return target->LoadState(in.archive, nullptr) ? target : nullptr;
    }

    SoundRig& Other() { return *others.back(); }

    std::vector<std::unique_ptr<SoundRig>> others;
    RecordingChannel* target = nullptr;
};

TEST_F(SoundChannelStateTest, RoundTripKeepsTheUnplayedLog)
{
    const std::vector<u8> bytes = SavedWithTwoWrites();
    RecordingChannel* loaded = LoadInto(bytes);
    ASSERT_NE(nullptr, loaded);
    EXPECT_TRUE(loaded->IsPending());
    EXPECT_EQ(channel->GetLogFill(0), loaded->GetLogFill(0));
    EXPECT_EQ(2 * (SoundLogBlock::kHeaderSize + 1), static_cast<u32>(loaded->GetLogFill(0)));
    ArchiveBuffer again;
    ASSERT_TRUE(loaded->SaveState(again.archive));
    EXPECT_EQ(bytes, again.Bytes());
}

TEST_F(SoundChannelStateTest, FirstBufferAfterALoadCoversOnlyThePeriodAfterTheFirstCallback)
{
    RecordingChannel* loaded = LoadInto(SavedWithTwoWrites());
    ASSERT_NE(nullptr, loaded);
    // The saved period began at kPeriod; its writes, at +100 and +200, are applied unheard.
    Other().cpu->AddCycles(static_cast<i32>(kPeriod + 300));
    std::vector<i32> a(kLength, -99);
    std::vector<i32> b(kLength, -99);
    SoundChannel::FillCallback(loaded, a.data(), kLength, 0, 255, 50, nullptr);
    EXPECT_EQ(2, loaded->state);
    loaded->calls.clear();
    Other().cpu->AddCycles(250);
    loaded->Write(9);
    Other().cpu->AddCycles(750);
    SoundChannel::FillCallback(loaded, b.data(), kLength, 0, 255, 50, nullptr);
    EXPECT_EQ(loaded->Renders(), (std::vector<Call>{{'R', 25}, {'R', 75}}));
    EXPECT_EQ(2, a[0]);
    EXPECT_EQ(9, a[25]);
}

TEST_F(SoundChannelStateTest, LogIndexToneClockAndLogSizeAreChecked)
{
    const std::vector<u8> bytes = SavedWithTwoWrites();
    const struct {
        const char* key;
        u32 value;
    } bad[] = {{"BFID", 2}, {"BFRQ", 223722}, {"BFS1", 0xFFFFFFFF}};
    for (const auto& b : bad) {
        std::vector<u8> patched = bytes;
        PutLE(patched, ValueOffset(patched, b.key), b.value, 4);
        EXPECT_EQ(nullptr, LoadInto(patched)) << b.key;
    }
}

TEST_F(SoundChannelStateTest, OutOfOrderBlockEndsTheReplayButThePeriodIsStillFull)
{
    std::vector<u8> bytes = SavedWithTwoWrites();
    // Move the second write before the first.
    const size_t log = ValueOffset(bytes, "BFD0") + 4;
    PutLE(bytes, log + SoundLogBlock::kHeaderSize + 1, 5, 8);
    RecordingChannel* loaded = LoadInto(bytes);
    ASSERT_NE(nullptr, loaded);
    Other().cpu->AddCycles(static_cast<i32>(3 * kPeriod));
    std::vector<i32> a(kLength, -99);
    std::vector<i32> b(kLength, -99);
    SoundChannel::FillCallback(loaded, a.data(), kLength, 0, 255, 50, nullptr);
    Other().cpu->AddCycles(100);
    SoundChannel::FillCallback(loaded, b.data(), kLength, 0, 255, 50, nullptr);
    std::vector<Call> applied;
    for (const Call& c : loaded->calls)
        if (c.kind == 'A' && c.a >= 0)
            applied.push_back(c);
    // Only the first write; the damaged one still bounds it.
    ASSERT_EQ(1u, applied.size());
    EXPECT_EQ(1, applied[0].a);
    EXPECT_EQ(5, applied[0].c);
    EXPECT_TRUE(std::none_of(a.begin(), a.end(), [](i32 v) { return v == -99; }));
    EXPECT_EQ(0u, loaded->GetLogFill(0));
}

} // namespace
