// Compile-time generator of the built-in pictures: turns text art into the bytes
// of a complete 16-colour BMP file (14-byte file header, 40-byte information
// header, 16-entry palette, 4-bit pixels from offset 118, bottom-up rows padded
// to 4 bytes), so that the program carries its pictures as constant data and
// no file is read at run time.
//
// One character stands for one pixel. The legend maps it to the shared palette;
// the drive pictures add five state characters that each drive state resolves
// (lamp, face, the two lever positions and the lever's pivot), so one drawing
// serves all twelve states of a drive set.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

#include "base/types.h"

namespace IconBitmap {

constexpr int kPaletteSize = 16;
constexpr std::size_t kPixelOffset = 14 + 40 + kPaletteSize * 4;  // 118

// ARGB; index 8 is the drive pictures' background, which their loader makes
// the key colour.
constexpr u32 kPalette[kPaletteSize] = {
    0xFF000000, 0xFF800000, 0xFF008000, 0xFF808000,  // '#' black, 'r' dark red, 'g' dark green, 'o' olive
    0xFF000080, 0xFF800080, 0xFF008080, 0xFF808080,  // 'n' navy, 'p' purple, 't' teal, '-' grey
    0xFFC4C6C4, 0xFFFF0000, 0xFF00FF00, 0xFFFFFF00,  // '.' key grey, 'R' red, 'G' green, 'Y' yellow
    0xFF0000FF, 0xFFFF00FF, 0xFF00FFFF, 0xFFFFFFFF,  // 'B' blue, 'm' magenta, 'C' cyan, 'W' white
};
constexpr std::string_view kLegend = "#rgontp-.RGYBmCW";

constexpr int kGrey = 7;
constexpr int kRed = 9;
constexpr int kGreen = 10;
constexpr int kYellow = 11;
constexpr int kWhite = 15;

// How a drive state resolves the state characters of its drawing:
// 'L' lamp, 'F' face, 'U' lever when upright, 'S' lever when lying sideways,
// 'X' the pivot that both positions share.
struct DriveState {
    int lamp;       // palette index of the lamp
    bool lit;       // the face takes the lamp's colour
    bool sideways;  // latch open: the lever lies sideways
};

constexpr int kNoState = -1;

// Palette index of an art character; -1 for a character outside the legend
// (which stops the build, see PixelIndex).
constexpr int LegendIndex(char c)
{
    const std::size_t at = kLegend.find(c);
    return at == std::string_view::npos ? -1 : static_cast<int>(at);
}

constexpr int PixelIndex(char c, const DriveState* state)
{
    if (state) {
        const int lever = 0;  // black
        switch (c) {
            case 'L': return state->lamp;
            case 'F': return state->lit ? state->lamp : kGrey;
            case 'U': return state->sideways ? (state->lit ? state->lamp : kGrey) : lever;
            case 'S': return state->sideways ? lever : (state->lit ? state->lamp : kGrey);
            case 'X': return lever;
            default: break;
        }
    }
    const int index = LegendIndex(c);
    if (index < 0)
        throw "picture art holds a character outside the legend";  // fails constant evaluation
    return index;
}

constexpr std::size_t Stride(int width) { return ((static_cast<std::size_t>(width) * 4 + 31) / 32) * 4; }
constexpr std::size_t FileSize(int width, int height) { return kPixelOffset + Stride(width) * height; }

constexpr void Put16(u8* p, u32 v)
{
    p[0] = static_cast<u8>(v);
    p[1] = static_cast<u8>(v >> 8);
}
constexpr void Put32(u8* p, u32 v)
{
    Put16(p, v);
    Put16(p + 2, v >> 16);
}

// The BMP file of a width-by-height drawing, rows given top first.
template <int Width, int Height>
constexpr std::array<u8, FileSize(Width, Height)> Build(const std::string_view (&rows)[Height],
                                                        const DriveState* state = nullptr)
{
    std::array<u8, FileSize(Width, Height)> file{};
    u8* p = file.data();
    p[0] = 'B';
    p[1] = 'M';
    Put32(p + 2, static_cast<u32>(file.size()));
    Put32(p + 10, static_cast<u32>(kPixelOffset));
    u8* info = p + 14;
    Put32(info + 0, 40);
    Put32(info + 4, Width);
    Put32(info + 8, Height);  // positive: bottom-up rows
    Put16(info + 12, 1);      // planes
    Put16(info + 14, 4);      // bits per pixel
    Put32(info + 16, 0);      // no compression
    Put32(info + 20, static_cast<u32>(Stride(Width) * Height));
    Put32(info + 32, kPaletteSize);  // colours used
    Put32(info + 36, kPaletteSize);  // all of them important
    for (int i = 0; i < kPaletteSize; ++i) {
        u8* entry = info + 40 + i * 4;  // B, G, R, 0
        entry[0] = static_cast<u8>(kPalette[i]);
        entry[1] = static_cast<u8>(kPalette[i] >> 8);
        entry[2] = static_cast<u8>(kPalette[i] >> 16);
    }
    for (int y = 0; y < Height; ++y) {
        if (rows[y].size() != static_cast<std::size_t>(Width))
            throw "picture art row of the wrong width";
        u8* row = p + kPixelOffset + Stride(Width) * (Height - 1 - y);
        for (int x = 0; x < Width; ++x) {
            const int index = PixelIndex(rows[y][x], state);
            row[x / 2] |= static_cast<u8>(x % 2 ? index : index << 4);  // first pixel in the high nibble
        }
    }
    return file;
}

constexpr int kDriveStates = 12;

// Lamp green, red, white, white; the same lit; red and yellow; those two lit.
// The lever lies sideways (latch open) in states 1, 3, 5 and 7.
constexpr DriveState kDriveStateTable[kDriveStates] = {
    {kGreen, false, false}, {kRed, false, true},  {kWhite, false, false}, {kWhite, false, true},
    {kGreen, true, false},  {kRed, true, true},   {kWhite, true, false},  {kWhite, true, true},
    {kRed, false, false},   {kYellow, false, false}, {kRed, true, false}, {kYellow, true, false},
};

template <int Width, int Height>
constexpr std::array<std::array<u8, FileSize(Width, Height)>, kDriveStates> BuildDriveSet(
    const std::string_view (&rows)[Height])
{
    std::array<std::array<u8, FileSize(Width, Height)>, kDriveStates> set{};
    for (int i = 0; i < kDriveStates; ++i)
        set[i] = Build<Width, Height>(rows, &kDriveStateTable[i]);
    return set;
}

}  // namespace IconBitmap
