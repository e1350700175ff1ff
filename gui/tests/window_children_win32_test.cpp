// Children in a real frame window: laid out in its client area, drawn by the
// frame's paint pass through their own PaintHook, and laid out again when
// the window is resized.
#include <windows.h>

#include <gtest/gtest.h>

#include "gui/frame_window.h"
#include "gui/tests/test_windows.h"

namespace {

// A windowless band that fills itself with one colour.
class Band : public TestControl {
public:
    Band(int height, int alignment, u32 argb) : TestControl(10, height, alignment), argb_(argb) {}
    bool IsWindowless() override { return true; }
    bool PaintHook(DrawContext* context, const Rect* bounds, const Rect*, void*) override
    {
        context->GetBrush()->SetSolid(OptionalColor::Of(argb_));
        context->FillRectangle(bounds->left, bounds->top, bounds->right, bounds->bottom);
        return true;
    }

private:
    u32 argb_;
};

u32 PixelAt(HWND window, int x, int y)
{
    HDC dc = GetDC(window);
    const u32 rgb = ColorRefToArgb(GetPixel(dc, x, y)) & 0xFFFFFF;
    ReleaseDC(window, dc);
    return rgb;
}

void Pump()
{
    MSG message;
    for (int round = 0; round < 5; ++round) {
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&message);
        Sleep(10);
    }
}

TEST(WindowChildrenTest, BandsAreLaidOutAndPaintedInTheClientArea)
{
    FrameWindow frame(20, 20, 300, 200, 1);
    auto* top = new Band(20, kAlignTop, 0xFFFF0000);
    auto* bottom = new Band(30, kAlignBottom, 0xFF0000FF);
    ASSERT_TRUE(frame.AddChild(top));
    ASSERT_TRUE(frame.AddChild(bottom));
    frame.SetMargins(Margins{4, 0, 0, 0});
    ASSERT_TRUE(frame.Create(GetModuleHandleW(nullptr)));
    frame.Show(true);
    Pump();
    RECT client;
    GetClientRect(frame.handle, &client);
    int x = 0, y = 0, w = 0, h = 0;
    bottom->GetBounds(&x, &y, &w, &h);
    EXPECT_EQ(y, client.bottom - 30);
    EXPECT_EQ(w, client.right - 4) << "the width inside the margins";

    frame.Redraw(0, 0, -1, -1);
    EXPECT_EQ(PixelAt(frame.handle, 10, 5), 0xFF0000u);
    EXPECT_EQ(PixelAt(frame.handle, 10, client.bottom - 5), 0x0000FFu);
    EXPECT_NE(PixelAt(frame.handle, 2, 5), 0xFF0000u) << "the margin stays clear";
    EXPECT_NE(PixelAt(frame.handle, 10, 40), 0xFF0000u);

    // Resizing lays the children out again.
    frame.SetPosition(20, 20, 400, 260, kUnitPixels);
    Pump();
    GetClientRect(frame.handle, &client);
    bottom->GetBounds(&x, &y, &w, &h);
    EXPECT_EQ(y, client.bottom - 30);
    EXPECT_EQ(w, client.right - 4);

    frame.Destroy();
    MSG message;
    PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
}

} // namespace
