// Display processor base: a second memory page and opaque frame data. No chip of the
// shipped machines uses them; they are kept for chips with paged video memory.
#include <algorithm>
#include <memory>

#include "base/string_a.h"
#include "base/stream_interface.h"
#include "video/display_surface.h"
#include "video/video_processor.h"

namespace {

// "<name> Page n" and "<short name>_PAGEn"; the short name falls back to the name.
void PageNames(const VideoProcessor& owner, i32 index, StringA& name, StringA& shortName)
{
    const char* longName = owner.GetName();
    const char* ownShort = owner.GetDescription().IsEmpty() ? longName : owner.GetDescription().GetNarrow();
    name.Format("%s Page %ld", longName, index);
    shortName.Format("%s_PAGE%ld", ownShort, index);
}

} // namespace

bool VideoProcessor::EnsurePage(i32 index)
{
    if (pages_[index])
        return true;
    StringA name;
    StringA description;
    PageNames(*this, index, name, description);
    auto page = std::make_unique<VideoMemory>();
    if (!AddChild(page.get(), name.GetNarrow(), description.GetNarrow()))
        return false;
    pages_[index] = page.release();
    return true;
}

i32 VideoProcessor::AddPage(VideoMemory* page, const char* name, const char* shortName)
{
    if (IsRunning() || pages_[1])
        return -1;
    std::unique_ptr<VideoMemory> created;
    if (!page) {
        created = std::make_unique<VideoMemory>();
        page = created.get();
    }
    StringA madeName;
    StringA madeShort;
    PageNames(*this, 1, madeName, madeShort);
    if (!AddChild(page, name ? name : madeName.GetNarrow(), shortName ? shortName : madeShort.GetNarrow()))
        return -1;
    created.release();
    pages_[1] = page;
    return 1;
}

bool VideoProcessor::SetPageWindow(i32 pageIndex, i32 baseKB, i32 lengthKB, bool enabled, u8 flag)
{
    if (IsRunning() || (pageIndex != 0 && pageIndex != 1) || !EnsurePage(pageIndex))
        return false;
    return pages_[pageIndex]->SetWindow(baseKB, lengthKB, enabled, flag);
}

bool VideoProcessor::SetPageSize(i32 pageIndex, i32 kilobytes, u32 mask)
{
    if (IsRunning() || (pageIndex != 0 && pageIndex != 1) || !EnsurePage(pageIndex))
        return false;
    return pages_[pageIndex]->SetSize(kilobytes, mask);
}

bool VideoProcessor::SizeFrameData(i32* size)
{
    if (frameDataMax_ >= 0)
        *size = std::min(*size, frameDataMax_);
    if (frameDataMin_ >= 0 && *size < frameDataMin_)
        return false;
    const u64 bytes = static_cast<u64>(*size);
    return frameData_.GetSize() == bytes || frameData_.SetSize(bytes);
}

bool VideoProcessor::SetFrameData(const u8* data, i32 size)
{
    if (size < 0 || (size > 0 && !data) || !SizeFrameData(&size))
        return false;
    if (size > 0 && frameData_.WriteAt(data, 0, static_cast<u64>(size)) != static_cast<u64>(size))
        return false;
    if (display_)
        display_->InvalidateDrawnLines();
    return true;
}

bool VideoProcessor::SetFrameDataFromStream(StreamInterface& stream)
{
    const u64 streamSize = stream.GetSize();
    if (streamSize > 0x7FFFFFFF)
        return false;
    i32 size = static_cast<i32>(streamSize);
    if (!SizeFrameData(&size))
        return false;
    if (size > 0 && stream.ReadAt(frameData_.GetBuffer(), 0, static_cast<u64>(size)) != static_cast<u64>(size))
        return false;
    if (display_)
        display_->InvalidateDrawnLines();
    return true;
}
