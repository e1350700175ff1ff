// TopLevelBase: the title and the owned menu bar of a top-level window.
// A top-level window is its own GetTopLevel; its frame is its parent's
// (none for a window without parent), except for a frame window itself.
#pragma once

#include "gui/window_node.h"

class TopLevelBase : public virtual TopLevelInterface, public virtual WindowNode {
public:
    TopLevelBase() = default;
    ~TopLevelBase() override;

    bool OnCreate() override { return true; }
    StringW GetTitle() override { return title_; }
    void SetTitle(const StringW& title) override { title_ = title; }
    MenuBar* GetMenu() override { return menu_; }
    bool SetMenu(MenuBar* menu) override;
    TopLevelInterface* GetTopLevel() override { return this; }
    FrameInterface* GetFrame() override;

protected:
    StringW title_;

private:
    MenuBar* menu_ = nullptr;
};
