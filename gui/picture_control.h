// PictureControl: a native "STATIC" child window showing one image of its
// list (the current index), centred in the control over a button-face
// rectangle of the image's size and drawn transparently through the image's
// mask. The drive bar shows each drive's state icon with one.
// Windows-only; GUI thread only.
#pragma once

#include "gui/child_control.h"
#include "gui/picture_control_base.h"

class PictureControl : public PictureControlBase, public ChildControl {
public:
    // A non-null first image is added as by AddImage.
    PictureControl(const ControlBounds& bounds, ImageBase* firstImage, int alignment, bool visible, int unit);
    ~PictureControl() override;

    void ImagesChanged() override { Invalidate(); }
    bool Create() override;
    bool PaintHook(DrawContext* context, const Rect* bounds, const Rect* area, void* measure) override;

private:
    bool destroying = false;
    bool painting = false;
};
