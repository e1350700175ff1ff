// Display processor base: the render mode and aspect ratio menu (menu kind 2).
#include "emu/option_item.h"
#include "video/video_processor.h"

namespace {

constexpr i32 kVideoMenu = 2;

// The items read the running flag as a byte: bool has the size and values of one.
u8* RunningByte(const bool* running)
{
    static_assert(sizeof(bool) == 1);
    return reinterpret_cast<u8*>(const_cast<bool*>(running));
}

u32* Word(i32* value)
{
    return reinterpret_cast<u32*>(value);
}

} // namespace

void VideoProcessor::AddRenderModeItems(OptionItem* menu, i32* renderMode, const bool* running)
{
    menu->AddRadioItem("Frame Rendering", Word(renderMode), kFrameRendering, RunningByte(running), 0);
    menu->AddRadioItem("Scanline Rendering", Word(renderMode), kScanlineRendering, RunningByte(running), 0);
}

void VideoProcessor::AddAspectItems(OptionItem* menu, i32* aspectIndex, const bool* running)
{
    static const char* const kLabels[kAspectCount] = {"Default", "4.0/3", "4.3/3", "4.5/3", "4.7/3", "4.9/3"};
    menu->AddSeparator();
    OptionItem* submenu = menu->AddItem("Aspect Ratio");
    if (!submenu)
        return;
    submenu->AddRadioItem(kLabels[0], Word(aspectIndex), 0, RunningByte(running), 0);
    submenu->AddSeparator();
    for (i32 index = 1; index < kAspectCount; ++index) {
        OptionItem* item = submenu->AddRadioItem(kLabels[index], Word(aspectIndex), static_cast<u32>(index),
                                                 RunningByte(running), 0);
        // The submenu shows checked whenever an aspect other than the default is chosen.
        submenu->AddCheckedIfItem(item, 1);
    }
}

void VideoProcessor::BuildMenu(OptionItem* menu, i32 kind)
{
    VideoMemory::BuildMenu(menu, kind);
    if (kind != kVideoMenu || !menu)
        return;
    if (renderMode_ == &ownRenderMode_)
        AddRenderModeItems(menu, &ownRenderMode_, &running_);
    if (aspectIndex_ == &ownAspectIndex_)
        AddAspectItems(menu, &ownAspectIndex_, &running_);
}
