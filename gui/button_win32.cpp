#include "gui/button.h"

#include "base/image_base.h"
#include "gui/dialog_base.h"
#include "gui/draw_objects.h"

namespace {

u32 SystemArgb(int index) { return ColorRefToArgb(GetSysColor(index)); }

void SetPen(DrawContext& context, int sysColor)
{
    context.GetPen()->SetAll(OptionalColor::Of(SystemArgb(sysColor)), 1, 1, 1);
}

// The 8 by 8 checkerboard of a checked hot-track button away from the mouse.
void FillChecked(HDC dc, const RECT& r)
{
    static const WORD kRows[8] = {0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55};
    HBITMAP bitmap = CreateBitmap(8, 8, 1, 1, kRows);
    HBRUSH brush = bitmap != nullptr ? CreatePatternBrush(bitmap) : nullptr;
    if (brush != nullptr) {
        const COLORREF text = SetTextColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
        const COLORREF back = SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
        FillRect(dc, &r, brush);
        SetTextColor(dc, text);
        SetBkColor(dc, back);
        DeleteObject(brush);
    } else {
        FillRect(dc, &r, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    }
    if (bitmap != nullptr)
        DeleteObject(bitmap);
}

}  // namespace

Button::Button(const ControlBounds& bounds, const StringW& text, i32 command, int alignment, bool visible, int unit)
    : ButtonBase(text, command), ChildControl(bounds, alignment, visible, unit)
{
}

Button::~Button()
{
    destroying = true;
}

void Button::SetText(const StringW& t)
{
    if (text.Compare(t) == 0)
        return;
    text = t;
    if (handle != nullptr)
        SetWindowTextW(handle, text.GetWide());
}

void Button::SetImage(ImageBase* img)
{
    if (img == image)
        return;
    ButtonBase::SetImage(img);
    RebuildMask();
}

void Button::RebuildMask()
{
    if (image == nullptr || image->GetWidth() == 0 || image->GetHeight() == 0 ||
        !image->MakeMask(mask, image->GetPixelColor(0, 0)))
        mask.Create(0, 0);
}

Font* Button::GetFont()
{
    return fontContext.GetFont();
}

Font* Button::GetEffectiveFont()
{
    Font* own = fontContext.GetFont();
    if (own != nullptr && !own->IsDefault())
        return own;
    return GetInheritedFont();
}

void Button::OnClick()
{
    if (onClick != nullptr) {
        onClick(this);
        return;
    }
    i32 code = 0;
    switch (command) {
        case 1: code = 1; break;
        case 2: code = 2; break;
        case 3: code = resultCode; break;
        default: return;
    }
    TopLevelInterface* top = GetTopLevel();
    if (top != nullptr && top->IsDialog())
        if (auto* dialog = dynamic_cast<DialogInterface*>(top))
            dialog->EndModal(code);
}

bool Button::Create()
{
    if (IsCreated())
        return true;
    HWND parent = nullptr;
    HINSTANCE instance = nullptr;
    if (!GetNativeParent(&parent, &instance))
        return false;
    DWORD style = WS_CHILD | WS_CLIPSIBLINGS | WS_TABSTOP | BS_OWNERDRAW;
    if (!IsEnabled(false))
        style |= WS_DISABLED;
    CreateNativeChild(L"BUTTON", style);
    if (handle != nullptr) {
        SetWindowTextW(handle, text.GetWide());
        // Quick second clicks must arrive as ordinary presses (this changes
        // the class of every "BUTTON" of the process).
        SetClassLongW(handle, GCL_STYLE, GetClassLongW(handle, GCL_STYLE) & ~CS_DBLCLKS);
    }
    return ChildControl::Create();
}

bool Button::PaintHook(DrawContext*, const Rect* bounds, const Rect*, void* measure)
{
    if (measure != nullptr || painting || destroying || handle == nullptr)
        return false;
    painting = true;
    // The face is drawn by the native button's own paint (WM_DRAWITEM);
    // the parent's paint pass only asks for it.
    RECT r{bounds->left, bounds->top, bounds->right, bounds->bottom};
    RedrawWindow(handle, &r, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    painting = false;
    return true;
}

LRESULT Button::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
        case WM_MOUSEMOVE:
            if (hoverState <= 0) {
                hoverState = 1;
                TRACKMOUSEEVENT track{};
                track.cbSize = sizeof track;
                track.dwFlags = TME_LEAVE;
                track.hwndTrack = handle;
                if (!TrackMouseEvent(&track))
                    hoverState = 0;
                if (hotTrack)
                    Redraw();
            }
            break;
        case WM_MOUSELEAVE:
            hoverState = -1;
            if (hotTrack)
                Redraw();
            break;
        case WM_LBUTTONDOWN:
            pressed = true;
            if (!focusable && IsWindowEnabled(handle)) {
                // A disabled window takes no focus: the press reaches the
                // native button without moving the focus.
                HWND self = handle;
                EnableWindow(self, FALSE);
                const LRESULT result = ChildControl::HandleMessage(message, wParam, lParam);
                EnableWindow(self, TRUE);
                return result;
            }
            break;
        case WM_LBUTTONUP:
            if (pressed) {
                OnClick();
                pressed = false;
            }
            break;
        case WM_KEYDOWN:
            if (wParam == VK_SPACE && GetFocus() == handle)
                pressed = true;
            break;
        case WM_KEYUP:
            if (wParam == VK_SPACE && pressed && GetFocus() == handle) {
                OnClick();
                pressed = false;
            }
            break;
        case WM_SETFOCUS:
            if (!focusable) {
                SetFocus(reinterpret_cast<HWND>(wParam));
                return 0;
            }
            break;
        case WM_ERASEBKGND:
            return -1;
        case WM_PAINT:
            return previousProc != nullptr ? CallWindowProcW(previousProc, handle, message, wParam, lParam) : 0;
        case WM_DRAWITEM: {
            auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
            if (item != nullptr && item->hwndItem == handle && item->CtlType == ODT_BUTTON) {
                if (!IsUpdateLocked(false))
                    DrawFace(*item);
                return TRUE;
            }
            break;
        }
        default:
            break;
    }
    return ChildControl::HandleMessage(message, wParam, lParam);
}

void Button::DrawFace(const DRAWITEMSTRUCT& item)
{
    CanvasDrawContext context;
    context.SetWindow(handle);
    context.SetDc(item.hDC);
    if (!text.IsEmpty()) {
        Font* effective = GetEffectiveFont();
        context.GetFont()->Assign(effective);
    }
    context.Begin();

    const bool enabled = IsEnabled(true);
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    const bool down = selected || checked;
    int x = item.rcItem.left, y = item.rcItem.top, w = item.rcItem.right, h = item.rcItem.bottom;

    if (item.itemState & ODS_DEFAULT) {
        SetPen(context, COLOR_3DDKSHADOW);
        context.FrameRectangle(x, y, x + w - 1, y + h - 1);
        x += 1, y += 1, w -= 2, h -= 2;
    }
    if (!hotTrack) {
        RECT r{x, y, x + w, y + h};
        UINT state = DFCS_BUTTONPUSH;
        if (down)
            state |= DFCS_PUSHED;
        if (!enabled)
            state |= DFCS_INACTIVE;
        DrawFrameControl(item.hDC, &r, DFC_BUTTON, state);
        x += 2, y += 2, w -= 4, h -= 4;
    } else {
        int hover = hoverState;
        if (hover == 0) {
            POINT p;
            hover = GetCursorPos(&p) && ScreenToClient(handle, &p) && ChildWindowFromPoint(handle, p) == handle ? 1 : -1;
        }
        const bool hot = hover > 0 && enabled;
        if (hot || down) {
            const int r = x + w - 1, b = y + h - 1;
            SetPen(context, down ? COLOR_BTNSHADOW : COLOR_BTNHIGHLIGHT);
            context.MoveTo(x, b);
            context.LineTo(x, y);
            context.LineTo(r, y);
            SetPen(context, down ? COLOR_BTNHIGHLIGHT : COLOR_BTNSHADOW);
            context.LineTo(r, b);
            context.LineTo(x, b);
            x += 1, y += 1, w -= 2, h -= 2;
        }
        RECT fill{x, y, x + w, y + h};
        if (checked && enabled && hover < 0)
            FillChecked(item.hDC, fill);
        else
            FillRect(item.hDC, &fill, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    }

    const bool hasImage = image != nullptr && image->GetWidth() != 0 && image->GetHeight() != 0;
    if (hasImage || !text.IsEmpty()) {
        const int iw = hasImage ? image->GetWidth() : 0;
        const int ih = hasImage ? image->GetHeight() : 0;
        int tw = 0, th = 0;
        if (!text.IsEmpty() && !context.GetTextExtent(text, &tw, &th))
            tw = th = 0;
        const int gap = hasImage && tw > 0 ? tw / text.GetLength() : 0;
        const int total = iw + gap + tw;
        const int cx = x + w / 2 + (down ? 1 : 0);
        const int cy = y + h / 2 + (down ? 1 : 0);
        const int left = cx - total / 2;
        if (iw > 0) {
            const int top = cy - ih / 2;
            Rect dest{left, top, left + iw - 1, top + ih - 1};
            if (enabled) {
                context.StretchBitmap(image, nullptr, &dest, mask.GetWidth() ? &mask : nullptr);
            } else if (mask.GetWidth() != 0) {
                // A one-colour silhouette through the mask: highlight below, grey above.
                Rect moved{dest.left + 1, dest.top + 1, dest.right + 1, dest.bottom + 1};
                mask.SetPaletteEntry(1, SystemArgb(COLOR_BTNHIGHLIGHT));
                context.StretchBitmap(&mask, nullptr, &moved, &mask);
                mask.SetPaletteEntry(1, SystemArgb(COLOR_GRAYTEXT));
                context.StretchBitmap(&mask, nullptr, &dest, &mask);
            }
        }
        if (tw > 0) {
            const int right = left + total - 1;
            const int top = cy - th / 2;
            if (enabled) {
                context.DrawTextInRect(text, right - tw, top, right, top + th - 1, 3);
            } else {
                Font* font = context.GetFont();
                font->SetColor(OptionalColor::Of(SystemArgb(COLOR_BTNHIGHLIGHT)));
                context.DrawTextInRect(text, right - tw + 1, top + 1, right + 1, top + th, 3);
                font->SetColor(OptionalColor::Of(SystemArgb(COLOR_GRAYTEXT)));
                context.DrawTextInRect(text, right - tw, top, right, top + th - 1, 3);
            }
        }
    }

    if ((item.itemState & ODS_FOCUS) && enabled) {
        RECT focus{x, y, x + w, y + h};
        InflateRect(&focus, -1, -1);
        DrawFocusRect(item.hDC, &focus);
    }
    context.End();
}
