// ColecoVisionMachine: the ColecoVision video game console.
//
// Z80 at 3.579545 MHz, TMS9918 VDP, SN76489 PSG, 8 KB of BIOS ROM, 1 KB of RAM, one
// cartridge slot and two hand controllers (twelve-key keypad, joystick, two fire buttons).
// The machine binds no port group of its chips: it lays out memory, installs handlers for
// the whole I/O map and turns the VDP's frame interrupt into the Z80's NMI itself.
//
// Memory (1 KB blocks; everything outside the RAM is read only, writes are dropped):
//   0x0000-0x1FFF  BIOS "coleco.rom", exactly 8 KB, left out of saved memory states
//   0x2000-0x5FFF  nothing (zero bytes)
//   0x6000-0x63FF  RAM
//   0x6400-0x7FFF  the same RAM seven more times
//   0x8000-0xFFFF  cartridge image, up to 32 KB copied from 0x8000 on (the rest zero);
//                  copied once per start and once per state load, nothing banks
//
// I/O (the console decodes A5-A7 alone, so each function fills a block of 32 ports;
// one-byte accesses only):
//   0x80-0x9F  write  controllers to keypad mode (the value is ignored)
//   0xC0-0xDF  write  controllers to joystick mode
//   0xA0-0xBF  r/w    VDP: even port data, odd port control (write) / status (read)
//   0xE0-0xFF  write  PSG
//   0xE0-0xFF  read   controller: port bit 1 set selects controller 2, which reads 0x7F
//                     (nothing pressed); else the keypad or the joystick byte
//   anything else reads 0xFF, writes are dropped
//
// Frame interrupt: the VDP's INT output is a level, and the Z80's NMI input takes its
// edges: one NMI each time the level rises. A program that never reads the VDP status
// keeps the level up and so gets a single NMI; setting the VDP's interrupt enable while
// its frame flag is up gives one at once.
//
// Controller 1 bytes (active low, bit 7 always 0), rebuilt from the host keys whenever a
// key changes, so that a read is a field load:
//   keypad    bits 0-3 key code (digits, "*" from numpad * or "-", "#" from Enter or "="),
//             bit 6 right fire (Alt, Space, S, B); keys held together AND their codes
//   joystick  bits 0-3 up, right, down, left (cursor keys), bit 6 left fire (Ctrl, A),
//             bit 5 (Shift)
// Not emulated: controller 2, the spinner and the expansion ports.
//
// Fast BIOS screen (setting "FastLogo", acts at the next start): when the BIOS holds 0x00
// at 0x1969 and 0x11 at 0x196B, the byte at 0x196A becomes 0x05, which shortens the title
// screen's delay loop. Any other image is left untouched.
//
// State, after the Computer's "_MCH": "VER" u8 0, "JUSG" bool joystick mode. A state loads
// only while a usable cartridge image is in the slot: the image is copied again.
#pragma once

#include "base/types.h"
#include "emu/computer.h"

class Dictionary;
class ObjectList;
class OptionItem;
class Sn76489Psg;
class Tms9918Vdp;
class Z80Cpu;

class ColecoVisionMachine : public Computer {
public:
    static constexpr i32 kClock = 3579545;         // Z80 and PSG clock, Hz
    static constexpr u32 kBiosSize = 0x2000;
    static constexpr u32 kRamBlock = 24;           // 0x6000
    static constexpr u32 kRamMirrorEnd = 32;       // blocks 24..31 show the same KB
    static constexpr u32 kCartridgeStart = 0x8000;
    static constexpr u32 kCartridgeMaxSize = 0x8000;
    static constexpr u32 kCartridgeMinSize = 3;
    static constexpr u8 kReleased = 0x7F;          // a controller byte with nothing pressed

    // --- identity and life (coleco_vision.cpp) ---
    ColecoVisionMachine();
    ~ColecoVisionMachine() override;

    // A fresh machine: nothing is copied from this one.
    Computer* Clone() const override;
    const char* GetId() const override { return "coleco_v"; }
    // "Video game console \"ColecoVision\"".
    void GetDescription(ObjectList& lines) override;
    using Component::GetDescription;
    // Runs at 2450 Hz bus ticks whatever the sync setting.
    bool HasSyncFrequency() const override { return false; }

    // Services, Z80, VDP, PSG and one cartridge slot ("rom", "col", "cv"). A second call
    // on the same machine fails (the slot exists already).
    bool CreateDevices() override;
    // Forgets the chips with the devices (after a failed build, or when the core lets the
    // machine go), so that CreateDevices may build them again.
    void RemoveAllDevices() override;
    // Memory afresh, devices started, BIOS loaded and patched, handlers installed,
    // controllers released, cartridge copied. False when the BIOS or the cartridge is
    // missing or unusable (the reason is printed).
    bool Start(i32* rate) override;
    bool SaveState(Archive& archive) override;
    bool LoadState(Archive& archive, LoadContext context) override;
    // After a whole machine state has loaded: the NMI input takes the VDP's loaded level.
    bool Connect(u32 flags) override;
    // The five switches (not in the configuration snapshot), then the chips'.
    bool BindSettings(Dictionary* dict, bool enabledOnly) override;
    // True; the chips' own clamps are not run for this machine.
    bool ValidateSettings(bool enabledOnly) override;
    // Kind 6: "Motherboard" trace and break switches; kind 1: "Fast BIOS Screen"
    // (coleco_vision_menu.cpp).
    void BuildMenu(OptionItem* menu, i32 kind) override;

    // Copies the slot's image to 0x8000. Unless forced, does nothing while a state is
    // being loaded (the memory comes from the state).
    bool LoadCartridge(bool force);

    // --- I/O, interrupt and controllers (coleco_vision_io.cpp); context: the machine ---
    static bool WriteModePort(void* context, u32 port, i32 size, const u8* buffer);
    static bool WriteVdpPort(void* context, u32 port, i32 size, const u8* buffer);
    static bool WritePsgPort(void* context, u32 port, i32 size, const u8* buffer);
    static bool ReadVdpPort(void* context, u32 port, i32 size, u8* buffer, bool peek);
    static bool ReadControllerPort(void* context, u32 port, i32 size, u8* buffer, bool peek);
    // The VDP's line rising becomes an NMI of the main CPU.
    static bool OnInterruptSet(void* context, u32 line, u8 state);
    static i32 OnKeyChange(void* context, i32 key, u8 down);
    void UpdateControllers();

    // --- debugger and tests ---
    Z80Cpu* GetZ80() const { return cpu_; }
    Tms9918Vdp* GetVdp() const { return vdp_; }
    Sn76489Psg* GetPsg() const { return psg_; }
    bool IsJoystickMode() const { return joystickMode_ != 0; }
    u8 GetKeypadByte() const { return static_cast<u8>(keypadByte_); }
    u8 GetJoystickByte() const { return static_cast<u8>(joystickByte_); }
    u8& FastLogo() { return fastLogo_; }
    u8& TraceReadJoystick() { return traceReadJoystick_; }
    u8& BreakReadJoystick() { return breakReadJoystick_; }
    u8& TraceReadKeypad() { return traceReadKeypad_; }
    u8& BreakReadKeypad() { return breakReadKeypad_; }

private:
    bool MapMemory();
    bool LoadBios();
    bool InstallPorts();

    u8 traceReadJoystick_ = 0;   // "TraceReadJOY"
    u8 breakReadJoystick_ = 0;   // "BreakReadJOY"
    u8 traceReadKeypad_ = 0;     // "TraceReadKEY"
    u8 breakReadKeypad_ = 0;     // "BreakReadKEY"
    u8 fastLogo_ = 1;            // "FastLogo": patch the title-screen delay at start
    Z80Cpu* cpu_ = nullptr;      // owned by the component tree
    Tms9918Vdp* vdp_ = nullptr;  // owned by the component tree
    Sn76489Psg* psg_ = nullptr;  // owned by the component tree
    u8 joystickMode_ = 0;        // "JUSG": 0 the controller port reads the keypad, 1 the joystick
    bool nmiLevel_ = false;      // the VDP's INT output as the NMI input last saw it
    u32 keypadByte_ = kReleased;    // controller 1 in keypad mode, low byte, active low
    u32 joystickByte_ = kReleased;  // controller 1 in joystick mode, low byte, active low
};
