// MsxMapper ("MSX Mapper", "MAPPER"): the MSX memory system. Primary slots, the RAM, the
// system ROM, cartridges with their bank switching, and the RAM-mapper registers.
//
// One memory space holds everything; the Z80's 64 KB are its blocks 0-63, which hold no
// data of their own: each 1 KB CPU page is pointed at a block of the store according to
// the slot registers and the cartridges' bank registers. Switching never copies.
//
// Store layout (1 KB blocks; state keys in quotes), with the MSX-1 sizes and no cartridge
// 169 KB:
//   0-63          the CPU's window
//   "ROMO"  64    system ROM, "ROMS" KB (32); the BIOS "msx.rom" is loaded here
//   "ROMOE"       extended ROM, "ROMSE" KB (0 on the MSX-1)
//   "RAMO"        RAM, "RAMS" KB (64)
//   "NAMO"        the empty page: reads zero bytes, drops writes
//   "CAMO"        cartridge area: each image rounded up to whole KB plus 8 KB, which
//                 reads as zero bytes where a bank reaches it; read only
//   "SRMO"        8 KB of SRAM shared by the cartridges that have it, zeroed at every start
//   "MEMS"        total blocks
//
// Slots (port 0xA8 "PSLT": two bits per 16 KB page, page 0 in bits 0-1):
//   0  system ROM (0x0000-0x7FFF), empty above
//   1  cartridge A through its mapper type; 2 cartridge B (never loaded: one drive)
//   3  sub-slot by "SSLT" (register at 0xFFFF, present only with an extended ROM):
//      1 extended ROM, 2 RAM, 0 and 3 empty. On the MSX-1 it is always RAM.
// At start PSLT is 0: ROM at 0x0000-0x7FFF, the empty page above.
//
// Cartridges (msx_cartridge.cpp) are identified at every start: a 64-bit fingerprint
// (SHA-1 folded with the size) looked up in the known-ROM table, else by size. Banked
// types switch on writes into the cartridge's windows (the single register set R0-R3).
//
// State, after "_MAPD": "VER" u8 0, "PSLT" "SSLT" "RAM0".."RAM3" "RAMM" u8, "RAMS" "ROMS"
// "ROMSE" "MEMS" "RAMO" "ROMO" "ROMOE" "NAMO" "CAMO" "SRMO" u16, "ROM0".."ROM3" "CMAP0"
// "CMAP1" u8. The stored bytes belong to the memory space's "_MEMS".
#pragma once

#include <vector>

#include "base/types.h"
#include "emu/mapper_device.h"

class Dictionary;
class OptionItem;

class MsxMapper : public MapperDevice {
public:
    // Cartridge mapper types; the names are those of the detection line.
    enum CartridgeType : u32 {
        kTypeUnknown = 1,
        kTypeNormal8Mirrored = 2,   // 8 KB at every 8 KB of the slot
        kTypeNormal16Mirrored = 3,  // 16 KB at every 16 KB
        kTypeNormal32Mirrored = 4,  // 32 KB twice
        kTypeNormal64 = 5,
        kTypeNormal8At8000 = 6,
        kTypeNormal16At8000 = 7,
        kTypeNormal32At4000 = 8,
        kTypeNormal32At8000 = 9,
        kTypeAscii8 = 10,
        kTypeAscii8Sram = 11,
        kTypeAscii16 = 12,
        kTypeAscii16Sram = 13,
        kTypeKonami = 14,
        kTypeKonamiScc = 15,        // known, refused
        kTypeCount = 16,
    };
    static constexpr u32 kCpuPages = 64;
    static constexpr u32 kSramBlocks = 8;
    static constexpr u32 kCartridges = 2;
    static constexpr u32 kLargestFingerprinted = 0x80000;  // larger images are classed by size

    // Known-ROM table row.
    struct KnownRom {
        u64 fingerprint;
        u8 type;
        bool clearsR1;  // the cartridge starts with R1 = 0
    };

    // The store's layout in KB (block numbers and sizes).
    struct Layout {
        u16 ramKB = 64;
        u16 romKB = 32;
        u16 extRomKB = 0;
        u16 romFirst = 64;
        u16 extRomFirst = 0;
        u16 ramFirst = 0;
        u16 emptyPage = 0;
        u16 cartFirst = 0;
        u16 sramFirst = 0;
        u16 totalBlocks = 0;
    };

    // --- slots, layout and state (msx_mapper.cpp) ---
    MsxMapper();
    ~MsxMapper() override;

    // The machine's memory sizes; refused while running. Start lays out the MSX-1 sizes
    // (64 KB RAM, 32 KB ROM, no extended ROM) whatever was set.
    bool SetMemorySizes(u32 ramKB, u32 romKB, u32 extRomKB);
    // Lays out the store, loads and identifies the cartridges, then PSLT 0 (untraced).
    // While a state is being loaded only the registers are reset.
    bool Start(i32* rate) override;
    // Computes the layout around totalKB of cartridges, makes the store and installs the
    // access modes and hooks; answers the cartridge area's first block.
    bool AllocateRomSpace(u32* baseKB, u32 totalKB) override;
    bool SaveState(Archive& archive) override;
    // Layout and registers from the state, checked against the loaded store, then all 64
    // pages mapped again.
    bool LoadState(Archive& archive, LoadContext context) override;

    // Port 0xA8. A write that the debugger breaks on changes nothing.
    u8 WritePrimarySlot(u8 value, bool forced);
    // A debugger look (peek) is neither traced nor broken on.
    u8 ReadPrimarySlot(bool peek);
    // Ports 0xFC-0xFF (index taken AND 3). Stored and read back; they select nothing.
    void WriteRamBank(u32 index, u8 value);
    u8 ReadRamBank(u32 index, bool peek);
    // Points CPU page (0-63) at what slot shows there.
    void MapPage(u32 slot, u32 page);

    // Memory hooks, installed to receive the CPU's address; context: the mapper.
    static bool ReadSecondarySlotHook(void* mapper, u32 address, i32 size, u8* buffer, bool peek);
    static bool ReadEmptyPageHook(void* mapper, u32 address, i32 size, u8* buffer, bool peek);
    static bool OnSecondarySlotWriteHook(void* mapper, u32 address, i32 size, const u8* buffer);
    static bool IgnorePortWrite(void* mapper, u32 address, i32 size, const u8* buffer);

    // --- cartridges (msx_cartridge.cpp) ---
    // Refuses a third slot; an accepted image reserves 8 KB more than its size.
    bool CheckRom(u32 slot, DriveImage* drive, u32* size, RomExtra** extra) override;
    // Reads the image into the cartridge area and identifies its mapper type.
    bool LoadRom(u32 slot, DriveImage* drive, u32 firstKB, u32 sizeKB, RomExtra* extra) override;
    // Points CPU page at the cartridge's bank (or the empty page outside the type's
    // range; a bank number past the image and its reserve wraps over the image); false
    // when that cartridge is not loaded.
    bool MapCartridgePage(u32 page, u32 cartridge);
    // Write hook of every cartridge block: bank switching; the byte is always dropped.
    static bool OnCartridgeBankWrite(void* mapper, u32 address, i32 size, const u8* buffer);
    // The type of a fingerprint, 0 when unknown; row receives the matching row.
    u32 LookupKnownRom(const u64* fingerprint, const KnownRom** row = nullptr) const;
    // Rows beyond the built-in table, looked up after it.
    void AddKnownRom(const KnownRom& row) { extraRoms_.push_back(row); }
    static u64 Fingerprint(const u8* image, u32 size);
    static const char* GetTypeName(u32 type);

    // --- settings and menu (msx_mapper_menu.cpp) ---
    bool BindSettings(Dictionary* dict, bool enabledOnly) override;
    bool ValidateSettings(bool enabledOnly) override;
    void BuildMenu(OptionItem* menu, i32 kind) override;

    // --- debugger and tests ---
    u8 GetPrimarySlot() const { return primarySlot_; }
    u8 GetSecondarySlot() const { return secondarySlot_; }
    const Layout& GetLayout() const { return layout_; }
    u32 GetCartridgeType(u32 cartridge) const { return cartridge < kCartridges ? cartType_[cartridge] : 0; }
    u32 GetBankRegister(u32 index) const { return bank_[index & 3]; }
    bool IsCartridgeLoaded(u32 cartridge) const;
    u8& TraceWritePslot() { return traceWritePslot_; }
    u8& TraceReadPslot() { return traceReadPslot_; }
    u8& BreakReadPslot() { return breakReadPslot_; }

private:
    struct Cartridge {
        bool loaded = false;
        u32 firstKB = 0;  // first block of the image in the store
        u32 sizeKB = 0;   // reserved KB: the image rounded up plus 8
    };

    // Access modes and hooks of the current layout on the store as it is.
    bool ApplyLayout();
    // Whether 0xFFFF is the secondary slot register now.
    bool HasSecondarySlot() const;
    void WriteSecondarySlot(u8 value);
    // Points page at block, or at the empty page when block is past the store.
    void PointPage(u32 page, u32 block);
    // Whether the block's reads may answer other than its bytes (a hook on it).
    bool HasReadHook(u32 block) const;
    // RAM and SRAM without hooks: writes may store straight into the block.
    bool IsPlainWritable(u32 block) const;
    void RemapRange(u32 first, u32 count);
    bool CheckLoadedLayout() const;

    Layout layout_{};
    Layout requested_{};       // sizes the machine asked for
    u8 primarySlot_ = 0;       // "PSLT"
    u8 secondarySlot_ = 0xAA;  // "SSLT"
    u8 ramBank_[4] = {0, 1, 2, 3};  // "RAM0".."RAM3"
    u8 ramMask_ = 3;           // "RAMM"
    u32 bank_[4] = {0, 1, 2, 3};    // "ROM0".."ROM3": cartridge bank registers as written
    u32 cartType_[kCartridges] = {kTypeUnknown, kTypeUnknown};  // "CMAP0", "CMAP1"
    Cartridge cart_[kCartridges];
    bool quiet_ = false;       // the mapper changes its own registers: no trace, no break
    std::vector<KnownRom> extraRoms_;

    // Debugger switches.
    u8 traceReadPslot_ = 0;
    u8 breakReadPslot_ = 0;
    u8 traceWritePslot_ = 0;
    u8 breakWritePslot_ = 0;
    u8 traceReadSslot_ = 0;
    u8 breakReadSslot_ = 0;
    u8 traceWriteSslot_ = 0;
    u8 breakWriteSslot_ = 0;
    u8 traceReadRamBank_[4] = {};
    u8 breakReadRamBank_[4] = {};
    u8 traceWriteRamBank_[4] = {};
    u8 breakWriteRamBank_[4] = {};
};
