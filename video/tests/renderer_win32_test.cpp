// The window renderers in a real window: a known frame is presented and the client area
// read back through GDI, so placement, stretching and the border bands are checked on
// the pixels the user would see.
#include <windows.h>

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "video/gdi_renderer.h"
#include "video/opengl_renderer.h"
#include "video/tests/window_capture_win32.h"

namespace {

// Test frame: red top rows, blue bottom rows, green and yellow side columns, grey middle.
constexpr u32 kTop = 0xFF0000, kBottom = 0x0000FF, kLeft = 0x00FF00, kRight = 0xFFFF00, kMiddle = 0x808080;
constexpr u32 kBorder = 0xFF2040C0;
constexpr u32 kOtherBorder = 0xFFC06020;

u32 FramePixel(i32 x, i32 y)
{
    const u32 rgb = y < 8 ? kTop : y >= 184 ? kBottom : x < 8 ? kLeft : x >= 248 ? kRight : kMiddle;
    return 0xFF000000 | rgb;
}

// The renderers paint outside WM_PAINT; an erase would wipe the picture.
LRESULT CALLBACK TestWindowProc(HWND window, UINT message, WPARAM w, LPARAM l)
{
    if (message == WM_ERASEBKGND)
        return 1;
    return DefWindowProcW(window, message, w, l);
}

void Pump()
{
    for (int round = 0; round < 5; ++round) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&message);
        Sleep(10);
    }
}

// A borderless window whose client area is the whole window.
HWND OpenWindow(i32 width, i32 height)
{
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = TestWindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"KuvRendererTest";
    RegisterClassW(&windowClass);  // again after the first test: fails harmlessly
    HWND window = CreateWindowExW(0, L"KuvRendererTest", L"renderer test", WS_POPUP | WS_VISIBLE, 0, 0, width,
                                  height, nullptr, nullptr, windowClass.hInstance, nullptr);
    Pump();
    return window;
}

// Every pixel outside dest is the border and none inside; the frame's edges land exactly
// on dest's first and last rows and columns.
::testing::AssertionResult ShowsFrameAt(HWND window, const OutputRect& dest, u32 border)
{
    const window_capture::Pixels pixels = window_capture::CaptureClient(window);
    const auto at = [&](i32 x, i32 y) { return pixels.At(x, y); };
    const auto fail = [&](i32 x, i32 y) {
        return ::testing::AssertionFailure() << "pixel (" << x << ", " << y << ") is " << std::hex << at(x, y);
    };
    for (i32 y = 0; y < pixels.height; ++y)
        for (i32 x = 0; x < pixels.width; ++x) {
            const bool inside = x >= dest.left && x < dest.right && y >= dest.top && y < dest.bottom;
            if (inside == (at(x, y) == (border & 0xFFFFFF)))
                return fail(x, y) << (inside ? ", the border inside the picture" : ", not the border");
        }
    const i32 midX = (dest.left + dest.right) / 2, midY = (dest.top + dest.bottom) / 2;
    const struct { i32 x, y; u32 rgb; } spots[] = {
        {dest.left, dest.top, kTop}, {dest.right - 1, dest.bottom - 1, kBottom},
        {dest.left, midY, kLeft},    {dest.right - 1, midY, kRight}, {midX, midY, kMiddle}};
    for (const auto& spot : spots)
        if (at(spot.x, spot.y) != spot.rgb)
            return fail(spot.x, spot.y) << ", expected " << spot.rgb;
    return ::testing::AssertionSuccess();
}

// The window a renderer's picture shows in: the OpenGL renderer's own over the bound one.
HWND PictureWindow(const Renderer& renderer, HWND bound)
{
    if (const auto* gl = dynamic_cast<const OpenGlRenderer*>(&renderer))
        return gl->GetPresentWindow();
    return bound;
}

// The worker's part of a frame (size, draw, hand over), then the GUI thread's.
bool ShowFrame(Renderer& renderer, float aspect)
{
    if (!renderer.SetSize(256, 192, false))
        return false;
    for (i32 y = 0; y < 192; ++y)
        for (i32 x = 0; x < 256; ++x)
            renderer.GetRowPixels(y)[x] = FramePixel(x, y);
    renderer.BeginFrame(0, aspect);
    return renderer.EndFrame(true);
}

// Why no GL context can be had here (empty when one can), probed on a window of its own
// because a window takes only one pixel format.
std::string OpenGlUnavailableReason()
{
    HWND window = OpenWindow(16, 16);
    HDC dc = GetDC(window);
    PIXELFORMATDESCRIPTOR format{};
    format.nSize = sizeof(format);
    format.nVersion = 1;
    format.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    format.cColorBits = 32;
    const int index = ChoosePixelFormat(dc, &format);
    HGLRC context = index && SetPixelFormat(dc, index, &format) ? wglCreateContext(dc) : nullptr;
    std::string reason;
    if (!context) {
        reason = "no OpenGL context (Wine found no host libGL, or the X display has no GLX)";
    } else {
        wglMakeCurrent(dc, context);
        const char* extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
        if (!extensions || !std::strstr(extensions, "GL_ARB_texture_non_power_of_two") ||
            !std::strstr(extensions, "GL_EXT_bgra"))
            reason = "the GL lacks non-power-of-two textures or BGRA pixels";
        wglMakeCurrent(nullptr, nullptr);
        wglDeleteContext(context);
    }
    ReleaseDC(window, dc);
    DestroyWindow(window);
    return reason;
}

class RendererWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        window_ = OpenWindow(800, 600);
        if (!window_)
            GTEST_SKIP() << "no window could be created (is an X display set for Wine?)";
        handle_ = window_;
    }
    void TearDown() override
    {
        if (window_)
            DestroyWindow(window_);
    }

    void SkipWithoutOpenGl()
    {
        const std::string reason = OpenGlUnavailableReason();
        if (!reason.empty())
            GTEST_SKIP() << "OpenGL renderer not tested: " << reason;
    }

    void Resize(i32 width, i32 height)
    {
        SetWindowPos(window_, nullptr, 0, 0, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
        Pump();
    }

    // Letterboxed, pillarboxed after a resize, at the chip's own aspect ratio, and the
    // bands repainted after a border colour change.
    void CheckLayouts(const Renderer& prototype, const char* name)
    {
        std::unique_ptr<Renderer> renderer(static_cast<Renderer*>(prototype.Clone()));
        ASSERT_NE(renderer, nullptr);
        EXPECT_STREQ(renderer->GetName(), name);
        ASSERT_TRUE(renderer->SetWindow(&handle_));
        renderer->SetBorderColor(&kBorder);

        const HWND shown = PictureWindow(*renderer, window_);
        ASSERT_NE(shown, nullptr);
        ASSERT_TRUE(ShowFrame(*renderer, 1.3333334f));
        EXPECT_TRUE(ShowsFrameAt(shown, {0, 1, 800, 598}, kBorder)) << "4:3 in 800 x 600";
        Resize(1000, 600);
        ASSERT_TRUE(renderer->EndFrame(true));
        EXPECT_TRUE(ShowsFrameAt(shown, {98, 0, 902, 600}, kBorder)) << "4:3 in 1000 x 600";
        Resize(800, 600);
        ASSERT_TRUE(ShowFrame(*renderer, 1.4666667f));
        EXPECT_TRUE(ShowsFrameAt(shown, {0, 28, 800, 572}, kBorder)) << "the chip's aspect";
        renderer->SetBorderColor(&kOtherBorder);
        ASSERT_TRUE(renderer->EndFrame(false));
        EXPECT_TRUE(ShowsFrameAt(shown, {0, 28, 800, 572}, kOtherBorder)) << "new border colour";

        // The mouse maps through the last fit: the picture's far corner is (256, 174).
        double x = 0, y = 0;
        renderer->MapPoint(800, 544, &x, &y);
        EXPECT_DOUBLE_EQ(x, 256.0);
        EXPECT_DOUBLE_EQ(y, 174.0);
    }

    HWND window_ = nullptr;
    WindowHandle handle_ = nullptr;
};

TEST_F(RendererWindowTest, GdiPresentsTheFrameFittedWithBorderBands)
{
    CheckLayouts(GdiRenderer(), "WinGDI");
}

TEST_F(RendererWindowTest, OpenGlPresentsTheFrameFittedWithBorderBands)
{
    SkipWithoutOpenGl();
    CheckLayouts(OpenGlRenderer(), "OpenGL");
}

// The debugger console draws through a second renderer on the same window; two of the
// OpenGL kind each present in a window of their own, with their own context and view.
TEST_F(RendererWindowTest, OpenGlKeepsTwoRenderersOnOneWindowApart)
{
    SkipWithoutOpenGl();
    OpenGlRenderer machine;
    OpenGlRenderer console;
    ASSERT_TRUE(machine.SetWindow(&handle_));
    ASSERT_TRUE(console.SetWindow(&handle_));
    // The bound window keeps no pixel format, so GDI can draw there again later.
    HDC dc = GetDC(window_);
    EXPECT_EQ(GetPixelFormat(dc), 0);
    ReleaseDC(window_, dc);
    ASSERT_NE(machine.GetPresentWindow(), console.GetPresentWindow());
    ASSERT_TRUE(ShowFrame(machine, 1.3333334f));

    ASSERT_TRUE(console.FitToOutputSize());
    console.FillRows(kOtherBorder, -1);
    console.BeginFrame(0, 0.0f);
    ASSERT_TRUE(console.EndFrame(true));
    const std::vector<u32> shown = window_capture::CaptureClient(console.GetPresentWindow()).data;
    EXPECT_EQ(shown.front(), kOtherBorder & 0xFFFFFF);
    EXPECT_EQ(shown.back(), kOtherBorder & 0xFFFFFF);

    // Only the surface on show keeps its window shown.
    console.ShowOutput(false);
    EXPECT_FALSE(IsWindowVisible(console.GetPresentWindow()));
    ASSERT_TRUE(machine.EndFrame(true));
    EXPECT_TRUE(ShowsFrameAt(machine.GetPresentWindow(), {0, 1, 800, 598}, LockedDisplaySurface::kDefaultBorderColor));
}

} // namespace
