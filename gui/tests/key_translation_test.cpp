// One key message, the key codes it reports: Shift, Ctrl and Alt told apart
// into left and right keys by their state, every other key as itself.
#include <gtest/gtest.h>

#include <vector>

#include "emu/host_keys.h"
#include "gui/key_translation.h"

namespace {

TEST(KeyTranslationTest, ReportsTheSidesInTheMessagesState)
{
    const struct {
        const char* name;
        u32 key;
        bool extended, down, left, right;
        std::vector<int> codes;
    } cases[] = {
        {"right Ctrl pressed alone", vk::kControl, true, true, false, true, {keycode::kRightCtrl}},
        {"right Ctrl released, left held", vk::kControl, true, false, true, false, {keycode::kRightCtrl}},
        {"lone left Shift released: both up", vk::kShift, false, false, false, false,
         {keycode::kLeftShift, keycode::kRightShift}},
        {"both Alts down, left first", vk::kMenu, false, true, true, true, {keycode::kLeftAlt, keycode::kRightAlt}},
        {"a down message with no side down", vk::kShift, false, true, false, false, {}},
        {"a letter", 'A', false, true, false, false, {'A'}},
        {"keypad Enter is extended Enter", vk::kReturn, true, true, false, false, {keycode::kPadEnter}},
    };
    for (const auto& c : cases) {
        KeyReport reports[2];
        const int count = ResolveKeyMessage(c.key, c.extended, c.down, c.left, c.right, reports);
        std::vector<int> codes;
        for (int i = 0; i < count; ++i) {
            codes.push_back(reports[i].code);
            EXPECT_EQ(reports[i].down, c.down) << c.name;
        }
        EXPECT_EQ(codes, c.codes) << c.name;
    }
}

} // namespace
