// Display processor base: render events and the walk over the lines of a frame.
#include <algorithm>
#include <cmath>

#include "cpu/clock_interface.h"
#include "cpu/cpu_base.h"
#include "emu/event_bus.h"
#include "emu/system_interface.h"
#include "video/display_surface.h"
#include "video/video_processor.h"

namespace {

const char kFrameEventName[] = "_FrRenderEvent0";
const char kLineEventName[] = "_LoRenderEvent0";
const char kCpuEventName[] = "_HiRenderEvent0";

constexpr u32 Low(u64 value) { return static_cast<u32>(value); }
constexpr u32 High(u64 value) { return static_cast<u32>(value >> 32); }

} // namespace

bool VideoProcessor::SetRenderTiming(i32 width, i32 height, i32 lines, i32 rate, i32 kind)
{
    if (lines < 0)
        lines = linesPerFrame_;
    if (rate < 0)
        rate = frameRate_;
    if (width < 0 || height < 0)
        return false;
    screenWidth_ = width;
    screenHeight_ = height;
    if (timingState_ == 0 && lines == linesPerFrame_ && rate == frameRate_)
        return true;

    const i64 lineRate = static_cast<i64>(lines) * rate;
    const u64 identity = renderGeneration_ + 1;
    bool scheduled = false;
    switch (kind) {
    case kFrameTimer:
        scheduled = bus_ && bus_->AddTimer(static_cast<i32>(std::min<i64>(static_cast<i64>(rate) * 4, 0x7FFFFFFF)),
                                           OnFrRenderEvent, this, kFrameEventName, Low(identity),
                                           High(identity), false);
        break;
    case kLineTimer:
        scheduled = bus_ && bus_->AddTimer(static_cast<i32>(std::min<i64>(lineRate, 0x7FFFFFFF)),
                                           OnLoRenderEvent, this, kLineEventName, Low(identity),
                                           High(identity), false);
        break;
    case kLineCpuEvent: {
        if (lineRate == 0) {
            scheduled = true;
            break;
        }
        ClockInterface* clock = host_ ? host_->GetMainCpu() : nullptr;
        if (!clock)
            break;
        const double period = std::floor(clock->GetEffectiveFrequency() / static_cast<double>(lineRate) + 0.5);
        scheduled = clock->AddEvent(static_cast<i32>(std::min(period, 2147483647.0)), OnHiRenderEvent, this,
                                    kCpuEventName, Low(identity), High(identity));
        break;
    }
    default:
        break;
    }
    if (!scheduled)
        return false;
    renderGeneration_ = identity;
    linesPerFrame_ = lines;
    frameRate_ = rate;
    timingState_ = 0;
    return true;
}

bool VideoProcessor::IsCurrentEvent(const u32* userWords) const
{
    if (!userWords)
        return false;
    const u64 identity = static_cast<u64>(userWords[0]) | (static_cast<u64>(userWords[1]) << 32);
    return identity == renderGeneration_;
}

bool VideoProcessor::HasCurrentRenderEvent() const
{
    const Component* self = this;
    for (const BusTimer* t = bus_ ? bus_->GetFirstTimer() : nullptr; t; t = t->next) {
        if (t->kind == BusTimer::kTimer && t->user == self &&
            (t->callback == OnFrRenderEvent || t->callback == OnLoRenderEvent) && IsCurrentEvent(t->userWords))
            return true;
    }
    const auto* cpu = host_ ? dynamic_cast<const CpuBase*>(host_->GetMainCpu()) : nullptr;
    for (const CpuEvent* e = cpu ? cpu->GetFirstEvent() : nullptr; e; e = e->next) {
        if (e->target == self && e->callback == OnHiRenderEvent && IsCurrentEvent(e->userWords))
            return true;
    }
    return false;
}

bool VideoProcessor::DrawLine(i32 line, bool redrawOnly)
{
    u32* row = display_->GetRowPixels(line);
    // A surface of the right size without pixels has nowhere to draw.
    if (!row)
        return RenderLine(line, 0, 0, nullptr, redrawOnly);
    const bool drew = RenderLine(line, 0, screenWidth_, row, redrawOnly);
    // A write during the call (a chip that draws as it emulates) may have left the line
    // drawn already; its bookkeeping is then done.
    if (!display_->IsLineDrawn(line))
        display_->MarkLineDrawn(line);
    return drew;
}

bool VideoProcessor::RenderLines()
{
    bool changed = false;
    bool drawable = false;
    if (display_) {
        changed = PrepareFrame();
        drawable = display_->HasSize(screenWidth_, screenHeight_);
    }
    if (!drawable) {
        // Nothing to draw into, but the frame's lines still happen.
        for (i32 line = 0; line < screenHeight_; ++line)
            RenderLine(line, 0, 0, nullptr, false);
        return false;
    }
    return DrawUndrawnLines(false) || changed;
}

bool VideoProcessor::DrawUndrawnLines(bool redrawOnly)
{
    bool changed = false;
    const i32 surfaceHeight = display_->GetHeight();
    for (i32 line = 0; line < screenHeight_; ++line) {
        if (line < surfaceHeight && !display_->IsLineDrawn(line)) {
            if (DrawLine(line, redrawOnly))
                changed = true;
        } else if (!redrawOnly) {
            RenderLine(line, 0, 0, nullptr, false);
        }
    }
    return changed;
}

void VideoProcessor::EndOfFrame()
{
    const bool changed = RenderLines();
    for (i32 line = screenHeight_; line < linesPerFrame_; ++line)
        RenderLine(line, 0, 0, nullptr, false);
    if (changed && display_)
        display_->BeginFrame(1, aspect_);
}

bool VideoProcessor::OnFrRenderEvent(Component* target, u64* fireCount, u32* userWords)
{
    auto* self = static_cast<VideoProcessor*>(target);
    if (!self || !self->IsCurrentEvent(userWords))
        return false;
    const i32 phase = fireCount ? static_cast<i32>(*fireCount & 3) : 0;
    self->OnFramePhase(phase, 4);
    if (phase == 0)
        self->EndOfFrame();
    return true;
}

bool VideoProcessor::OnLineEvent(u32* userWords)
{
    if (!IsCurrentEvent(userWords))
        return false;
    const bool scanline = *renderMode_ != kFrameRendering;
    if (scanline) {
        const i32 line = currentLine_;
        if (display_ && line >= 0 && line < display_->GetHeight() && !display_->IsLineDrawn(line) &&
            screenWidth_ == display_->GetWidth())
            DrawLine(line, false);
        else
            RenderLine(line, 0, 0, nullptr, false);
    }
    if (++currentLine_ < linesPerFrame_)
        return true;
    currentLine_ = 0;
    if (scanline) {
        PrepareFrame();
        if (display_)
            display_->BeginFrame(1, aspect_);
    } else {
        EndOfFrame();
    }
    return true;
}

bool VideoProcessor::OnLoRenderEvent(Component* target, u64*, u32* userWords)
{
    auto* self = static_cast<VideoProcessor*>(target);
    return self && self->OnLineEvent(userWords);
}

bool VideoProcessor::OnHiRenderEvent(Component* target, i32*, u32* userWords, ClockInterface*)
{
    auto* self = static_cast<VideoProcessor*>(target);
    return self && self->OnLineEvent(userWords);
}

bool VideoProcessor::RedrawFrame(bool force)
{
    if (!display_)
        return false;
    const bool changed = PrepareFrame();
    if (!display_->HasSize(screenWidth_, screenHeight_))
        return false;
    if (force)
        display_->InvalidateDrawnLines();
    return DrawUndrawnLines(force) || changed;
}
