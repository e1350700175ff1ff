#include <gtest/gtest.h>

#include "base/string_a.h"
#include "emu/command_interpreter.h"
#include "emu/host_keys.h"

namespace {

u8 Extended(u32 vkCode)
{
    return VirtualKeyToCode(vkCode | vk::kExtendedFlag);
}

TEST(HostKeys, LeftAndRightModifiersGetCodesOfTheirOwn)
{
    EXPECT_EQ(VirtualKeyToCode(vk::kShift), keycode::kLeftShift);
    EXPECT_EQ(Extended(vk::kShift), keycode::kRightShift);
    EXPECT_EQ(VirtualKeyToCode(vk::kControl), keycode::kLeftCtrl);
    EXPECT_EQ(Extended(vk::kControl), keycode::kRightCtrl);
    EXPECT_EQ(VirtualKeyToCode(vk::kMenu), keycode::kLeftAlt);
    EXPECT_EQ(Extended(vk::kMenu), keycode::kRightAlt);
}

TEST(HostKeys, KeypadKeysKeepOneCodeWhateverNumLockSays)
{
    // NumLock on: the keypad's own virtual keys.
    for (u32 d = 0; d <= 9; ++d)
        EXPECT_EQ(VirtualKeyToCode(vk::kNumpad0 + d), keycode::kPad0 + d);
    EXPECT_EQ(VirtualKeyToCode(vk::kDecimal), keycode::kPadDecimal);
    // NumLock off: the same keys arrive as non-extended navigation keys.
    EXPECT_EQ(VirtualKeyToCode(vk::kInsert), keycode::kPad0);
    EXPECT_EQ(VirtualKeyToCode(vk::kEnd), keycode::kPad0 + 1);
    EXPECT_EQ(VirtualKeyToCode(vk::kDown), keycode::kPad0 + 2);
    EXPECT_EQ(VirtualKeyToCode(vk::kNext), keycode::kPad0 + 3);
    EXPECT_EQ(VirtualKeyToCode(vk::kLeft), keycode::kPad0 + 4);
    EXPECT_EQ(VirtualKeyToCode(vk::kClear), keycode::kPad0 + 5);
    EXPECT_EQ(VirtualKeyToCode(vk::kRight), keycode::kPad0 + 6);
    EXPECT_EQ(VirtualKeyToCode(vk::kHome), keycode::kPad0 + 7);
    EXPECT_EQ(VirtualKeyToCode(vk::kUp), keycode::kPad0 + 8);
    EXPECT_EQ(VirtualKeyToCode(vk::kPrior), keycode::kPad0 + 9);
    EXPECT_EQ(VirtualKeyToCode(vk::kDelete), keycode::kPadDecimal);
    // The dedicated navigation block is extended and keeps its codes.
    for (u32 key : {vk::kPrior, vk::kNext, vk::kEnd, vk::kHome, vk::kLeft, vk::kUp, vk::kRight, vk::kDown,
                    vk::kInsert, vk::kDelete})
        EXPECT_EQ(Extended(key), key);
    // Keypad Enter is told from Enter; the keypad's / arrives extended.
    EXPECT_EQ(Extended(vk::kReturn), keycode::kPadEnter);
    EXPECT_EQ(VirtualKeyToCode(vk::kReturn), 0x0D);
    EXPECT_EQ(Extended(vk::kDivide), keycode::kPadDivide);
}

TEST(HostKeys, UnknownKeysAndStrayBits)
{
    EXPECT_EQ(VirtualKeyToCode(vk::kF1 + 11), vk::kF1 + 11);  // F12
    EXPECT_EQ(VirtualKeyToCode(vk::kF1 + 12), keycode::kNone); // F13
    EXPECT_EQ(VirtualKeyToCode(vk::kSeparator), keycode::kNone);
    EXPECT_EQ(VirtualKeyToCode(0x07), keycode::kNone);
    EXPECT_EQ(Extended('A'), keycode::kNone);
    // Only the low byte and the extended flag count.
    EXPECT_EQ(VirtualKeyToCode(0x2A0041), 'A');
}

TEST(HostKeys, KeypadKeysReachTheCommandLine)
{
    CommandInterpreter console;
    StringA ran;
    console.SetCommandCallback([](void* ctx, const StringA& line) { static_cast<StringA*>(ctx)->Assign(line); },
                               &ran);
    auto press = [&](u8 code) {
        console.SetKeyState(code, 1, 0);
        console.SetKeyState(code, 0, 0);
    };
    press(VirtualKeyToCode('7'));
    press(VirtualKeyToCode(vk::kDelete)); // keypad "." with NumLock off
    press(VirtualKeyToCode(vk::kOemMinus));
    EXPECT_EQ(console.GetCommandLine().Compare(StringA("7.-")), 0);
    press(Extended(vk::kReturn)); // keypad Enter runs the line
    EXPECT_EQ(ran.Compare(StringA("7.-")), 0);
}

} // namespace
