// "OpenGL": presents the frame with glDrawPixels in a WGL context of a window of its own,
// a ScreenCover over the bound window's client area. The bound window never gets a pixel
// format, so GDI drawing shows there again as soon as the cover is gone (Detach).
//
// The frame goes to GL as GL_BGRA_EXT bytes, which is the memory order of the surface's
// ARGB words, zoomed by glPixelZoom (a negative y zoom draws row 0 at the top). The
// projection maps window pixels with y growing downwards; the raster position is set
// inside the viewport and then moved to the destination's corner with an empty glBitmap,
// because a raster position outside the viewport would be invalid and draw nothing.
//
// The cover is made and destroyed on the GUI thread, which owns the bound window, and the
// context is made current on the thread that presents (the GUI thread too); the back
// buffer is cleared to the border colour before each frame it draws, as a swap leaves it
// undefined.
#pragma once

#ifdef _WIN32

#include <windows.h>

#include "video/screen_cover.h"
#include "video/win32_renderer.h"

class OpenGlRenderer : public Win32Renderer {
public:
    OpenGlRenderer() = default;
    ~OpenGlRenderer() override;

    bool IsSwapSynchronised() const override { return swapSynchronised_ != 0; }
    // Cover, pixel format, context and the GL features the presentation relies on; false when
    // any is missing (what was obtained stays held until Detach).
    bool Attach() override;
    void Detach() override;
    // Clears to the border colour (the argument is not used).
    bool Clear(const u32* argb) override;
    LockedDisplaySurface* Clone() const override;
    const char* GetName() const override { return "OpenGL"; }
    bool Present() override;
    bool PrepareBuffers(bool checkWindow, bool reallocate) override;
    void ShowOutput(bool shown) override;
    // The window the picture is presented in (null while unbound).
    HWND GetPresentWindow() const { return cover_.GetHandle(); }

private:
    using SwapIntervalSetter = BOOL(WINAPI*)(int interval);
    using SwapIntervalGetter = int(WINAPI*)();

    // Fits the picture, then sets viewport, projection, raster position and zoom.
    void SetupView();
    bool MakeCurrent();
    void ClearToBorder();
    void LookUpSwapControl(const char* extensions);

    ScreenCover cover_;
    HGLRC context_ = nullptr;
    SwapIntervalSetter setSwapInterval_ = nullptr;  // wglSwapIntervalEXT
    SwapIntervalGetter getSwapInterval_ = nullptr;  // wglGetSwapIntervalEXT
    u8 swapSynchronised_ = 1;             // presents wait for the vertical retrace
};

#endif
