// ModalCloseGuard: puts off a close of the main window that arrives while one of its modal
// dialogs runs (the About box, a question, the file dialog).
//
// A dialog's modal loop still dispatches the window's posted messages, so a WM_CLOSE from
// another program would destroy the window, and with it the emulation core, beneath the
// handler that opened the dialog; that handler goes on with the core once the dialog
// returns. The window counts its open dialogs here: a close asked for meanwhile is noted
// and carried out when the last dialog has returned.
#pragma once

#include "base/types.h"

class ModalCloseGuard {
public:
    // A dialog opens.
    void Enter() { ++depth_; }
    // A dialog returned. True when a close was put off and no dialog runs any more: the
    // caller closes the window now (the note is used up).
    bool Leave()
    {
        if (depth_ > 0)
            --depth_;
        if (depth_ > 0 || !pending_)
            return false;
        pending_ = false;
        return true;
    }
    // True when the window may close now; else the close is noted for later.
    bool AllowClose()
    {
        if (depth_ == 0)
            return true;
        pending_ = true;
        return false;
    }
    bool InDialog() const { return depth_ > 0; }

private:
    i32 depth_ = 0;
    bool pending_ = false;
};
