// ButtonInterface and ButtonBase: what a push button holds besides its native
// window: caption, owned image, focus and look flags, and what a click does.
//
// command: 0 nothing, 1 end the owning dialog with 1, 2 with 2, 3 with
// resultCode; a button with an onClick callback calls it instead and never
// ends a dialog by itself. The native button is in button.h.
#pragma once

#include "base/string_w.h"
#include "gui/window_interface.h"

class Font;
class ImageBase;

class ButtonInterface : public virtual ControlInterface {
public:
    virtual StringW GetText() = 0;
    virtual void SetText(const StringW& text) = 0;
    // Takes ownership; the image replaced is deleted.
    virtual void SetImage(ImageBase* image) = 0;
    virtual void SetFocusable(bool focusable) = 0;
    virtual void SetHotTrack(bool hotTrack) = 0;
    virtual void SetChecked(bool checked) = 0;
    virtual i32 GetCommand() = 0;
    virtual void SetCommand(i32 command) = 0;
    // The button's own font, made on demand with every attribute unset.
    virtual Font* GetFont() = 0;
    virtual i32& ResultCode() = 0;
};

using ButtonClickFn = void (*)(ButtonInterface* button);

class ButtonBase : public virtual ButtonInterface {
public:
    ButtonBase(const StringW& text, i32 command) : text(text), command(command) {}
    ~ButtonBase() override;
    ButtonBase(const ButtonBase&) = delete;
    ButtonBase& operator=(const ButtonBase&) = delete;

    StringW GetText() override { return text; }
    void SetText(const StringW& t) override { text = t; }
    // Stores the image; the native button also rebuilds its mask.
    void SetImage(ImageBase* image) override;
    void SetFocusable(bool f) override { focusable = f; }
    void SetHotTrack(bool on) override;
    void SetChecked(bool on) override;
    i32 GetCommand() override { return command; }
    void SetCommand(i32 c) override;
    i32& ResultCode() override { return resultCode; }
    // Repaints the whole button.
    virtual void Redraw() { Invalidate(); }
    using WindowInterface::Redraw;

    ImageBase* GetImage() const { return image; }
    bool IsHotTrack() const { return hotTrack; }
    bool IsChecked() const { return checked; }
    bool IsFocusable() const { return focusable; }

    ButtonClickFn onClick = nullptr;

protected:
    StringW text;
    ImageBase* image = nullptr;
    bool focusable = true;
    i32 command = 0;
    bool hotTrack = false;
    bool checked = false;
    i32 resultCode = 0;
};
