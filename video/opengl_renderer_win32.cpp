#include "video/opengl_renderer.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cstring>
#include <new>

namespace {

// Frames are up to 2048 lines and wider than a power of two; drivers that cannot take
// such an image are not worth a degraded path.
constexpr GLint kMinTextureSize = 2048;

bool HasExtension(const char* extensions, const char* name)
{
    return extensions && std::strstr(extensions, name) != nullptr;
}

} // namespace

OpenGlRenderer::~OpenGlRenderer()
{
    BeginClosing();
    OpenGlRenderer::Detach();
}

LockedDisplaySurface* OpenGlRenderer::Clone() const
{
    return new (std::nothrow) OpenGlRenderer;
}

bool OpenGlRenderer::Attach()
{
    if (!cover_.Create(ToHwnd(window_)))
        return false;
    HDC dc = GetDC(cover_.GetHandle());
    if (!dc)
        return false;
    deviceContext_ = dc;

    PIXELFORMATDESCRIPTOR format{};
    format.nSize = sizeof(format);
    format.nVersion = 1;
    format.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER | PFD_GENERIC_ACCELERATED;
    format.iPixelType = PFD_TYPE_RGBA;
    format.cColorBits = 32;
    format.iLayerType = PFD_MAIN_PLANE;
    const int index = ChoosePixelFormat(dc, &format);
    if (index == 0)
        return false;
    if (!SetPixelFormat(dc, index, &format))
        return false;

    context_ = wglCreateContext(dc);
    if (!context_ || !wglMakeCurrent(dc, context_))
        return false;

    GLint maxTextureSize = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxTextureSize);
    if (maxTextureSize < kMinTextureSize)
        return false;
    const char* extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    if (!HasExtension(extensions, "GL_ARB_texture_non_power_of_two") || !HasExtension(extensions, "GL_EXT_bgra"))
        return false;

    LookUpSwapControl(extensions);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    InvalidateRect(cover_.GetHandle(), nullptr, FALSE);
    clearPending_ = 1;
    return true;
}

// Presents must not wait for the retrace: the emulation paces itself, and a blocked GUI
// thread would hold the surface lock the worker needs.
void OpenGlRenderer::LookUpSwapControl(const char* extensions)
{
    if (!setSwapInterval_ && HasExtension(extensions, "WGL_EXT_swap_control"))
        setSwapInterval_ = reinterpret_cast<SwapIntervalSetter>(
            reinterpret_cast<void*>(wglGetProcAddress("wglSwapIntervalEXT")));
    if (setSwapInterval_) {
        setSwapInterval_(0);
        if (!getSwapInterval_)
            getSwapInterval_ = reinterpret_cast<SwapIntervalGetter>(
                reinterpret_cast<void*>(wglGetProcAddress("wglGetSwapIntervalEXT")));
    }
    swapSynchronised_ = !getSwapInterval_ || getSwapInterval_() != 0;
}

void OpenGlRenderer::Detach()
{
    wglMakeCurrent(nullptr, nullptr);
    if (context_)
        wglDeleteContext(context_);
    context_ = nullptr;
    if (deviceContext_)
        ReleaseDC(cover_.GetHandle(), static_cast<HDC>(deviceContext_));
    deviceContext_ = nullptr;
    cover_.Destroy();
    setSwapInterval_ = nullptr;
    getSwapInterval_ = nullptr;
    swapSynchronised_ = 1;
}

void OpenGlRenderer::ShowOutput(bool shown)
{
    ScopedLock surface(surfaceLock_);
    if (!closing_)
        cover_.SetShown(shown);
}

bool OpenGlRenderer::MakeCurrent()
{
    HDC dc = static_cast<HDC>(deviceContext_);
    if (wglGetCurrentDC() == dc && wglGetCurrentContext() == context_)
        return true;
    return wglMakeCurrent(dc, context_) != FALSE;
}

void OpenGlRenderer::ClearToBorder()
{
    const u32 border = borderColor_;
    glClearColor(((border >> 16) & 0xFF) / 255.0f, ((border >> 8) & 0xFF) / 255.0f, (border & 0xFF) / 255.0f,
                 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
}

bool OpenGlRenderer::Clear(const u32*)
{
    if (!deviceContext_ || !context_ || !MakeCurrent())
        return false;
    ClearToBorder();
    return true;
}

bool OpenGlRenderer::PrepareBuffers(bool checkWindow, bool reallocate)
{
    bool result = true;
    if (reallocate) {
        layoutDirty_ = 1;
        result = AllocatePixels();
    }
    if (checkWindow) {
        clearPending_ = 1;
        if (!CheckWindow())
            return false;
    }
    return result;
}

void OpenGlRenderer::SetupView()
{
    ScopedLock frame(frameLock_);
    FitDestination();

    const OutputRect& d = destination_;
    const i32 cw = client_.Width();
    const i32 ch = client_.Height();
    const i32 dh = d.Height();
    glViewport(client_.left, client_.top, cw, ch);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluOrtho2D(0, cw, 0, -ch);
    glTranslated(0, 1 - ch, 0);
    // (0, dh - 1) lies in the viewport; the empty bitmap then moves the raster position
    // to the destination's top-left corner, which may lie on its edge.
    static const GLubyte kNoBits = 0;
    glRasterPos2i(0, dh - 1);
    glBitmap(1, 1, 0, 0, static_cast<GLfloat>(d.left), static_cast<GLfloat>(dh - d.top), &kNoBits);
    glPixelZoom(static_cast<GLfloat>(static_cast<double>(d.Width()) / width_),
                static_cast<GLfloat>(-static_cast<double>(dh) / height_));
    glPixelStorei(GL_UNPACK_ROW_LENGTH, width_);
    clearPending_ = 1;
}

bool OpenGlRenderer::Present()
{
    HDC dc = static_cast<HDC>(deviceContext_);
    if (!dc || !context_)
        return false;
    if (wglGetCurrentDC() != dc || wglGetCurrentContext() != context_) {
        if (!wglMakeCurrent(dc, context_))
            return false;
        clearPending_ = 0;
        ClearToBorder();
    }
    if (pixels_) {
        if (NeedsFit())
            SetupView();
        if (clearPending_) {
            clearPending_ = 0;
            ClearToBorder();
        }
        glDrawPixels(width_, height_, GL_BGRA_EXT, GL_UNSIGNED_BYTE, pixels_);
    } else {
        ClearToBorder();
    }
    glFlush();
    SwapBuffers(dc);
    // Nudges the cursor so that it is drawn over the fresh picture.
    ShowCursor(FALSE);
    ShowCursor(TRUE);
    HWND window = ToHwnd(window_);
    InvalidateRect(window, nullptr, FALSE);
    ValidateRect(window, nullptr);
    return true;
}
