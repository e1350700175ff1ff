// "WinGDI": presents the frame with StretchDIBits into the window's device context.
//
// The pixels go to GDI as a 32-bit bottom-up DIB of the whole frame, drawn with a negative
// destination height so that row 0 shows at the top; the bands the picture leaves are
// filled with the border colour before it. Stretching is COLORONCOLOR (nearest pixel):
// the emulated picture keeps hard pixel edges.
#pragma once

#ifdef _WIN32

#include <windows.h>

#include "video/win32_renderer.h"

class GdiRenderer : public Win32Renderer {
public:
    GdiRenderer();
    ~GdiRenderer() override;

    bool Attach() override;
    void Detach() override;
    // Fills the client area with *argb.
    bool Clear(const u32* argb) override;
    LockedDisplaySurface* Clone() const override;
    const char* GetName() const override { return "WinGDI"; }
    bool Present() override;
    bool PrepareBuffers(bool checkWindow, bool reallocate) override;

private:
    void FillBorderBands(HDC dc);

    BITMAPINFO dib_{};           // header of the frame as a DIB; one zero colour entry
};

#endif
