// The do-nothing display, "No Rendering": the surface an emulation run uses when no
// renderer is chosen. It refuses every size, so the display processor draws nothing into
// it; the machine still runs its frames (the chip's vertical blank does not depend on
// being watched).
#pragma once

#include "video/display_surface.h"

class NullDisplay : public LockedDisplaySurface {
public:
    NullDisplay() = default;
    ~NullDisplay() override = default;

    // Keeps no pixels: false, nothing changes.
    bool SetSize(i32 width, i32 height, bool flag) override;
    bool SetWindow(const WindowHandle* window) override;
    LockedDisplaySurface* Clone() const override { return new NullDisplay; }
    const char* GetName() const override { return "No Rendering"; }
    void Invalidate() override {}
};
