// MSX mapper: cartridge identification (fingerprint, known-ROM table, size rules) and the
// bank switching of the mapper types.
#include <bit>

#include "base/path_text.h"
#include "base/sha1.h"
#include "emu/drive_file.h"
#include "emu/drive_image.h"
#include "emu/memory_space.h"
#include "emu/system_interface.h"
#include "emu/trace_report.h"
#include "machines/msx_mapper.h"

namespace {

constexpr u32 kKB = 1024;
// Every image reserves this much beyond its own size; a bank reaching there reads zeros.
constexpr u32 kReserve = 0x2000;
constexpr u32 kLargestMirrored8 = 0x2000;
constexpr u32 kLargestMirrored16 = 0x4000;
// One byte more than 32 KB still counts as a 32 KB image (some dumps carry a stray byte).
constexpr u32 kLargestMirrored32 = 0x8001;
constexpr u32 kLargestPlain = 0x10000;

const char* const kTypeNames[MsxMapper::kTypeCount] = {
    "Unknown",
    "Unknown",
    "Normal 8Kb (8 mirrors)",
    "Normal 16Kb (4 mirrors)",
    "Normal 32Kb (2 mirrors)",
    "Normal 64Kb",
    "Normal 8Kb to 0x8000",
    "Normal 16Kb to 0x8000",
    "Normal 32Kb to 0x4000",
    "Normal 32Kb to 0x8000",
    "ASCII 8Kb",
    "ASCII 8Kb SRAM 8Kb",
    "ASCII 16Kb",
    "ASCII 16Kb with SRAM",
    "Konami",
    "Konami with SCC",
};

// Images whose size does not tell their mapper. The low byte of a fingerprint is the size
// in KB modulo 128, so each row also names its size class.
const MsxMapper::KnownRom kKnownRoms[] = {
    {0xE455FF3FAFB7C320ull, MsxMapper::kTypeNormal32At4000, false},
    {0x2EE577BDB7DEA700ull, MsxMapper::kTypeAscii16, true},
    {0x95166F9D8AAF9810ull, MsxMapper::kTypeNormal16At8000, false},
    {0x488ABB77F7BE1208ull, MsxMapper::kTypeNormal8At8000, false},
    {0x27E7DFABBFB3D640ull, MsxMapper::kTypeNormal64, false},
    {0x2B3ECF7EEEF90C00ull, MsxMapper::kTypeKonamiScc, false},
};

// A bank-switching window: writes to [first, last] set register reg, which selects what
// the 1 KB CPU pages [firstPage, firstPage + pages) show.
struct BankWindow {
    u32 first;
    u32 last;
    u32 reg;
    u32 firstPage;
    u32 pages;
};

constexpr BankWindow kAscii8Windows[] = {
    {0x6000, 0x67FF, 0, 16, 8},
    {0x6800, 0x6FFF, 1, 24, 8},
    {0x7000, 0x77FF, 2, 32, 8},
    {0x7800, 0x7FFF, 3, 40, 8},
};
constexpr BankWindow kAscii16Windows[] = {
    {0x6000, 0x67FF, 0, 16, 16},
    {0x7000, 0x77FF, 1, 32, 16},
};
// R0 has no window: 0x4000-0x5FFF always shows the first 8 KB.
constexpr BankWindow kKonamiWindows[] = {
    {0x6000, 0x7FFF, 1, 24, 8},
    {0x8000, 0x9FFF, 2, 32, 8},
    {0xA000, 0xAFFF, 3, 40, 8},
};

template <size_t N>
const BankWindow* FindWindow(const BankWindow (&windows)[N], u32 address)
{
    for (const BankWindow& w : windows) {
        if (address >= w.first && address <= w.last)
            return &w;
    }
    return nullptr;
}

// The KB of the cartridge that bank number shows at offset KB into a bank of bankKB, with
// reservedKB reserved for the image. A number reaching past the reservation wraps over the
// image: the cartridge does not wire the bank number's bits above those its ROM needs
// (bits still above the image when its bank count is no power of two fold back once), so
// no register can map its own window away. Numbers within the reservation show what they
// always showed, the reserve's zero bytes included.
u32 CartridgeKB(u32 number, u32 bankKB, u32 offset, u32 reservedKB)
{
    const u32 kb = number * bankKB + offset;
    if (kb < reservedKB)
        return kb;
    const u32 imageKB = reservedKB > kReserve / kKB ? reservedKB - kReserve / kKB : 1;
    const u32 banks = (imageKB + bankKB - 1) / bankKB;
    u32 wrapped = number & (std::bit_ceil(banks) - 1);
    if (wrapped >= banks)
        wrapped -= banks;
    return wrapped * bankKB + offset;
}

// Whether the primary slot register puts cartridge A (slot 1) at this 1 KB CPU page.
bool SlotPageShowsCartridgeA(u8 primarySlot, u32 page)
{
    return ((primarySlot >> (2 * (page / 16))) & 3u) == 1;
}

} // namespace

const char* MsxMapper::GetTypeName(u32 type)
{
    return type < kTypeCount ? kTypeNames[type] : kTypeNames[0];
}

u64 MsxMapper::Fingerprint(const u8* image, u32 size)
{
    u32 h0 = 0, h1 = 0, h2 = 0, h3 = 0, h4 = 0;
    Sha1(image, size, h0, h1, h2, h3, h4);
    const u64 folded = ((static_cast<u64>(h2 ^ h3) << 32) | (h0 ^ h1)) | (static_cast<u64>(h4) << 16);
    return (folded & ~u64{0xFF}) | ((size >> 10) & 0x7F);
}

u32 MsxMapper::LookupKnownRom(const u64* fingerprint, const KnownRom** row) const
{
    if (fingerprint == nullptr)
        return 0;
    for (const KnownRom& known : kKnownRoms) {
        if (known.fingerprint == *fingerprint) {
            if (row != nullptr)
                *row = &known;
            return known.type;
        }
    }
    for (const KnownRom& known : extraRoms_) {
        if (known.fingerprint == *fingerprint) {
            if (row != nullptr)
                *row = &known;
            return known.type;
        }
    }
    return 0;
}

bool MsxMapper::CheckRom(u32 slot, DriveImage* drive, u32* size, RomExtra** extra)
{
    if (slot < kCartridges)
        cart_[slot] = Cartridge{};
    // The memory system has room for cartridges A and B only.
    if (GetRomEntries().size() >= kCartridges) {
        *size = 0;
        *extra = nullptr;
        return false;
    }
    if (!MapperDevice::CheckRom(slot, drive, size, extra))
        return false;
    if (*size > 0xFFFFFFFFu - kReserve) {
        *size = 0;
        return false;
    }
    *size += kReserve;
    return true;
}

bool MsxMapper::LoadRom(u32 slot, DriveImage* drive, u32 firstKB, u32 sizeKB, RomExtra*)
{
    if (slot >= kCartridges || drive == nullptr)
        return false;
    Cartridge& cart = cart_[slot];
    cart = Cartridge{};
    // A state being loaded brings the image's bytes with the memory and the mapper type
    // with the mapper's own values; firstKB is still relative to the cartridge area.
    if (host_ != nullptr && host_->IsLoadingState()) {
        cart = Cartridge{true, firstKB, sizeKB};
        return true;
    }
    for (u32 i = 0; i < 4; ++i)
        bank_[i] = i;
    u8* store = memory_ != nullptr ? memory_->GetMemory() : nullptr;
    if (store == nullptr)
        return false;
    const u32 length = static_cast<u32>(drive->GetFileSize());
    const u64 at = static_cast<u64>(firstKB) * kKB;
    if (length == 0 || length > static_cast<u64>(sizeKB) * kKB || at + length > memory_->GetSize())
        return false;
    const u64 read = drive->GetStream().ReadAt(store + at, 0, length);
    if (read != 0)
        drive->SetRead(true);
    if (read != length) {
        // The size was taken when the file was mounted; a file cut since reads short.
        ConsoleReport::PrintError(this,
                                  "[INIT] Cartridge file \"%s\" could not be read in full "
                                  "(%llu of %llu bytes; changed since it was mounted?)!",
                                  MessageText(GetFileNamePart(drive->GetPath())).CStr(),
                                  static_cast<unsigned long long>(read), static_cast<unsigned long long>(length));
        return false;
    }

    u32 type = 0;
    const KnownRom* row = nullptr;
    if (length <= kLargestFingerprinted) {
        const u64 fingerprint = Fingerprint(store + at, length);
        type = LookupKnownRom(&fingerprint, &row);
        if (type == kTypeKonamiScc) {
            LogColoredF("[INIT] Mapper \"%s\" is not supported yet!", GetTypeName(type));
            return false;
        }
        if (type == 0 && length <= kLargestMirrored8)
            type = kTypeNormal8Mirrored;
    }
    if (type == 0) {
        if (length <= kLargestMirrored16) {
            type = kTypeNormal16Mirrored;
        } else if (length <= kLargestMirrored32) {
            type = kTypeNormal32Mirrored;
        } else if (length <= kLargestPlain) {
            type = kTypeNormal64;
        } else {
            LogColoredF("[INIT] Mapper \"%s\" is not supported yet!", GetTypeName(kTypeUnknown));
            return false;
        }
    }
    cartType_[slot] = type;
    if (row != nullptr && row->clearsR1)
        bank_[1] = 0;
    cart = Cartridge{true, firstKB, sizeKB};
    if (host_ == nullptr || !host_->IsLoadingState())
        ConsoleReport::PrintInfo(this, "[INIT] Detected \"%s\" mapper.", GetTypeName(type));
    return true;
}

bool MsxMapper::MapCartridgePage(u32 page, u32 cartridge)
{
    if (cartridge >= kCartridges || !cart_[cartridge].loaded || memory_ == nullptr || page >= kCpuPages)
        return false;
    const Cartridge& cart = cart_[cartridge];
    constexpr u32 kNone = 0xFFFFFFFF;
    // Register values count from their low 16 bits.
    auto reg = [this](u32 index) { return bank_[index & 3] & 0xFFFF; };
    const bool banked = page >= 16 && page < 48;
    u32 bank = kNone;
    u32 sram = kNone;
    switch (cartType_[cartridge]) {
    case 0:
    case kTypeNormal64: bank = page; break;
    case kTypeNormal8Mirrored: bank = page & 7; break;
    case kTypeNormal16Mirrored: bank = page & 15; break;
    case kTypeNormal32Mirrored: bank = page < 16 ? page : page < 48 ? page - 16 : page - 32; break;
    case kTypeNormal8At8000: bank = page >= 32 && page < 40 ? page - 32 : kNone; break;
    case kTypeNormal16At8000: bank = page >= 32 && page < 48 ? page - 32 : kNone; break;
    case kTypeNormal32At4000: bank = banked ? page - 16 : kNone; break;
    case kTypeNormal32At8000: bank = page >= 32 ? page - 32 : kNone; break;
    case kTypeAscii8:
    case kTypeKonamiScc:
        if (banked)
            bank = CartridgeKB(reg((page - 16) >> 3), 8, page & 7, cart.sizeKB);
        break;
    case kTypeAscii8Sram:
        if (banked) {
            const u32 r = reg((page - 16) >> 3) & 0xFF;
            if (r >= 32)
                sram = page & 7;
            else
                bank = CartridgeKB(r, 8, page & 7, cart.sizeKB);
        }
        break;
    case kTypeAscii16:
        if (banked)
            bank = CartridgeKB(reg((page - 16) >> 4), 16, page & 15, cart.sizeKB);
        break;
    case kTypeAscii16Sram:
        if (banked) {
            // 2 KB of SRAM, repeated over the 16 KB page.
            const u32 r = reg((page - 16) >> 4) & 0xFF;
            if (r >= 16)
                sram = page & 1;
            else
                bank = CartridgeKB(r, 16, page & 15, cart.sizeKB);
        }
        break;
    case kTypeKonami:
        // The register's five low bits select the 8 KB bank.
        if (banked)
            bank = CartridgeKB(reg((page - 16) >> 3) & 31, 8, page & 7, cart.sizeKB);
        break;
    default:
        break;
    }
    if (sram != kNone)
        PointPage(page, layout_.sramFirst + sram);
    else if (bank != kNone && bank < cart.sizeKB)
        PointPage(page, cart.firstKB + bank);
    else
        PointPage(page, layout_.emptyPage);
    return true;
}

bool MsxMapper::OnCartridgeBankWrite(void* mapper, u32 address, i32 size, const u8* buffer)
{
    if (size != 1)
        return false;
    auto* self = static_cast<MsxMapper*>(mapper);
    // One register set serves the machine's one cartridge drive.
    const BankWindow* window = nullptr;
    switch (self->cartType_[0]) {
    case kTypeAscii8:
    case kTypeAscii8Sram: window = FindWindow(kAscii8Windows, address); break;
    case kTypeAscii16:
    case kTypeAscii16Sram: window = FindWindow(kAscii16Windows, address); break;
    case kTypeKonami: window = FindWindow(kKonamiWindows, address); break;
    default: break;
    }
    if (window == nullptr || self->bank_[window->reg] == *buffer)
        return true;
    self->bank_[window->reg] = *buffer;
    for (u32 page = window->firstPage; page < window->firstPage + window->pages; ++page) {
        // Only a page that shows cartridge A follows its registers.
        if (SlotPageShowsCartridgeA(self->primarySlot_, page) && !self->MapCartridgePage(page, 0))
            self->PointPage(page, self->layout_.emptyPage);
    }
    return true;
}
