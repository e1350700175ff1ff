// Windows without a native side, for testing the lattice and the layout
// anywhere: a container of a given client size and controls of a given size.
#pragma once

#include "gui/container_base.h"
#include "gui/control_base.h"
#include "gui/draw_context.h"

template <class Layer>
class PlainWindow : public Layer {
public:
    bool SyncFromNative(bool, bool, bool) override { return false; }
    bool PaintHook(DrawContext*, const Rect*, const Rect*, void*) override { return true; }
    bool IsWindowless() override { return false; }
    void Redraw(int, int, int, int) override { ++redraws; }
    bool Close() override { return false; }
    bool GetClientRect(int* x, int* y, int* width, int* height) override
    {
        this->GetBounds(x, y, width, height);
        *x = 0;
        *y = 0;
        return true;
    }
    Cursor* GetCursor() override { return nullptr; }

    int redraws = 0;
};

class TestControl : public PlainWindow<ControlBase> {
public:
    TestControl(int width, int height, int alignment, int group = 0)
    {
        SetPosition(0, 0, width, height, kUnitPixels);
        SetAlignment(alignment);
        SetHideGroup(group);
        Show(true);
    }

    // A LeftFit control measures to fitWidths (narrowest, -, full).
    bool PaintHook(DrawContext*, const Rect*, const Rect*, void* measure) override
    {
        if (measure == nullptr || fitWidths == nullptr)
            return measure == nullptr;
        *static_cast<MeasureRecord*>(measure) = *fitWidths;
        return true;
    }

    const MeasureRecord* fitWidths = nullptr;
};

class TestContainer : public PlainWindow<ContainerBase> {
public:
    TestContainer(int width, int height)
    {
        SetPosition(0, 0, width, height, kUnitPixels);
        Show(true);
    }
    Font* GetFont() override { return nullptr; }

    // The layout measures LeftFit children only with a drawing context; the
    // test controls never draw into it, so a stand-in object serves.
    DrawContext* GetDrawContext(int*, int*) override
    {
        alignas(DrawContext) static unsigned char standIn[sizeof(DrawContext)];
        return reinterpret_cast<DrawContext*>(standIn);
    }
};
