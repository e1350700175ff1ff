// "WaveSound" on a real waveOut device: a 500 Hz square tone produced in real time the
// way the event bus does it (flip, render, convert) for 1.2 s.
//
// When KUV_ALSA_CAPTURE names a file that the host's sound layer records the stream
// into (8-bit mono 48000 Hz raw PCM, as opened here), the recording is checked too:
// after the muted start it must hold the tone at its level and frequency. A Unix path
// is reached through drive Z:.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "sound/wave_sound_output.h"

namespace {

constexpr i32 kRate = 48000;
constexpr i32 kHalfPeriod = 48;   // 500 Hz
constexpr i32 kHigh = 200;
constexpr i32 kPeriods = 60;

std::vector<u8> ReadCapture(const char* path)
{
    std::string name(path);
    if (!name.empty() && name[0] == '/')
        name = "Z:" + name;
    std::vector<u8> bytes;
    if (FILE* file = std::fopen(name.c_str(), "rb")) {
        u8 chunk[4096];
        size_t n = 0;
        while ((n = std::fread(chunk, 1, sizeof chunk, file)) > 0)
            bytes.insert(bytes.end(), chunk, chunk + n);
        std::fclose(file);
    }
    return bytes;
}

// Of the buffers given, at least this many come back from the device played; a few may
// be dropped while the output catches up at the start.
constexpr u64 kPlayedAtLeast = kPeriods - 10;

// Plays the tone; answers the buffers given to the device, and in played those it had
// played once it had played them all (or after a limit that only a device that stopped
// playing reaches). The ring keeps the device fed with copies after the last one.
u64 PlayTone(WaveSoundOutput& output, u64* played)
{
    i64 sample = 0;
    auto next = std::chrono::steady_clock::now();
    for (i32 period = 0; period < kPeriods; ++period) {
        i32 count = 0;
        i32 lo = 0;
        i32 hi = 0;
        i32* buffer = output.FlipBuffer(&count, &lo, &hi);
        for (i32 i = 0; i < count; ++i, ++sample)
            buffer[i] = ((sample / kHalfPeriod) & 1) ? lo : kHigh;
        output.FillBuffer();
        next += std::chrono::milliseconds(20);
        std::this_thread::sleep_until(next);
    }
    const u64 given = output.GetSubmitted();
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (output.GetCompleted() < given && std::chrono::steady_clock::now() < limit)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    *played = output.GetCompleted();
    return given;
}

TEST(WaveSound, PlaysAToneThroughTheDevice)
{
    if (waveOutGetNumDevs() == 0)
        GTEST_SKIP() << "no waveOut device (point the host's default sound device at a file to run this)";
    WaveSoundOutput output;
    ASSERT_TRUE(output.Open(kRate, 8, 50));
    EXPECT_TRUE(output.IsDeviceOpen());
    EXPECT_EQ(960, output.GetSamplesPerBuffer());
    EXPECT_FALSE(output.Open(kRate, 8, 50));   // one stream per output

    u64 played = 0;
    const u64 given = PlayTone(output, &played);
    EXPECT_GE(given, kPlayedAtLeast);
    EXPECT_GE(played, given) << "the device stopped playing";
    // Past 6 of 50 buffers the held-back volume is back.
    EXPECT_FALSE(output.IsVolumeHeld());
    output.Close();
    EXPECT_FALSE(output.IsDeviceOpen());

    const char* capture = std::getenv("KUV_ALSA_CAPTURE");
    if (!capture || !*capture)
        return;
    const std::vector<u8> pcm = ReadCapture(capture);
    ASSERT_GE(pcm.size(), static_cast<size_t>(kRate)) << "nothing recorded at " << capture;

    // Past the muted start, half a second of it.
    const size_t from = static_cast<size_t>(kRate) / 2;
    const size_t to = from + static_cast<size_t>(kRate) / 2;
    ASSERT_LE(to, pcm.size());
    u8 low = 255;
    u8 high = 0;
    for (size_t i = from; i < to; ++i) {
        low = std::min(low, pcm[i]);
        high = std::max(high, pcm[i]);
    }
    EXPECT_GE(high - low, kHigh * 3 / 4) << "the recording is (nearly) silent";
    const u8 middle = static_cast<u8>((low + high) / 2);
    i32 rising = 0;
    for (size_t i = from + 1; i < to; ++i) {
        if (pcm[i - 1] <= middle && pcm[i] > middle)
            ++rising;
    }
    // Half a second of 500 Hz.
    EXPECT_NEAR(250, rising, 5);
}

TEST(WaveSound, RefusesASampleRateTheBuffersDoNotDivide)
{
    WaveSoundOutput output;
    EXPECT_FALSE(output.Open(44101, 8, 50));
    EXPECT_FALSE(output.IsDeviceOpen());
    SoundBufferRing ring;
    EXPECT_TRUE(ring.Open(44101, 8, 50));
    EXPECT_EQ(882, ring.GetSamplesPerBuffer());
}

} // namespace
