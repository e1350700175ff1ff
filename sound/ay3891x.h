// AY-3-891X programmable sound generator: sixteen registers behind an index port and a
// data port, three tone generators (Ay3891xSound), and two 8-bit I/O ports.
//
// Ports (the group "PORTS" from AttachPorts(base); the MSX-1 passes 0xA0):
//   base + 0  write: register index (low 4 bits)      read: 0
//   base + 1  write: data to the indexed register     read: the indexed register
//   base + 2  write: not handled                      read: the indexed register
// The MSX reads the registers at 0xA2; 0xA1 answers reads the same way.
//
// Registers:
//   R0/R1, R2/R3, R4/R5  tone period of A, B, C (12 bits; 0 plays as 1)
//   R6                   noise period (5 bits; 0 plays as 1)
//   R7                   mixer: bits 0-2 tone off A-C, 3-5 noise off A-C; bit 6 port A,
//                        bit 7 port B: 1 output, 0 input
//   R8-R10               amplitude of A-C (bits 0-3), bit 4 envelope
//   R11/R12              envelope period (16 bits; 0 plays as 1)
//   R13                  envelope shape (4 bits); every write restarts the envelope
//   R14, R15             I/O ports A and B
// All eight bits of every register are kept and read back.
//
// I/O ports: in output mode a write of R14/R15 goes to the port's write callback; in
// input mode a read asks the port's read callback, which may pull lines of the byte low:
// nothing connected reads 0xFF (the lines' pull-ups; on the MSX no joystick moved and no
// button pressed). Otherwise reads answer the register.
//
// Emulated: the register file, tone, 17-bit noise, the mixer, the sixteen envelope
// shapes, the level curve; the YM-2149F's 32-step envelope ("YamahaMode"). Not emulated:
// the analogue output stage. Every access can be traced and can break into the debugger
// (the data writes and reads per register); a broken write changes nothing.
//
// Wiring: the machine adds the device, calls AttachPorts with the index port's address,
// and may install port callbacks (SetPortA, SetPortB).
//
// State: the sound device's "_SNDD", then "VER" u8 0, "REGI" i32 register index 0..15,
// "REGD" 16-byte blob R0..R15, "WDAI" bool data written. The generators are children
// with states of their own.
#pragma once

#include "base/types.h"
#include "sound/ay3891x_sound.h"
#include "sound/sound_device.h"

class Ay3891xPsg : public SoundDevice {
public:
    static constexpr i32 kChannels = 3;
    static constexpr i32 kRegisters = 16;
    static constexpr i32 kPortCount = 3;
    // The tone clock: the MSX-1's 3579545 Hz / 16.
    static constexpr i32 kToneClock = 223722;

    // (context, byte in and out, peek): the lines the device pulls low; true when taken.
    using PortReadCallback = bool (*)(void* context, u8* value, bool peek);
    using PortWriteCallback = void (*)(void* context, u8 value);

    Ay3891xPsg();
    ~Ay3891xPsg() override;

    // --- ay3891x.cpp ---
    bool BindSettings(Dictionary* dict, bool enabledOnly) override;
    // Starts the generators; registers 0 but R7 = 0xFF, index 0; generators primed.
    bool Start(i32* rate) override;
    // The chip's input clock in Hz; the channels count against clock / 16, rounded.
    bool SetToneClock(i32 hz) override;
    bool SaveState(Archive& archive) override;
    bool LoadState(Archive& archive, LoadContext context) override;

    // The port group "PORTS" at base (above); a negative base only withdraws it.
    bool AttachPorts(i32 base);
    static bool ReadPort(void* context, u32 port, i32 size, u8* out, bool peek);
    static bool WritePort(void* context, u32 port, i32 size, const u8* value);
    void WriteIndex(u8 value);
    void WriteData(u8 value);
    u8 ReadData(bool peek);

    void SetPortA(void* context, PortReadCallback read, PortWriteCallback write);
    void SetPortB(void* context, PortReadCallback read, PortWriteCallback write);

    // --- ay3891x_menu.cpp ---
    void BuildMenu(OptionItem* menu, i32 kind) override;

    // --- debugger and tests ---
    Ay3891xSound* GetGenerator(i32 index) const { return static_cast<Ay3891xSound*>(GetChannel(index)); }
    u32 GetRegisterIndex() const { return index_; }
    u8 GetRegister(i32 r) const { return regs_[r & 15]; }
    u8& YamahaMode() { return yamahaMode_; }
    u8& DisableNoise() { return disableNoise_; }
    u8& TraceWriteRegister(i32 r) { return traceReg_[r & 15]; }
    u8& BreakWriteRegister(i32 r) { return breakReg_[r & 15]; }
    u8& TraceReadRegister(i32 r) { return traceReg_[kRegisters + (r & 15)]; }
    u8& BreakReadRegister(i32 r) { return breakReg_[kRegisters + (r & 15)]; }

private:
    struct IoPort {
        void* context = nullptr;
        PortReadCallback read = nullptr;
        PortWriteCallback write = nullptr;
    };
    // The generators' effect of a data write to r (the write was reported and not
    // broken).
    void ApplyWrite(u32 r, u8 value);
    // The tone, noise or envelope period that writing value to r gives (0 plays as 1).
    i32 PeriodOf(u32 r, u8 value) const;
    u8 ReadIoPort(i32 which, u8 stored, bool peek);

    // Trace and break switches: ports by PortSwitch; registers with the sixteen write
    // switches first and the sixteen read switches after them (the menus set each array
    // with one action).
    enum PortSwitch { kWriteIndex = 0, kWriteData = 1, kReadData = 2 };
    u8 tracePort_[3] = {};
    u8 breakPort_[3] = {};
    u8 traceReg_[2 * kRegisters] = {};
    u8 breakReg_[2 * kRegisters] = {};

    i64 portBase_ = 0;              // first port of "PORTS"
    u32 index_ = 0;                 // [REGI] 0..15
    u8 regs_[kRegisters] = {};      // [REGD] R0..R15, all bits
    bool dataWritten_ = false;      // [WDAI] set by a data write and Start, cleared by an index write
    u8 yamahaMode_ = 0;             // "YamahaMode": YM-2149F envelope
    u8 disableNoise_ = 0;           // "DisableNoise"
    IoPort io_[2];                  // A, B
};
