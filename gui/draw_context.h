// Drawing through one window's device context.
//
// DrawContextInterface owns a Font, a Pen and a Brush description (made on
// first request, the context as their listener) and a clip rectangle that the
// window layer keeps for the paint in progress (drawing does not clip to it).
// DrawContext draws into a window: Begin takes the window's DC (or the one
// its owner set with SetDc), selects the GDI objects of the font, pen and
// brush unless they are default, sets a transparent background, and End
// restores everything and releases a DC it took. Changing the font, pen or
// brush between Begin and End swaps the selected GDI object at once.
// Text is drawn with DrawTextW; rectangles take both corners inclusive.
// DrawContext is Windows-only; the interface's own parts are portable.
#pragma once

#include "base/string_w.h"
#include "gui/draw_objects.h"

class ImageBase;

struct Point {
    i32 x = 0;
    i32 y = 0;
};

class DrawContextInterface {
public:
    virtual void FontChanged(u32 mask) = 0;
    virtual void PenChanged(u32 mask) = 0;
    virtual void BrushChanged(u32 mask) = 0;
    // Deletes the owned font, pen and brush.
    virtual ~DrawContextInterface();
    virtual Font* GetFont();
    virtual Pen* GetPen();
    virtual Brush* GetBrush();
    virtual bool Begin() = 0;
    virtual void End() = 0;
    virtual bool IsActive() = 0;
    // Stored with left <= right and top <= bottom.
    virtual void SetClipRect(const Rect& rect);
    virtual bool GetClipRect(Rect* rect);
    virtual bool CanDraw(int) { return true; }
    virtual bool MoveTo(int x, int y) = 0;
    virtual bool LineTo(int x, int y) = 0;
    // MoveTo the first point, LineTo each further one; stops at a failure.
    virtual bool Polyline(const Point* points, int count);
    virtual bool GetTextExtent(const StringW& text, int* width, int* height) = 0;
    virtual int DrawTextAt(const StringW& text, int x, int y) = 0;
    // alignment: bits 1 left, 2 top, 4 right, 8 bottom; 0 centres both ways.
    virtual int DrawTextInRect(const StringW& text, int left, int top, int right, int bottom, int alignment) = 0;
    virtual bool DrawRectangle(int x1, int y1, int x2, int y2) = 0;
    virtual bool FrameRectangle(int x1, int y1, int x2, int y2) = 0;
    virtual bool FillRectangle(int x1, int y1, int x2, int y2) = 0;
    // Stretches the source part (null: all) of the image onto the
    // destination (null: the client area); with a 1-bit mask only the
    // pixels under set mask bits change.
    virtual bool StretchBitmap(const ImageBase* image, const Rect* source, const Rect* dest, const ImageBase* mask) = 0;
    virtual bool StretchBitmapEx(bool* flag, const ImageBase* image, const Rect* source, const Rect* dest,
                                 const ImageBase* mask);

    // Forgets the clip rectangle.
    void ClearClipRect() { clipSet_ = false; }

protected:
    Rect clip_;
    bool clipSet_ = false;
    Font* font_ = nullptr;
    Pen* pen_ = nullptr;
    Brush* brush_ = nullptr;
};

class DrawContext : public DrawContextInterface {
public:
    DrawContext();
    ~DrawContext() override;
    DrawContext(const DrawContext&) = delete;
    DrawContext& operator=(const DrawContext&) = delete;

    void FontChanged(u32 mask) override;
    void PenChanged(u32 mask) override;
    void BrushChanged(u32 mask) override;
    bool Begin() override;
    void End() override;
    bool IsActive() override { return active_; }
    bool MoveTo(int x, int y) override;
    bool LineTo(int x, int y) override;
    bool Polyline(const Point* points, int count) override;
    bool GetTextExtent(const StringW& text, int* width, int* height) override;
    int DrawTextAt(const StringW& text, int x, int y) override;
    int DrawTextInRect(const StringW& text, int left, int top, int right, int bottom, int alignment) override;
    bool DrawRectangle(int x1, int y1, int x2, int y2) override;
    bool FrameRectangle(int x1, int y1, int x2, int y2) override;
    bool FillRectangle(int x1, int y1, int x2, int y2) override;
    bool StretchBitmap(const ImageBase* image, const Rect* source, const Rect* dest, const ImageBase* mask) override;

    // The window (HWND) drawn into; set by the owning window.
    void SetWindow(void* window) { window_ = window; }
    void* GetWindow() const { return window_; }
    // A DC (HDC) the owner got elsewhere (a paint or owner-draw message, a
    // memory DC): used by Begin unchanged and never released here.
    void SetDc(void* dc) { dc_ = dc; dcObtained_ = false; }
    void* GetDc() const { return dc_; }

private:
    void SelectFontObject();
    void DeselectFontObject();
    void SelectPenObject();
    void DeselectPenObject();
    void SelectBrushObject();
    void DeselectBrushObject();

    void* window_ = nullptr;          // HWND
    void* dc_ = nullptr;              // HDC
    bool dcObtained_ = false;         // dc_ came from GetDC here
    void* selectedFont_ = nullptr;    // HFONT
    void* replacedFont_ = nullptr;
    u32 savedTextColor_ = 0;
    int savedRop2_ = 0;
    void* selectedPen_ = nullptr;     // HPEN
    void* replacedPen_ = nullptr;
    void* selectedBrush_ = nullptr;   // HBRUSH
    void* replacedBrush_ = nullptr;
    int savedBkMode_ = 0;
    bool active_ = false;
};

// The drawing context a canvas keeps for its off-screen drawing.
class CanvasDrawContext : public DrawContext {
public:
    ~CanvasDrawContext() override = default;
};
