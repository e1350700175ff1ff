// Ppi8255: the Intel 8255 programmable peripheral interface ("PPI I8255", trace tag "PPI").
//
// Four consecutive ports from basePort (register index = (port - basePort) AND 3):
//   0  port A      r/w   output latch, or the outside value when A is an input
//   1  port B      r/w   the same for B
//   2  port C      r/w   two halves (bits 7-4 "h", bits 3-0 "l"), each an input or output
//   3  control     r/w   write: a mode word (bit 7 set) or a port C bit set/reset (bit 7
//                        clear: bits 3-1 the bit, bit 0 its value); read: the last mode word
// Mode word: bits 6-5 group A mode (00 "basicIO", 01 "strobedIO", 1x "bidirectBus"),
// bit 4 port A in, bit 3 port C upper in, bit 2 group B mode (0 "basicIO", 1
// "strobedIO"), bit 1 port B in, bit 0 port C lower in.
//
// Emulated: the register model (mode words, directions, latches, bit set/reset through
// the port C write). Not emulated: the handshake timing of modes 1 and 2; the modes are
// recorded and traced, and every port acts as a plain latch or input in any mode.
//
// Wiring: no machine of this system builds it (the MSX decodes its three peripheral
// ports itself). ConnectPorts puts it at a range of the port space ("Ports" parameter)
// and names the outside handlers that receive what the CPU writes (whole bytes; port C
// goes out as the whole latch) and supply what it reads from an input.
//
// State, after "_DEV": "VER" u8 0, "CTRL", "A", "B", "C" i32 (control word and latches).
// A load takes the port directions and group modes from the loaded control word.
#pragma once

#include "base/types.h"
#include "emu/device.h"
#include "emu/port_space.h"

class Dictionary;
class OptionItem;

class Ppi8255 : public Device {
public:
    enum Register : i32 { kCtrl = 0, kA = 1, kB = 2, kC = 3 };
    enum Access : i32 { kTraceRead = 0, kBreakRead = 1, kTraceWrite = 2, kBreakWrite = 3 };

    // --- life, wiring, settings and state (ppi8255.cpp) ---
    Ppi8255();
    ~Ppi8255() override;

    // base < 0 disconnects (true only when context and both handlers are null too).
    // registerGroup: the "Ports" parameter is declared with groupFlag as its option and
    // enable as its connected flag; else the ports count as enabled without one.
    bool ConnectPorts(void* context, PortReadHandler read, PortWriteHandler write, i32 base, bool registerGroup,
                      u8 enable, u8 groupFlag);
    // Every port an output in mode 0, control and latches 0; raises *rate to 50.
    bool Start(i32* rate) override;
    bool SaveState(Archive& archive) override;
    bool LoadState(Archive& archive, LoadContext context) override;
    // The sixteen switches "TraceReadCTRL" .. "BreakWriteC", then the children's.
    bool BindSettings(Dictionary* dict, bool enabledOnly) override;
    // Kind 6: trace and break switches per register (ppi8255_menu.cpp).
    void BuildMenu(OptionItem* menu, i32 kind) override;

    // --- ports (ppi8255_ports.cpp); context: the device ---
    static bool ReadPort(void* context, u32 port, i32 size, u8* buffer, bool peek);
    static bool WritePort(void* context, u32 port, i32 size, const u8* buffer);
    void WritePortA(u8 value) { WritePortAB(0, value); }
    void WritePortB(u8 value) { WritePortAB(1, value); }
    void WritePortC(u8 value);
    void WriteControl(u8 value);
    u8 ReadPortA(bool peek) { return ReadPortAB(0, peek); }
    u8 ReadPortB(bool peek) { return ReadPortAB(1, peek); }
    u8 ReadPortC(bool peek);

    // --- inspection ---
    u8& Flag(Register reg, Access access) { return flags_[4 * reg + access]; }
    u32 GetControl() const { return control_; }
    u32 GetLatch(Register reg) const { return reg == kA ? latchA_ : reg == kB ? latchB_ : latchC_; }
    bool IsInput(Register reg) const { return reg == kA ? inputA_ : reg == kB ? inputB_ : (inputCUpper_ && inputCLower_); }
    u32 GetModeA() const { return modeA_; }
    u32 GetModeB() const { return modeB_; }
    bool ArePortsEnabled() const { return portsEnabled_; }

private:
    void WritePortAB(i32 which, u8 value);
    u8 ReadPortAB(i32 which, bool peek);
    // Directions and modes from a mode word.
    void TakeModeWord(u8 value);
    bool WriteConnected() const { return outsideWrite_ && outsideWrite_ != &Ppi8255::WritePort; }
    bool ReadConnected() const { return outsideRead_ && outsideRead_ != &Ppi8255::ReadPort; }

    u8 flags_[16] = {};            // Trace/Break Read/Write of CTRL, A, B, C, in that order
    bool portsEnabled_ = false;    // enable flag of the "Ports" parameter
    u64 basePort_ = 0;             // first of the four ports
    u64 portCount_ = 0;            // 4 once connected
    PortReadHandler outsideRead_ = &Ppi8255::ReadPort;
    PortWriteHandler outsideWrite_ = &Ppi8255::WritePort;
    void* outsideContext_ = this;
    u32 control_ = 0;              // last mode word (8 bits)
    u32 latchA_ = 0;               // output latches (8 bits each)
    u32 latchB_ = 0;
    u32 latchC_ = 0;
    u32 inputA_ = 0;               // 1: the port is an input
    u32 inputB_ = 0;
    u32 inputCUpper_ = 0;          // port C bits 7-4
    u32 inputCLower_ = 0;          // port C bits 3-0
    u32 modeA_ = 0;                // group A mode 0, 1 or 2
    u32 modeB_ = 0;                // group B mode 0 or 1
};
