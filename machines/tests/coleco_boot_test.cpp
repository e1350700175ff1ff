// The ColecoVision boots our own BIOS and cartridge (tests/roms) and runs them headless:
// frame interrupts as NMIs, the picture, the tone, the controllers as the program reads
// them, RAM mirrors and ROM that stays as it was.
#include <gtest/gtest.h>

#include "emu/interrupt_lines.h"
#include "machines/tests/coleco_rig.h"

using namespace coleco_test;

namespace {

class ColecoBoot : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(rig.Prepare());
        ASSERT_TRUE(rig.Start());
        // The cartridge clears all of video memory before it turns the frame interrupt on.
        rig.RunFrames(20);
        ASSERT_GT(rig.PeekWord(kNmiCount), 0) << "the frame interrupt never came on";
    }

    ColecoRig rig;
};

} // namespace

TEST_F(ColecoBoot, OneNmiPerFrameOnlyWhileTheFrameInterruptIsOn)
{
    u16 nmis = rig.PeekWord(kNmiCount);
    const u16 frames = rig.PeekWord(kFrameCount);
    rig.RunFrames(60);
    EXPECT_EQ(rig.PeekWord(kNmiCount) - nmis, 60);
    EXPECT_EQ(rig.PeekWord(kFrameCount) - frames, 60) << "the main loop's HALT is left once per NMI";
    EXPECT_NE(rig.Peek(kVdpStatus) & Tms9918Vdp::kStatusVBlank, 0) << "the handler read a frame's status";
    u32 extra = 0, line = 0, data = 0;
    EXPECT_FALSE(rig.machine->GetInterrupts()->QueryPending(false, &extra, &line, &data))
        << "the maskable interrupt is never raised";

    rig.Out(0xBF, 0xC0);  // R1 without the frame interrupt: the program stays in HALT
    rig.Out(0xBF, 0x81);
    nmis = rig.PeekWord(kNmiCount);
    rig.RunFrames(10);
    EXPECT_EQ(rig.PeekWord(kNmiCount), nmis);
    // The frame flag came meanwhile: turning the interrupt on gives an NMI at once.
    rig.Out(0xBF, 0xE0);
    rig.Out(0xBF, 0x81);
    EXPECT_TRUE(rig.Cpu()->IsNmiPending());
    rig.RunFrames(5);
    EXPECT_EQ(rig.PeekWord(kNmiCount) - nmis, 1 + 5);
}

TEST_F(ColecoBoot, DrawsThePatternWithItsSprite)
{
    const BufferSurface& s = rig.surface;
    ASSERT_EQ(s.GetWidth(), 256);
    ASSERT_EQ(s.GetHeight(), 192);
    const u32 blue = Tms9918Vdp::kPalette[4];
    const u32 white = Tms9918Vdp::kPalette[15];
    const u32 red = Tms9918Vdp::kPalette[8];
    EXPECT_EQ(s.Pixel(0, 0), blue);     // character 0: blank
    EXPECT_EQ(s.Pixel(8, 0), white);    // character 1: checks
    EXPECT_EQ(s.Pixel(9, 0), blue);
    EXPECT_EQ(s.Pixel(16, 5), white);   // character 2: solid
    EXPECT_EQ(s.Pixel(25, 1), blue);    // character 3: a hollow frame
    EXPECT_EQ(s.Pixel(100, 80), red);   // the sprite, Y 79: from line 80
    EXPECT_EQ(s.Pixel(107, 87), red);
    EXPECT_EQ(s.Pixel(100, 79), blue);
    EXPECT_EQ(s.Pixel(108, 87), white);
    EXPECT_EQ(s.Digest(), 0x21419f110d0c7951ull);
}

TEST_F(ColecoBoot, PlaysTheToneOnChannelZero)
{
    rig.RunFrames(55);
    const SoundCapture& sound = *rig.sound;
    ASSERT_EQ(sound.streams.size(), 4u) << "one stream per PSG channel";
    const auto second = static_cast<std::ptrdiff_t>(sound.rate);
    ASSERT_GT(static_cast<std::ptrdiff_t>(sound.streams[0].size()), second);
    // The last second of each channel.
    std::vector<u8> last[4];
    for (size_t c = 0; c < 4; ++c)
        last[c].assign(sound.streams[c].end() - second, sound.streams[c].end());
    const auto [lo, hi] = std::minmax_element(last[0].begin(), last[0].end());
    EXPECT_EQ(*hi + *lo, 256) << "the wave swings about silence, the middle of the 8-bit range";
    EXPECT_EQ(*hi - *lo, 62) << "full volume: just under a quarter of the half range either side";
    // Divider 254: 3579545 / (32 * 254) = 440.395 Hz, within a cent.
    EXPECT_NEAR(SquareFrequency(last[0], sound.rate), 440.395, 440.395 * 0.0006);
    for (size_t c = 1; c < 4; ++c) {
        const auto [olo, ohi] = std::minmax_element(last[c].begin(), last[c].end());
        EXPECT_EQ(*olo, *ohi) << "channel " << c << " was turned off";
    }
}

TEST_F(ColecoBoot, ProgramReadsTheControllersInBothModes)
{
    EXPECT_EQ(rig.Peek(kKeypad1), 0x7F);
    EXPECT_EQ(rig.Peek(kJoystick1), 0x7F);
    for (i32 key : {0x35, 0x20, 0x26, 0x25, 0xE2})  // 5, Space, Up, Left, left Ctrl
        rig.Key(key, true);
    rig.RunFrames(1);
    EXPECT_EQ(rig.Peek(kKeypad1), 0x33);    // code of 5 with the right button
    EXPECT_EQ(rig.Peek(kJoystick1), 0x36);  // up and left with the left button
    EXPECT_EQ(rig.Peek(kPad2), 0x7F) << "controller 2 is never pressed";
    rig.Key(-1, false);
    rig.RunFrames(1);
    EXPECT_EQ(rig.Peek(kKeypad1), 0x7F);
    EXPECT_EQ(rig.Peek(kJoystick1), 0x7F);
}

TEST_F(ColecoBoot, RamMirrorsAndReadOnlyRom)
{
    EXPECT_EQ(rig.Peek(kMirrorProbe), 0x5A) << "0x6010 read back through 0x7C10";
    for (u32 mirror = 0x6400; mirror < 0x8000; mirror += 0x400)
        EXPECT_EQ(rig.PeekWord(mirror), rig.PeekWord(kNmiCount)) << std::hex << mirror;
    // The program's writes to the BIOS, the empty area and both ends of the cartridge.
    EXPECT_EQ(rig.Peek(0x0000), TestBios()[0]);
    EXPECT_EQ(rig.Peek(0x4000), 0x00);
    EXPECT_EQ(rig.Peek(0x8000), TestCartridge()[0]);
    EXPECT_EQ(rig.Peek(0xFC00), 0x00);
}
