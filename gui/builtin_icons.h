// The program's built-in pictures: the toolbar's Start, Pause and Stop buttons
// and the twelve states of each drive kind (floppy drive, hard drive, cartridge
// slot). Each is a whole 16-colour BMP file in constant data, generated at
// compile time from the art in builtin_icons.cpp, and read into a new image on
// every call; no file is read from disk.
//
// Drive states (index):  0 green lamp, 1 red lamp, 2 and 3 white lamp;
//   4 to 7 those four with the whole picture lit in the lamp's colour;
//   8 red lamp, 9 yellow lamp; 10 and 11 those two lit.
//   The latch lever lies sideways (open) in 1, 3, 5 and 7, else upright.
// Drive pictures come back with the key colour 0xFFC4C6C4 (their grey
// background) set; the toolbar pictures carry none (the button takes their
// magenta corner pixel as transparent).
#pragma once

#include <span>

#include "base/types.h"

class ImageBase;

constexpr u32 kDriveIconKeyColor = 0xFFC4C6C4;

// New images owned by the caller; null on failure.
ImageBase* LoadStartIcon();
ImageBase* LoadPauseIcon();
ImageBase* LoadStopIcon();
// Index 0 to 11; null for any other index.
ImageBase* LoadFloppyDriveIcon(unsigned index);
ImageBase* LoadHardDriveIcon(unsigned index);
ImageBase* LoadCartridgeIcon(unsigned index);

// The BMP bytes behind the loaders, for checking what the program carries.
namespace BuiltinIconData {
std::span<const u8> Start();
std::span<const u8> Pause();
std::span<const u8> Stop();
// Index 0 to 11, else an empty span.
std::span<const u8> FloppyDrive(unsigned index);
std::span<const u8> HardDrive(unsigned index);
std::span<const u8> Cartridge(unsigned index);
}  // namespace BuiltinIconData
