// TMS9918 ports, status, frame interrupt, trace and break, and saved state.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>

#include "base/archive.h"
#include "base/memory_stream.h"
#include "video/null_display.h"
#include "video/tests/video_rig.h"

namespace {

struct Ports : ::testing::Test {
    BufferSurface surface;
    VdpMachine machine;

    void SetUp() override
    {
        ASSERT_TRUE(machine.Build(&surface));
        ASSERT_TRUE(machine.Run());
    }
    void TearDown() override { machine.Stop(); }
    Tms9918Vdp& Vdp() { return *machine.vdp; }
};

} // namespace

TEST_F(Ports, ControlPortTakesTwoBytes)
{
    machine.Out(0x99, 0x12);
    EXPECT_TRUE(Vdp().IsLatched());
    machine.Out(0x99, 0x87);
    EXPECT_EQ(Vdp().GetRegister(7), 0x12);
    EXPECT_FALSE(Vdp().IsLatched());
    // Register numbers are the low three bits.
    machine.Out(0x99, 0x36);
    machine.Out(0x99, 0xBD);
    EXPECT_EQ(Vdp().GetRegister(5), 0x36);

    // Bit 6 of the second byte (write set-up) is not part of the address.
    machine.Out(0x99, 0x00);
    machine.Out(0x99, 0x40);
    EXPECT_EQ(Vdp().GetAddress(), 0x0000u);
    machine.Out(0x99, 0xFF);
    machine.Out(0x99, 0x7F);
    EXPECT_EQ(Vdp().GetAddress(), 0x3FFFu);
    machine.Out(0x98, 0xA5);
    EXPECT_EQ(Vdp().GetAddress(), 0x0000u);
    EXPECT_EQ(Vdp().GetVideoMemory()[0x3FFF], 0xA5);
}

TEST_F(Ports, DataReadsComeFromTheReadAheadBuffer)
{
    machine.Poke(0x1234, {0x11, 0x22, 0x33});
    // A write leaves its byte in the buffer.
    EXPECT_EQ(Vdp().GetReadAhead(), 0x33);

    // A read set-up fetches at once: the address is already one further on.
    machine.Out(0x99, 0x34);
    machine.Out(0x99, 0x12);
    EXPECT_EQ(Vdp().GetAddress(), 0x1235u);
    // A peek shows the buffer and moves nothing.
    EXPECT_EQ(machine.In(0x98, true), 0x11);
    EXPECT_EQ(Vdp().GetAddress(), 0x1235u);
    EXPECT_EQ(machine.In(0x98), 0x11);
    EXPECT_EQ(machine.In(0x98), 0x22);
    EXPECT_EQ(Vdp().GetAddress(), 0x1237u);

    // A write set-up fetches nothing: the first read answers the byte fetched before.
    machine.Out(0x99, 0x34);
    machine.Out(0x99, 0x52);
    EXPECT_EQ(machine.In(0x98), 0x33);
    EXPECT_EQ(machine.In(0x98), 0x11);
    // A read after a write answers the written byte, not the one at the address.
    machine.Out(0x98, 0x44);
    EXPECT_EQ(Vdp().GetVideoMemory()[0x1236], 0x44);
    EXPECT_EQ(machine.In(0x98), 0x44);
    EXPECT_EQ(machine.In(0x98), 0x00);   // 0x1237 was never written

    // The fetch of a read set-up at the top of memory wraps the address.
    machine.Out(0x99, 0xFF);
    machine.Out(0x99, 0x3F);
    EXPECT_EQ(Vdp().GetAddress(), 0x0000u);

    // A lone first byte is forgotten at a data access: the next byte is a first byte again.
    machine.Out(0x99, 0x07);
    machine.In(0x98);
    EXPECT_FALSE(Vdp().IsLatched());
    machine.Out(0x99, 0x55);
    machine.Out(0x99, 0x87);
    EXPECT_EQ(Vdp().GetRegister(7), 0x55);
}

TEST_F(Ports, StatusReadClearsTheFlagsAndTheControlLatchButAPeekDoesNot)
{
    machine.SetRegister(1, 0x40);
    machine.SetRegister(5, 0x36);
    machine.Poke(0x0000, {0xFF});
    machine.Poke(0x1B00, {60, 100, 0, 15, 60, 104, 0, 15, 60, 104, 0, 15, 60, 104, 0, 15, 60, 104, 0, 15, 208});
    Vdp().RenderLines();  // line 191 of the frame: vertical blank
    const u8 status = Vdp().GetStatus();
    EXPECT_EQ(status, 0x80 | 0x40 | 0x20 | 4);
    EXPECT_EQ(machine.In(0x99, true), status);
    EXPECT_EQ(Vdp().GetStatus(), status);
    EXPECT_EQ(machine.In(0x99), status);
    EXPECT_EQ(Vdp().GetStatus(), 4);
    // The read also forgets a waiting first control byte (programs read the status to
    // bring the port back to a known byte order); a peek does not.
    machine.Out(0x99, 0x22);
    machine.In(0x99, true);
    EXPECT_TRUE(Vdp().IsLatched());
    machine.In(0x99);
    EXPECT_FALSE(Vdp().IsLatched());
    machine.Out(0x99, 0x07);
    machine.Out(0x99, 0x87);
    EXPECT_EQ(Vdp().GetRegister(7), 0x07);
}

TEST_F(Ports, AStatusReadThatBreaksChangesNothing)
{
    machine.SetRegister(1, 0x20);  // display off (no sprite status), interrupt enabled
    Vdp().RenderLines();
    ASSERT_TRUE(machine.level);
    machine.Out(0x99, 0x22);
    Vdp().BreakReadStatus() = 1;
    machine.takeBreaks = true;
    EXPECT_EQ(machine.In(0x99), 0x80);
    EXPECT_EQ(machine.ConsoleLines().back(), "[VDP BREAK] <=STATUS = 80h (VBLANK=1, sprite collision=0)");
    // The IN is abandoned and runs again: it must find everything as it was.
    EXPECT_EQ(Vdp().GetStatus(), 0x80);
    EXPECT_TRUE(Vdp().IsLatched());
    EXPECT_TRUE(machine.level);
    machine.takeBreaks = false;
    Vdp().BreakReadStatus() = 0;
    EXPECT_EQ(machine.In(0x99), 0x80);
    EXPECT_EQ(Vdp().GetStatus(), 0x00);
    EXPECT_FALSE(Vdp().IsLatched());
    EXPECT_FALSE(machine.level);
}

TEST_F(Ports, InterruptOutputIsTheFrameFlagGatedByTheEnable)
{
    machine.SetRegister(1, 0x20);
    EXPECT_FALSE(machine.level);
    Vdp().RenderLines();
    EXPECT_TRUE(machine.level);
    EXPECT_TRUE(Vdp().IsInterruptAsserted());
    // A flag nobody reads keeps the output up: no second rise at the next frame.
    Vdp().RenderLines();
    EXPECT_EQ(machine.raises, 1);
    machine.In(0x99, true);
    EXPECT_TRUE(machine.level) << "a peek leaves the output alone";
    machine.In(0x99);
    EXPECT_FALSE(machine.level);
    EXPECT_EQ(machine.drops, 1);
    Vdp().RenderLines();
    EXPECT_EQ(machine.raises, 2);

    // Clearing the enable drops the output; the flag still comes and setting the enable
    // again raises the output at once.
    machine.SetRegister(1, 0x00);
    EXPECT_FALSE(machine.level);
    machine.In(0x99);
    Vdp().RenderLines();
    EXPECT_EQ(machine.raises, 2);
    EXPECT_EQ(Vdp().GetStatus() & 0x80, 0x80);
    machine.SetRegister(1, 0x20);
    EXPECT_TRUE(machine.level);
    EXPECT_EQ(machine.raises, 3);
    // Without the flag the enable raises nothing.
    machine.In(0x99);
    machine.SetRegister(1, 0x00);
    machine.SetRegister(1, 0x20);
    EXPECT_FALSE(machine.level);
    EXPECT_EQ(machine.raises, 3);
    EXPECT_EQ(machine.drops, 3);
}

TEST_F(Ports, AccessesWiderThanAByteAreRefused)
{
    u8 value = 0x42;
    EXPECT_FALSE(Tms9918Vdp::DataWriteHandler(static_cast<Device*>(&Vdp()), 0x98, 2, &value));
    EXPECT_FALSE(Tms9918Vdp::ControlWriteHandler(static_cast<Device*>(&Vdp()), 0x99, 2, &value));
    EXPECT_FALSE(Tms9918Vdp::StatusReadHandler(static_cast<Device*>(&Vdp()), 0x99, 2, &value, false));
    EXPECT_FALSE(Vdp().IsLatched());
    EXPECT_EQ(Vdp().GetVideoMemory()[0], 0);
}

TEST_F(Ports, RegisterWritesAreTracedAndABreakLeavesThemUndone)
{
    Vdp().TraceWriteRegister(7) = 1;
    machine.Out(0x99, 0x12);
    machine.Out(0x99, 0x87);
    const auto lines = machine.ConsoleLines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), "[VDP] =>Reg[7] = 12h (next 87h, FG/BG (border) colors)");

    Vdp().BreakWriteRegister(7) = 1;
    machine.takeBreaks = true;
    machine.Out(0x99, 0x34);
    machine.Out(0x99, 0x87);
    EXPECT_EQ(Vdp().GetRegister(7), 0x12);
    EXPECT_TRUE(Vdp().IsLatched());
    // When the instruction runs again the write goes through.
    machine.takeBreaks = false;
    Vdp().BreakWriteRegister(7) = 0;
    machine.Out(0x99, 0x87);
    EXPECT_EQ(Vdp().GetRegister(7), 0x34);

    Vdp().TraceReadStatus() = 1;
    machine.In(0x99);
    EXPECT_EQ(machine.ConsoleLines().back(), "[VDP] <=STATUS = 00h (VBLANK=0, sprite collision=0)");
}

TEST(VdpFrames, OneInterruptPerFrameWithTheDoNothingDisplay)
{
    NullDisplay display;
    VdpMachine machine;
    ASSERT_TRUE(machine.Build(&display));
    ASSERT_TRUE(machine.Run());
    machine.SetRegister(1, 0x60);  // display on, interrupt enabled

    // Run up to the first vertical blank, then count whole frames.
    i32 ticks = 0;
    while (machine.raises == 0 && ticks < 10 * kTicksPerFrame) {
        machine.Ticks(1);
        ++ticks;
    }
    ASSERT_EQ(machine.raises, 1);
    EXPECT_EQ(machine.vdp->GetStatus() & 0x80, 0x80);
    EXPECT_EQ(machine.In(0x99) & 0x80, 0x80);
    for (i32 frame = 2; frame <= 6; ++frame) {
        machine.Ticks(kTicksPerFrame);
        EXPECT_EQ(machine.raises, frame);
        EXPECT_EQ(machine.In(0x99) & 0x80, 0x80);
    }
    EXPECT_EQ(display.GetWidth(), 0);

    // Interrupts off: the status still comes every frame, the line stays quiet.
    machine.SetRegister(1, 0x40);
    machine.Ticks(kTicksPerFrame);
    EXPECT_EQ(machine.raises, 6);
    EXPECT_EQ(machine.In(0x99) & 0x80, 0x80);
    machine.Stop();
}

TEST_F(Ports, StateRoundTripRepaintsThePicture)
{
    machine.SetRegister(1, 0x40);
    machine.SetRegister(7, 0x04);
    machine.SetRegister(2, 0x06);
    machine.SetRegister(3, 0x80);
    machine.Poke(0x0008, {0xFF, 0x81, 0x81, 0x81, 0x81, 0x81, 0x81, 0xFF});
    machine.Poke(0x2000, {0xF0});
    machine.Poke(0x1800, {1, 1, 0, 1});
    machine.Poke(0x1B00, {20, 30, 1, 9, 208});
    machine.Ticks(2 * kTicksPerFrame);
    machine.Out(0x99, 0x77);  // a first byte waiting
    ASSERT_TRUE(Vdp().RenderLines());
    const u64 picture = surface.Digest();

    StateBuffer saved;
    ASSERT_TRUE(Vdp().SaveState(saved.archive));

    BufferSurface otherSurface;
    VdpMachine other;
    ASSERT_TRUE(other.Build(&otherSurface));
    ASSERT_TRUE(other.Run());
    otherSurface.EndFrame(false);
    ASSERT_FALSE(otherSurface.IsChanged());
    saved.stream.Seek(0);
    ASSERT_TRUE(other.vdp->LoadState(saved.archive, nullptr));
    // The loaded picture is drawn and handed over at once.
    EXPECT_EQ(otherSurface.Digest(), picture);
    EXPECT_TRUE(otherSurface.IsChanged());
    EXPECT_EQ(other.vdp->GetRegister(7), 0x04);
    EXPECT_EQ(other.vdp->GetAddress(), Vdp().GetAddress());
    EXPECT_TRUE(other.vdp->IsLatched());
    EXPECT_EQ(other.vdp->GetReadAhead(), 208);
    EXPECT_EQ(other.vdp->GetRenderGeneration(), Vdp().GetRenderGeneration());

    StateBuffer again;
    ASSERT_TRUE(other.vdp->SaveState(again.archive));
    EXPECT_EQ(again.Bytes(), saved.Bytes());
    // The read-ahead byte is the last value of the chip's state.
    const std::vector<u8> tail = {'R', 'A', 'B', Archive::kTypeUInt8, 208};
    const std::vector<u8> bytes = saved.Bytes();
    ASSERT_GE(bytes.size(), tail.size());
    EXPECT_TRUE(std::equal(tail.begin(), tail.end(), bytes.end() - static_cast<std::ptrdiff_t>(tail.size())));

    // The waiting first byte still pairs with the next one.
    other.Out(0x99, 0x87);
    EXPECT_EQ(other.vdp->GetRegister(7), 0x77);
    other.Stop();
}

TEST_F(Ports, LoadedAddressKeepsFourteenBitsAndDamageIsRefused)
{
    StateBuffer saved;
    ASSERT_TRUE(Vdp().SaveState(saved.archive));
    std::vector<u8> bytes = saved.Bytes();
    // The address record: F8, key "MADR", type u16, payload.
    const u8 key[] = {'M', 'A', 'D', 'R', Archive::kTypeUInt16};
    auto at = std::search(bytes.begin(), bytes.end(), std::begin(key), std::end(key));
    ASSERT_NE(at, bytes.end());
    at[5] = 0x34;
    at[6] = 0xD2;  // 0xD234

    MemoryStream patched;
    patched.Attach(bytes.data(), bytes.size());
    Archive archive(&patched);
    ASSERT_TRUE(Vdp().LoadState(archive, nullptr));
    EXPECT_EQ(Vdp().GetAddress(), 0x1234u);

    // Cut short inside the video memory: refused.
    MemoryStream cut;
    cut.Attach(bytes.data(), static_cast<u64>(at - bytes.begin()) - 100);
    Archive shortArchive(&cut);
    EXPECT_FALSE(Vdp().LoadState(shortArchive, nullptr));
}

namespace {

// The state with the i32 record key set to value (the record's payload follows its key
// and type byte).
std::vector<u8> WithInt32(std::vector<u8> bytes, const char* key, i32 value)
{
    const u8 record[] = {static_cast<u8>(key[0]), static_cast<u8>(key[1]), static_cast<u8>(key[2]),
                         static_cast<u8>(key[3]), Archive::kTypeInt32};
    auto at = std::search(bytes.begin(), bytes.end(), std::begin(record), std::end(record));
    EXPECT_NE(at, bytes.end()) << key;
    if (at != bytes.end()) {
        for (int i = 0; i < 4; ++i)
            at[5 + i] = static_cast<u8>(static_cast<u32>(value) >> (8 * i));
    }
    return bytes;
}

bool Loads(Tms9918Vdp& vdp, std::vector<u8> bytes)
{
    MemoryStream stream;
    stream.Attach(bytes.data(), bytes.size());
    Archive archive(&stream);
    return vdp.LoadState(archive, nullptr);
}

} // namespace

TEST_F(Ports, LoadedGeometryMustBeTheChipsOwn)
{
    StateBuffer saved;
    ASSERT_TRUE(Vdp().SaveState(saved.archive));
    const std::vector<u8> bytes = saved.Bytes();
    ASSERT_TRUE(Loads(Vdp(), bytes));
    // Lines run once each per frame: a huge count would hang the machine, none would
    // never bring the vertical blank. Any other picture is not this chip's.
    const struct {
        const char* key;
        i32 value;
    } damage[] = {
        {"SCSH", 0x7FFFFFFF}, {"SCSH", 0}, {"SCSH", 191}, {"SCSW", 255}, {"SCSW", -1},
        {"T0SC", 0x7FFFFFFF}, {"T0SC", 191}, {"T0SC", 262}, {"T0FR", 60}, {"TMOD", -1},
    };
    for (const auto& d : damage) {
        EXPECT_FALSE(Loads(Vdp(), WithInt32(bytes, d.key, d.value))) << d.key << " " << d.value;
        EXPECT_EQ(Vdp().GetScreenWidth(), 256);
        EXPECT_EQ(Vdp().GetScreenHeight(), 192);
        EXPECT_EQ(Vdp().GetLinesPerFrame(), 192);
    }
    // The frames still come.
    machine.Ticks(2 * kTicksPerFrame);
    EXPECT_EQ(Vdp().GetStatus() & 0x80, 0x80);
}

TEST_F(Ports, LoadedStateBringsTheInterruptOutput)
{
    machine.SetRegister(1, 0x20);
    Vdp().RenderLines();
    StateBuffer saved;
    ASSERT_TRUE(Vdp().SaveState(saved.archive));

    VdpMachine other;
    BufferSurface otherSurface;
    ASSERT_TRUE(other.Build(&otherSurface));
    ASSERT_TRUE(other.Run());
    saved.stream.Seek(0);
    ASSERT_TRUE(other.vdp->LoadState(saved.archive, nullptr));
    // The listeners bring their own view of the line; the chip only knows its output.
    EXPECT_TRUE(other.vdp->IsInterruptAsserted());
    EXPECT_EQ(other.raises, 0);
    other.In(0x99);
    EXPECT_EQ(other.drops, 1) << "the status read drops the loaded output";
    other.Stop();
}
