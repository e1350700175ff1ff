// The drawing context in a real window: what it selects, how a change while
// drawing swaps the GDI object, rectangles with inclusive corners, text
// alignment and bitmap stretching, read back from the window's pixels.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "base/direct_color_image.h"
#include "gui/draw_context.h"

namespace {

constexpr u32 kRed = 0xFFFF0000, kBlue = 0xFF0000FF, kGreen = 0xFF00FF00;

LRESULT CALLBACK QuietProc(HWND window, UINT message, WPARAM w, LPARAM l)
{
    if (message == WM_ERASEBKGND)
        return 1;
    return DefWindowProcW(window, message, w, l);
}

class DrawContextTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = QuietProc;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"KuvDrawContextTest";
        RegisterClassW(&windowClass);  // again after the first test: fails harmlessly
        window = CreateWindowExW(0, L"KuvDrawContextTest", L"", WS_POPUP | WS_VISIBLE, 0, 0, 200, 120, nullptr,
                                 nullptr, windowClass.hInstance, nullptr);
        ASSERT_NE(window, nullptr);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&message);
        context.SetWindow(window);
        ASSERT_TRUE(context.Begin());
        context.GetBrush()->SetSolid(OptionalColor::Of(0xFFFFFFFF));
        context.FillRectangle(0, 0, 199, 119);  // a white page
        context.GetBrush()->Reset();
    }

    void TearDown() override
    {
        context.End();
        DestroyWindow(window);
    }

    // The pixel as shown, 0xRRGGBB.
    u32 At(int x, int y)
    {
        CountIn(x, y, x + 1, y + 1, 0);
        return last;
    }

    // Pixels of that colour in the rectangle (right and bottom exclusive);
    // `last` keeps the colour of the last pixel read.
    int CountIn(int left, int top, int right, int bottom, u32 rgb)
    {
        GdiFlush();
        HDC dc = GetDC(window);
        int count = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x) {
                last = ColorRefToArgb(GetPixel(dc, x, y)) & 0xFFFFFF;
                count += last == rgb;
            }
        ReleaseDC(window, dc);
        return count;
    }

    u32 last = 0;
    HWND window = nullptr;
    DrawContext context;
};

TEST_F(DrawContextTest, FillsRectanglesWithInclusiveCornersOnlyWithABrush)
{
    EXPECT_FALSE(context.FillRectangle(10, 10, 19, 19)) << "no brush selected";
    EXPECT_EQ(At(10, 10), 0xFFFFFFu);
    context.GetBrush()->SetSolid(OptionalColor::Of(kRed));
    EXPECT_TRUE(context.FillRectangle(10, 10, 19, 19));
    EXPECT_EQ(At(10, 10), 0xFF0000u);
    EXPECT_EQ(At(19, 19), 0xFF0000u);
    EXPECT_EQ(At(20, 19), 0xFFFFFFu);
    EXPECT_EQ(At(19, 20), 0xFFFFFFu);
}

TEST_F(DrawContextTest, DefaultObjectsLeaveTheDcsOwn)
{
    HDC dc = static_cast<HDC>(context.GetDc());
    EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), GetStockObject(BLACK_PEN));
    EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), GetStockObject(SYSTEM_FONT));
}

TEST_F(DrawContextTest, AChangeWhileDrawingSwapsTheSelectedObject)
{
    HDC dc = static_cast<HDC>(context.GetDc());
    Pen* pen = context.GetPen();
    pen->SetAll(OptionalColor::Of(kGreen), 1, 1, 1);
    void* green = pen->cache.handle;
    ASSERT_NE(green, nullptr);
    EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), green);
    context.MoveTo(0, 50);
    context.LineTo(100, 50);
    pen->SetColor(OptionalColor::Of(kBlue));
    EXPECT_EQ(GetObjectType(green), 0u) << "the old pen is deleted once deselected";
    EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), pen->cache.handle);
    context.MoveTo(0, 60);
    context.LineTo(100, 60);
    EXPECT_EQ(At(50, 50), 0x00FF00u);
    EXPECT_EQ(At(50, 60), 0x0000FFu);

    Font* font = context.GetFont();
    font->SetKindAndSize(1, 12);
    void* arial = font->cache.handle;
    ASSERT_NE(arial, nullptr);
    font->SetColor(OptionalColor::Of(kRed));
    EXPECT_EQ(font->cache.handle, arial) << "a colour needs no new font";
    EXPECT_EQ(GetTextColor(dc), ArgbToColorRef(kRed));
    font->SetSize(20);
    EXPECT_NE(font->cache.handle, arial);
    EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), font->cache.handle);
}

TEST_F(DrawContextTest, TextGoesWhereItsAlignmentSays)
{
    context.GetFont()->SetKindSizeColor(1, 14, OptionalColor::Of(kBlue));
    context.DrawTextInRect(W16("M"), 0, 0, 199, 119, 5);  // 5 is no alignment: top left
    EXPECT_GT(CountIn(0, 0, 30, 30, 0x0000FF), 5);
    EXPECT_EQ(CountIn(60, 30, 200, 120, 0x0000FF), 0);
    context.DrawTextInRect(W16("M"), 0, 0, 199, 119, 12);  // right and bottom
    EXPECT_GT(CountIn(160, 80, 200, 120, 0x0000FF), 5);
    EXPECT_EQ(CountIn(60, 30, 150, 80, 0x0000FF), 0);
}

TEST_F(DrawContextTest, StretchesTheNormalisedSourcePart)
{
    // Red where both coordinates are below 11, blue elsewhere.
    Image32Bpp image;
    ASSERT_TRUE(image.Create(20, 20));
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x)
            image.SetPixelColor(y, x, x < 11 && y < 11 ? kRed : kBlue);
    const Rect source{10, 10, 0, 0};
    const Rect dest{50, 50, 71, 71};
    EXPECT_TRUE(context.StretchBitmap(&image, &source, &dest, nullptr));
    EXPECT_EQ(CountIn(50, 50, 72, 72, 0xFF0000), 22 * 22) << "only the 11 by 11 source corner, twice as large";
    EXPECT_EQ(At(72, 72), 0xFFFFFFu);
    const Rect outside{30, 30, 40, 40};
    EXPECT_TRUE(context.StretchBitmap(&image, &outside, &dest, nullptr)) << "nothing to draw is no failure";
    EXPECT_EQ(At(50, 50), 0xFF0000u);
}

} // namespace
