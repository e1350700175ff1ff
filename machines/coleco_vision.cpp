// ColecoVision: identity, building, start with the memory map and BIOS, cartridge copy,
// state and settings.
#include "machines/coleco_vision.h"

#include "base/archive.h"
#include "base/dictionary.h"
#include "base/object_list.h"
#include "base/string_a.h"
#include "base/string_w.h"
#include "base/value.h"
#include "cpu/z80_cpu.h"
#include "emu/drive_bay.h"
#include "emu/drive_image.h"
#include "emu/interrupt_lines.h"
#include "emu/keyboard_service.h"
#include "emu/memory_space.h"
#include "emu/port_space.h"
#include "emu/state_block.h"
#include "machines/machine_chips.h"
#include "emu/trace_report.h"
#include "sound/sn76489.h"
#include "video/tms9918.h"

namespace {

constexpr u32 kMemorySize = 0x10000;
constexpr u32 kBlockCount = kMemorySize >> 10;
constexpr u32 kBiosBlocks = ColecoVisionMachine::kBiosSize >> 10;

constexpr u32 kAccessRead = 1;
constexpr u32 kAccessReadWrite = 3;

// The title screen's delay: a counter loaded from the byte at 0x196A by the code around
// it; 0x05 in place of the BIOS's own value cuts the wait to a fraction.
constexpr u32 kLogoPatchAt = 0x196A;
constexpr u8 kLogoPatchBefore = 0x00;  // byte at 0x1969
constexpr u8 kLogoPatchAfter = 0x11;   // byte at 0x196B
constexpr u8 kLogoPatchValue = 0x05;

const char* const kCartridgeError = "[INIT] Cartrige slot is empty or has incorrect format!";

} // namespace

ColecoVisionMachine::ColecoVisionMachine()
{
    SetName("ColecoVision");
}

ColecoVisionMachine::~ColecoVisionMachine() = default;

Computer* ColecoVisionMachine::Clone() const
{
    return new ColecoVisionMachine;
}

void ColecoVisionMachine::GetDescription(ObjectList& lines)
{
    StringW text;
    text.Assign(StringA("Video game console \"ColecoVision\""));
    lines.Add(text);
}

void ColecoVisionMachine::RemoveAllDevices()
{
    cpu_ = nullptr;
    vdp_ = nullptr;
    psg_ = nullptr;
    Computer::RemoveAllDevices();
}

bool ColecoVisionMachine::CreateDevices()
{
    // The chips exist once per machine object: a second build would add them twice.
    if (cpu_ || vdp_ || psg_)
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
    vdp->ConnectIrq(0, true, false);

    auto* psg = AddNewChip<Sn76489Psg>(*this);
    if (psg == nullptr)
        return false;
    psg_ = psg;
    if (!psg->SetToneClock(kClock))
        return false;

    DriveBay* bay = GetDriveBay();
    if (!bay || !bay->SetCartridgeCount(1))
        return false;
    DriveImage* slot = bay->GetKindDrive(DriveBay::kCartridge, 0);
    if (!slot)
        return false;
    for (const char* extension : {"rom", "col", "cv"})
        slot->AddFileType(PathString(extension), StringA("Coleco ROM"));
    return true;
}

bool ColecoVisionMachine::Start(i32* rate)
{
    if (!memory_ || !memory_->Allocate(kMemorySize, 0))
        return false;
    if (!Computer::Start(rate))
        return false;
    if (rate && *rate < 2000)
        *rate = 2000;
    if (!keyboard_ || !keyboard_->AddListener(this, OnKeyChange))
        return false;
    if (!interrupts_ || !interrupts_->AddListener(this, nullptr, OnInterruptSet, nullptr))
        return false;
    if (!MapMemory() || !LoadBios() || !InstallPorts())
        return false;
    // A key held across the start reads as released until some key changes.
    joystickMode_ = 0;
    nmiLevel_ = false;
    joystickByte_ = kReleased;
    keypadByte_ = kReleased;
    return LoadCartridge(false);
}

bool ColecoVisionMachine::MapMemory()
{
    // The whole cartridge window is ROM, its last KB included: a program must not be able
    // to overwrite its own image (nor carry the damage into a saved state).
    if (!memory_->SetAccess(kAccessRead, 0, kBlockCount))
        return false;
    // The RAM decoder ignores A10-A12: every KB of 0x6000-0x7FFF is the same RAM. Each
    // mirror is served from the RAM block's bytes rather than aliased to it, so that the
    // CPU reads and writes all of them on its direct path (the stack lives in a mirror).
    u8* ram = memory_->GetMemory() + static_cast<size_t>(kRamBlock) * kMemBlockSize;
    for (u32 b = kRamBlock; b < kRamMirrorEnd; ++b) {
        if (!memory_->SetAccess(kAccessReadWrite, b, 1))
            return false;
        memory_->MapBuffer(b, 1, ram);
    }
    return true;
}

bool ColecoVisionMachine::LoadBios()
{
    if (LoadFileToMemory(0, kBiosSize, kBiosSize, StringA("ROM BIOS"), PathString("coleco.rom")) == 0)
        return false;
    memory_->SetBlockAttribute(false, 0, kBiosBlocks);
    u8* store = memory_->GetMemory();
    if (fastLogo_ && store[kLogoPatchAt - 1] == kLogoPatchBefore && store[kLogoPatchAt + 1] == kLogoPatchAfter)
        store[kLogoPatchAt] = kLogoPatchValue;
    return true;
}

bool ColecoVisionMachine::InstallPorts()
{
    if (!ports_)
        return false;
    bool ok = true;
    for (u32 port = 0x80; port <= 0x9F; ++port)
        ok = ok && ports_->SetWriteHandler(port, this, WriteModePort);
    for (u32 port = 0xC0; port <= 0xDF; ++port)
        ok = ok && ports_->SetWriteHandler(port, this, WriteModePort);
    for (u32 port = 0xE0; port <= 0xFF; ++port)
        ok = ok && ports_->SetReadHandler(port, this, ReadControllerPort);
    for (u32 port = 0xA0; port <= 0xBF; ++port)
        ok = ok && ports_->SetWriteHandler(port, this, WriteVdpPort);
    for (u32 port = 0xA0; port <= 0xBF; ++port)
        ok = ok && ports_->SetReadHandler(port, this, ReadVdpPort);
    for (u32 port = 0xE0; port <= 0xFF; ++port)
        ok = ok && ports_->SetWriteHandler(port, this, WritePsgPort);
    if (!ok)
        return false;
    // The console ignores A8-A15 (and within A0-A7 only A5-A7 and A0-A1 matter).
    ports_->addressMask = 0xFF;
    return true;
}

bool ColecoVisionMachine::LoadCartridge(bool force)
{
    if (!force && IsLoadingState())
        return true;
    DriveImage* slot = driveBay_ ? driveBay_->GetKindDrive(DriveBay::kCartridge, 0) : nullptr;
    if (!slot)
        return false;
    if (!slot->HasFile() || !slot->GetLatch()) {
        ConsoleReport::PrintError(this, kCartridgeError);
        return false;
    }
    const u64 size = slot->GetFileSize();
    u8* store = memory_ ? memory_->GetMemory() : nullptr;
    if (size < kCartridgeMinSize || size > kCartridgeMaxSize || !store ||
        memory_->GetSize() < kCartridgeStart + kCartridgeMaxSize) {
        slot->SetExamined(true);
        slot->SetAccepted(false);
        slot->SetChangedFlag(false);
        ConsoleReport::PrintError(this, kCartridgeError);
        return false;
    }
    // Straight into the backing store: the cartridge window is read only for the CPU.
    const u64 read = slot->GetStream().ReadAt(store + kCartridgeStart, 0, size);
    if (read != 0)
        slot->SetRead(true);
    slot->SetExamined(true);
    slot->SetChangedFlag(false);
    if (read == size) {
        slot->SetAccepted(true);
        return true;
    }
    slot->SetAccepted(false);
    ConsoleReport::PrintError(this, kCartridgeError);
    return false;
}

bool ColecoVisionMachine::SaveState(Archive& archive)
{
    const bool joystick = joystickMode_ != 0;
    return Computer::SaveState(archive) && StateBlock::SaveVersion(archive) && archive.WriteBool(&joystick, "JUSG");
}

bool ColecoVisionMachine::LoadState(Archive& archive, LoadContext context)
{
    if (!Computer::LoadState(archive, context) || !StateBlock::LoadVersion(archive))
        return false;
    bool joystick = false;
    if (!archive.ReadBool(&joystick, "JUSG"))
        return false;
    joystickMode_ = joystick ? 1 : 0;
    keypadByte_ = kReleased;
    joystickByte_ = kReleased;
    if (!LoadCartridge(true))
        return false;
    // The bytes follow the keys held now, not those of the moment of saving.
    UpdateControllers();
    return true;
}

bool ColecoVisionMachine::Connect(u32 flags)
{
    if (!Computer::Connect(flags))
        return false;
    // Once the chips have their loaded state, the NMI input's last level is the VDP's
    // output: an NMI already taken for it is in the CPU's state, the next comes with the
    // next rise.
    if (flags == kConnectStateLoaded)
        nmiLevel_ = vdp_ && vdp_->IsInterruptAsserted();
    return true;
}

bool ColecoVisionMachine::BindSettings(Dictionary* dict, bool enabledOnly)
{
    // Debugger switches and the start-up option belong to the settings file, not to the
    // configuration snapshot of a saved state.
    if (dict && !enabledOnly) {
        dict->BindFlag("TraceReadJOY", &traceReadJoystick_);
        dict->BindFlag("BreakReadJOY", &breakReadJoystick_);
        dict->BindFlag("TraceReadKEY", &traceReadKeypad_);
        dict->BindFlag("BreakReadKEY", &breakReadKeypad_);
        dict->BindFlag("FastLogo", &fastLogo_);
    }
    return ComponentGroup::BindSettings(dict, enabledOnly);
}

bool ColecoVisionMachine::ValidateSettings(bool enabledOnly)
{
    (void)enabledOnly;
    return true;
}
