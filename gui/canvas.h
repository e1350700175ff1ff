// Canvas: a native child window whose whole content is drawn by a paint
// callback through a drawing context, straight into the window or, when
// double-buffered, into an off-screen bitmap copied to the window in one
// BitBlt. Nothing is erased: what the callback leaves undrawn keeps the
// target's previous content. The callback is never entered twice; a WM_PAINT
// that arrives from inside it (or while updates are locked) is left for the
// next one. Windows-only; GUI thread only.
#pragma once

#include "gui/child_control.h"

class CanvasInterface : public virtual ControlInterface {
public:
    // A change takes effect at the next paint.
    virtual bool& DoubleBuffered() = 0;
};

using CanvasPaintFn = void (*)(CanvasInterface* canvas, DrawContext* context);

class CanvasBase : public virtual CanvasInterface {
public:
    CanvasBase() : drawContext(new CanvasDrawContext) {}
    ~CanvasBase() override;
    CanvasBase(const CanvasBase&) = delete;
    CanvasBase& operator=(const CanvasBase&) = delete;

    bool& DoubleBuffered() override { return doubleBuffered; }
    // Calls onPaint unless it is running, unset, or the canvas is going away.
    virtual void OnPaint(DrawContext* context);

    CanvasPaintFn onPaint = nullptr;

protected:
    bool destroying = false;
    bool doubleBuffered = false;
    bool inCallback = false;
    CanvasDrawContext* drawContext;
};

class Canvas : public CanvasBase, public ChildControl {
public:
    Canvas(int x, int y, int width, int height, int alignment, bool visible);
    ~Canvas() override;

    bool Create() override;
    // Frees the off-screen buffer before the window goes.
    void Destroy() override;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    bool HasBuffer() const { return bitmap != nullptr; }
    int GetBufferWidth() const { return bufferWidth; }
    int GetBufferHeight() const { return bufferHeight; }

private:
    LRESULT OnPaintMessage(WPARAM wParam, LPARAM lParam);
    void ReleaseBuffer();
    // The memory DC to draw into, (re)made for the control's size; null when
    // it cannot be had (the paint then goes straight to the window).
    HDC PrepareBuffer(HDC paintDc);

    HBITMAP bitmap = nullptr;
    HGDIOBJ previousBitmap = nullptr;
    HDC memoryDC = nullptr;
    i32 bufferWidth = 0;
    i32 bufferHeight = 0;
    i32 paintRequests = 0;
    bool inPaint = false;
};
