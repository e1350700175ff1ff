// MSX mapper: the store's layout, primary and secondary slots, RAM-mapper registers and
// the mapper's state.
#include "machines/msx_mapper.h"

#include "base/archive.h"
#include "emu/memory_space.h"
#include "emu/state_block.h"
#include "emu/system_interface.h"
#include "emu/trace_report.h"

namespace {

constexpr u32 kKB = 1024;
constexpr u32 kPagesPerSlotPage = 16;  // 1 KB pages in a 16 KB slot page
constexpr u32 kSecondarySlotAddress = 0xFFFF;

// Names of what each slot shows at each 16 KB page in the PSLOT trace, padded per column
// so that the four columns line up from one line to the next.
const char* const kSlotNames[4][4] = {
    {"romBios", "cartA  ", "cartB  ", "ram    "},
    {"romBasic", "cartA   ", "cartB   ", "ram     "},
    {"romN/A", "cartA ", "cartB ", "ram   "},
    {"romN/A", "cartA ", "cartB ", "ram   "},
};

u32 SlotOfPage(u8 slots, u32 slotPage)
{
    return (slots >> (2 * slotPage)) & 3u;
}

// The RAM-mapper registers hold as many bits as the RAM has 16 KB banks to number.
u8 RamMaskFor(u32 ramKB, u8 current)
{
    if (ramKB <= 16) return 0;
    if (ramKB <= 32) return 1;
    if (ramKB <= 64) return 3;
    if (ramKB <= 128) return 7;
    if (ramKB <= 256) return 15;
    if (ramKB <= 512) return 31;
    return current;
}

inline MsxMapper* Self(void* context)
{
    return static_cast<MsxMapper*>(context);
}

} // namespace

MsxMapper::MsxMapper()
{
    SetName("MSX Mapper");
    SetDescription("MAPPER");
}

MsxMapper::~MsxMapper() = default;

bool MsxMapper::SetMemorySizes(u32 ramKB, u32 romKB, u32 extRomKB)
{
    if (IsRunning() || ramKB > 0xFFFF || romKB > 0xFFFF || extRomKB > 0xFFFF)
        return false;
    requested_.ramKB = static_cast<u16>(ramKB);
    requested_.romKB = static_cast<u16>(romKB);
    requested_.extRomKB = static_cast<u16>(extRomKB);
    return true;
}

bool MsxMapper::IsCartridgeLoaded(u32 cartridge) const
{
    return cartridge < kCartridges && cart_[cartridge].loaded;
}

bool MsxMapper::Start(i32* rate)
{
    // The memory map is that of the MSX-1 whatever the machine asked for: nothing in it
    // uses a larger RAM or an extended ROM.
    layout_ = Layout{};
    ramMask_ = 3;
    quiet_ = true;
    cartType_[0] = cartType_[1] = kTypeUnknown;
    for (Cartridge& cart : cart_)
        cart = Cartridge{};
    for (u32 i = 0; i < 4; ++i)
        bank_[i] = i;
    if (!MapperDevice::Start(rate)) {
        quiet_ = false;
        return false;
    }
    for (u32 i = 0; i < 4; ++i)
        ramBank_[i] = static_cast<u8>(i);
    primarySlot_ = 0xFF;
    secondarySlot_ = 0xAA;
    if (host_ != nullptr && host_->IsLoadingState()) {
        quiet_ = false;
        return true;
    }
    // Every page's field differs from 0xFF's, so all four pages are mapped to slot 0.
    WritePrimarySlot(0, false);
    quiet_ = false;
    return true;
}

bool MsxMapper::AllocateRomSpace(u32* baseKB, u32 totalKB)
{
    if (baseKB != nullptr)
        *baseKB = 0;
    Layout l;
    l.ramKB = layout_.ramKB;
    l.romKB = layout_.romKB;
    l.extRomKB = layout_.extRomKB;
    l.romFirst = static_cast<u16>(kCpuPages);
    const u64 extRomFirst = u64{l.romFirst} + l.romKB;
    const u64 ramFirst = extRomFirst + l.extRomKB;
    const u64 emptyPage = ramFirst + l.ramKB;
    const u64 cartFirst = emptyPage + 1;
    const u64 sramFirst = cartFirst + totalKB;
    const u64 total = sramFirst + kSramBlocks;
    if (memory_ == nullptr)
        return false;
    // Block numbers are 16-bit in the saved state.
    if (total > 0xFFFF) {
        LogColoredF("[ERROR] Cartridge images too big to be mapped (%ld KB)!", static_cast<i32>(totalKB));
        return false;
    }
    l.extRomFirst = static_cast<u16>(extRomFirst);
    l.ramFirst = static_cast<u16>(ramFirst);
    l.emptyPage = static_cast<u16>(emptyPage);
    l.cartFirst = static_cast<u16>(cartFirst);
    l.sramFirst = static_cast<u16>(sramFirst);
    l.totalBlocks = static_cast<u16>(total);
    layout_ = l;
    if (!memory_->Allocate(static_cast<u32>(total) * kKB, 0xFFFF) || !ApplyLayout())
        return false;
    ramMask_ = RamMaskFor(l.ramKB, ramMask_);
    if (baseKB != nullptr)
        *baseKB = l.cartFirst;
    return true;
}

bool MsxMapper::ApplyLayout()
{
    const Layout& l = layout_;
    if (memory_ == nullptr || memory_->GetBlockCount() != l.totalBlocks)
        return false;
    constexpr u32 kRead = 1;
    constexpr u32 kReadWrite = 3;
    bool ok = memory_->SetAccess(kRead, 0, l.totalBlocks) && memory_->SetAccess(kReadWrite, 0, kCpuPages) &&
              memory_->SetAccess(kReadWrite, l.ramFirst, l.ramKB) &&
              memory_->SetAccess(kReadWrite, l.sramFirst, kSramBlocks) &&
              memory_->SetAccess(kReadWrite, l.emptyPage, 1);
    ok = ok && memory_->SetReadHandler(l.emptyPage, 1, this, ReadEmptyPageHook, true) &&
         memory_->SetWriteHandler(l.emptyPage, 1, this, IgnorePortWrite, true);
    // 0xFFFF of every whole 16 KB of RAM may be the secondary slot register.
    for (u32 k = 0; (k + 1) * kPagesPerSlotPage <= l.ramKB && ok; ++k) {
        const u32 last = l.ramFirst + k * kPagesPerSlotPage + kPagesPerSlotPage - 1;
        ok = memory_->SetReadHandler(last, 1, this, ReadSecondarySlotHook, true) &&
             memory_->SetWriteHandler(last, 1, this, OnSecondarySlotWriteHook, true);
    }
    // Cartridge ROM takes the bank-switching writes and keeps its bytes.
    const u32 cartKB = l.sramFirst - l.cartFirst;
    if (ok && cartKB != 0) {
        ok = memory_->SetAccess(kReadWrite, l.cartFirst, cartKB) &&
             memory_->SetWriteHandler(l.cartFirst, cartKB, this, OnCartridgeBankWrite, true);
    }
    return ok;
}

bool MsxMapper::HasReadHook(u32 block) const
{
    const Layout& l = layout_;
    if (block == l.emptyPage)
        return true;
    // The secondary slot register's hooks only ever answer with an extended ROM.
    const bool ram = block >= l.ramFirst && block < l.ramFirst + l.ramKB;
    return ram && l.extRomKB != 0 && (block - l.ramFirst) % kPagesPerSlotPage == kPagesPerSlotPage - 1;
}

bool MsxMapper::IsPlainWritable(u32 block) const
{
    const Layout& l = layout_;
    const bool ram = block >= l.ramFirst && block < l.ramFirst + l.ramKB;
    const bool sram = block >= l.sramFirst && block < l.sramFirst + kSramBlocks;
    return (ram && !HasReadHook(block)) || sram;
}

void MsxMapper::PointPage(u32 page, u32 block)
{
    if (block >= layout_.totalBlocks)
        block = layout_.emptyPage;
    if (HasReadHook(block)) {
        memory_->AliasRead(page, block, 1);
        memory_->AliasWrite(page, block, 1);
        return;
    }
    // A page that shows a plain block serves it from that block's bytes, which the CPU
    // reads (and, for RAM, writes) on its direct path; an alias would send every access
    // through the memory space. Writes to ROM still go to the target block by alias, where
    // they are dropped or switch banks. The debugger sees the same bytes either way.
    memory_->AliasRead(page, page, 1);
    memory_->AliasWrite(page, page, 1);
    memory_->MapBuffer(page, 1, memory_->GetMemory() + static_cast<size_t>(block) * 1024);
    if (!IsPlainWritable(block))
        memory_->AliasWrite(page, block, 1);
}

void MsxMapper::MapPage(u32 slot, u32 page)
{
    if (memory_ == nullptr || page >= kCpuPages)
        return;
    const Layout& l = layout_;
    u32 block = l.emptyPage;
    switch (slot & 3) {
    case 0:
        if (page < l.romKB)
            block = l.romFirst + page;
        break;
    case 1:
    case 2:
        if (MapCartridgePage(page, (slot & 3) - 1))
            return;
        break;
    default:
        switch (SlotOfPage(secondarySlot_, page / kPagesPerSlotPage)) {
        case 1:
            if (page < l.extRomKB)
                block = l.extRomFirst + page;
            break;
        case 2:
            if (page < l.ramKB)
                block = l.ramFirst + page;
            break;
        default:
            break;
        }
        break;
    }
    PointPage(page, block);
}

void MsxMapper::RemapRange(u32 first, u32 count)
{
    for (u32 page = first; page < first + count && page < kCpuPages; ++page)
        MapPage(SlotOfPage(primarySlot_, page / kPagesPerSlotPage), page);
}

u8 MsxMapper::WritePrimarySlot(u8 value, bool forced)
{
    const u8 trace = quiet_ ? 0 : traceWritePslot_;
    const u8 brk = quiet_ ? 0 : breakWritePslot_;
    if (TraceReport::ReportAccess(this, trace, brk, ">PSLOT=%.2lXh ( 0x0000=%s  0x4000=%s  0x8000=%s  0xC000=%s)",
                                  static_cast<u32>(value), kSlotNames[0][SlotOfPage(value, 0)],
                                  kSlotNames[1][SlotOfPage(value, 1)], kSlotNames[2][SlotOfPage(value, 2)],
                                  kSlotNames[3][SlotOfPage(value, 3)]))
        return primarySlot_;
    if (value == primarySlot_ && !forced)
        return value;
    for (u32 k = 0; k < 4; ++k) {
        const u32 slot = SlotOfPage(value, k);
        if (!forced && slot == SlotOfPage(primarySlot_, k))
            continue;
        for (u32 page = k * kPagesPerSlotPage; page < (k + 1) * kPagesPerSlotPage; ++page)
            MapPage(slot, page);
    }
    primarySlot_ = value;
    return value;
}

u8 MsxMapper::ReadPrimarySlot(bool peek)
{
    if (!peek)
        TraceReport::ReportAccess(this, traceReadPslot_, breakReadPslot_, "<PSLOT=%.2lXh",
                                  static_cast<u32>(primarySlot_));
    return primarySlot_;
}

bool MsxMapper::HasSecondarySlot() const
{
    return layout_.extRomKB != 0 && (primarySlot_ & 0xC0) == 0xC0;
}

void MsxMapper::WriteSecondarySlot(u8 value)
{
    const u8 trace = quiet_ ? 0 : traceWriteSslot_;
    const u8 brk = quiet_ ? 0 : breakWriteSslot_;
    if (TraceReport::ReportAccess(this, trace, brk, ">SSLOT=%.2lXh ( %ld, %ld, %ld, %ld )", static_cast<u32>(value),
                                  SlotOfPage(value, 0), SlotOfPage(value, 1), SlotOfPage(value, 2),
                                  SlotOfPage(value, 3)))
        return;
    if (value == secondarySlot_)
        return;
    secondarySlot_ = value;
    // Every page may show something else now: remap them all without a trace line.
    const bool wasQuiet = quiet_;
    quiet_ = true;
    WritePrimarySlot(primarySlot_, true);
    quiet_ = wasQuiet;
}

void MsxMapper::WriteRamBank(u32 index, u8 value)
{
    index &= 3;
    const u8 trace = quiet_ ? 0 : traceWriteRamBank_[index];
    const u8 brk = quiet_ ? 0 : breakWriteRamBank_[index];
    if (TraceReport::ReportAccess(this, trace, brk, ">RAMBank[%ld]=%ld (%.2lXh)", index,
                                  static_cast<u32>(value & ramMask_), static_cast<u32>(value)))
        return;
    ramBank_[index] = static_cast<u8>(value & ramMask_);
}

u8 MsxMapper::ReadRamBank(u32 index, bool peek)
{
    index &= 3;
    if (!peek)
        TraceReport::ReportAccess(this, traceReadRamBank_[index], breakReadRamBank_[index], "<RAMBank[%ld]=%ld",
                                  index, static_cast<u32>(ramBank_[index]));
    return ramBank_[index];
}

bool MsxMapper::ReadSecondarySlotHook(void* mapper, u32 address, i32 size, u8* buffer, bool peek)
{
    MsxMapper* self = Self(mapper);
    if (size != 1 || address != kSecondarySlotAddress || !self->HasSecondarySlot())
        return false;
    // The register reads back inverted.
    *buffer = static_cast<u8>(~self->secondarySlot_);
    if (!peek)
        TraceReport::ReportAccess(self, self->traceReadSslot_, self->breakReadSslot_, "<SSLOT=%.2lXh",
                                  static_cast<u32>(self->secondarySlot_));
    return true;
}

bool MsxMapper::ReadEmptyPageHook(void* mapper, u32 address, i32 size, u8* buffer, bool peek)
{
    return ReadSecondarySlotHook(mapper, address, size, buffer, peek);
}

bool MsxMapper::OnSecondarySlotWriteHook(void* mapper, u32 address, i32 size, const u8* buffer)
{
    MsxMapper* self = Self(mapper);
    if (size != 1 || address != kSecondarySlotAddress || !self->HasSecondarySlot())
        return false;
    self->WriteSecondarySlot(*buffer);
    return true;
}

bool MsxMapper::IgnorePortWrite(void*, u32, i32 size, const u8*)
{
    return size == 1;
}

bool MsxMapper::SaveState(Archive& archive)
{
    const Layout& l = layout_;
    u8 banks[4];
    for (u32 i = 0; i < 4; ++i)
        banks[i] = static_cast<u8>(bank_[i]);
    const u8 types[2] = {static_cast<u8>(cartType_[0]), static_cast<u8>(cartType_[1])};
    return MapperDevice::SaveState(archive) && StateBlock::SaveVersion(archive) &&
           archive.WriteUInt8(&primarySlot_, "PSLT") && archive.WriteUInt8(&secondarySlot_, "SSLT") &&
           archive.WriteUInt8(&ramBank_[0], "RAM0") && archive.WriteUInt8(&ramBank_[1], "RAM1") &&
           archive.WriteUInt8(&ramBank_[2], "RAM2") && archive.WriteUInt8(&ramBank_[3], "RAM3") &&
           archive.WriteUInt8(&ramMask_, "RAMM") && archive.WriteUInt16(&l.ramKB, "RAMS") &&
           archive.WriteUInt16(&l.romKB, "ROMS") && archive.WriteUInt16(&l.extRomKB, "ROMSE") &&
           archive.WriteUInt16(&l.totalBlocks, "MEMS") && archive.WriteUInt16(&l.ramFirst, "RAMO") &&
           archive.WriteUInt16(&l.romFirst, "ROMO") && archive.WriteUInt16(&l.extRomFirst, "ROMOE") &&
           archive.WriteUInt16(&l.emptyPage, "NAMO") && archive.WriteUInt16(&l.cartFirst, "CAMO") &&
           archive.WriteUInt16(&l.sramFirst, "SRMO") && archive.WriteUInt8(&banks[0], "ROM0") &&
           archive.WriteUInt8(&banks[1], "ROM1") && archive.WriteUInt8(&banks[2], "ROM2") &&
           archive.WriteUInt8(&banks[3], "ROM3") && archive.WriteUInt8(&types[0], "CMAP0") &&
           archive.WriteUInt8(&types[1], "CMAP1");
}

bool MsxMapper::LoadState(Archive& archive, LoadContext context)
{
    // The base lays the drives' images out again (LoadRom notes where each one lies
    // within the cartridge area); their bytes come with the memory space's state.
    if (!MapperDevice::LoadState(archive, context) || !StateBlock::LoadVersion(archive))
        return false;
    u8 pslot = 0, sslot = 0, ramMask = 0;
    u8 ramBanks[4] = {};
    u8 banks[4] = {};
    u8 types[2] = {};
    Layout l;
    const bool read =
        archive.ReadUInt8(&pslot, "PSLT") && archive.ReadUInt8(&sslot, "SSLT") &&
        archive.ReadUInt8(&ramBanks[0], "RAM0") && archive.ReadUInt8(&ramBanks[1], "RAM1") &&
        archive.ReadUInt8(&ramBanks[2], "RAM2") && archive.ReadUInt8(&ramBanks[3], "RAM3") &&
        archive.ReadUInt8(&ramMask, "RAMM") && archive.ReadUInt16(&l.ramKB, "RAMS") &&
        archive.ReadUInt16(&l.romKB, "ROMS") && archive.ReadUInt16(&l.extRomKB, "ROMSE") &&
        archive.ReadUInt16(&l.totalBlocks, "MEMS") && archive.ReadUInt16(&l.ramFirst, "RAMO") &&
        archive.ReadUInt16(&l.romFirst, "ROMO") && archive.ReadUInt16(&l.extRomFirst, "ROMOE") &&
        archive.ReadUInt16(&l.emptyPage, "NAMO") && archive.ReadUInt16(&l.cartFirst, "CAMO") &&
        archive.ReadUInt16(&l.sramFirst, "SRMO") && archive.ReadUInt8(&banks[0], "ROM0") &&
        archive.ReadUInt8(&banks[1], "ROM1") && archive.ReadUInt8(&banks[2], "ROM2") &&
        archive.ReadUInt8(&banks[3], "ROM3") && archive.ReadUInt8(&types[0], "CMAP0") &&
        archive.ReadUInt8(&types[1], "CMAP1");
    if (!read)
        return false;
    // The layout is input: it must be the one its own sizes give and fit the store the
    // memory space has just loaded, and every cartridge must lie inside its area.
    const bool consistent = l.romFirst == kCpuPages && l.extRomFirst == l.romFirst + l.romKB &&
                            l.ramFirst == l.extRomFirst + l.extRomKB && l.emptyPage == l.ramFirst + l.ramKB &&
                            l.cartFirst == l.emptyPage + 1 && l.sramFirst >= l.cartFirst &&
                            l.totalBlocks == l.sramFirst + kSramBlocks && memory_ != nullptr &&
                            memory_->GetBlockCount() == l.totalBlocks && types[0] < kTypeCount &&
                            types[1] < kTypeCount;
    if (!consistent)
        return false;
    for (Cartridge& cart : cart_) {
        if (!cart.loaded)
            continue;
        cart.firstKB += l.cartFirst;
        if (cart.firstKB + cart.sizeKB > l.sramFirst)
            return false;
    }
    layout_ = l;
    if (!ApplyLayout())
        return false;
    secondarySlot_ = sslot;
    for (u32 i = 0; i < 4; ++i) {
        ramBank_[i] = ramBanks[i];
        bank_[i] = banks[i];
    }
    ramMask_ = ramMask;
    cartType_[0] = types[0];
    cartType_[1] = types[1];
    quiet_ = true;
    WritePrimarySlot(pslot, true);
    quiet_ = false;
    return true;
}
