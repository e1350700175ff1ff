// PictureControlInterface and PictureControlBase: a list of owned images, each
// with a one-bit mask made from its own key colour (bit 1 opaque, 0 where the
// pixel equals the key; no mask for an image without a key or with masks
// off), and the index of the image shown, which may lie outside the list
// (then nothing is shown). ImagesChanged tells the control to repaint.
// The native control is in picture_control.h.
#pragma once

#include <vector>

#include "gui/window_interface.h"

class ImageBase;
class Image1Bpp;

class PictureControlInterface : public virtual ControlInterface {
public:
    virtual void ClearImages() = 0;
    // Null when locked or outside the list.
    virtual ImageBase* GetImage(int index) = 0;
    // Takes ownership on success; false (the caller keeps the image) for a
    // null image or an index outside the list.
    virtual bool SetImage(ImageBase* image, int index) = 0;
    // Takes ownership; the new index, or -1 for a null image.
    virtual int AddImage(ImageBase* image) = 0;
    // Keeps the index; answers whether it lies within the list.
    virtual bool SetCurrentIndex(int index) = 0;
};

class PictureControlBase : public virtual PictureControlInterface {
public:
    PictureControlBase() = default;
    ~PictureControlBase() override;
    PictureControlBase(const PictureControlBase&) = delete;
    PictureControlBase& operator=(const PictureControlBase&) = delete;

    void ClearImages() override;
    ImageBase* GetImage(int index) override;
    bool SetImage(ImageBase* image, int index) override;
    int AddImage(ImageBase* image) override;
    bool SetCurrentIndex(int index) override;
    virtual void ImagesChanged() {}

    int GetCurrentIndex() const { return currentIndex; }
    int GetImageCount() const { return static_cast<int>(images.size()); }
    // The mask beside image index, or null.
    const Image1Bpp* GetMask(int index) const;
    void SetUseMasks(bool use) { useMasks = use; }

protected:
    Image1Bpp* MakeMask(const ImageBase* image) const;

    std::vector<ImageBase*> images;
    std::vector<Image1Bpp*> masks;
    bool locked = false;
    i32 currentIndex = 0;
    bool useMasks = true;
};
