#include <gtest/gtest.h>

#include "emu/device.h"
#include "emu/param_set.h"
#include "emu/port_space.h"
#include "emu/tests/record_helpers.h"

namespace {

// A chip whose port handlers answer with its own tag.
class TaggedChip : public Device {
public:
    explicit TaggedChip(u8 tag) : tag(tag) {}

    static bool ReadPort(void* context, u32, i32 size, u8* buffer, bool)
    {
        if (size != 1)
            return false;
        *buffer = static_cast<TaggedChip*>(static_cast<Device*>(context))->tag;
        return true;
    }
    static bool WritePort(void* context, u32, i32 size, const u8* buffer)
    {
        if (size != 1)
            return false;
        static_cast<TaggedChip*>(static_cast<Device*>(context))->lastWrite = *buffer;
        return true;
    }
    u8 tag;
    u8 lastWrite = 0;
};

TEST(ParamSetState, CfpBlockHoldsOnlyItsVersion)
{
    ParamSet set;
    set.AddValuePair("DMA", true, nullptr, nullptr, nullptr);
    StateBuffer buf;
    ASSERT_TRUE(set.Save(buf.archive));
    const ByteVec expected = Cat({Marker(0xF0, "_CFP"), Keyed("VER", 0x00, {0x00}), Marker(0xFF, "_CFP")});
    EXPECT_EQ(buf.Bytes(), expected);
    buf.Rewind();
    EXPECT_TRUE(set.Load(buf.archive, nullptr));

    StateBuffer v1(Cat({Marker(0xF0, "_CFP"), Keyed("VER", 0x00, {0x01}), Marker(0xFF, "_CFP")}));
    EXPECT_FALSE(set.Load(v1.archive, nullptr));
    StateBuffer cut(Marker(0xF0, "_CFP"));
    EXPECT_FALSE(set.Load(cut.archive, nullptr));
}

TEST(ParamSetCreation, RefusalsLeaveNothingBehind)
{
    TaggedChip chip(1);
    ParamSet& set = *chip.GetParamSet();
    EXPECT_TRUE(set.AddPortRangeValue("PORTS", true, true, 0x98, 2, TaggedChip::ReadPort, nullptr));
    EXPECT_FALSE(set.AddPortRangeValue("PORTS", true, true, 0x10, 1, nullptr, TaggedChip::WritePort));
    EXPECT_EQ(set.Find("PORTS")->GetFirst(), 0x98u);
    EXPECT_FALSE(set.AddPortRangeValue("NONE", true, true, 0x10, 1, nullptr, nullptr));
    EXPECT_FALSE(set.AddPortRangeValue(nullptr, true, true, 0x10, 1, TaggedChip::ReadPort, nullptr));
    EXPECT_FALSE(set.AddLineHandlerValue("LINES", true, 0, 1, nullptr));
    EXPECT_EQ(set.GetCount(), 1);
    EXPECT_TRUE(set.RemoveParam("MISSING"));

    EXPECT_TRUE(set.AddPortWriteRangeValue("MODE", true, true, 0x40, 0, TaggedChip::WritePort));
    EXPECT_EQ(set.Find("MODE")->GetSecond(), 1u);
}

TEST(ParamSetCreation, IndexWalksNamesInByteOrder)
{
    ParamSet set;
    set.AddPortRangeValue("PORTS", true, true, 1, 1, TaggedChip::ReadPort, nullptr);
    set.AddPortRangeValue("DATA", true, true, 2, 1, TaggedChip::ReadPort, nullptr);
    set.AddPortRangeValue("MODE", true, true, 3, 1, TaggedChip::ReadPort, nullptr);
    set.AddPortRangeValue("Data", true, true, 4, 1, TaggedChip::ReadPort, nullptr);
    EXPECT_STREQ(set.GetByIndex(0)->GetName().GetNarrow(), "DATA");
    EXPECT_STREQ(set.GetByIndex(1)->GetName().GetNarrow(), "Data");
    EXPECT_STREQ(set.GetByIndex(2)->GetName().GetNarrow(), "MODE");
    EXPECT_STREQ(set.GetByIndex(3)->GetName().GetNarrow(), "PORTS");
    EXPECT_STREQ(set.GetByIndex(1)->GetName().GetNarrow(), "Data");
    EXPECT_EQ(set.GetByIndex(4), nullptr);
    EXPECT_EQ(set.GetByIndex(-1), nullptr);
    set.RemoveParam("DATA");
    EXPECT_STREQ(set.GetByIndex(0)->GetName().GetNarrow(), "Data");
}

TEST(ParamApplierTest, PortRangesInstallAndStopAtThePortSpaceEnd)
{
    PortSpace ports;
    TaggedChip chip(0x5A);
    ParamSet& set = *chip.GetParamSet();
    set.AddPortRangeValue("EDGE", true, true, 0xFFFE, 4, TaggedChip::ReadPort, nullptr);
    ParamApplier applier;
    EXPECT_FALSE(applier.ApplyPortRange(&ports, set.Find("EDGE"), &chip));
    EXPECT_FALSE(set.Find("EDGE")->IsApplied());
    EXPECT_EQ(ports.Read8(0xFFFE, false, nullptr), 0x5A);
    EXPECT_EQ(ports.Read8(0xFFFF, false, nullptr), 0x5A);

    // A parameter of another type, or a missing service, is refused.
    EXPECT_FALSE(applier.ApplyValue(set.Find("EDGE")));
    EXPECT_FALSE(applier.ApplyPortRange(nullptr, set.Find("EDGE"), &chip));
}

} // namespace
