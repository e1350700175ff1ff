// MsxMachine ("MSX", "MB") and Msx1Machine ("MSX-1", "msx_1"): the MSX computer.
//
// Z80 at 3.579545 MHz, TMS9918 VDP, AY-3-891X PSG, i8253 timer, the keyboard matrix
// (MsxKeyboard), the slot mapper with 64 KB of RAM and the 32 KB BIOS "msx.rom"
// (MsxMapper) and one cartridge drive (file type "rom", cartridge A in slot 1). The
// machine decodes the three ports of the peripheral interface itself (no i8255 device)
// and stands between the VDP's interrupt output and the Z80.
//
// I/O (the port space decodes the low eight bits: 0x1A8 is 0xA8):
//   0x98       r/w  VDP data              0x99  w: VDP control  r: VDP status
//   0xA0       w    PSG register index    0xA1  w: PSG data     r: PSG data
//   0xA2       r    PSG data (where MSX software reads the registers, joystick port
//                   included: nothing connected reads no direction and no button)
//   0x84-0x86  r/w  timer counters 0-2 (2 MHz each; their outputs go nowhere)
//   0x87       w    timer control word
//   0xA8       r/w  primary slot register (MsxMapper)
//   0xA9       r    keyboard row selected by port C, active low
//   0xAA       r/w  port C: bits 0-3 select the keyboard row; bits 4-7 are kept
//                   (cassette motor and output, Caps LED, key click: not emulated)
//   0xAB       nothing (the interface's mode register; its modes are fixed here)
// Debugger peeks of 0xA8-0xAA change nothing and are neither traced nor broken on.
//
// Interrupt: the VDP's INT line (a level) sets the pending flag on its rise and clears
// it on its fall; the Z80's acknowledge clears it too, and the bus byte is 0xFF (RST 38h
// in interrupt mode 0, ignored in mode 1).
//
// Start: the computer's start (services and devices; the mapper lays out memory and
// identifies the cartridge), the handlers of 0xA8-0xAA, the interrupt listener, last the
// BIOS. A missing BIOS, or one above 32 KB, fails the start.
//
// State, after the computer's "_MCH": "VER" u8 0, "AIRQ" bool interrupt pending, "PPIC"
// i32 port C.
#pragma once

#include "base/types.h"
#include "emu/computer.h"

class Ay3891xPsg;
class MsxKeyboard;
class MsxMapper;
class Pit8253;
class Tms9918Vdp;
class Z80Cpu;

class MsxMachine : public Computer {
public:
    static constexpr i32 kClock = 3579545;     // Z80 clock, Hz
    static constexpr i32 kTimerClock = 2000000;
    static constexpr u32 kBiosPosition = 0x10000;  // the mapper's system ROM blocks
    static constexpr u32 kBiosMaxSize = 0x8000;
    // 0: the bare base (builds nothing); 1: MSX-1; 2: a larger machine no model selects.
    enum MachineType : i32 { kTypeNone = 0, kTypeMsx1 = 1, kTypeMsx2 = 2 };

    // --- identity, building, start and state (msx_machine.cpp) ---
    MsxMachine();
    ~MsxMachine() override;

    Computer* Clone() const override;
    const char* GetFamilyId() const override { return "msx"; }
    // The settings file is named after the model.
    const char* GetSettingsName() const override { return GetId(); }
    // "Computer \"MSX-1\"" for every model.
    void GetDescription(ObjectList& lines) override;
    using Component::GetDescription;

    // Services, Z80, VDP, PSG, timer, keyboard, mapper and one cartridge drive. A second
    // call on the same machine fails.
    bool CreateDevices() override;
    void RemoveAllDevices() override;
    bool Start(i32* rate) override;
    // Loads the BIOS of the machine type into the mapper's system ROM.
    virtual bool SetupRoms();
    bool SaveState(Archive& archive) override;
    bool LoadState(Archive& archive, LoadContext context) override;

    // --- peripheral interface and interrupt (msx_machine_io.cpp); context: the machine ---
    static bool ReadPort(void* context, u32 port, i32 size, u8* buffer, bool peek);
    static bool WritePort(void* context, u32 port, i32 size, const u8* buffer);
    static bool OnInterruptSet(void* context, u32 line, u8 state);
    static bool OnInterruptQuery(void* context, bool acknowledge, u32* a, u32* b, u32* data);

    // --- debugger and tests ---
    Z80Cpu* GetZ80() const { return cpu_; }
    Tms9918Vdp* GetVdp() const { return vdp_; }
    Ay3891xPsg* GetPsg() const { return psg_; }
    Pit8253* GetTimer() const { return pit_; }
    MsxKeyboard* GetKeyboardMatrix() const { return keyboardMatrix_; }
    MsxMapper* GetMapper() const { return mapper_; }
    bool IsInterruptPending() const { return irqPending_ != 0; }
    u32 GetPortC() const { return portC_; }
    i32 GetMachineType() const { return machineType_; }

protected:
    explicit MsxMachine(i32 machineType);

private:
    // The machine behind a port handler's context, when it serves the access: one byte,
    // its mapper and keyboard made; else null.
    static MsxMachine* PortMachine(void* context, i32 size);
    // 0xFC-0xFF on the larger type (the port already cut to A0-A7).
    bool IsRamMapperPort(u32 port) const;

    Z80Cpu* cpu_ = nullptr;               // owned by the component tree
    Tms9918Vdp* vdp_ = nullptr;
    Ay3891xPsg* psg_ = nullptr;
    Pit8253* pit_ = nullptr;
    MsxKeyboard* keyboardMatrix_ = nullptr;
    MsxMapper* mapper_ = nullptr;
    u8 irqPending_ = 0;                   // "AIRQ": the VDP's interrupt as last reported
    u32 portC_ = 0;                       // "PPIC": last byte written to 0xAA
    i32 machineType_ = kTypeNone;
};

class Msx1Machine : public MsxMachine {
public:
    Msx1Machine();
    Computer* Clone() const override;
    const char* GetId() const override { return "msx_1"; }
};
