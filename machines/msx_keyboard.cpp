// MSX keyboard: the matrix read from the host keys, and the selected row's state.
#include "machines/msx_keyboard.h"

#include "base/archive.h"
#include "emu/keyboard_service.h"
#include "emu/state_block.h"

namespace {

constexpr u8 kNone = KeyboardService::kNoKey;

// Up to two host keys per matrix position (a second code for keys the host has twice:
// both Shifts, both Ctrls, both Enters).
struct MatrixKey {
    u8 first;
    u8 second;
};

constexpr MatrixKey kMatrix[MsxKeyboard::kRows][8] = {
    {{0x30, kNone}, {0x31, kNone}, {0x32, kNone}, {0x33, kNone}, {0x34, kNone}, {0x35, kNone}, {0x36, kNone}, {0x37, kNone}},
    {{0x38, kNone}, {0x39, kNone}, {0xE6, kNone}, {0xE7, kNone}, {0xEE, kNone}, {0xE8, kNone}, {0xE9, kNone}, {0xEA, kNone}},
    {{0xF0, kNone}, {0xF1, kNone}, {0xEB, kNone}, {0xEC, kNone}, {0xEF, kNone}, {kNone, kNone}, {0x41, kNone}, {0x42, kNone}},
    {{0x43, kNone}, {0x44, kNone}, {0x45, kNone}, {0x46, kNone}, {0x47, kNone}, {0x48, kNone}, {0x49, kNone}, {0x4A, kNone}},
    {{0x4B, kNone}, {0x4C, kNone}, {0x4D, kNone}, {0x4E, kNone}, {0x4F, kNone}, {0x50, kNone}, {0x51, kNone}, {0x52, kNone}},
    {{0x53, kNone}, {0x54, kNone}, {0x55, kNone}, {0x56, kNone}, {0x57, kNone}, {0x58, kNone}, {0x59, kNone}, {0x5A, kNone}},
    {{0xE0, 0xE1}, {0xE2, 0xE3}, {0xE4, kNone}, {0x14, kNone}, {0xE5, kNone}, {0x70, kNone}, {0x71, kNone}, {0x72, kNone}},
    {{0x73, kNone}, {0x74, kNone}, {0x1B, kNone}, {0x09, kNone}, {0x13, kNone}, {0x08, kNone}, {0x2C, kNone}, {0x0D, 0x6C}},
    {{0x20, kNone}, {0x24, kNone}, {0x2D, kNone}, {0x2E, kNone}, {0x25, kNone}, {0x26, kNone}, {0x28, kNone}, {0x27, kNone}},
    {{0x6A, kNone}, {0x6B, kNone}, {0x6F, kNone}, {0x60, kNone}, {0x61, kNone}, {0x62, kNone}, {0x63, kNone}, {0x64, kNone}},
    {{0x65, kNone}, {0x66, kNone}, {0x67, kNone}, {0x68, kNone}, {0x69, kNone}, {0x6D, kNone}, {0xEB, kNone}, {0x6E, kNone}},
};

} // namespace

MsxKeyboard::MsxKeyboard()
{
    SetName("KBC MSX");
    SetDescription("KBC");
}

bool MsxKeyboard::Start(i32* rate)
{
    row_ = 0;
    return KeyboardDevice::Start(rate);
}

u8 MsxKeyboard::ReadRow() const
{
    if (row_ < 0 || row_ >= kRows || keyboard_ == nullptr)
        return 0xFF;
    u8 pressed = 0;
    for (u32 bit = 0; bit < 8; ++bit) {
        const MatrixKey& k = kMatrix[row_][bit];
        // The no-key code is never down, so an empty position always reads 1.
        if (k.first != kNone && keyboard_->IsEitherKeyDown(k.first, k.second))
            pressed |= static_cast<u8>(1u << bit);
    }
    return static_cast<u8>(~pressed);
}

bool MsxKeyboard::SaveState(Archive& archive)
{
    return KeyboardDevice::SaveState(archive) && StateBlock::SaveVersion(archive) &&
           archive.WriteInt32(&row_, "LINE");
}

bool MsxKeyboard::LoadState(Archive& archive, LoadContext context)
{
    i32 row = 0;
    if (!KeyboardDevice::LoadState(archive, context) || !StateBlock::LoadVersion(archive) ||
        !archive.ReadInt32(&row, "LINE"))
        return false;
    // Port 0xAA carries four bits of row number.
    row_ = row & 0x0F;
    return true;
}
