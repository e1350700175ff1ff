// Display surfaces: the 32-bit frame that a video chip draws scanlines into and that a
// renderer shows in the emulation window.
//
//   ImageHolder            rows of ARGB pixels (base/)
//   DisplaySurface         + per-line bookkeeping: which lines hold a rendering of the
//                            current video memory, the pixel buffer
//   LockedDisplaySurface   + frame state: border colour, aspect ratio, change tracking,
//                            frame counter, callbacks and the two locks
//   NullDisplay / Renderer   draws nothing / presents in a window (null_display.h, the
//                            renderers)
//
// A renderer is itself the surface: the display processor draws straight into its rows
// and nothing is copied between them.
//
// Line flags (one byte per line, line & 0x7FF; at most 2048 lines are tracked):
//   bit 0  kLineDrawn     the line holds a rendering of the current video memory
//   bit 1  kLineRendered  the line was rendered since the last resize
//
// Threads: the emulation worker draws lines and keeps the line flags without a lock and
// hands a finished frame over with BeginFrame; the GUI thread ends and presents frames
// with EndFrame. Operations that touch the window, the pixel buffer or the frame state
// take surfaceLock_ then frameLock_ (recursive), and release them in reverse order.
#pragma once

#include <memory>

#include "base/image_holder.h"
#include "base/scoped_lock.h"
#include "base/types.h"
#include "emu/display_change_link.h"

// A native window handle (HWND on Windows); the portable layers only pass it along.
using WindowHandle = void*;

class DisplaySurface : public ImageHolder {
public:
    static constexpr i32 kMaxLines = 2048;
    static constexpr i32 kLineMask = kMaxLines - 1;
    static constexpr u8 kLineDrawn = 0x01;
    static constexpr u8 kLineRendered = 0x02;

    DisplaySurface();
    ~DisplaySurface() override;

    // Releases the image: no rows, width = height = 0.
    virtual void Reset();
    virtual bool QueryOne() { return true; }
    // Hands a finished frame over (worker thread). hint is not used.
    virtual bool BeginFrame(u8 hint, float aspect) = 0;
    // This layer stores no size: it only starts the line bookkeeping afresh. True.
    virtual bool SetSize(i32 width, i32 height, bool flag);
    virtual bool HasSize(i32 width, i32 height) const { return width_ == width && height_ == height; }
    // Window point to image point: identity here.
    virtual bool MapPoint(i32 x, i32 y, double* outX, double* outY);
    virtual bool IsSwapSynchronised() const { return false; }

    // --- line bookkeeping (display processor, worker thread) ---
    i32 GetLineCount() const { return height_ & kLineMask; }
    u8 GetLineFlags(i32 line) const { return lineFlags_[line & kLineMask]; }
    bool IsLineDrawn(i32 line) const { return (lineFlags_[line & kLineMask] & kLineDrawn) != 0; }
    // Video memory changed: every drawn line must be drawn again. While nothing is drawn
    // this costs one comparison, which is all a burst of memory writes pays.
    void InvalidateDrawnLines()
    {
        if (undrawnLineCount_ != GetLineCount())
            ClearDrawnFlags();
    }
    // A line was drawn into its row.
    void MarkLineDrawn(i32 line);

    i32 GetRenderedLineCount() const { return renderedLineCount_; }
    i32 GetUndrawnLineCount() const { return undrawnLineCount_; }
    i32 GetDrawnFirst() const { return drawnFirst_; }
    i32 GetDrawnLast() const { return drawnLast_; }
    bool IsFullRedrawRequested() const { return fullRedrawRequest_ != 0; }

    // The pixel block (null without pixels) and its bytes per row.
    u32* GetPixelBuffer() const { return pixels_; }
    i32 GetStride() const { return stride_; }

protected:
    // Lines 0 .. n-1 (n = the line count) become rendered since the resize.
    void MarkAllRendered();
    // Every line undrawn, nothing rendered: what a resize means.
    void ResetLineBookkeeping();

    // Pixel buffer of width_ x height_ opaque black pixels with a row table over it; a
    // zero dimension leaves a 0 x 0 surface. On an allocation failure both are freed, the
    // surface becomes 0 x 0 and the answer is false.
    bool AllocatePixels();
    // Frees the pixels and the row table (stride 0); the size stays.
    void FreePixels();

    u8 lineFlags_[kMaxLines];
    u8 fullRedrawRequest_ = 0;     // set by EndFrame(full), consumed by BeginFrame
    i32 renderedLineCount_ = 0;    // lines whose kLineRendered bit is set
    i32 undrawnLineCount_ = 0;     // lines not drawn since the last invalidation
    i32 drawnFirst_ = kMaxLines;   // lowest line drawn since the resize (kMaxLines: none)
    i32 drawnLast_ = -1;           // highest line drawn since the resize (-1: none)
    u32* pixels_ = nullptr;        // ARGB rows of width_ pixels
    i32 stride_ = 0;               // bytes per row; 0 without pixels

private:
    void ClearDrawnFlags();

    std::unique_ptr<u32[]> pixelStore_;
};

class LockedDisplaySurface : public DisplaySurface, public DisplayChangeLink {
public:
    // Asked at every BeginFrame; true asks for the whole frame to be shown again.
    using FrameReadyCallback = bool (*)(void* userData);

    static constexpr u32 kDefaultBorderColor = 0xFF000000;

    LockedDisplaySurface();
    // Marks the surface closing first, so that renderer operations entered from the other
    // thread do nothing.
    ~LockedDisplaySurface() override;

    // Border back to opaque black, then the image released.
    void Reset() override;
    bool BeginFrame(u8 hint, float aspect) override;

    // The output area (window client rectangle); false when there is none.
    virtual bool GetOutputSize(i32* left, i32* top, i32* right, i32* bottom);
    virtual bool Attach() { return false; }
    virtual void Detach() {}
    virtual bool Clear(const u32* argb);
    // Binds the surface to a window (null: unbinds).
    virtual bool SetWindow(const WindowHandle* window) = 0;
    // Ends a frame (GUI thread). full: show everything again at the next hand-over.
    // Answers whether there is something to present.
    virtual bool EndFrame(bool full);
    // A fresh surface of the same kind, or null.
    virtual LockedDisplaySurface* Clone() const { return nullptr; }
    virtual const char* GetName() const { return "No Draw"; }
    virtual bool QueryTwo() { return false; }
    // The window needs repainting from scratch.
    virtual void Invalidate() = 0;
    // Whether the bound window shows this surface or another one. Only a surface that
    // presents in a window of its own over the bound one has anything to do: it hides it.
    virtual void ShowOutput(bool) {}

    void SetBorderColor(const u32* argb);
    // Gives the surface the size of its output area; false when there is none or the
    // size already matches, else the answer of SetSize.
    bool FitToOutputSize();
    // Paints a block of rows lines of -negWidth pixels from a 64-bit mask: bit 0 is
    // (x, y), further bits go leftwards, then on at the right end of the next line. Set
    // bits take *setColor, clear ones *clearColor. Answers the pixels counted (64 at
    // most); 0 unless negWidth < 0 and rows > 0.
    i32 DrawBits(i32 x, i32 y, i32 negWidth, i32 rows, u64 bits, const u32* setColor,
                 const u32* clearColor);

    u32 GetBorderColor() const { return borderColor_; }
    float GetAspect() const { return aspect_; }
    bool IsChanged() const { return changed_ != 0; }
    bool IsClosing() const { return closing_ != 0; }
    // Counts ended frames; never 0, so that 0 can mean "no frame yet" to its readers.
    u32 GetFrameCounter() const { return frameCounter_; }

    // Set by the owner (sizeChangedCallback and its user data come from DisplayChangeLink).
    FrameReadyCallback frameReadyCallback = nullptr;
    void* frameReadyUserData = nullptr;

protected:
    // Every line counts as rendered and the frame as changed: it is all shown again.
    void ShowWholeFrame();

    u32 borderColor_ = kDefaultBorderColor;
    float aspect_ = 0.0f;           // width / height of the current frame; 0 = none
    u8 changed_ = 1;                // something changed since the last EndFrame
    u8 closing_ = 0;                // destruction has begun
    LockRecord surfaceLock_;        // outer lock
    LockRecord frameLock_;          // inner lock
    u32 frameCounter_ = 1;          // wraps (over 0) after 2^32 frames: compared, never subtracted
};
