#include "gui/picture_control_base.h"

#include "base/image_base.h"
#include "base/palette_image.h"

PictureControlBase::~PictureControlBase()
{
    locked = true;
    for (Image1Bpp* mask : masks)
        delete mask;
    for (ImageBase* image : images)
        delete image;
}

Image1Bpp* PictureControlBase::MakeMask(const ImageBase* image) const
{
    // Without a key colour of its own an image gets no mask and draws opaque.
    return useMasks ? image->ConvertTo1Bpp(nullptr) : nullptr;
}

void PictureControlBase::ClearImages()
{
    for (Image1Bpp* mask : masks)
        delete mask;
    for (ImageBase* image : images)
        delete image;
    masks.clear();
    images.clear();
    ImagesChanged();
}

ImageBase* PictureControlBase::GetImage(int index)
{
    if (locked || index < 0 || index >= GetImageCount())
        return nullptr;
    return images[index];
}

const Image1Bpp* PictureControlBase::GetMask(int index) const
{
    if (index < 0 || index >= static_cast<int>(masks.size()))
        return nullptr;
    return masks[index];
}

int PictureControlBase::AddImage(ImageBase* image)
{
    if (locked || image == nullptr)
        return -1;
    images.push_back(image);
    masks.push_back(MakeMask(image));
    const int index = GetImageCount() - 1;
    if (index == currentIndex)
        ImagesChanged();
    return index;
}

bool PictureControlBase::SetImage(ImageBase* image, int index)
{
    if (locked || image == nullptr || index < 0 || index >= GetImageCount())
        return false;
    ImageBase* old = images[index];
    images[index] = image;
    delete masks[index];
    masks[index] = MakeMask(image);
    if (old != image)
        delete old;
    if (index == currentIndex)
        ImagesChanged();
    return true;
}

bool PictureControlBase::SetCurrentIndex(int index)
{
    if (index != currentIndex) {
        currentIndex = index;
        ImagesChanged();
    }
    return index >= 0 && index < GetImageCount();
}
