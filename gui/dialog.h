// Dialog: the framework's modal window. It needs no resource: DoModal builds
// a dialog template in memory from the stored rectangle (dialog_template.h),
// runs the system's modal loop (DialogBoxIndirectParamW) under an owner
// window, and on WM_INITDIALOG binds the system's dialog window to this object
// (without subclassing it), centres it on the owner at its stored size and
// creates the framework child controls added beforehand. Enter ends it with
// 1, Esc or the close box with 2, EndModal with any code (the system loop
// then ends with 1, 2 or 0xFFFF; GetResult keeps the full code).
// A dialog whose creation fails ends at once and DoModal answers false.
// The file dialog and the message box carry a Dialog part for the same
// protocol. Windows-only; GUI thread only.
#pragma once

#include "gui/dialog_base.h"
#include "gui/window.h"

class Dialog : public DialogBase, public TopLevelWindow {
public:
    Dialog();
    Dialog(int width, int height);
    Dialog(int x, int y, int width, int height);

    bool ShowModal(WindowInterface* owner, DialogCallbackFn callback, bool run) override;
    bool EndModal(i32 code) override;
    bool DoModal(WindowInterface* owner) override;
    virtual LRESULT OnDialogMessage(UINT message, WPARAM wParam, LPARAM lParam);
    HINSTANCE GetInstance() override { return instance; }

    // Binds the dialog's native window (set in `handle`), centres it and
    // creates the children; run from WM_INITDIALOG.
    bool Create() override;
    void Destroy() override;
    // The owner while the modal loop runs, else null.
    WindowInterface* GetParent() override;
    bool IsDialog() override { return true; }
    bool OnCreate() override { return true; }

    bool IsInModalLoop() const { return inModalLoop; }

    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK ZeroResultProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

protected:
    // The owner as a created native framework window with a module instance
    // and a handle, else null.
    static WindowBase* UsableOwner(WindowInterface* owner);
    // Marks the stored rectangle visible (or not) for the run of a system dialog.
    void MarkShown(bool shown);

    bool inModalLoop = false;
    HINSTANCE instance = nullptr;
    WindowBase* owner = nullptr;
    bool adoptNativeGeometry = false;
    bool createFailed = false;  // Create failed inside the system loop
};
