// A selectable video output: display processors as alternatives, sharing the output's
// render mode and aspect index ("RenderMode", "AspectIndex"), which it binds and offers
// in its menu in place of theirs. No shipped machine builds one.
#pragma once

#include "emu/selectable_device.h"

class VideoOutput : public SelectableDevice {
public:
    VideoOutput() = default;
    ~VideoOutput() override = default;

    // Only display processors are taken; their two values then refer to the output's.
    bool AddChild(Component* child, const char* name, const char* description) override;
    bool BindSettings(Dictionary* dict, bool enabledOnly) override;
    bool ValidateSettings(bool enabledOnly) override;
    void BuildMenu(OptionItem* menu, i32 kind) override;

    i32 GetRenderMode() const { return renderMode_; }
    i32 GetAspectIndex() const { return aspectIndex_; }

private:
    i32 renderMode_ = 1;   // "RenderMode"
    i32 aspectIndex_ = 0;  // "AspectIndex"
};
