// MSX-1 saved states, loaded into a started machine that then runs on.
#include "emu/memory_space.h"
#include "emu/port_space.h"
#include "fuzz/msx_kind.h"

namespace {

// C-BIOS starts the test cartridge in its 142nd frame (after its logo).
constexpr u64 kCartridgeRunning = 150;

// The states of the start, the BIOS at work and the cartridge running; then the test
// cartridge taken for an ASCII 8 KB one with SRAM, saved just after its program switched
// banks.
void WriteSeeds(const std::filesystem::path& folder)
{
    fuzz::WriteStateSeeds(fuzz::kMsx1, folder, {2, 30, kCartridgeRunning});

    std::ifstream in(KUV_ROM_MSX_CART, std::ios::binary);
    const fuzz::Bytes cart(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>{});
    fuzz::FuzzMachine m(fuzz::kMsx1);
    fuzz::MapperOf(m)->AddKnownRom({MsxMapper::Fingerprint(cart.data(), static_cast<u32>(cart.size())),
                                    MsxMapper::kTypeAscii8Sram, false});
    if (!m.InsertMedia() || !m.Start())
        return;
    m.RunCycles(kCartridgeRunning * fuzz::FrameCycles(m));
    // As a cartridge program switches: the cartridge at 0x4000-0xBFFF, ROM bank 1 at
    // 0x6000, the SRAM at 0xA000 and a byte written into it.
    m.Machine().GetPorts()->Write8(0xA8, 0xD4);
    MemorySpace* memory = m.Machine().GetMemory();
    memory->Write8(0x6800, 1);
    memory->Write8(0x7800, 0x20);
    memory->Write8(0xA010, 0x99);
    fuzz::WriteStateSeed(m, folder, "ascii8_sram_switched");
}

} // namespace

KUV_FUZZ_SEEDS(WriteSeeds)

extern "C" int LLVMFuzzerTestOneInput(const u8* data, size_t size)
{
    return fuzz::LoadMachineState(fuzz::kMsx1, data, size);
}
