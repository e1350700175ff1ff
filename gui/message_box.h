// MessageBox: a Yes/No question in the system's message box, kept as a dialog
// result so that it follows the framework's modal protocol (run, read the
// result, call back after the run). The caption is the window title
// (SetTitle); kind 1 adds the question icon, 2 the information icon; kind
// kMessageBoxError tells of a failure with an OK button alone (result 1).
// Results: 1 Yes, 3 No, 0 when the box could not be shown (message_box_answer.h).
// Windows-only; GUI thread only.
#pragma once

#include "gui/dialog.h"
#include "gui/message_box_answer.h"

// user32 names these as macros for its narrow and wide forms.
#undef MessageBox
#undef GetMessage

class MessageBoxInterface : public virtual DialogInterface {
public:
    virtual bool ShowModalWith(WindowInterface* owner, DialogCallbackFn callback, const StringW& message,
                               const StringW& title) = 0;
    virtual StringW& GetMessage() = 0;
    virtual void SetMessage(const StringW& text) = 0;
    virtual i32 GetKind() = 0;
    virtual void SetKind(i32 kind) = 0;
    virtual bool AskWith(WindowInterface* owner, const StringW& message, const StringW& title) = 0;
    virtual bool ShowModalBox(WindowInterface* owner, DialogCallbackFn callback, bool run) = 0;
    // Shows the box; false (result 0) when it could not be shown.
    virtual bool Ask(WindowInterface* owner) = 0;
};

class MessageBoxBase : public virtual MessageBoxInterface {
public:
    bool ShowModalWith(WindowInterface* owner, DialogCallbackFn callback, const StringW& message,
                       const StringW& title) override;
    StringW& GetMessage() override { return message; }
    void SetMessage(const StringW& text) override { message = text; }
    i32 GetKind() override { return kind; }
    void SetKind(i32 k) override { kind = k; }
    bool AskWith(WindowInterface* owner, const StringW& message, const StringW& title) override;
    bool ShowModalBox(WindowInterface* owner, DialogCallbackFn callback, bool run) override;
    bool Ask(WindowInterface*) override { return false; }
    bool DoModal(WindowInterface* owner) override { return Ask(owner); }
    bool ShowModal(WindowInterface* owner, DialogCallbackFn callback, bool run) override
    {
        return ShowModalBox(owner, callback, run);
    }

protected:
    StringW message;
    i32 kind = 0;
};

class MessageBox : public MessageBoxBase, public Dialog {
public:
    MessageBox() = default;

    bool Ask(WindowInterface* owner) override;
    bool DoModal(WindowInterface* owner) override { return MessageBoxBase::DoModal(owner); }
    bool ShowModal(WindowInterface* owner, DialogCallbackFn callback, bool run) override
    {
        return MessageBoxBase::ShowModal(owner, callback, run);
    }
};
