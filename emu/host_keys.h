// Host key codes.
//
// The system's 8-bit key code is the Windows virtual-key code of the key, with these
// exceptions, so that one code names one physical key:
//   0xE0/0xE1 left/right Shift   0xE2/0xE3 left/right Ctrl   0xE4/0xE5 left/right Alt
//   0xE6-0xF1 the punctuation keys (the OEM virtual keys, below)
//   0x60-0x69, 0x6E the keypad's digit and decimal keys whether NumLock is on or off
//   (with it off Windows reports them as the navigation keys, flagged non-extended)
//   0x6C keypad Enter (Windows reports Enter, flagged extended)
//   0xFF no key
// The virtual-key values are written out here so that portable code and the tests can
// use them without the Windows headers.
#pragma once

#include "base/types.h"

// Windows virtual-key codes (the values of the VK_ constants).
namespace vk {
inline constexpr u32 kBack = 0x08;
inline constexpr u32 kTab = 0x09;
inline constexpr u32 kClear = 0x0C;     // keypad 5 with NumLock off
inline constexpr u32 kReturn = 0x0D;
inline constexpr u32 kShift = 0x10;
inline constexpr u32 kControl = 0x11;
inline constexpr u32 kMenu = 0x12;      // Alt
inline constexpr u32 kPause = 0x13;
inline constexpr u32 kCapital = 0x14;
inline constexpr u32 kEscape = 0x1B;
inline constexpr u32 kSpace = 0x20;
inline constexpr u32 kPrior = 0x21;     // Page Up
inline constexpr u32 kNext = 0x22;      // Page Down
inline constexpr u32 kEnd = 0x23;
inline constexpr u32 kHome = 0x24;
inline constexpr u32 kLeft = 0x25;
inline constexpr u32 kUp = 0x26;
inline constexpr u32 kRight = 0x27;
inline constexpr u32 kDown = 0x28;
inline constexpr u32 kSnapshot = 0x2C;
inline constexpr u32 kInsert = 0x2D;
inline constexpr u32 kDelete = 0x2E;
inline constexpr u32 kNumpad0 = 0x60;   // .. kNumpad0 + 9
inline constexpr u32 kMultiply = 0x6A;
inline constexpr u32 kAdd = 0x6B;
inline constexpr u32 kSeparator = 0x6C;
inline constexpr u32 kSubtract = 0x6D;
inline constexpr u32 kDecimal = 0x6E;
inline constexpr u32 kDivide = 0x6F;
inline constexpr u32 kF1 = 0x70;        // .. kF1 + 23 for F24
inline constexpr u32 kNumLock = 0x90;
inline constexpr u32 kScroll = 0x91;
inline constexpr u32 kOem1 = 0xBA;      // ;:
inline constexpr u32 kOemPlus = 0xBB;   // =+
inline constexpr u32 kOemComma = 0xBC;
inline constexpr u32 kOemMinus = 0xBD;
inline constexpr u32 kOemPeriod = 0xBE;
inline constexpr u32 kOem2 = 0xBF;      // /?
inline constexpr u32 kOem3 = 0xC0;      // `~
inline constexpr u32 kOem4 = 0xDB;      // [{
inline constexpr u32 kOem5 = 0xDC;      // \|
inline constexpr u32 kOem6 = 0xDD;      // ]}
inline constexpr u32 kOem7 = 0xDE;      // '"
// Set in the value given to VirtualKeyToCode for an extended key (the window procedure's
// copy of bit 24 of the key message's lParam).
inline constexpr u32 kExtendedFlag = 0x10000;
} // namespace vk

// The system's key codes where they differ from the virtual-key codes.
namespace keycode {
inline constexpr u8 kPad0 = 0x60;       // .. kPad0 + 9
inline constexpr u8 kPadMultiply = 0x6A;
inline constexpr u8 kPadAdd = 0x6B;
inline constexpr u8 kPadEnter = 0x6C;
inline constexpr u8 kPadSubtract = 0x6D;
inline constexpr u8 kPadDecimal = 0x6E;
inline constexpr u8 kPadDivide = 0x6F;
inline constexpr u8 kLeftShift = 0xE0;
inline constexpr u8 kRightShift = 0xE1;
inline constexpr u8 kLeftCtrl = 0xE2;
inline constexpr u8 kRightCtrl = 0xE3;
inline constexpr u8 kLeftAlt = 0xE4;
inline constexpr u8 kRightAlt = 0xE5;
inline constexpr u8 kMinus = 0xE6;
inline constexpr u8 kEquals = 0xE7;
inline constexpr u8 kLeftBracket = 0xE8;
inline constexpr u8 kRightBracket = 0xE9;
inline constexpr u8 kSemicolon = 0xEA;
inline constexpr u8 kComma = 0xEB;
inline constexpr u8 kPeriod = 0xEC;
inline constexpr u8 kBackslash = 0xEE;
inline constexpr u8 kSlash = 0xEF;
inline constexpr u8 kQuote = 0xF0;
inline constexpr u8 kBackquote = 0xF1;
inline constexpr u8 kNone = 0xFF;
} // namespace keycode

// The system's key code of a host key: value is the virtual-key code in its low byte,
// with vk::kExtendedFlag for an extended key. keycode::kNone for keys the system does not
// know (F13-F24 among them).
u8 VirtualKeyToCode(u32 value);
