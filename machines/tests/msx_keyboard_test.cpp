// The MSX keyboard matrix as the Z80 reads it: row selected at port 0xAA, columns at 0xA9.
#include <gtest/gtest.h>

#include "machines/tests/msx_rig.h"

using namespace msx_test;

namespace {

struct KeyCase {
    const char* what;
    std::vector<u8> keys;  // host key codes held down
    i32 row;
    u8 expected;           // the row's byte, pressed keys 0
};

const KeyCase kKeyCases[] = {
    {"nothing pressed", {}, 0, 0xFF},
    {"digit 0", {0x30}, 0, 0xFE},
    {"digit 9", {0x39}, 1, 0xFD},
    {"A", {0x41}, 2, 0xBF},
    {"comma is the main comma", {0xEB}, 2, 0xFB},
    {"comma is also the keypad comma", {0xEB}, 10, 0xBF},
    {"Z", {0x5A}, 5, 0x7F},
    {"left Shift", {0xE0}, 6, 0xFE},
    {"both Shifts clear one bit", {0xE0, 0xE1}, 6, 0xFE},
    {"Ctrl and Graph (left Alt)", {0xE3, 0xE4}, 6, 0xF9},
    {"Enter", {0x0D}, 7, 0x7F},
    {"keypad Enter", {0x6C}, 7, 0x7F},
    {"Space", {0x20}, 8, 0xFE},
    {"cursor keys", {0x25, 0x26, 0x27, 0x28}, 8, 0x0F},
    {"keypad 4 is no cursor key", {0x64}, 8, 0xFF},
    {"keypad 4", {0x64}, 9, 0x7F},
    {"keypad full stop", {0x6E}, 10, 0x7F},
    {"row 11 reads nothing", {0x30, 0x20}, 11, 0xFF},
    {"row 15 reads nothing", {0x30, 0x20}, 15, 0xFF},
};

} // namespace

TEST(MsxKeyboard, RowsFollowTheHostKeys)
{
    MsxRig rig;
    ASSERT_TRUE(rig.Start());
    for (const KeyCase& c : kKeyCases) {
        for (u8 key : c.keys)
            rig.Key(key, true);
        rig.Out(0xAA, static_cast<u8>(0xF0 | c.row));
        EXPECT_EQ(rig.In(0xA9), c.expected) << c.what;
        rig.Key(-1, false);
        EXPECT_EQ(rig.In(0xA9), 0xFF) << c.what << ", released";
    }
    for (i32 key = 0; key < 0xFF; ++key)
        rig.Key(key, true);
    rig.Out(0xAA, 0x02);
    EXPECT_EQ(rig.In(0xA9), 0x20) << "every key down but the one nobody has";
    rig.Out(0x1AA, 0x1F);  // row 15; the high address byte is not decoded
    EXPECT_EQ(rig.In(0xAA), 0x1F) << "port C keeps its high bits";
    EXPECT_EQ(rig.In(0xA9), 0xFF);
}
