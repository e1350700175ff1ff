// Display processor base: a second memory page and opaque frame data. No chip of the
// shipped machines uses them; they are kept for chips with paged video memory.
#include <algorithm>
#include <memory>

#include "base/string_a.h"
#include "base/stream_interface.h"
#include "video/display_surface.h"
#include "video/video_processor.h"

bool VideoProcessor::EnsurePage(i32 index)
{
    if (pages_[index])
        return true;
    const char* longName = GetName();
    const char* shortName = GetDescription().IsEmpty() ? longName : GetDescription().GetNarrow();
    StringA name;
    StringA description;
    name.Format("%s Page %ld", longName, index);
    description.Format("%s_PAGE%ld", shortName, index);
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
    const char* longName = GetName();
    const char* ownShort = GetDescription().IsEmpty() ? longName : GetDescription().GetNarrow();
    StringA madeName;
    StringA madeShort;
    if (!name) {
        madeName.Format("%s Page %ld", longName, 1);
        name = madeName.GetNarrow();
    }
    if (!shortName) {
        madeShort.Format("%s_PAGE%ld", ownShort, 1);
        shortName = madeShort.GetNarrow();
    }
    if (!AddChild(page, name, shortName))
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

bool VideoProcessor::SetFrameData(const u8* data, i32 size)
{
    if (size < 0 || (size > 0 && !data))
        return false;
    if (frameDataMax_ >= 0)
        size = std::min(size, frameDataMax_);
    if (frameDataMin_ >= 0 && size < frameDataMin_)
        return false;
    if (frameData_.GetSize() != static_cast<u64>(size) && !frameData_.SetSize(static_cast<u64>(size)))
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
    if (frameDataMax_ >= 0)
        size = std::min(size, frameDataMax_);
    if (frameDataMin_ >= 0 && size < frameDataMin_)
        return false;
    if (frameData_.GetSize() != static_cast<u64>(size) && !frameData_.SetSize(static_cast<u64>(size)))
        return false;
    if (size > 0 && stream.ReadAt(frameData_.GetBuffer(), 0, static_cast<u64>(size)) != static_cast<u64>(size))
        return false;
    if (display_)
        display_->InvalidateDrawnLines();
    return true;
}
