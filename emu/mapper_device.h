// Mapper device: the base of the devices that place ROM images from drives into the
// machine's memory.
//
// The machine adds its ROM slots once while it builds its devices; each slot is a drive of
// the bay (normally a cartridge slot) and may be required to hold a ROM. At every start
// the base asks CheckRom which slots hold a usable image, lays the usable images one after
// another in 1 KB units (the layout below), asks AllocateRomSpace for room for all of them
// and hands each image to LoadRom. The derived mapper implements those three; with the
// base versions every start with a usable image fails.
//
//   slot i   drive         firstKB (after the base from AllocateRomSpace)   sizeKB
//   0        cartridge A   base                                            ceil(size A / 1024)
//   1        empty         base + sizeKB A                                 0
//   2        cartridge B   base + sizeKB A                                 ceil(size B / 1024)
//
// The images are not part of a saved state: "_MAPD" ("VER" u8 0) only marks the device,
// and a state load lays the same images out again from the drives (without reserving
// space: each firstKB is then the image's offset in the ROM area) for the derived mapper's
// own state to complete.
#pragma once

#include <bitset>
#include <vector>

#include "base/types.h"
#include "emu/device.h"

class DriveImage;

// What a derived mapper's CheckRom learnt about an image, kept with its layout entry and
// deleted with it.
class RomExtra {
public:
    virtual ~RomExtra() = default;
};

class MapperDevice : public Device {
public:
    static constexpr i32 kMaxRomSlots = 16;

    struct RomEntry {
        DriveImage* drive = nullptr;
        u32 firstKB = 0;           // position in the ROM area, 1 KB units
        u32 sizeKB = 0;            // 0 for a slot without a usable image
        RomExtra* extra = nullptr; // owned
    };

    MapperDevice() = default;
    ~MapperDevice() override;

    // Appends a ROM slot; false for a null drive or when all 16 slots are taken.
    bool AddRom(DriveImage* drive, bool required);

    // Reserves totalKB of ROM space and answers its first block. Base: base 0, false.
    virtual bool AllocateRomSpace(u32* baseKB, u32 totalKB);
    // Whether slot's drive holds a usable image, and its size in bytes. Base: the drive's
    // latched, non-empty open file; a required slot without one prints an error line.
    virtual bool CheckRom(u32 slot, DriveImage* drive, u32* size, RomExtra** extra);
    // Loads one image at firstKB. Base: false.
    virtual bool LoadRom(u32 slot, DriveImage* drive, u32 firstKB, u32 sizeKB, RomExtra* extra);

    // Lays out the usable images and loads them (see the top of this file). Outside a
    // state load, a start while the system restores a state does nothing: the layout is
    // made when LoadState runs.
    bool BuildRomMap(bool fromState);
    // Frees every entry's extra and empties the layout.
    void ClearRoms();

    bool Start(i32* rate) override;
    void Stop() override;
    bool SaveState(Archive& archive) override;
    bool LoadState(Archive& archive, LoadContext context) override;

    i32 GetRomSlotCount() const { return static_cast<i32>(romSlots_.size()); }
    bool IsRomRequired(i32 slot) const
    {
        return slot >= 0 && slot < kMaxRomSlots && required_[static_cast<size_t>(slot)];
    }
    const std::vector<RomEntry>& GetRomEntries() const { return romEntries_; }

private:
    // Every entry's drive back to "looked at, not taken".
    void MarkAllRefused();

    std::vector<DriveImage*> romSlots_;  // not owned
    std::bitset<kMaxRomSlots> required_;
    std::vector<RomEntry> romEntries_;
};
