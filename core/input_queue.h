// Input events on their way from the GUI thread to the emulated machine.
//
// A queue is a fixed array of 16-bit words; the core keeps two, the GUI appends to one
// while the worker applies the other (see EmuCore). Words, told apart by the low byte's
// kind bits, tested in this order:
//
//   0x08  mouse event, three words: (action << 8) | 0x08, x, y (x and y signed 16-bit)
//         actions: 0 left down, 1 left up, 2 right down, 3 right up, 4 move
//   0x02  key event: (code << 8) | 0x02, bit 0x01 set while the key is pressed
//   0x04  control entry: 0x0100 releases every key, 0x0200 resets the mouse
//
// The last word of a full queue is always the overflow marker 0xFF04 (both control
// flags), so a queue that lost events leaves no key stuck and the mouse at rest.
#pragma once

#include "base/types.h"

inline constexpr u16 kInputMouse = 0x08;
inline constexpr u16 kInputKey = 0x02;
inline constexpr u16 kInputKeyDown = 0x01;
inline constexpr u16 kInputControl = 0x04;
inline constexpr u16 kInputReleaseKeys = 0x0100;
inline constexpr u16 kInputResetMouse = 0x0200;
inline constexpr u16 kInputOverflow = 0xFF04;
// Console view switched on: the machine must not keep keys the console now receives.
inline constexpr u16 kInputReleaseAll = kInputControl | kInputReleaseKeys | kInputResetMouse;

// Highest mouse action that reaches the machine's mouse service.
inline constexpr u16 kMouseActionMove = 4;

struct InputQueue {
    static constexpr i32 kCapacity = 512;

    u16 entries[kCapacity] = {};
    i32 count = 0;   // words written, 0..kCapacity

    void Clear()
    {
        for (u16& e : entries)
            e = 0;
        count = 0;
    }
    // The append rule: a full queue drops the word; the last free place takes the
    // overflow marker whatever was to be written. The caller holds the queue lock.
    void Append(u16 word)
    {
        if (count >= kCapacity)
            return;
        entries[count] = count == kCapacity - 1 ? kInputOverflow : word;
        ++count;
    }
};

inline constexpr u16 KeyEventWord(u8 code, bool down)
{
    return static_cast<u16>((code << 8) | kInputKey | (down ? kInputKeyDown : 0));
}
