// Versioned state-block framing: the bytes every service and device block starts and ends
// with, and the refusals a load depends on.
#include <gtest/gtest.h>

#include "emu/state_block.h"
#include "record_helpers.h"

TEST(StateBlock, FramesTheValuesWithMarkersAndTheVersion)
{
    StateBuffer out;
    const u8 value = 0x5A;
    ASSERT_TRUE(StateBlock::Open(out.archive, "_BLK", 3));
    ASSERT_TRUE(out.archive.WriteUInt8(&value, "VAL"));
    ASSERT_TRUE(StateBlock::Close(out.archive, "_BLK"));
    const ByteVec expected = Cat({Marker(0xF0, "_BLK"), Keyed("VER", 0x00, {3}), Keyed("VAL", 0x00, {0x5A}),
                                  Marker(0xFF, "_BLK")});
    EXPECT_EQ(out.Bytes(), expected);

    StateBuffer in(expected);
    u8 read = 0;
    ASSERT_TRUE(StateBlock::Enter(in.archive, "_BLK", 3));
    ASSERT_TRUE(in.archive.ReadUInt8(&read, "VAL"));
    EXPECT_EQ(read, 0x5A);
    EXPECT_TRUE(StateBlock::Leave(in.archive, "_BLK"));

    StateBuffer older(expected);
    EXPECT_FALSE(StateBlock::Enter(older.archive, "_BLK", 0)) << "another version is refused";
    StateBuffer foreign(expected);
    EXPECT_FALSE(StateBlock::Enter(foreign.archive, "_OTHER", 3)) << "another block is refused";
}

TEST(StateBlock, EmptyBlockHoldsVersionZeroAlone)
{
    StateBuffer out;
    ASSERT_TRUE(StateBlock::SaveEmpty(out.archive, "_BLK"));
    const ByteVec expected = Cat({Marker(0xF0, "_BLK"), Keyed("VER", 0x00, {0}), Marker(0xFF, "_BLK")});
    EXPECT_EQ(out.Bytes(), expected);

    StateBuffer in(expected);
    EXPECT_TRUE(StateBlock::LoadEmpty(in.archive, "_BLK"));
    StateBuffer newer(Cat({Marker(0xF0, "_BLK"), Keyed("VER", 0x00, {1}), Marker(0xFF, "_BLK")}));
    EXPECT_FALSE(StateBlock::LoadEmpty(newer.archive, "_BLK"));
    StateBuffer longer(Cat({Marker(0xF0, "_BLK"), Keyed("VER", 0x00, {0}), Keyed("X", 0x00, {0}),
                            Marker(0xFF, "_BLK")}));
    EXPECT_FALSE(StateBlock::LoadEmpty(longer.archive, "_BLK"));
}

TEST(StateBlock, BareVersionIsTheKeyAloneAndRefusesAnother)
{
    StateBuffer out;
    ASSERT_TRUE(StateBlock::SaveVersion(out.archive, 2));
    const ByteVec expected = Keyed("VER", 0x00, {2});
    EXPECT_EQ(out.Bytes(), expected);

    StateBuffer in(expected);
    EXPECT_TRUE(StateBlock::LoadVersion(in.archive, 2));
    StateBuffer other(expected);
    EXPECT_FALSE(StateBlock::LoadVersion(other.archive, 0));
}
