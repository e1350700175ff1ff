// Virtual-key code to system key code, through one table indexed by the key's virtual-key
// code, plus 0x100 for an extended key, less 8.
#include "emu/host_keys.h"

#include <array>

namespace {

constexpr int kFirstIndex = 0x08;
constexpr int kLastIndex = 0x16F;
using KeyTable = std::array<u8, kLastIndex - kFirstIndex + 1>;

constexpr void Map(KeyTable& t, int index, u8 code)
{
    t[static_cast<size_t>(index - kFirstIndex)] = code;
}

constexpr void MapSame(KeyTable& t, int first, int last)
{
    for (int i = first; i <= last; ++i)
        Map(t, i, static_cast<u8>(i));
}

constexpr KeyTable BuildKeyTable()
{
    KeyTable t{};
    for (u8& code : t)
        code = keycode::kNone;

    // Keys whose virtual-key code is their system code.
    MapSame(t, 0x08, 0x09); // Backspace, Tab
    MapSame(t, 0x0D, 0x0D); // Enter
    MapSame(t, 0x13, 0x14); // Pause, Caps Lock
    MapSame(t, 0x1B, 0x1B); // Escape
    MapSame(t, 0x20, 0x20); // Space
    MapSame(t, 0x2C, 0x2C); // Print Screen
    MapSame(t, 0x30, 0x39); // digits
    MapSame(t, 0x41, 0x5A); // letters
    MapSame(t, 0x60, 0x6B); // keypad digits, * and +
    MapSame(t, 0x6D, 0x7B); // keypad -, ., / and F1-F12
    MapSame(t, 0x90, 0x91); // Num Lock, Scroll Lock
    MapSame(t, 0xFF, 0xFF);

    // Non-extended navigation keys are the keypad's keys with NumLock off: give them the
    // keypad digit codes, so that a keypad key keeps one code whatever NumLock says.
    Map(t, 0x0C, 0x65); // keypad 5
    Map(t, 0x21, 0x69); // keypad 9 (Page Up)
    Map(t, 0x22, 0x63); // keypad 3 (Page Down)
    Map(t, 0x23, 0x61); // keypad 1 (End)
    Map(t, 0x24, 0x67); // keypad 7 (Home)
    Map(t, 0x25, 0x64); // keypad 4
    Map(t, 0x26, 0x68); // keypad 8
    Map(t, 0x27, 0x66); // keypad 6
    Map(t, 0x28, 0x62); // keypad 2
    Map(t, 0x2D, 0x60); // keypad 0 (Insert)
    Map(t, 0x2E, 0x6E); // keypad . (Delete)

    // The generic modifiers arrive non-extended for the left key, extended for the right.
    Map(t, 0x10, keycode::kLeftShift);
    Map(t, 0x11, keycode::kLeftCtrl);
    Map(t, 0x12, keycode::kLeftAlt);
    Map(t, 0x110, keycode::kRightShift);
    Map(t, 0x111, keycode::kRightCtrl);
    Map(t, 0x112, keycode::kRightAlt);

    // Punctuation: the layout-dependent OEM codes get codes of their own.
    Map(t, 0xBA, keycode::kSemicolon);
    Map(t, 0xBB, keycode::kEquals);
    Map(t, 0xBC, keycode::kComma);
    Map(t, 0xBD, keycode::kMinus);
    Map(t, 0xBE, keycode::kPeriod);
    Map(t, 0xBF, keycode::kSlash);
    Map(t, 0xC0, keycode::kBackquote);
    Map(t, 0xDB, keycode::kLeftBracket);
    Map(t, 0xDC, keycode::kBackslash);
    Map(t, 0xDD, keycode::kRightBracket);
    Map(t, 0xDE, keycode::kQuote);

    // Extended keys: keypad Enter, the dedicated navigation block and the keypad operators.
    Map(t, 0x10D, keycode::kPadEnter);
    for (int i = 0x21; i <= 0x28; ++i)
        Map(t, 0x100 | i, static_cast<u8>(i));
    Map(t, 0x12D, 0x2D);
    Map(t, 0x12E, 0x2E);
    Map(t, 0x16A, 0x6A);
    Map(t, 0x16B, 0x6B);
    Map(t, 0x16D, 0x6D);
    Map(t, 0x16F, 0x6F);
    return t;
}

constexpr KeyTable kKeyTable = BuildKeyTable();

} // namespace

u8 VirtualKeyToCode(u32 value)
{
    const u32 index = (value & vk::kExtendedFlag) != 0 ? ((value & 0xFF) | 0x100) : (value & 0xFF);
    if (index < kFirstIndex || index > kLastIndex)
        return keycode::kNone;
    return kKeyTable[index - kFirstIndex];
}
