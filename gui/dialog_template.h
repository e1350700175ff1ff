// What a modal dialog needs before it has a window: the in-memory template
// that DialogBoxIndirectParamW reads, and the position that centres the dialog
// on its owner.
//
// Template (82 bytes, all zero but for this; the DLGTEMPLATE header alone):
//   0 u32 style      WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME
//   4 u32 ex style   0
//   8 u16 items      0: every control is a framework child made when the
//                    dialog starts
//  10 i16 x, 12 i16 y, 14 i16 cx, 16 i16 cy: the stored geometry, low 16 bits,
//                    unconverted (the real size is applied once the window exists)
//  18 menu 0, 20 class 0 (the system dialog class), 22 title 0 (set later)
// No DS_SETFONT, so no font block follows.
#pragma once

#include <array>

#include "base/types.h"

constexpr u32 kDialogTemplateStyle = 0x80C80080;
constexpr int kDialogTemplateSize = 82;

// DialogBoxIndirectParamW wants the template DWORD-aligned.
struct alignas(4) DialogTemplateBytes {
    std::array<u8, kDialogTemplateSize> bytes{};
};

DialogTemplateBytes BuildDialogTemplate(int x, int y, int width, int height);

// Top-left corner that centres a width-by-height dialog on the owner's
// rectangle; halves truncate toward zero, so a narrower owner puts the dialog
// left of (above) the owner's corner.
void CenterOnOwner(int ownerX, int ownerY, int ownerWidth, int ownerHeight, int width, int height, int* x,
                   int* y);
