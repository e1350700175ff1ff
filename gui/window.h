// Window: a native window that holds and lays out child controls, with its
// own font description (inherited by its controls) and drawing context.
// TopLevelWindow adds the title and the menu bar. Windows-only.
//
// A window owns its children. Creating it binds its native window (made by
// the concrete class beforehand, `handle`), binds the drawing context,
// creates the children not yet created and lays them out; a child that fails
// destroys the window again. Destroying it destroys the children first.
// Moving or resizing it lays the children out before the user callbacks run.
// GetClientRect is the native client area less the margins.
#pragma once

#include "gui/container_base.h"
#include "gui/draw_context.h"
#include "gui/top_level_base.h"
#include "gui/window_base.h"

class Window : public ContainerBase, public virtual WindowBase {
public:
    Window() = default;
    // Destroys the native window (children first) when it still exists.
    ~Window() override;

    bool Create() override { return CreateStep(); }
    void Destroy() override;
    void OnMoved() override;
    void OnResized() override;
    // A windowless child under the point takes the event, in its own coordinates.
    int OnMouse(int x, int y, int event) override;
    bool GetClientRect(int* x, int* y, int* width, int* height) override;
    Font* GetFont() override { return &font_; }
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    // With keep set, the drawing context keeps the target its owner gave it
    // instead of being bound to the native window on creation.
    void KeepDrawTarget(bool keep) { keepTarget_ = keep; }
    DrawContext& GetContext() { return context_; }

protected:
    bool CreateStep();
    void DestroyStep();
    DrawContext* OwnDrawContext() override { return &context_; }
    // WM_SETCURSOR and WM_DRAWITEM as every window with children needs them;
    // true when answered.
    bool HandleChildMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);

private:
    Font font_;
    DrawContext context_;
    bool keepTarget_ = false;
};

class TopLevelWindow : public TopLevelBase, public Window {
public:
    TopLevelWindow() = default;
    ~TopLevelWindow() override { DetachMenu(); }

    bool Create() override { return CreateStep(); }
    // With a native window, the caption follows.
    void SetTitle(const StringW& title) override;

protected:
    // The Window create step, then the caption.
    bool CreateStep();
    // The menu bar object outlives the native window: the native menu is
    // taken off the window before it goes, so that Windows does not destroy
    // it under the menu objects (the bar destroys it itself).
    void DetachMenu();
};
