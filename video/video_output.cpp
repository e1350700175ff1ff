#include "video/video_output.h"

#include "base/dictionary.h"
#include "emu/option_item.h"
#include "video/video_processor.h"

bool VideoOutput::AddChild(Component* child, const char* name, const char* description)
{
    auto* processor = dynamic_cast<VideoProcessor*>(child);
    if (!processor)
        return false;
    processor->ShareRenderValues(&renderMode_, &aspectIndex_);
    return SelectableDevice::AddChild(child, name, description);
}

bool VideoOutput::BindSettings(Dictionary* dict, bool enabledOnly)
{
    if (dict && !enabledOnly) {
        if (ValueRef* ref = dict->NewBinding(StringA("RenderMode")))
            ref->Bind(kValueInt32, &renderMode_);
        if (ValueRef* ref = dict->NewBinding(StringA("AspectIndex")))
            ref->Bind(kValueInt32, &aspectIndex_);
    }
    return SelectableDevice::BindSettings(dict, enabledOnly);
}

bool VideoOutput::ValidateSettings(bool enabledOnly)
{
    bool result = SelectableDevice::ValidateSettings(enabledOnly);
    if (static_cast<u32>(renderMode_) > VideoProcessor::kScanlineRendering) {
        renderMode_ = VideoProcessor::kScanlineRendering;
        result = false;
    }
    if (static_cast<u32>(aspectIndex_) >= VideoProcessor::kAspectCount) {
        aspectIndex_ = 0;
        result = false;
    }
    return result;
}

void VideoOutput::BuildMenu(OptionItem* menu, i32 kind)
{
    if (kind == 2 && menu) {
        VideoProcessor::AddRenderModeItems(menu, &renderMode_, &running_);
        VideoProcessor::AddAspectItems(menu, &aspectIndex_, &running_);
        menu->AddSeparator();
    }
    SelectableDevice::BuildMenu(menu, kind);
}
