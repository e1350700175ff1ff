#include "gui/panel.h"

namespace {

constexpr DWORD kStaticStyle = WS_CHILD | WS_CLIPSIBLINGS | SS_NOTIFY | SS_OWNERDRAW;  // 0x4400010D
constexpr UINT kEdgeOfStyle[5] = {0, EDGE_RAISED, EDGE_SUNKEN, EDGE_ETCHED, EDGE_BUMP};
constexpr int kEdgeWidth = 2;

}  // namespace

Panel::Panel(int x, int y, int width, int height, int alignment, i32 style, bool visible)
    : ContainerControl(x, y, width, height, alignment, visible)
{
    borderStyle = style;
}

Panel::Panel(const ControlBounds& bounds, int alignment, i32 style, bool visible, int unit)
    : ContainerControl(bounds, alignment, visible, unit)
{
    borderStyle = style;
}

Panel::~Panel()
{
    destroying = true;
}

void Panel::SetBorderStyle(i32 style)
{
    if (style == borderStyle)
        return;
    borderStyle = style;
    LayoutChildren();
    Invalidate();
}

void Panel::SetBorderEdges(bool left, bool top, bool right, bool bottom)
{
    if (left == edgeLeft && top == edgeTop && right == edgeRight && bottom == edgeBottom)
        return;
    PanelBase::SetBorderEdges(left, top, right, bottom);
    LayoutChildren();
    Invalidate();
}

bool Panel::Create()
{
    if (IsCreated())
        return true;
    if (!CreateNativeChild(L"STATIC", kStaticStyle))
        return false;
    return ContainerControl::Create();
}

bool Panel::GetClientRect(int* x, int* y, int* width, int* height)
{
    const bool ok = ContainerControl::GetClientRect(x, y, width, height);
    if (borderStyle == 0)
        return ok;
    const int x0 = *x, y0 = *y;
    if (edgeLeft) {
        *x += kEdgeWidth;
        *width -= kEdgeWidth;
    }
    if (edgeRight)
        *width -= kEdgeWidth;
    if (edgeTop) {
        *y += kEdgeWidth;
        *height -= kEdgeWidth;
    }
    if (edgeBottom)
        *height -= kEdgeWidth;
    if (*width < 0) {
        *width = 0;
        *x = x0;
    }
    if (*height < 0) {
        *height = 0;
        *y = y0;
    }
    return ok;
}

bool Panel::PaintHook(DrawContext* context, const Rect* bounds, const Rect* area, void* measure)
{
    if (measure != nullptr || painting || destroying || context == nullptr)
        return false;
    painting = true;
    HDC dc = static_cast<HDC>(context->GetDc());
    if (dc == nullptr) {
        painting = false;
        return false;
    }
    HRGN clip = CreateRectRgn(area->left, area->top, area->right + 1, area->bottom + 1);
    SelectClipRgn(dc, clip);
    RECT r{bounds->left, bounds->top, bounds->right + 1, bounds->bottom + 1};
    HGDIOBJ previous = SelectObject(dc, GetSysColorBrush(COLOR_BTNFACE));
    FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
    SelectObject(dc, previous);
    if (borderStyle >= 1 && borderStyle <= 4) {
        UINT sides = (edgeLeft ? BF_LEFT : 0) | (edgeTop ? BF_TOP : 0) | (edgeRight ? BF_RIGHT : 0) |
                     (edgeBottom ? BF_BOTTOM : 0);
        DrawEdge(dc, &r, kEdgeOfStyle[borderStyle], sides);
    }
    SelectClipRgn(dc, nullptr);
    DeleteObject(clip);
    painting = false;
    return true;
}

LRESULT Panel::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_ERASEBKGND)
        return -1;
    return ContainerControl::HandleMessage(message, wParam, lParam);
}
