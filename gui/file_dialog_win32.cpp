#include "gui/file_dialog.h"

#include "gui/file_dialog_outcome.h"

namespace {

constexpr int kFileBufferLength = 1024;

}  // namespace

void FileDialogBase::AddFileType(const StringW& extension, const StringW& description)
{
    if (extension.IsEmpty())
        return;
    extensions.Add(extension);
    descriptions.Add(description.IsEmpty() ? extension : description);
}

bool FileDialogBase::DoModal(WindowInterface* owner, const PathString& p)
{
    SetPath(p);
    return RunFileDialog(owner);
}

bool FileDialogBase::ShowModal(WindowInterface* owner, DialogCallbackFn callback, const PathString& p)
{
    SetPath(p);
    return ShowFileDialog(owner, callback, true);
}

bool FileDialogBase::ShowFileDialog(WindowInterface* owner, DialogCallbackFn callback, bool run)
{
    if (owner == nullptr || callback == nullptr || !run)
        return false;
    if (!RunFileDialog(owner))
        return false;
    callback(this);
    return true;
}

bool FileDialog::ShowFileDialog(WindowInterface* owner, DialogCallbackFn callback, bool run)
{
    return FileDialogBase::ShowFileDialog(owner, callback, run);
}

bool FileDialog::RunFileDialog(WindowInterface* ownerWindow)
{
    result = 0;
    errorCode = 0;
    WindowBase* native = UsableOwner(ownerWindow);
    if (native == nullptr || (mode != kFileDialogOpen && mode != kFileDialogSave))
        return false;

    const WideStdString filter = BuildFileFilter(extensions, descriptions, mode);
    wchar_t file[kFileBufferLength] = {};
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = native->GetHandle();
    ofn.lpstrFilter = filter.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file;
    ofn.nMaxFile = kFileBufferLength;
    ofn.lpstrInitialDir = path.GetWide();
    ofn.lCustData = reinterpret_cast<LPARAM>(this);
    ofn.lpfnHook = FileDialogHookProc;
    ofn.Flags = (mode == kFileDialogOpen ? OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY
                                         : OFN_PATHMUSTEXIST | OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY) |
                OFN_EXPLORER | OFN_ENABLEHOOK;

    owner = native;
    instance = native->GetInstance();
    hookFailed = false;
    MarkShown(true);
    const BOOL chosen = mode == kFileDialogOpen ? GetOpenFileNameW(&ofn) : GetSaveFileNameW(&ofn);
    const u32 extended = chosen ? 0 : CommDlgExtendedError();
    MarkShown(false);
    // The system dialog window is gone; forget it so that the object can run again.
    if (IsCreated() || handle != nullptr)
        Dialog::Destroy();
    owner = nullptr;
    instance = nullptr;

    switch (ClassifyFileDialogEnd(chosen != 0, extended, hookFailed)) {
        case FileDialogOutcome::kChosen:
            path = PathString(file);
            result = 1;
            return true;
        case FileDialogOutcome::kCancelled:
            result = 2;
            return true;
        case FileDialogOutcome::kFailed:
            break;
    }
    errorCode = extended;
    char line[96];
    wsprintfA(line, "[ERROR] File dialog failed (code 0x%04lX)\n", static_cast<unsigned long>(extended));
    OutputDebugStringA(line);
    return false;
}

UINT_PTR CALLBACK FileDialog::FileDialogHookProc(HWND window, UINT message, WPARAM, LPARAM lParam)
{
    if (message != WM_INITDIALOG)
        return 0;
    auto* ofn = reinterpret_cast<OPENFILENAMEW*>(lParam);
    auto* dialog = ofn != nullptr ? reinterpret_cast<FileDialog*>(ofn->lCustData) : nullptr;
    if (dialog == nullptr || dialog->owner == nullptr) {
        EndDialog(window, 2);
        return 1;
    }
    // The hook's window is a child of the system dialog: walk up to the window
    // whose parent is the owner (or the topmost ancestor).
    const HWND ownerHandle = dialog->owner->GetHandle();
    HWND top = window;
    if (top != nullptr && top != ownerHandle)
        for (HWND parent = ::GetParent(top); parent != nullptr && parent != ownerHandle; parent = ::GetParent(top))
            top = parent;
    dialog->handle = top;
    if (dialog->Create())
        return 0;
    dialog->hookFailed = true;
    EndDialog(window, 2);
    return 1;
}
