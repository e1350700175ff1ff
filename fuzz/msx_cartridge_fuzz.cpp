// MSX-1 cartridge images: put into the slot, identified (fingerprint, size), then the
// machine started and run on whatever program they hold.
//
// The input's first byte is the known-ROM row the rest, the image, gets: its low four
// bits a mapper type (0: no row), bit 7 "starts with R1 = 0". So the fuzzer reaches every
// mapper type, not only those that sizes select; a fingerprint cannot be aimed at.
//
// The BIOS is a few bytes of our own that start the cartridge at once, as a BIOS does once
// it has found one: C-BIOS takes 142 frames to get there, far beyond a fuzzing run.
#include "fuzz/msx_kind.h"

namespace {

const char* const kImage = "user/game.rom";

// DI; slots: BIOS, cartridge, cartridge, RAM; the stack in RAM; jump to the cartridge's
// INIT address. Interrupts (and the 0xFF bytes, RST 38h) land on EI; RET.
fuzz::Bytes BootRom()
{
    fuzz::Bytes rom(MsxMachine::kBiosMaxSize, 0xFF);
    const u8 start[] = {
        0xF3,              // DI
        0x3E, 0xD4,        // LD A,0D4h
        0xD3, 0xA8,        // OUT (0A8h),A
        0x31, 0x00, 0xF0,  // LD SP,0F000h
        0x2A, 0x02, 0x40,  // LD HL,(4002h)
        0xE9,              // JP (HL)
    };
    std::copy(std::begin(start), std::end(start), rom.begin());
    rom[0x38] = 0xFB;  // EI
    rom[0x39] = 0xC9;  // RET
    return rom;
}

fuzz::Bytes TestCartridge()
{
    return fuzz::ReadFile(KUV_ROM_MSX_CART);
}

// Our test cartridge as assembled (8 KB) with no row, filled up to the sizes at which the
// size rules change, under each row's type, and as the first bank of 128 KB of ASCII 8 KB
// banks whose bytes are their bank numbers (room for the bank registers to roam).
void WriteSeeds(const std::filesystem::path& folder)
{
    const fuzz::Bytes cart = TestCartridge();
    for (u32 size : {0x2000u, 0x4000u, 0x8000u, 0x10000u}) {
        fuzz::Bytes input{0};
        input.insert(input.end(), cart.begin(), cart.end());
        input.resize(1 + size, 0xFF);
        fuzz::WriteSeed(folder, "test_cartridge_" + std::to_string(size / 1024) + "k", input);
    }
    for (u8 type = MsxMapper::kTypeNormal8At8000; type <= MsxMapper::kTypeKonami; ++type) {
        fuzz::Bytes input{type};
        input.insert(input.end(), cart.begin(), cart.end());
        fuzz::WriteSeed(folder, "test_cartridge_type" + std::to_string(type), input);
    }
    fuzz::Bytes banked{MsxMapper::kTypeAscii8};
    banked.insert(banked.end(), cart.begin(), cart.end());
    for (size_t at = cart.size(); at < 0x20000; ++at)
        banked.push_back(static_cast<u8>(at >> 13));
    fuzz::WriteSeed(folder, "test_cartridge_128k_ascii8", banked);
}

const fuzz::MachineKind kMsx1Boot = {&fuzz::MakeMsx1, {}};

} // namespace

KUV_FUZZ_SEEDS(WriteSeeds)

extern "C" int LLVMFuzzerTestOneInput(const u8* data, size_t size)
{
    if (size == 0)
        return 0;
    static const bool placed = (fuzz::FuzzTree::WriteBytes("prog/configs/msx_1/msx.rom", BootRom()), true);
    (void)placed;
    fuzz::FuzzMachine m(kMsx1Boot);
    if (data[0] & 15) {
        fuzz::MapperOf(m)->AddKnownRom({MsxMapper::Fingerprint(data + 1, static_cast<u32>(size - 1)),
                                        static_cast<u8>(data[0] & 15), (data[0] & 0x80) != 0});
    }
    fuzz::FuzzTree::WriteBytes(kImage, fuzz::Bytes(data + 1, data + size));
    DriveImage* slot = m.Machine().GetDriveBay()->GetKindDrive(DriveBay::kCartridge, 0);
    if (slot && slot->InsertFile(fuzz::FuzzTree::PathOf(kImage)) && m.Start())
        m.RunCycles(fuzz::kCyclesAfterLoad);
    return 0;
}
