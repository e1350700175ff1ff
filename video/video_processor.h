// Display processor base: the rendering loop shared by every video chip.
//
// A chip derives from VideoProcessor and draws one scanline per RenderLine call; the base
// schedules the render event, walks the lines of each frame, keeps the surface's line
// bookkeeping, sizes the surface and hands each finished frame over with its aspect ratio.
//
// Render events (the chip picks one with SetRenderTiming after its Start):
//   kind 0  "_FrRenderEvent0"  bus timer, 4 x frame rate; whole frames at firings 0, 4, 8..
//   kind 1  "_LoRenderEvent0"  bus timer, one firing per line
//   kind 2  "_HiRenderEvent0"  CPU event, one firing per line at cycle precision
// Each event carries the render generation it was made for; after a re-timing the old
// event sees a newer generation at its next firing and asks to be dropped.
//
// Rendering is incremental: a line is drawn only while its drawn flag is clear (video
// memory changed since). Every line of every frame still reaches RenderLine, with a null
// row when it is not drawn, so the chip's per-line emulation (vertical blank and its
// interrupt) runs whatever surface is attached, also when it draws nothing.
//
// Settings: "RenderMode" (i32: 0 frame, 1 scanline rendering; default 1) and
// "AspectIndex" (i32: 0 default, 1..5 = 4.0/3 .. 4.9/3). The aspect index takes effect at
// Start and at a state load, the render mode at the next per-line event. A processor
// owned by a VideoOutput uses the output's two values instead of its own.
//
// State: "_VIDP" (video memory), then "_VIDD" (video_processor_state.cpp).
#pragma once

#include "base/memory_stream.h"
#include "base/types.h"
#include "video/video_memory.h"

class ClockInterface;
class StreamInterface;

class VideoProcessor : public VideoMemory {
public:
    enum RenderKind : i32 { kFrameTimer = 0, kLineTimer = 1, kLineCpuEvent = 2 };
    enum RenderMode : i32 { kFrameRendering = 0, kScanlineRendering = 1 };

    static constexpr i32 kAspectCount = 6;
    // Index 0 is the chip's own default; 1..5 are the label's number / 3, worked out in
    // double precision and rounded once to single ("4.0/3" .. "4.9/3").
    static constexpr float kAspectTable[kAspectCount] = {
        0.0f,
        static_cast<float>(4.0 / 3),
        static_cast<float>(4.3 / 3),
        static_cast<float>(4.5 / 3),
        static_cast<float>(4.7 / 3),
        static_cast<float>(4.9 / 3),
    };
    static constexpr float kDefaultAspect = static_cast<float>(4.4 / 3);   // 1.4666667
    // Every aspect the program sets lies in the table's range (a chip's own default too);
    // a saved aspect outside it is damage.
    static constexpr float kMinAspect = kAspectTable[1];
    static constexpr float kMaxAspect = kAspectTable[kAspectCount - 1];
    static constexpr bool IsAspect(float aspect) { return aspect >= kMinAspect && aspect <= kMaxAspect; }
    // Largest picture width, height and lines a frame (the surface tracks 2048 lines).
    static constexpr i32 kMaxPictureSize = 2048;

    VideoProcessor();
    ~VideoProcessor() override;

    // --- device (video_processor.cpp) ---
    bool BindSettings(Dictionary* dict, bool enabledOnly) override;
    bool ValidateSettings(bool enabledOnly) override;
    // Resets the timing, links page 0 with line tracking, takes the aspect from its index
    // and registers the three render event names; schedules nothing.
    bool Start(i32* rate) override;
    void Stop() override;
    bool Connect(u32 flags) override;
    // Group 2: render mode and aspect ratio items (video_processor_menu.cpp).
    void BuildMenu(OptionItem* menu, i32 kind) override;
    // "_VIDP", then "_VIDD" (video_processor_state.cpp).
    bool SaveState(Archive& archive) override;
    bool LoadState(Archive& archive, LoadContext context) override;

    // --- the chip's side ---
    // Draws width pixels of line into row and answers whether it drew; with a null row
    // and width 0 only the line's emulation runs. redrawOnly: a repaint after a state
    // load, which runs nothing but the drawing. Base: false.
    virtual bool RenderLine(i32 line, i32 firstColumn, i32 width, u32* row, bool redrawOnly);
    // Gives the surface the picture size; true when it changed (everything to redraw).
    virtual bool PrepareFrame();
    // The frame timer's quarter-frame phases, before anything else of each firing.
    virtual void OnFramePhase(i32 phase, i32 phaseCount);
    // Memory access by address through the base address and mask: nothing is written,
    // and -1 read, outside the memory.
    virtual void WriteMemory(u32 address, u8 value);
    virtual i32 ReadMemory(u32 address, bool peek);
    // Screen layout for the debugger; answers whether the device runs.
    virtual bool GetScreenInfo(i32* mode, i32* width, i32* height, i32* columns, i32* rows, u32* colours);

    // The rendering loop's geometry as a saved state brings it.
    struct RenderGeometry {
        i32 width;           // picture width in pixels
        i32 height;          // visible lines
        i32 linesPerFrame;   // visible and invisible lines
        i32 frameRate;       // frames per second
        i32 timingState;     // -1 nothing scheduled, 0 scheduled
    };
    // Whether a loaded state's geometry may be taken (video_processor_state.cpp). The
    // render loops run once per line of it, so the base keeps every count within the
    // surface's line table: with timing scheduled, a picture of 1..kMaxPictureSize pixels
    // each way and at least as many lines a frame as visible ones, at most
    // kMaxPictureSize. A chip of fixed geometry asks for exactly its own.
    virtual bool AcceptsGeometry(const RenderGeometry& geometry) const;

    // --- the rendering loop (video_processor_render.cpp) ---
    // Sets the picture size and schedules the render event of kind for lines per frame at
    // rate frames per second (a negative lines or rate keeps the one in force). The same
    // lines and rate as the event in force keep it.
    bool SetRenderTiming(i32 width, i32 height, i32 linesPerFrame, i32 frameRate, i32 kind);
    // Draws every visible line whose drawn flag is clear; answers whether anything changed.
    bool RenderLines();
    // Draws the visible lines again without running their emulation; force first
    // invalidates every drawn line. The next frame hands the picture over.
    bool RedrawFrame(bool force);

    static bool OnFrRenderEvent(Component* target, u64* fireCount, u32* userWords);
    static bool OnLoRenderEvent(Component* target, u64* fireCount, u32* userWords);
    static bool OnHiRenderEvent(Component* target, i32* period, u32* userWords, ClockInterface* clock);
    // Whether the bus or the main CPU holds a render event of this generation.
    bool HasCurrentRenderEvent() const;

    // --- rarely used parts of the base (video_processor_pages.cpp) ---
    // A second memory page (a new VideoMemory when page is null); -1 while running or when
    // there is one already, else 1.
    i32 AddPage(VideoMemory* page, const char* name, const char* shortName);
    bool SetPageWindow(i32 pageIndex, i32 baseKB, i32 lengthKB, bool enabled, u8 flag);
    bool SetPageSize(i32 pageIndex, i32 kilobytes, u32 mask);
    // Opaque frame data kept with the state; the surface redraws everything after it.
    bool SetFrameData(const u8* data, i32 size);
    bool SetFrameDataFromStream(StreamInterface& stream);
    void SetFrameDataLimits(i32 minimum, i32 maximum)
    {
        frameDataMin_ = minimum;
        frameDataMax_ = maximum;
    }
    const MemoryStream& GetFrameData() const { return frameData_; }

    // The menu parts on a pair of values (video_processor_menu.cpp); running: the owner's
    // running flag, which disables the items while it is set.
    static void AddRenderModeItems(OptionItem* menu, i32* renderMode, const bool* running);
    static void AddAspectItems(OptionItem* menu, i32* aspectIndex, const bool* running);

    // --- accessors ---
    i32& RenderModeValue() { return *renderMode_; }
    i32& AspectIndexValue() { return *aspectIndex_; }
    bool OwnsRenderValues() const { return renderMode_ == &ownRenderMode_ && aspectIndex_ == &ownAspectIndex_; }
    // Points the two values at a VideoOutput's (video_output.cpp).
    void ShareRenderValues(i32* renderMode, i32* aspectIndex);
    float GetAspect() const { return aspect_; }
    float GetDefaultAspect() const { return defaultAspect_; }
    i32 GetScreenWidth() const { return screenWidth_; }
    i32 GetScreenHeight() const { return screenHeight_; }
    i32 GetLinesPerFrame() const { return linesPerFrame_; }
    i32 GetFrameRate() const { return frameRate_; }
    i32 GetTimingState() const { return timingState_; }
    u64 GetRenderGeneration() const { return renderGeneration_; }
    i32 GetCurrentLine() const { return currentLine_; }
    i32 GetCurrentPage() const { return currentPage_; }
    VideoMemory* GetPage(i32 index) const { return index == 0 || index == 1 ? pages_[index] : nullptr; }

protected:
    // The end of a frame: every visible line, then the invisible ones, then the hand-over.
    void EndOfFrame();
    // The per-line event's work for currentLine_; answers whether the event stays.
    bool OnLineEvent(u32* userWords);
    // Draws line into its row and keeps the surface's bookkeeping; answers RenderLine's.
    bool DrawLine(i32 line, bool redrawOnly);
    // Draws every visible line the surface does not hold; the others run undrawn unless
    // redrawOnly. Answers whether a drawn line changed.
    bool DrawUndrawnLines(bool redrawOnly);
    bool IsCurrentEvent(const u32* userWords) const;
    // Links page index (memory, line tracking) and invalidates the drawn lines; false
    // when there is no such page.
    bool LinkPage(i32 index);
    float AspectForIndex(i32 index) const;
    // A second page made and added here, as page index; false when adding fails.
    bool EnsurePage(i32 index);
    // Bounds *size by the frame data limits and sizes the frame data to it; false below
    // the minimum or when the memory cannot be had.
    bool SizeFrameData(i32* size);

    i32 ownRenderMode_ = kScanlineRendering;  // storage of "RenderMode"
    i32 ownAspectIndex_ = 0;                  // storage of "AspectIndex"
    VideoMemory* pages_[2];                   // page 0 is this; page 1 an optional child
    i32 currentPage_ = -1;                    // linked page, -1 none
    u8* pageMemory_ = nullptr;                // buffer of the linked page (not owned)
    bool displayEnabled_ = false;
    i32 videoMode_ = -1;                      // screen information, -1 = not set:
    bool graphicsMode_ = false;
    i32 columnCount_ = -1;
    i32 rowCount_ = -1;
    i32 columns_ = -1;
    i32 rows_ = -1;
    i32 charWidth_ = -1;
    i32 charHeight_ = -1;
    i32 pixelBits_ = -1;                      // colour count = 1 << pixel bits
    i32 lines_ = -1;
    i32* renderMode_;                         // the render mode in use
    i32* aspectIndex_;                        // the aspect index in use
    i32 timingState_ = -1;                    // -1 nothing scheduled since Start, 0 scheduled
    i32 linesPerFrame_ = 0;                   // visible and invisible lines of a frame
    i32 frameRate_ = 0;                       // frames per second
    u64 renderGeneration_ = 0;                // identity of the render event in force; one per restart of the render
    i32 currentLine_ = 0;                     // line counter of the per-line events
    i32 screenWidth_ = 0;                     // picture width in pixels
    i32 screenHeight_ = 0;                    // visible lines
    float aspect_ = kDefaultAspect;           // handed to the surface with each frame
    float defaultAspect_ = kDefaultAspect;    // aspect of index 0
    MemoryStream frameData_;
    i32 frameDataMin_ = -1;                   // -1 = no limit
    i32 frameDataMax_ = -1;
};

static_assert(VideoProcessor::IsAspect(VideoProcessor::kDefaultAspect), "a saved default aspect loads again");
