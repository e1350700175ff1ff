// The BMP reader, for every family of images it is asked for.
#include <memory>

#include "base/bmp_file.h"
#include "base/direct_color_image.h"
#include "base/image_base.h"
#include "base/palette_image.h"
#include "fuzz/fuzz_support.h"

namespace {

// A small picture of each depth the writer stores.
void WriteSeeds(const std::filesystem::path& folder)
{
    const std::unique_ptr<ImageBase> images[] = {
        std::make_unique<Image1Bpp>(), std::make_unique<Image2Bpp>(), std::make_unique<Image4Bpp>(), std::make_unique<Image8Bpp>(),
        std::make_unique<Image16Bpp>(), std::make_unique<Image24Bpp>(), std::make_unique<Image32Bpp>(),
    };
    for (const auto& image : images) {
        if (!image->Create(7, 3))
            continue;
        MemoryStream stream;
        stream.Allocate(0, 1024);
        if (SaveBmpImage(stream, *image))
            fuzz::WriteSeed(folder, "depth" + std::to_string(image->GetBitsPerPixel()), fuzz::ContentOf(stream));
    }
}

} // namespace

KUV_FUZZ_SEEDS(WriteSeeds)

extern "C" int LLVMFuzzerTestOneInput(const u8* data, size_t size)
{
    for (int family : {kBmpAnyDepth, kBmpPalette, kBmpGrey, kBmpDirect}) {
        fuzz::InputStream stream(data, size);
        delete LoadBmpImage(stream, family);
    }
    return 0;
}
