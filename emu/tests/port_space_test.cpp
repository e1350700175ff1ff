#include <gtest/gtest.h>

#include <vector>

#include "emu/port_space.h"
#include "emu/tests/archive_buffer.h"

namespace {

// A chip with one register per port pair; handles size 1 only, like every chip.
struct Chip {
    u8 reg = 0x3C;
    bool accept = true;
    bool wait = false;
    int reads = 0;
    std::vector<u32> ports;
    std::vector<i32> sizes;
    std::vector<u8> written;

    static bool Read(void* context, u32 port, i32 size, u8* buffer, bool peek)
    {
        auto* self = static_cast<Chip*>(context);
        self->ports.push_back(port);
        self->sizes.push_back(size);
        if (!self->accept || size != 1)
            return false;
        buffer[0] = static_cast<u8>(self->reg + (port & 1));
        self->reads += peek ? 0 : 1;
        return true;
    }
    static bool ReadEx(void* context, u32 port, i32 size, u8* buffer, bool peek, u8* wait)
    {
        if (static_cast<Chip*>(context)->wait)
            *wait = 1;
        return Read(context, port, size, buffer, peek);
    }
    static bool Write(void* context, u32, i32 size, const u8* buffer)
    {
        auto* self = static_cast<Chip*>(context);
        if (!self->accept || size != 1)
            return false;
        self->written.push_back(buffer[0]);
        return true;
    }
};

} // namespace

TEST(PortSpaceTest, UnhandledPortsReadFFAtEverySizeAndClearWait)
{
    PortSpace ports;
    u8 wait = 7;
    EXPECT_EQ(ports.Read8(0x12, false, &wait), 0xFF);
    EXPECT_EQ(wait, 0);
    EXPECT_EQ(ports.Read16(0x12, false, &wait), 0xFFFF);
    EXPECT_EQ(ports.Read32(0xFFFF, false, nullptr), 0xFFFFFFFFu);
    ports.Write32(0x12, 1);
}

TEST(PortSpaceTest, AddressMaskSelectsTheEntryButTheHandlerSeesTheFullPort)
{
    PortSpace ports;
    Chip chip;
    ASSERT_TRUE(ports.SetReadHandler(0xA8, &chip, Chip::Read));
    ASSERT_TRUE(ports.SetWriteHandler(0xA8, &chip, Chip::Write));
    EXPECT_EQ(ports.Read8(0x12A8, false, nullptr), 0xFF);
    ports.addressMask = 0xFF;
    EXPECT_EQ(ports.Read8(0x12A8, false, nullptr), 0x3C);
    EXPECT_EQ(chip.ports.back(), 0x12A8u);
    ports.Write8(0x34A8, 0x9A);
    EXPECT_EQ(chip.written, std::vector<u8>{0x9A});
}

TEST(PortSpaceTest, WideAccessesSplitThroughByteHandlersLowFirst)
{
    PortSpace ports;
    Chip chip;
    for (u32 p : {0x10u, 0x11u}) {
        ASSERT_TRUE(ports.SetReadHandler(p, &chip, Chip::Read));
        ASSERT_TRUE(ports.SetWriteHandler(p, &chip, Chip::Write));
    }
    EXPECT_EQ(ports.Read16(0x10, false, nullptr), 0x3D3C);
    EXPECT_EQ(chip.sizes, (std::vector<i32>{2, 1, 1}));
    ports.Write16(0x10, 0xBBAA);
    EXPECT_EQ(chip.written, (std::vector<u8>{0xAA, 0xBB}));
    EXPECT_EQ(ports.Read32(0x10, false, nullptr), 0xFFFF3D3Cu);   // 0x12, 0x13 unhandled
}

TEST(PortSpaceTest, FallBacksAndTheWaitFlag)
{
    PortSpace ports;
    Chip refusing, fallback, slow;
    refusing.accept = false;
    fallback.reg = 0x70;
    ASSERT_TRUE(ports.SetReadHandler(0x20, &refusing, Chip::Read));
    EXPECT_EQ(ports.Read8(0x20, false, nullptr), 0xFF);
    ports.SetDefaultReadHandler(&fallback, Chip::Read, nullptr);
    EXPECT_EQ(ports.Read8(0x20, false, nullptr), 0x70);
    ports.SetDefaultWriteHandler(&fallback, Chip::Write);
    ports.Write8(0x99, 0x5F);
    EXPECT_EQ(fallback.written, std::vector<u8>{0x5F});

    // An extended handler asks for the instruction to run again; a peek changes nothing.
    slow.wait = true;
    ASSERT_TRUE(ports.SetReadHandlerEx(0x98, &slow, Chip::ReadEx));
    u8 wait = 0;
    EXPECT_EQ(ports.Read8(0x98, true, &wait), 0x3C);
    EXPECT_EQ(wait, 1);
    EXPECT_EQ(slow.reads, 0);
}

TEST(PortSpaceTest, InstallingRemovingAndStarting)
{
    PortSpace ports;
    Chip chip, other;
    other.reg = 0x01;
    EXPECT_FALSE(ports.SetReadHandler(0x10000, &chip, Chip::Read));
    ASSERT_TRUE(ports.SetReadHandler(0x40, &chip, Chip::Read));
    EXPECT_TRUE(ports.SetReadHandler(0x40, &other, nullptr));   // a null handler removes nothing
    EXPECT_EQ(ports.Read8(0x40, false, nullptr), 0x3C);
    ASSERT_TRUE(ports.SetReadHandler(0x40, &other, Chip::Read));
    EXPECT_TRUE(ports.RemoveReadHandler(0x40, &chip));         // not its entry any more
    EXPECT_EQ(ports.Read8(0x40, false, nullptr), 0x01);
    EXPECT_TRUE(ports.RemoveReadHandler(0x40, &other));
    EXPECT_EQ(ports.Read8(0x40, false, nullptr), 0xFF);

    ports.SetReadHandler(0xA8, &chip, Chip::Read);
    ports.addressMask = 0xFF;
    ports.Stop();
    EXPECT_EQ(ports.addressMask, 0xFFu);
    EXPECT_EQ(ports.Read8(0xA8, false, nullptr), 0xFF);
    ports.SetReadHandler(0xA8, &chip, Chip::Read);
    i32 rate = 0;
    ASSERT_TRUE(ports.Start(&rate));
    EXPECT_EQ(ports.addressMask, 0xFFFFu);
    EXPECT_EQ(ports.Read8(0xA8, false, nullptr), 0xFF);
}

TEST(PortSpaceTest, StateHoldsOnlyItsVersion)
{
    PortSpace ports;
    ArchiveBuffer buf;
    ASSERT_TRUE(ports.SaveState(buf.archive));
    EXPECT_EQ(buf.stream.GetSize(), 32u);   // F0 "_PORTS", "VER" u8 0, FF "_PORTS"
    buf.Rewind();
    EXPECT_TRUE(ports.LoadState(buf.archive, nullptr));
    buf.stream.GetBuffer()[20] = 1;         // "VER" 1
    buf.Rewind();
    EXPECT_FALSE(ports.LoadState(buf.archive, nullptr));
}
