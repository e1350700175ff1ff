// Sound outputs: opening, conversion of rendered samples, and the queue rules between
// the producer and the player's completions.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "sound/sound_buffer_ring.h"

namespace {

// A player that takes every buffer (or none) and remembers which.
class QueueRing : public SoundBufferRing {
public:
    bool Submit(i32 index) override
    {
        if (!accept)
            return false;
        queued.push_back(index);
        return true;
    }
    u64 Pending() { return GetPending(); }

    bool accept = true;
    std::vector<i32> queued;
};

// Renders every entry of a mixing buffer with value and converts it (the conversion
// takes the buffer handed out before the latest flip).
void Produce(SoundBufferRing& ring, i32 value)
{
    i32 count = 0;
    i32* buffer = ring.FlipBuffer(&count, nullptr, nullptr);
    for (i32 i = 0; i < count; ++i)
        buffer[i] = value;
    ring.FlipBuffer(nullptr, nullptr, nullptr);
    ring.FillBuffer();
}

TEST(SoundRingOpen, RangeAndSizesFollowTheWidth)
{
    SoundBufferRing eight;
    ASSERT_TRUE(eight.Open(48000, 8, 50));
    EXPECT_EQ(960, eight.GetSamplesPerBuffer());
    EXPECT_EQ(960, eight.GetBytesPerBuffer());
    EXPECT_EQ(0, eight.GetMinimum());
    EXPECT_EQ(255, eight.GetMaximum());
    // A fresh output holds silence, the middle of the range: unsigned 8-bit PCM's 0x80.
    EXPECT_EQ(0x80, eight.GetBuffer(0)[0]);
    EXPECT_EQ(0x80, eight.GetBuffer(49)[959]);
    EXPECT_EQ(128, eight.GetLastValue());

    SoundBufferRing sixteen;
    ASSERT_TRUE(sixteen.Open(22050, 16, 50));
    EXPECT_EQ(441, sixteen.GetSamplesPerBuffer());
    EXPECT_EQ(882, sixteen.GetBytesPerBuffer());
    EXPECT_EQ(-32768, sixteen.GetMinimum());
    EXPECT_EQ(32767, sixteen.GetMaximum());
    // ... and signed 16-bit PCM's 0.
    EXPECT_EQ(0x00, sixteen.GetBuffer(0)[0]);
    EXPECT_EQ(0x00, sixteen.GetBuffer(0)[1]);
    EXPECT_EQ(0x00, sixteen.GetBuffer(49)[881]);
    EXPECT_EQ(0, sixteen.GetLastValue());
}

TEST(SoundRingOpen, SilenceFillsEveryBufferWithTheMiddleOfTheRange)
{
    for (i32 width : {8, 16}) {
        SoundBufferRing ring;
        ASSERT_TRUE(ring.Open(100, width, 50));   // 2 samples per buffer
        i32 lo = 0;
        i32* buffer = ring.FlipBuffer(nullptr, &lo, nullptr);
        buffer[0] = lo;
        buffer[1] = lo;
        ring.FlipBuffer(nullptr, nullptr, nullptr);
        ring.FillBuffer();
        ring.Silence();
        const std::vector<u8> silence = width == 8 ? std::vector<u8>{0x80, 0x80} : std::vector<u8>{0, 0, 0, 0};
        for (i32 b = 0; b < 50; ++b) {
            const u8* out = ring.GetBuffer(b);
            ASSERT_EQ(silence, std::vector<u8>(out, out + silence.size())) << width << "-bit buffer " << b;
        }
    }
}

TEST(SoundRingOpen, RefusesBadShapesAndASecondOpen)
{
    SoundBufferRing ring;
    EXPECT_FALSE(ring.Open(0, 8, 50));
    EXPECT_FALSE(ring.Open(48000, 12, 50));
    EXPECT_FALSE(ring.Open(48000, 8, 0));
    EXPECT_FALSE(ring.Open(40, 8, 50));
    ASSERT_TRUE(ring.Open(48000, 8, 50));
    EXPECT_FALSE(ring.Open(48000, 8, 50));
    EXPECT_EQ(960, ring.GetSamplesPerBuffer());   // still open as before
}

TEST(SoundRingConversion, OutOfRangeAndUnrenderedEntriesRepeatTheLastValue)
{
    SoundBufferRing ring;
    ASSERT_TRUE(ring.Open(250, 8, 50));   // 5 samples per buffer
    i32 count = 0;
    i32* buffer = ring.FlipBuffer(&count, nullptr, nullptr);
    ASSERT_EQ(5, count);
    const i32 rendered[5] = {10, 300, -1, 20, SoundBufferRing::kEmptySample};
    std::copy(rendered, rendered + 5, buffer);
    ring.FlipBuffer(nullptr, nullptr, nullptr);
    ring.FillBuffer();
    const u8* out = ring.GetBuffer(0);
    EXPECT_EQ((std::vector<u8>{10, 10, 10, 20, 20}), std::vector<u8>(out, out + 5));
    EXPECT_EQ(20, ring.GetLastValue());
    // Converted entries are empty again; the refused ones are left as they were.
    EXPECT_EQ(SoundBufferRing::kEmptySample, buffer[0]);
    EXPECT_EQ(300, buffer[1]);
    EXPECT_EQ(SoundBufferRing::kEmptySample, buffer[3]);

    // A period the channel rendered nothing into plays the last value throughout.
    ring.FlipBuffer(nullptr, nullptr, nullptr);
    ring.FlipBuffer(nullptr, nullptr, nullptr);
    buffer[1] = SoundBufferRing::kEmptySample;
    ring.FillBuffer();
    const u8* next = ring.GetBuffer(1);
    EXPECT_EQ((std::vector<u8>{20, 20, 20, 20, 20}), std::vector<u8>(next, next + 5));
}

TEST(SoundRingConversion, SixteenBitSamplesAreLittleEndianWords)
{
    SoundBufferRing ring;
    ASSERT_TRUE(ring.Open(100, 16, 50));   // 2 samples per buffer
    i32* buffer = ring.FlipBuffer(nullptr, nullptr, nullptr);
    buffer[0] = -2;
    buffer[1] = 0x1234;
    ring.FlipBuffer(nullptr, nullptr, nullptr);
    ring.FillBuffer();
    const u8* out = ring.GetBuffer(0);
    EXPECT_EQ((std::vector<u8>{0xFE, 0xFF, 0x34, 0x12}), std::vector<u8>(out, out + 4));
}

TEST(SoundRingQueue, RunDownQueueIsToppedUpToFiveWithCopies)
{
    QueueRing ring;
    ASSERT_TRUE(ring.Open(48000, 8, 50));
    Produce(ring, 77);
    EXPECT_EQ(5u, ring.Pending());
    EXPECT_EQ((std::vector<i32>{0, 1, 2, 3, 4}), ring.queued);
    EXPECT_EQ(5, ring.GetWriteSlot());
    for (i32 slot = 1; slot < 5; ++slot)
        EXPECT_EQ(77, ring.GetBuffer(slot)[100]);
}

TEST(SoundRingQueue, ConversionIsDroppedAtEightPendingAndItsSlotReused)
{
    QueueRing ring;
    ASSERT_TRUE(ring.Open(48000, 8, 50));
    Produce(ring, 1);   // 5 pending
    Produce(ring, 2);
    Produce(ring, 3);
    Produce(ring, 4);   // 8 pending
    ASSERT_EQ(8u, ring.Pending());
    ASSERT_EQ(8, ring.GetWriteSlot());
    Produce(ring, 5);
    EXPECT_EQ(8u, ring.Pending());
    EXPECT_EQ(8, ring.GetWriteSlot());
    EXPECT_EQ(5, ring.GetBuffer(8)[0]);
    Produce(ring, 6);   // overwrites the dropped one
    EXPECT_EQ(6, ring.GetBuffer(8)[0]);
    EXPECT_EQ(8u, ring.queued.size());
}

TEST(SoundRingQueue, CompletionKeepsFourQueuedWithTheNewestSound)
{
    QueueRing ring;
    ASSERT_TRUE(ring.Open(48000, 8, 50));
    Produce(ring, 9);   // slots 0..4 queued
    ring.queued.clear();
    ring.OnBufferDone();
    EXPECT_EQ(4u, ring.Pending());
    EXPECT_TRUE(ring.queued.empty());
    ring.OnBufferDone();   // down to 3: the newest buffer goes again
    EXPECT_EQ(4u, ring.Pending());
    ASSERT_EQ((std::vector<i32>{5}), ring.queued);
    EXPECT_EQ(9, ring.GetBuffer(5)[0]);
    EXPECT_EQ(6, ring.GetWriteSlot());
}

TEST(SoundRingQueue, SilencedOrClosedRingDoesNotRefill)
{
    QueueRing ring;
    ASSERT_TRUE(ring.Open(48000, 8, 50));
    Produce(ring, 9);
    ring.Silence();
    EXPECT_EQ(0x80, ring.GetBuffer(0)[0]);
    ring.queued.clear();
    ring.OnBufferDone();
    ring.OnBufferDone();
    EXPECT_TRUE(ring.queued.empty());
    // The next conversion plays again.
    Produce(ring, 4);
    EXPECT_FALSE(ring.IsStopped());
    EXPECT_FALSE(ring.queued.empty());

    ring.Close();
    ring.queued.clear();
    ring.OnBufferDone();
    ring.FillBuffer();
    EXPECT_TRUE(ring.queued.empty());
}

TEST(SoundRingQueue, NoSoundJustAdvancesTheSlot)
{
    QueueRing ring;
    ring.accept = false;
    ASSERT_TRUE(ring.Open(48000, 8, 50));
    for (i32 i = 0; i < 51; ++i)
        Produce(ring, i);
    EXPECT_EQ(1, ring.GetWriteSlot());
    EXPECT_EQ(0u, ring.GetSubmitted());
    EXPECT_EQ(50, ring.GetBuffer(0)[0]);
}

// A player on a thread of its own: it plays the queued buffers in order and checks that
// each still holds what it held when it was queued.
class CheckingPlayer : public SoundBufferRing {
public:
    bool Submit(i32 index) override
    {
        const u8* pcm = GetBuffer(index);
        std::lock_guard<std::mutex> lock(queueLock_);
        queue_.push_back({index, std::vector<u8>(pcm, pcm + GetBytesPerBuffer())});
        return true;
    }

    // Plays the oldest queued buffer; false when none is queued.
    bool PlayOne()
    {
        Queued next;
        {
            std::lock_guard<std::mutex> lock(queueLock_);
            if (queue_.empty())
                return false;
            next = std::move(queue_.front());
            queue_.pop_front();
        }
        const u8* pcm = GetBuffer(next.index);
        if (!std::equal(next.bytes.begin(), next.bytes.end(), pcm))
            ++overwritten;
        ++played;
        OnBufferDone();
        return true;
    }

    std::atomic<i32> overwritten{0};
    std::atomic<i32> played{0};

private:
    struct Queued {
        i32 index = 0;
        std::vector<u8> bytes;
    };
    std::mutex queueLock_;
    std::deque<Queued> queue_;
};

// Completions race the producer's conversions. In each stretch of 100 conversions the
// player keeps up for 40, playing at least one buffer per conversion, then stalls for
// 60, as a late player does: the ring would be lapped were the queue not held to its
// limit.
TEST(SoundRingQueue, CompletionsRaceConversionsSafely)
{
    CheckingPlayer ring;
    ASSERT_TRUE(ring.Open(48000, 8, 50));
    const auto stalled = [](i32 conversions) { return conversions % 100 >= 40; };
    std::atomic<i32> conversions{0};
    std::atomic<bool> done{false};
    std::thread player([&] {
        while (!done) {
            if (stalled(conversions) || !ring.PlayOne())
                std::this_thread::yield();
        }
    });
    for (i32 i = 0; i < 2000; ++i) {
        const i32 before = ring.played;
        Produce(ring, i % 251);
        EXPECT_LE(ring.GetPending(), 8u);
        // A conversion always leaves something queued, so the player can answer it.
        if (!stalled(++conversions)) {
            while (ring.played == before)
                std::this_thread::yield();
        }
    }
    done = true;
    player.join();
    EXPECT_GE(ring.played, 800);
    EXPECT_EQ(ring.overwritten, 0) << "buffers changed while queued";
    EXPECT_LE(ring.GetCompleted(), ring.GetSubmitted());
}

} // namespace
