// MsxKeyboard ("KBC MSX", "KBC"): the MSX keyboard matrix of 11 rows by 8 columns, read
// from the host keys.
//
// The machine writes the row number into the keyboard when the Z80 writes port 0xAA (low
// four bits) and answers port 0xA9 with ReadRow. Nothing is latched: every read asks the
// keyboard service which host keys of the row are down, so a key released between two
// reads is seen released at the second. A pressed key reads 0, as on the MSX; rows 11-15
// and columns without a host key read 1.
//
// Matrix (host key codes of emu/host_keys.h):
//   row  bit0      bit1      bit2      bit3     bit4     bit5     bit6      bit7
//   0    0         1         2         3        4        5        6         7
//   1    8         9         -         =        \        [        ]         ;
//   2    '         `         ,         .        /        (none)   A         B
//   3    C-J;  4  K-R;  5  S-Z
//   6    Shift     Ctrl      Graph=LAlt Caps    Code=RAlt F1       F2        F3
//   7    F4        F5        Esc       Tab      Stop=Pause BS     Select=PrtSc Return (both Enters)
//   8    Space     Home      Ins       Del      Left     Up       Down      Right
//   9    pad *     pad +     pad /     pad 0    pad 1    pad 2    pad 3     pad 4
//   10   pad 5     pad 6     pad 7     pad 8    pad 9    pad -    pad ,=comma pad .
// The keypad comma shares the host comma key; the keypad's own arrows are MSX keypad
// digits (the host reports them as the keypad digit codes), not cursor keys.
//
// State, after "_KEYBD": "VER" u8 0, "LINE" i32 the selected row.
#pragma once

#include "base/types.h"
#include "emu/keyboard_device.h"

class MsxKeyboard : public KeyboardDevice {
public:
    static constexpr i32 kRows = 11;

    MsxKeyboard();

    // Row 0 selected, then the keyboard device's start.
    bool Start(i32* rate) override;
    bool SaveState(Archive& archive) override;
    bool LoadState(Archive& archive, LoadContext context) override;

    // The column byte of the selected row, active low.
    u8 ReadRow() const;
    void SelectRow(i32 row) { row_ = row & 0x0F; }
    i32 GetSelectedRow() const { return row_; }

private:
    i32 row_ = 0;  // 0-15, from port 0xAA bits 0-3 ("LINE")
};
