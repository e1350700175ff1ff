// Test rig of the ColecoVision tests: the shared machine rig, its program folder holding
// the BIOS.
#pragma once

#include <algorithm>
#include <vector>

#include "base/types.h"
#include "emu/event_bus.h"
#include "emu/tests/machine_run.h"
#include "machines/coleco_vision.h"
#include "machines/tests/machine_rig.h"

namespace coleco_test {

using machine_test::ListeningRing;
using machine_test::ReadFile;
using machine_test::SoundCapture;

// Our own BIOS and cartridge, assembled at build time (tests/roms).
inline std::vector<u8> TestBios()
{
    return ReadFile(KUV_ROM_COLECO_BIOS);
}
inline std::vector<u8> TestCartridge()
{
    return ReadFile(KUV_ROM_COLECO_CART);
}

// The machine's bus rate; a frame of the TMS9918 lasts kTicksPerFrame ticks of it.
inline constexpr i32 kBusRate = 2450;

// RAM variables of the test cartridge (tests/roms/coleco_cart.asm).
inline constexpr u32 kNmiCount = 0x6000;
inline constexpr u32 kFrameCount = 0x6002;
inline constexpr u32 kKeypad1 = 0x6004;
inline constexpr u32 kJoystick1 = 0x6005;
inline constexpr u32 kPad2 = 0x6006;
inline constexpr u32 kVdpStatus = 0x6007;
inline constexpr u32 kMirrorProbe = 0x6011;

// Frequency of a square wave: rising crossings of the middle level, counted from the
// first to the last one. 0 for fewer than two.
inline double SquareFrequency(const std::vector<u8>& samples, i32 rate)
{
    const auto [lo, hi] = std::minmax_element(samples.begin(), samples.end());
    const i32 middle = samples.empty() ? 0 : (*lo + *hi) / 2;
    std::vector<size_t> rises;
    for (size_t i = 1; i < samples.size(); ++i) {
        if (samples[i - 1] <= middle && samples[i] > middle)
            rises.push_back(i);
    }
    if (rises.size() < 2)
        return 0.0;
    return static_cast<double>(rises.size() - 1) * rate / static_cast<double>(rises.back() - rises.front());
}

class ColecoRig : public machine_test::MachineRig<ColecoVisionMachine> {
public:
    ColecoRig() : MachineRig("game.col") {}

    void InstallBios(const std::vector<u8>& bytes) { ProgramTree::WriteBytes("prog/configs/coleco_v/coleco.rom", bytes); }
    // Our BIOS and cartridge in place.
    bool Prepare()
    {
        InstallBios(TestBios());
        return InsertCartridge(TestCartridge());
    }

    // As the emulation core starts a run: the bus's registration window open around the
    // start, then the bus at 2450 Hz ticked by the Z80.
    bool Start() { return machine_run::StartMachine(machine.get(), Cpu(), kBusRate); }

    // Runs the Z80 the way the core's loop does, until the VDP has had frames more frames.
    void RunFrames(u32 frames) { machine_run::RunFrames(Cpu(), machine->GetEventBus(), frames); }

    u16 PeekWord(u32 address) const { return static_cast<u16>(Peek(address) | (Peek(address + 1) << 8)); }
};

} // namespace coleco_test
