// The modal protocol shared by the framework's dialogs (the template dialog,
// the file dialog and the message box): run under an owner, end with a code,
// read the code, call back once the run has ended.
//
// Results: 1 accepted (OK, Yes, a file chosen), 2 cancelled (Cancel, Esc, the
// close box), 3 No (message box); other codes are the dialog's own.
#pragma once

#include "gui/window_interface.h"

// Called after a modal run with the dialog; it reads the result and may
// delete the dialog.
using DialogCallbackFn = void (*)(WindowInterface* dialog);

class DialogInterface : public virtual TopLevelInterface {
public:
    // Runs DoModal and, when it answers true, calls the callback after the
    // run; false (nothing shown) without an owner, a callback or the run flag.
    virtual bool ShowModal(WindowInterface* owner, DialogCallbackFn callback, bool run) = 0;
    virtual bool EndModal(i32 code) = 0;
    virtual i32 GetResult() = 0;
    virtual u32 GetPlacement() = 0;
    // True when the dialog was shown and ended normally; the outcome is then
    // read with GetResult.
    virtual bool DoModal(WindowInterface* owner) = 0;
};

class DialogBase : public virtual DialogInterface {
public:
    bool EndModal(i32 code) override
    {
        result = code;
        return true;
    }
    i32 GetResult() override { return result; }
    u32 GetPlacement() override { return placement; }
    bool DoModal(WindowInterface*) override { return false; }

protected:
    u32 placement = 1;  // 1: centre on the owner when created
    i32 result = 0;
};
