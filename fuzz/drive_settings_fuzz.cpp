// The drive settings file ("drv"): the images it names are opened again in the drives.
#include "fuzz/coleco_kind.h"

namespace {

const char* const kDriveFile = "user/settings/drives.drv";

void WriteSeeds(const std::filesystem::path& folder)
{
    fuzz::FuzzMachine m(fuzz::kColeco);
    DriveBay* bay = m.Machine().GetDriveBay();
    fuzz::FuzzTree::MakeFolder("user/settings");
    for (bool inserted : {false, true}) {
        if (inserted && !m.InsertMedia())
            return;
        if (!bay->SaveSettingsFile(fuzz::FuzzTree::PathOf(kDriveFile)))
            return;
        fuzz::WriteSeed(folder, inserted ? "cartridge" : "empty", fuzz::FuzzTree::Read(kDriveFile));
    }
    fuzz::FuzzTree::Remove(kDriveFile);
}

} // namespace

KUV_FUZZ_SEEDS(WriteSeeds)

extern "C" int LLVMFuzzerTestOneInput(const u8* data, size_t size)
{
    fuzz::FuzzMachine m(fuzz::kColeco);
    fuzz::FuzzTree::WriteBytes(kDriveFile, fuzz::Bytes(data, data + size));
    m.Machine().GetDriveBay()->LoadSettingsFile(fuzz::FuzzTree::PathOf(kDriveFile));
    return 0;
}
