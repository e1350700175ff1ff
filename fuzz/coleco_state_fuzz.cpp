// ColecoVision saved states, loaded into a started machine that then runs on.
#include "fuzz/coleco_kind.h"

KUV_FUZZ_SEEDS([](const std::filesystem::path& folder) { fuzz::WriteStateSeeds(fuzz::kColeco, folder); })

extern "C" int LLVMFuzzerTestOneInput(const u8* data, size_t size)
{
    return fuzz::LoadMachineState(fuzz::kColeco, data, size);
}
