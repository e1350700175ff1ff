// "DirectSound" on the host's default device: it needs an owner window, then plays a
// ring converted in real time into its looping buffer.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>

#include "sound/direct_sound_output.h"

namespace {

TEST(DirectSound, DoesNotOpenWithoutAnOwnerWindow)
{
    DirectSoundOutput output;
    EXPECT_FALSE(output.Open(48000, 16, 50));
    EXPECT_FALSE(output.IsActive());
    EXPECT_FALSE(output.IsOpen());
}

TEST(DirectSound, ClonesKeepTheOwnerWindow)
{
    DirectSoundOutput prototype(GetDesktopWindow());
    std::unique_ptr<SoundBufferRing> clone(prototype.Clone());
    EXPECT_STREQ("DirectSound", clone->GetName());
    EXPECT_EQ(static_cast<void*>(GetDesktopWindow()), static_cast<SoundOutput*>(clone.get())->GetOwnerWindow());
}

TEST(DirectSound, PlaysConvertedBuffersAheadOfTheCursor)
{
    if (waveOutGetNumDevs() == 0)
        GTEST_SKIP() << "no sound device";
    DirectSoundOutput output(GetDesktopWindow());
    ASSERT_TRUE(output.Open(48000, 16, 50));
    EXPECT_TRUE(output.IsActive());
    EXPECT_EQ(-1, output.GetNextSlot());
    auto next = std::chrono::steady_clock::now();
    for (i32 period = 0; period < 15; ++period) {
        i32 count = 0;
        i32* buffer = output.FlipBuffer(&count, nullptr, nullptr);
        for (i32 i = 0; i < count; ++i)
            buffer[i] = (i / 40) & 1 ? 8000 : -8000;
        output.FillBuffer();
        EXPECT_GE(output.GetNextSlot(), 0);
        next += std::chrono::milliseconds(20);
        std::this_thread::sleep_until(next);
    }
    // Converted buffers are handed over at once, never counted as queued.
    EXPECT_EQ(0u, output.GetSubmitted());
    output.Silence();
    output.Close();
    EXPECT_FALSE(output.IsActive());
    EXPECT_FALSE(output.IsOpen());
}

} // namespace
