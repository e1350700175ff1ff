#include <windows.h>

#include <algorithm>
#include <vector>

#include "base/image_base.h"
#include "gui/draw_context.h"

namespace {

HDC AsDc(void* dc)
{
    return static_cast<HDC>(dc);
}

void DeleteGdiObject(void* object)
{
    DeleteObject(static_cast<HGDIOBJ>(object));
}

COLORREF ColorOrBlack(const OptionalColor& color)
{
    return color.IsSet() ? ArgbToColorRef(color.argb) : 0;
}

struct FaceOfKind {
    const wchar_t* face;
    BYTE pitchAndFamily;
};

constexpr FaceOfKind kFaces[] = {
    {L"", 0}, {L"Arial", 0x22}, {L"Courier New", 0x31}, {L"Times New Roman", 0x12}, {L"Microsoft Sans Serif", 0x22}};

HFONT MakeFont(const FontBase& font)
{
    LOGFONTW logFont{};
    if (font.GetSize() > 0) {
        HDC screen = GetDC(nullptr);
        if (screen != nullptr) {
            logFont.lfHeight = -MulDiv(font.GetSize(), GetDeviceCaps(screen, LOGPIXELSY), 72);
            ReleaseDC(nullptr, screen);
        }
    }
    u32 style = 0;
    if (font.GetStyle(&style)) {
        logFont.lfWeight = (style & 1) != 0 ? FW_BOLD : FW_NORMAL;
        logFont.lfItalic = (style & 2) != 0 ? TRUE : FALSE;
    }
    logFont.lfCharSet = DEFAULT_CHARSET;
    const FaceOfKind& face = kFaces[font.FaceKind()];
    logFont.lfPitchAndFamily = face.pitchAndFamily;
    lstrcpynW(logFont.lfFaceName, face.face, LF_FACESIZE);
    return CreateFontIndirectW(&logFont);
}

HPEN MakePen(const PenBase& pen)
{
    const int kind = pen.GetKind();
    if (kind < 0 || kind > 2)
        return nullptr;
    return CreatePen(kind == 2 ? PS_DOT : PS_SOLID, std::max(1, pen.GetWidth()), ColorOrBlack(pen.Color()));
}

HBRUSH MakeBrush(const BrushBase& brush)
{
    const int kind = brush.GetKind();
    if (kind == 0 || kind == 1)
        return CreateSolidBrush(ColorOrBlack(brush.Color()));
    if (kind == 2) {
        LOGBRUSH logBrush{BS_NULL, 0, 0};
        return CreateBrushIndirect(&logBrush);
    }
    return nullptr;
}

// Takes (or makes) the cached object and counts one more selection.
template <class Make>
void* Acquire(GdiHandleCache& cache, Make make)
{
    if (cache.handle == nullptr)
        cache.handle = make();
    if (cache.handle != nullptr)
        ++cache.useCount;
    return cache.handle;
}

UINT TextFlagsOf(int alignment)
{
    switch (alignment) {
    case 0: return DT_CENTER | DT_VCENTER;
    case 1: return DT_LEFT | DT_VCENTER;
    case 2: return DT_CENTER | DT_TOP;
    case 3: return DT_LEFT | DT_TOP;
    case 4: return DT_RIGHT | DT_VCENTER;
    case 6: return DT_RIGHT | DT_TOP;
    case 8: return DT_CENTER | DT_BOTTOM;
    case 9: return DT_LEFT | DT_BOTTOM;
    case 12: return DT_RIGHT | DT_BOTTOM;
    default: return 0;
    }
}

// Corners in either order, both inclusive, as (left, top, right, bottom).
RECT Normalised(const Rect& r)
{
    return RECT{std::min(r.left, r.right), std::min(r.top, r.bottom), std::max(r.left, r.right),
                std::max(r.top, r.bottom)};
}

} // namespace

DrawContext::DrawContext()
{
    gdiObjectDeleter = DeleteGdiObject;
}

DrawContext::~DrawContext()
{
    End();
    if (dc_ != nullptr && dcObtained_)
        ReleaseDC(static_cast<HWND>(window_), AsDc(dc_));
}

void DrawContext::SelectFontObject()
{
    Font* font = font_;
    if (font == nullptr || font->IsDefaultShape())
        return;
    selectedFont_ = Acquire(font->cache, [font] { return MakeFont(*font); });
    if (selectedFont_ != nullptr)
        replacedFont_ = SelectObject(AsDc(dc_), static_cast<HGDIOBJ>(selectedFont_));
}

void DrawContext::DeselectFontObject()
{
    if (selectedFont_ == nullptr)
        return;
    SelectObject(AsDc(dc_), static_cast<HGDIOBJ>(replacedFont_));
    selectedFont_ = replacedFont_ = nullptr;
    GdiHandleCache& cache = font_->cache;
    if (--cache.useCount == 0 && cache.pendingMask != 0)
        font_->NotifyChanged(cache.pendingMask);
}

void DrawContext::SelectPenObject()
{
    Pen* pen = pen_;
    if (pen == nullptr || pen->IsDefault())
        return;
    selectedPen_ = Acquire(pen->cache, [pen] { return MakePen(*pen); });
    if (selectedPen_ != nullptr)
        replacedPen_ = SelectObject(AsDc(dc_), static_cast<HGDIOBJ>(selectedPen_));
}

void DrawContext::DeselectPenObject()
{
    if (selectedPen_ == nullptr)
        return;
    SelectObject(AsDc(dc_), static_cast<HGDIOBJ>(replacedPen_));
    selectedPen_ = replacedPen_ = nullptr;
    GdiHandleCache& cache = pen_->cache;
    if (--cache.useCount == 0 && cache.pendingMask != 0)
        pen_->NotifyChanged(cache.pendingMask);
}

void DrawContext::SelectBrushObject()
{
    Brush* brush = brush_;
    if (brush == nullptr || brush->IsDefault())
        return;
    selectedBrush_ = Acquire(brush->cache, [brush] { return MakeBrush(*brush); });
    if (selectedBrush_ != nullptr)
        replacedBrush_ = SelectObject(AsDc(dc_), static_cast<HGDIOBJ>(selectedBrush_));
}

void DrawContext::DeselectBrushObject()
{
    if (selectedBrush_ == nullptr)
        return;
    SelectObject(AsDc(dc_), static_cast<HGDIOBJ>(replacedBrush_));
    selectedBrush_ = replacedBrush_ = nullptr;
    GdiHandleCache& cache = brush_->cache;
    if (--cache.useCount == 0 && cache.pendingMask != 0)
        brush_->NotifyChanged(cache.pendingMask);
}

bool DrawContext::Begin()
{
    if (window_ == nullptr && dc_ == nullptr)
        return false;
    active_ = true;
    if (dc_ == nullptr) {
        dc_ = GetDC(static_cast<HWND>(window_));
        if (dc_ == nullptr) {
            active_ = false;
            return false;
        }
        dcObtained_ = true;
    }
    HDC dc = AsDc(dc_);
    savedTextColor_ = GetTextColor(dc);
    if (font_ != nullptr && font_->Color().IsSet())
        SetTextColor(dc, ArgbToColorRef(font_->Color().argb));
    savedRop2_ = GetROP2(dc);
    const int mix = pen_ != nullptr ? pen_->GetMixMode() : 0;
    if (mix == 1 && savedRop2_ != R2_COPYPEN)
        SetROP2(dc, R2_COPYPEN);
    else if (mix == 2 && savedRop2_ != R2_XORPEN)
        SetROP2(dc, R2_XORPEN);
    else if (mix != 1 && mix != 2 && savedRop2_ == 0)
        SetROP2(dc, R2_COPYPEN);
    SelectFontObject();
    SelectPenObject();
    SelectBrushObject();
    savedBkMode_ = GetBkMode(dc);
    SetBkMode(dc, TRANSPARENT);
    return true;
}

void DrawContext::End()
{
    if (!active_)
        return;
    HDC dc = AsDc(dc_);
    SetTextColor(dc, savedTextColor_);
    DeselectFontObject();
    if (savedRop2_ != 0)
        SetROP2(dc, savedRop2_);
    DeselectPenObject();
    DeselectBrushObject();
    if (savedBkMode_ != 0)
        SetBkMode(dc, savedBkMode_);
    if (dcObtained_)
        ReleaseDC(static_cast<HWND>(window_), dc);
    if (dcObtained_)
        dc_ = nullptr;
    dcObtained_ = false;
    active_ = false;
}

void DrawContext::FontChanged(u32 mask)
{
    if (dc_ == nullptr || !active_)
        return;
    if ((mask & font_change::kColor) != 0) {
        const bool hasColor = font_ != nullptr && font_->Color().IsSet();
        SetTextColor(AsDc(dc_), hasColor ? ArgbToColorRef(font_->Color().argb) : savedTextColor_);
        if (mask == font_change::kColor)
            return;
    }
    DeselectFontObject();
    SelectFontObject();
}

void DrawContext::PenChanged(u32 mask)
{
    if (dc_ == nullptr || !active_)
        return;
    if ((mask & pen_change::kMixMode) != 0) {
        const int mix = pen_ != nullptr ? pen_->GetMixMode() : 0;
        SetROP2(AsDc(dc_), mix == 1 ? R2_COPYPEN : mix == 2 ? R2_XORPEN : savedRop2_);
        if (mask == pen_change::kMixMode)
            return;
    }
    DeselectPenObject();
    SelectPenObject();
}

void DrawContext::BrushChanged(u32)
{
    if (dc_ == nullptr || !active_)
        return;
    DeselectBrushObject();
    SelectBrushObject();
}

bool DrawContext::MoveTo(int x, int y)
{
    return dc_ != nullptr && MoveToEx(AsDc(dc_), x, y, nullptr) != FALSE;
}

bool DrawContext::LineTo(int x, int y)
{
    return dc_ != nullptr && ::LineTo(AsDc(dc_), x, y) != FALSE;
}

bool DrawContext::Polyline(const Point* points, int count)
{
    if (dc_ == nullptr || points == nullptr || count < 1)
        return false;
    std::vector<POINT> native(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
        native[static_cast<size_t>(i)] = POINT{points[i].x, points[i].y};
    return ::Polyline(AsDc(dc_), native.data(), count) != FALSE;
}

bool DrawContext::GetTextExtent(const StringW& text, int* width, int* height)
{
    *width = *height = 0;
    if (text.IsEmpty())
        return true;
    SIZE size;
    if (dc_ == nullptr || !GetTextExtentPoint32W(AsDc(dc_), text.CStr(), text.GetLength(), &size))
        return false;
    *width = size.cx;
    *height = size.cy;
    return true;
}

int DrawContext::DrawTextAt(const StringW& text, int x, int y)
{
    if (dc_ == nullptr)
        return 0;
    RECT r{x, y, x, y};
    return DrawTextW(AsDc(dc_), text.CStr(), -1, &r, DT_SINGLELINE | DT_NOCLIP);
}

int DrawContext::DrawTextInRect(const StringW& text, int left, int top, int right, int bottom, int alignment)
{
    if (dc_ == nullptr)
        return 0;
    RECT r{left, top, right, bottom};
    return DrawTextW(AsDc(dc_), text.CStr(), -1, &r, DT_SINGLELINE | TextFlagsOf(alignment));
}

bool DrawContext::DrawRectangle(int x1, int y1, int x2, int y2)
{
    if (dc_ != nullptr)
        Rectangle(AsDc(dc_), x1, y1, x2 + 1, y2 + 1);
    return true;
}

bool DrawContext::FrameRectangle(int x1, int y1, int x2, int y2)
{
    POINT saved;
    if (dc_ == nullptr || !MoveToEx(AsDc(dc_), x1, y1, &saved))
        return false;
    HDC dc = AsDc(dc_);
    ::LineTo(dc, x2, y1);
    ::LineTo(dc, x2, y2);
    ::LineTo(dc, x1, y2);
    ::LineTo(dc, x1, y1);
    MoveToEx(dc, saved.x, saved.y, nullptr);
    return true;
}

bool DrawContext::FillRectangle(int x1, int y1, int x2, int y2)
{
    if (dc_ == nullptr || selectedBrush_ == nullptr)
        return false;
    RECT r{x1, y1, x2 + 1, y2 + 1};
    return FillRect(AsDc(dc_), &r, static_cast<HBRUSH>(selectedBrush_)) != 0;
}

bool DrawContext::StretchBitmap(const ImageBase* image, const Rect* source, const Rect* dest, const ImageBase* mask)
{
    if (window_ == nullptr || dc_ == nullptr || image == nullptr || image->GetPixels() == nullptr ||
        image->GetWidth() <= 0 || image->GetHeight() <= 0)
        return false;
    const int width = image->GetWidth(), height = image->GetHeight();
    RECT src{0, 0, width - 1, height - 1};
    if (source != nullptr) {
        src = Normalised(*source);
        if (src.right < 0 || src.bottom < 0 || src.left >= width || src.top >= height)
            return true;
    }
    RECT client;
    if (!::GetClientRect(static_cast<HWND>(window_), &client))
        return false;
    RECT dst{client.left, client.top, client.right - 1, client.bottom - 1};
    if (dest != nullptr) {
        dst = Normalised(*dest);
        if (dst.right < client.left || dst.bottom < client.top || dst.left >= client.right ||
            dst.top >= client.bottom)
            return true;
    }
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colors[256];
    } info{};
    info.header.biSize = sizeof(BITMAPINFOHEADER);
    info.header.biWidth = width;
    info.header.biHeight = -height;
    info.header.biPlanes = 1;
    info.header.biBitCount = static_cast<WORD>(image->GetBitsPerPixel());
    info.header.biCompression = BI_RGB;
    const int paletteSize = image->GetPaletteSize(false);
    info.header.biClrUsed = info.header.biClrImportant = static_cast<DWORD>(paletteSize);
    for (int i = 0; i < paletteSize && i < 256; ++i) {
        const u32 argb = image->GetPaletteEntry(i);
        info.colors[i] = RGBQUAD{static_cast<BYTE>(argb), static_cast<BYTE>(argb >> 8), static_cast<BYTE>(argb >> 16), 0};
    }
    HDC dc = AsDc(dc_);
    SetStretchBltMode(dc, COLORONCOLOR);
    // StretchDIBits counts the source's rows from the bottom of the DIB, also
    // for a top-down one: the part's last row, counted from the bottom.
    const int sx = src.left, sw = src.right - src.left + 1, sh = src.bottom - src.top + 1;
    const int sy = height - 1 - src.bottom;
    const int dx = dst.left, dy = dst.top, dw = dst.right - dst.left + 1, dh = dst.bottom - dst.top + 1;
    const auto blit = [&](const ImageBase* picture, const void* header, DWORD rop) {
        StretchDIBits(dc, dx, dy, dw, dh, sx, sy, sw, sh, picture->GetPixels(), static_cast<const BITMAPINFO*>(header),
                      DIB_RGB_COLORS, rop);
    };
    if (mask == nullptr || mask->GetPixels() == nullptr) {
        blit(image, &info, SRCCOPY);
        return true;
    }
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colors[2];
    } maskInfo{};
    maskInfo.header.biSize = sizeof(BITMAPINFOHEADER);
    maskInfo.header.biWidth = mask->GetWidth();
    maskInfo.header.biHeight = -mask->GetHeight();
    maskInfo.header.biPlanes = 1;
    maskInfo.header.biBitCount = 1;
    maskInfo.header.biCompression = BI_RGB;
    maskInfo.header.biClrUsed = maskInfo.header.biClrImportant = 2;
    maskInfo.colors[0] = RGBQUAD{255, 255, 255, 0};
    maskInfo.colors[1] = RGBQUAD{0, 0, 0, 0};
    blit(image, &info, SRCINVERT);
    blit(mask, &maskInfo, SRCAND);
    blit(image, &info, SRCINVERT);
    return true;
}
