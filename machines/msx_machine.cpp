// MSX machine: identity, building the chip set, start with the BIOS, and state.
#include "machines/msx_machine.h"

#include "base/archive.h"
#include "base/object_list.h"
#include "base/string_a.h"
#include "base/string_w.h"
#include "cpu/z80_cpu.h"
#include "emu/drive_bay.h"
#include "emu/drive_image.h"
#include "emu/interrupt_lines.h"
#include "emu/memory_space.h"
#include "emu/port_space.h"
#include "emu/state_block.h"
#include "machines/machine_chips.h"
#include "machines/msx_keyboard.h"
#include "machines/msx_mapper.h"
#include "sound/ay3891x.h"
#include "sound/pit8253.h"
#include "video/tms9918.h"

namespace {

constexpr u32 kVdpData = 0x98;
constexpr u32 kVdpControl = 0x99;
constexpr u32 kPsgBase = 0xA0;
constexpr i32 kTimerData = 0x84;  // counters 0-2 at 0x84-0x86
constexpr i32 kTimerMode = 0x87;
constexpr u32 kInterfaceFirst = 0xA8;
constexpr u32 kInterfaceLast = 0xAA;
constexpr u32 kRamMapperFirst = 0xFC;
constexpr u32 kRamMapperLast = 0xFF;
constexpr i32 kVdpIrqLine = 0;

struct MemorySizes {
    u32 ramKB;
    u32 romKB;
    u32 extRomKB;
};

constexpr MemorySizes kSizes[] = {
    {0, 0, 0},
    {64, 32, 0},    // MSX-1
    {128, 32, 32},  // the larger type
};

} // namespace

MsxMachine::MsxMachine() : MsxMachine(kTypeNone)
{
}

MsxMachine::MsxMachine(i32 machineType) : machineType_(machineType)
{
    SetName("MSX");
    SetDescription("MB");
}

MsxMachine::~MsxMachine() = default;

Computer* MsxMachine::Clone() const
{
    return new MsxMachine;
}

void MsxMachine::GetDescription(ObjectList& lines)
{
    StringW text;
    text.Assign(StringA("Computer \"MSX-1\""));
    lines.Add(text);
}

void MsxMachine::RemoveAllDevices()
{
    cpu_ = nullptr;
    vdp_ = nullptr;
    psg_ = nullptr;
    pit_ = nullptr;
    keyboardMatrix_ = nullptr;
    mapper_ = nullptr;
    Computer::RemoveAllDevices();
}

bool MsxMachine::CreateDevices()
{
    if (machineType_ != kTypeMsx1 && machineType_ != kTypeMsx2)
        return false;
    // The chips exist once per machine object.
    if (cpu_ != nullptr)
        return false;
    if (!SystemBase::CreateDevices())
        return false;
    auto* cpu = AddNewChip<Z80Cpu>(*this);
    if (cpu == nullptr)
        return false;
    cpu_ = cpu;
    cpu->SetFrequency(kClock);

    auto* vdp = AddNewChip<Tms9918Vdp>(*this);
    if (vdp == nullptr)
        return false;
    vdp_ = vdp;
    vdp->ConnectIrq(kVdpIrqLine, true, false);
    if (!vdp->AttachPorts(kVdpData, kVdpControl, kVdpControl))
        return false;

    auto* psg = AddNewChip<Ay3891xPsg>(*this);
    if (psg == nullptr)
        return false;
    psg_ = psg;
    if (!psg->AttachPorts(kPsgBase))
        return false;

    auto* pit = AddNewChip<Pit8253>(*this);
    if (pit == nullptr)
        return false;
    pit_ = pit;
    // The bindings cannot fail on a fresh timer; a machine without them still runs.
    for (i32 i = 0; i < Pit8253::kChannels; ++i) {
        pit->GetChannel(i)->SetInputClock(kTimerClock);
        pit->GetChannel(i)->AttachDataPort(kTimerData + i);
    }
    pit->AttachModePort(kTimerMode);

    auto* keyboard = AddNewChip<MsxKeyboard>(*this);
    if (keyboard == nullptr)
        return false;
    keyboardMatrix_ = keyboard;

    auto* mapper = AddNewChip<MsxMapper>(*this);
    if (mapper == nullptr)
        return false;
    mapper_ = mapper;

    DriveBay* bay = GetDriveBay();
    if (bay == nullptr || !bay->SetCartridgeCount(1))
        return false;
    DriveImage* slot = bay->GetKindDrive(DriveBay::kCartridge, 0);
    if (slot == nullptr || !mapper->AddRom(slot, false))
        return false;
    slot->AddFileType(PathString("rom"), StringA("MSX-1 ROM"));

    const MemorySizes& sizes = kSizes[machineType_];
    return mapper->SetMemorySizes(sizes.ramKB, sizes.romKB, sizes.extRomKB);
}

bool MsxMachine::Start(i32* rate)
{
    if (!Computer::Start(rate))
        return false;
    if (ports_ == nullptr || interrupts_ == nullptr)
        return false;
    for (u32 port = kInterfaceFirst; port <= kInterfaceLast; ++port) {
        if (!ports_->SetWriteHandler(port, this, WritePort) || !ports_->SetReadHandler(port, this, ReadPort))
            return false;
    }
    // The MSX decodes A0-A7 only.
    ports_->addressMask = 0xFF;
    if (machineType_ == kTypeMsx2) {
        for (u32 port = kRamMapperFirst; port <= kRamMapperLast; ++port) {
            if (!ports_->SetWriteHandler(port, this, WritePort) || !ports_->SetReadHandler(port, this, ReadPort))
                return false;
        }
    }
    irqPending_ = 0;
    if (!interrupts_->AddListener(this, OnInterruptQuery, OnInterruptSet, nullptr))
        return false;
    if (!SetupRoms())
        return false;
    portC_ = 0;
    if (keyboardMatrix_ != nullptr)
        keyboardMatrix_->SelectRow(0);
    return true;
}

bool MsxMachine::SetupRoms()
{
    if (memory_ == nullptr)
        return false;
    // The cartridge area follows the saved cartridges: a state sizes the memory, and the
    // mapper lays the map out again from it.
    memory_->SetStateSized(true);
    const StringA description("System BIOS (w/BASIC)");
    switch (machineType_) {
    case kTypeMsx1:
        if (memory_->GetSize() < 0x18000 && !memory_->Allocate(0x18000, 0xFFFF))
            return false;
        return LoadFileToMemory(kBiosPosition, 0, kBiosMaxSize, description, PathString("msx.rom")) != 0;
    case kTypeMsx2:
        if (memory_->GetSize() <= 0x1FFFF && !memory_->Allocate(0x20000, 0xFFFF))
            return false;
        if (LoadFileToMemory(kBiosPosition, 0, kBiosMaxSize, description, PathString("msx2.rom")) == 0)
            return false;
        return LoadFileToMemory(kBiosPosition + kBiosMaxSize, 0, kBiosMaxSize, StringA("Extended BIOS"),
                                PathString("msx2ext.rom")) != 0;
    default:
        return false;
    }
}

bool MsxMachine::SaveState(Archive& archive)
{
    const bool pending = irqPending_ != 0;
    const i32 portC = static_cast<i32>(portC_);
    return Computer::SaveState(archive) && StateBlock::SaveVersion(archive) && archive.WriteBool(&pending, "AIRQ") &&
           archive.WriteInt32(&portC, "PPIC");
}

bool MsxMachine::LoadState(Archive& archive, LoadContext context)
{
    bool pending = false;
    i32 portC = 0;
    if (!Computer::LoadState(archive, context) || !StateBlock::LoadVersion(archive) ||
        !archive.ReadBool(&pending, "AIRQ") || !archive.ReadInt32(&portC, "PPIC"))
        return false;
    irqPending_ = pending ? 1 : 0;
    // Port C is a byte.
    portC_ = static_cast<u32>(portC) & 0xFF;
    return true;
}

Msx1Machine::Msx1Machine() : MsxMachine(kTypeMsx1)
{
    SetName("MSX-1");
}

Computer* Msx1Machine::Clone() const
{
    return new Msx1Machine;
}
