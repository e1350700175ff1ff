#include "gui/draw_context.h"

#include <algorithm>

DrawContextInterface::~DrawContextInterface()
{
    delete font_;
    delete pen_;
    delete brush_;
}

Font* DrawContextInterface::GetFont()
{
    if (font_ == nullptr) {
        font_ = new Font;
        font_->listener = this;
    }
    return font_;
}

Pen* DrawContextInterface::GetPen()
{
    if (pen_ == nullptr) {
        pen_ = new Pen;
        pen_->listener = this;
    }
    return pen_;
}

Brush* DrawContextInterface::GetBrush()
{
    if (brush_ == nullptr) {
        brush_ = new Brush;
        brush_->listener = this;
    }
    return brush_;
}

void DrawContextInterface::SetClipRect(const Rect& rect)
{
    clip_.left = std::min(rect.left, rect.right);
    clip_.right = std::max(rect.left, rect.right);
    clip_.top = std::min(rect.top, rect.bottom);
    clip_.bottom = std::max(rect.top, rect.bottom);
    clipSet_ = true;
}

bool DrawContextInterface::GetClipRect(Rect* rect)
{
    if (clipSet_ && rect != nullptr)
        *rect = clip_;
    return clipSet_;
}

bool DrawContextInterface::Polyline(const Point* points, int count)
{
    if (points == nullptr || count < 1)
        return false;
    if (!MoveTo(points[0].x, points[0].y))
        return false;
    for (int i = 1; i < count; ++i)
        if (!LineTo(points[i].x, points[i].y))
            return false;
    return true;
}

bool DrawContextInterface::StretchBitmapEx(bool* flag, const ImageBase* image, const Rect* source, const Rect* dest,
                                           const ImageBase* mask)
{
    if (flag != nullptr)
        *flag = false;
    return StretchBitmap(image, source, dest, mask);
}
