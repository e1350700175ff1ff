#include "gui/dialog.h"

#include "gui/dialog_template.h"

Dialog::Dialog() = default;

Dialog::Dialog(int width, int height) : Dialog(0, 0, width, height) {}

Dialog::Dialog(int x, int y, int width, int height)
{
    WindowBase::SetPosition(x, y, width, height, kUnitPixels);
}

WindowBase* Dialog::UsableOwner(WindowInterface* owner)
{
    auto* native = dynamic_cast<WindowBase*>(owner);
    if (native == nullptr || !native->IsCreated() || native->GetInstance() == nullptr || native->GetHandle() == nullptr)
        return nullptr;
    return native;
}

void Dialog::MarkShown(bool shown)
{
    int x = 0, y = 0, w = 0, h = 0;
    GetBounds(&x, &y, &w, &h);
    SetBounds(x, y, w, h, shown);
}

bool Dialog::ShowModal(WindowInterface* ownerWindow, DialogCallbackFn callback, bool run)
{
    if (ownerWindow == nullptr || callback == nullptr || !run)
        return false;
    if (!DoModal(ownerWindow))
        return false;
    callback(this);
    return true;
}

bool Dialog::EndModal(i32 code)
{
    result = code;
    if (handle != nullptr && inModalLoop)
        EndDialog(handle, code == 1 || code == 2 ? code : 0xFFFF);
    return true;
}

bool Dialog::DoModal(WindowInterface* ownerWindow)
{
    result = 0;
    if (inModalLoop || ownerWindow == nullptr)
        return false;
    WindowBase* native = UsableOwner(ownerWindow);
    if (native == nullptr)
        return false;
    int x = 0, y = 0, w = 0, h = 0;
    GetBounds(&x, &y, &w, &h);
    const DialogTemplateBytes dialogTemplate = BuildDialogTemplate(x, y, w, h);
    owner = native;
    instance = native->GetInstance();
    MarkShown(true);
    inModalLoop = true;
    createFailed = false;
    INT_PTR answer = -1;
    try {
        answer = DialogBoxIndirectParamW(instance, reinterpret_cast<LPCDLGTEMPLATEW>(dialogTemplate.bytes.data()),
                                         native->GetHandle(), DialogProc, reinterpret_cast<LPARAM>(this));
    } catch (...) {
        inModalLoop = false;
        throw;
    }
    inModalLoop = false;
    MarkShown(false);
    owner = nullptr;
    instance = nullptr;
    // A dialog whose children could not be made never ran: that is a failure,
    // not an answer.
    if (answer == 0 || answer == -1 || createFailed) {
        result = 0;
        return false;
    }
    return true;
}

INT_PTR CALLBACK Dialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        auto* dialog = reinterpret_cast<Dialog*>(lParam);
        if (dialog == nullptr) {
            EndDialog(window, 0xFFFF);
            return TRUE;
        }
        dialog->handle = window;
        if (dialog->Create())
            return FALSE;  // no default focus set by the system
        dialog->createFailed = true;
        EndDialog(window, 0xFFFF);
        return TRUE;
    }
    auto* dialog = dynamic_cast<Dialog*>(reinterpret_cast<WindowBase*>(GetWindowLongPtrW(window, GWLP_USERDATA)));
    if (dialog == nullptr || dialog->handle != window)
        return 0;
    return dialog->OnDialogMessage(message, wParam, lParam);
}

LRESULT CALLBACK Dialog::ZeroResultProc(HWND, UINT, WPARAM, LPARAM)
{
    return 0;
}

LRESULT Dialog::OnDialogMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COMMAND && LOWORD(wParam) == IDOK) {
        EndModal(1);
        return 1;
    }
    if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) {
        EndModal(2);
        return 1;
    }
    if (message == WM_PAINT && handle != nullptr && !IsUpdateLocked(false)) {
        // Answered here: left to the dialog manager, its own paint would
        // erase the background over the windowless children drawn before.
        // Validating first lets it erase; the children are drawn after.
        PAINTSTRUCT ps;
        BeginPaint(handle, &ps);
        EndPaint(handle, &ps);
        Paint(0, 0, -1, -1, nullptr);
        return 1;
    }
    return HandleMessage(message, wParam, lParam);
}

bool Dialog::Create()
{
    if (IsCreated())
        return true;
    // With a previous procedure present the binding does not subclass: the
    // system keeps calling DialogProc, and unhandled messages answer 0 so
    // that the dialog manager does its default processing.
    previousProc = ZeroResultProc;
    if (adoptNativeGeometry) {
        adoptNativeGeometry = false;
        SyncFromNative(true, true, false);
    }
    if (GetPlacement() == 1 && owner != nullptr && owner->IsCreated()) {
        int ox = 0, oy = 0, ow = 0, oh = 0;
        owner->GetBounds(&ox, &oy, &ow, &oh);
        if (static_cast<WindowInterface*>(owner->GetTopLevel()) != static_cast<WindowInterface*>(owner)) {
            POINT corner{ox, oy};
            if (ClientToScreen(owner->GetHandle(), &corner)) {
                ox = corner.x;
                oy = corner.y;
            }
        }
        int x = 0, y = 0, w = 0, h = 0;
        GetBounds(&x, &y, &w, &h);
        CenterOnOwner(ox, oy, ow, oh, w, h, &x, &y);
        WindowBase::SetPosition(x, y, w, h, kUnitPixels);
    }
    return TopLevelWindow::CreateStep();
}

void Dialog::Destroy()
{
    if (handle != nullptr && destroying == 0 && inModalLoop) {
        // The system destroys the window when its loop unwinds.
        inModalLoop = false;
        EndDialog(handle, 2);
        return;
    }
    if (handle != nullptr) {
        SetWindowLongPtrW(handle, GWLP_USERDATA, 0);
        handle = nullptr;
    }
    DestroyStep();
    instance = nullptr;
    owner = nullptr;
}

WindowInterface* Dialog::GetParent()
{
    return inModalLoop ? owner : nullptr;
}
