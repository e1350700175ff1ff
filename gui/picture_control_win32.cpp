#include "gui/picture_control.h"

#include "base/image_base.h"
#include "base/palette_image.h"

PictureControl::PictureControl(const ControlBounds& bounds, ImageBase* firstImage, int alignment, bool visible,
                               int unit)
    : ChildControl(bounds, alignment, visible, unit)
{
    if (firstImage != nullptr)
        AddImage(firstImage);
}

PictureControl::~PictureControl()
{
    destroying = true;
    locked = true;
}

bool PictureControl::Create()
{
    if (IsCreated())
        return true;
    if (!CreateNativeChild(L"STATIC", WS_CHILD | WS_CLIPSIBLINGS | SS_NOTIFY | SS_OWNERDRAW))
        return false;
    return ChildControl::Create();
}

bool PictureControl::PaintHook(DrawContext* context, const Rect* bounds, const Rect*, void* measure)
{
    ImageBase* image = GetImage(currentIndex);
    if (measure != nullptr || destroying || painting || image == nullptr || context == nullptr)
        return false;
    painting = true;
    const int iw = image->GetWidth(), ih = image->GetHeight();
    const int x = bounds->left + (bounds->right - bounds->left + 1 - iw) / 2;
    const int y = bounds->top + (bounds->bottom - bounds->top + 1 - ih) / 2;
    const Rect dest{x, y, x + iw - 1, y + ih - 1};
    context->GetBrush()->SetSolid(OptionalColor::Of(ColorRefToArgb(GetSysColor(COLOR_BTNFACE))));
    context->FillRectangle(dest.left, dest.top, dest.right, dest.bottom);
    context->StretchBitmap(image, nullptr, &dest, GetMask(currentIndex));
    painting = false;
    return true;
}
