// ColecoVision cartridge images: put into the slot, then the machine started and run on
// whatever program they hold.
#include "fuzz/coleco_kind.h"

namespace {

const char* const kImage = "user/game.col";

// Our test cartridge as assembled, and filled up to 16 KB (room for larger images).
void WriteSeeds(const std::filesystem::path& folder)
{
    fuzz::Bytes image = fuzz::ReadFile(KUV_ROM_COLECO_CART);
    fuzz::WriteSeed(folder, "test_cartridge", image);
    image.resize(16 * 1024, 0xFF);
    fuzz::WriteSeed(folder, "test_cartridge_16k", image);
}

} // namespace

KUV_FUZZ_SEEDS(WriteSeeds)

extern "C" int LLVMFuzzerTestOneInput(const u8* data, size_t size)
{
    fuzz::FuzzMachine m(fuzz::kColecoBiosOnly);
    fuzz::FuzzTree::WriteBytes(kImage, fuzz::Bytes(data, data + size));
    DriveImage* slot = m.Machine().GetDriveBay()->GetKindDrive(DriveBay::kCartridge, 0);
    if (slot && slot->InsertFile(fuzz::FuzzTree::PathOf(kImage)) && m.Start())
        m.RunCycles(fuzz::kCyclesAfterLoad);
    return 0;
}
