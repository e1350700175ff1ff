// Mapper device base: ROM slots, the ROM layout and "_MAPD".
#include "emu/mapper_device.h"

#include "emu/drive_image.h"
#include "emu/memory_space.h"
#include "emu/state_block.h"
#include "emu/system_interface.h"

namespace {

const char kStateBlock[] = "_MAPD";
constexpr u32 kKB = 1024;

} // namespace

MapperDevice::~MapperDevice()
{
    ClearRoms();
}

bool MapperDevice::AddRom(DriveImage* drive, bool required)
{
    if (drive == nullptr || romSlots_.size() >= static_cast<size_t>(kMaxRomSlots))
        return false;
    required_[romSlots_.size()] = required;
    romSlots_.push_back(drive);
    return true;
}

bool MapperDevice::AllocateRomSpace(u32* baseKB, u32)
{
    if (baseKB != nullptr)
        *baseKB = 0;
    return false;
}

bool MapperDevice::CheckRom(u32 slot, DriveImage* drive, u32* size, RomExtra** extra)
{
    *size = 0;
    *extra = nullptr;
    if (drive == nullptr)
        return false;
    drive->SetInUse(true);
    const u64 fileSize = drive->HasFile() ? drive->GetFileSize() : 0;
    // An image of 4 GB or more cannot be a ROM; its size would not even fit the layout.
    if (drive->GetLatch() && fileSize != 0 && fileSize <= 0xFFFFFFFFu) {
        *size = static_cast<u32>(fileSize);
        return true;
    }
    if (IsRomRequired(static_cast<i32>(slot)))
        LogColoredF("[ERROR] Non-empty ROM in slot %ld required!", static_cast<i32>(slot + 1));
    return false;
}

bool MapperDevice::LoadRom(u32, DriveImage*, u32, u32, RomExtra*)
{
    return false;
}

void MapperDevice::ClearRoms()
{
    for (RomEntry& entry : romEntries_) {
        delete entry.extra;
        entry.extra = nullptr;
    }
    romEntries_.clear();
}

void MapperDevice::MarkAllRefused()
{
    for (const RomEntry& entry : romEntries_) {
        if (entry.drive == nullptr)
            continue;
        entry.drive->SetExamined(true);
        entry.drive->SetAccepted(false);
        entry.drive->SetChangedFlag(false);
    }
}

bool MapperDevice::BuildRomMap(bool fromState)
{
    if (!fromState && host_ != nullptr && host_->IsLoadingState())
        return true;

    ClearRoms();
    u32 position = 0;
    for (size_t i = 0; i < romSlots_.size(); ++i) {
        DriveImage* drive = romSlots_[i];
        u32 size = 0;
        RomExtra* extra = nullptr;
        const bool usable = CheckRom(static_cast<u32>(i), drive, &size, &extra);
        RomEntry entry;
        entry.drive = drive;
        entry.firstKB = position;
        entry.extra = extra;
        if (usable && size != 0) {
            entry.sizeKB = size / kKB + (size % kKB != 0 ? 1 : 0);
            position += entry.sizeKB;
            drive->SetAccepted(true);
            drive->SetExamined(true);
            drive->SetChangedFlag(false);
        } else if (required_[i]) {
            delete extra;
            ClearRoms();
            return false;
        } else if (drive != nullptr) {
            drive->SetExamined(true);
            drive->SetAccepted(false);
            drive->SetChangedFlag(false);
        }
        romEntries_.push_back(entry);
    }

    u32 base = 0;
    if (!fromState && !AllocateRomSpace(&base, position))
        return false;

    for (size_t j = 0; j < romEntries_.size(); ++j) {
        RomEntry& entry = romEntries_[j];
        entry.firstKB += base;
        if (entry.drive == nullptr || !entry.drive->IsAccepted())
            continue;
        if (!LoadRom(static_cast<u32>(j), entry.drive, entry.firstKB, entry.sizeKB, entry.extra)) {
            MarkAllRefused();
            ClearRoms();
            return false;
        }
    }

    if (memory_ == nullptr)
        return false;
    return memory_->SetBlockAttribute(true, 0, memory_->GetSize() / kKB);
}

bool MapperDevice::Start(i32* rate)
{
    if (!Device::Start(rate))
        return false;
    ClearRoms();
    return BuildRomMap(false);
}

void MapperDevice::Stop()
{
    ClearRoms();
    Device::Stop();
}

bool MapperDevice::SaveState(Archive& archive)
{
    return Device::SaveState(archive) && StateBlock::SaveEmpty(archive, kStateBlock);
}

bool MapperDevice::LoadState(Archive& archive, LoadContext context)
{
    return Device::LoadState(archive, context) && StateBlock::LoadEmpty(archive, kStateBlock) &&
           BuildRomMap(true);
}
