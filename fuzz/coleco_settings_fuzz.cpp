// The ColecoVision's machine settings file, read as the core reads it before a run.
#include "fuzz/coleco_kind.h"

KUV_FUZZ_SEEDS([](const std::filesystem::path& folder) { fuzz::WriteSettingsSeeds(fuzz::kColeco, folder); })

extern "C" int LLVMFuzzerTestOneInput(const u8* data, size_t size)
{
    return fuzz::LoadMachineSettings(fuzz::kColeco, data, size);
}
