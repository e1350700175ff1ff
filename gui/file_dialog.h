// FileDialog: picks a file to open or a file name to save through the
// system's common dialog (GetOpenFileNameW, GetSaveFileNameW), with the
// filter list built from the file types added (file_type_filter.h) and the
// path that holds the starting folder before a run and the chosen file after
// one. It carries a Dialog part: the same modal protocol (GetResult, callback
// after the run), and the system dialog is centred on the owner.
//
// RunFileDialog answers true when the dialog was shown and ended by the user:
// result 1 with a chosen file (path holds it), 2 when cancelled (path
// unchanged). A failure of the common dialog (CommDlgExtendedError's code,
// a chosen path longer than the buffer among them) or of the hook answers
// false with result 0, keeps the path and leaves the code in GetErrorCode.
// Windows-only; GUI thread only.
#pragma once

#include <windows.h>

#include <commdlg.h>

#include "base/object_list.h"
#include "gui/dialog.h"
#include "gui/file_type_filter.h"

class FileDialogInterface : public virtual DialogInterface {
public:
    using DialogInterface::DoModal;
    using DialogInterface::ShowModal;
    virtual bool ShowModal(WindowInterface* owner, DialogCallbackFn callback, const PathString& path) = 0;
    // An empty extension adds nothing; an empty description shows the extension.
    virtual void AddFileType(const StringW& extension, const StringW& description) = 0;
    virtual PathString& GetPath() = 0;
    virtual void SetPath(const PathString& path) = 0;
    virtual bool DoModal(WindowInterface* owner, const PathString& path) = 0;
};

class FileDialogBase : public virtual FileDialogInterface {
public:
    bool ShowModal(WindowInterface* owner, DialogCallbackFn callback, bool run) override
    {
        return ShowFileDialog(owner, callback, run);
    }
    bool ShowModal(WindowInterface* owner, DialogCallbackFn callback, const PathString& path) override;
    void AddFileType(const StringW& extension, const StringW& description) override;
    PathString& GetPath() override { return path; }
    void SetPath(const PathString& p) override { path = p; }
    bool DoModal(WindowInterface* owner) override { return RunFileDialog(owner); }
    bool DoModal(WindowInterface* owner, const PathString& p) override;
    virtual bool ShowFileDialog(WindowInterface* owner, DialogCallbackFn callback, bool run);
    virtual bool RunFileDialog(WindowInterface*) { return false; }

    // 0 open, 1 save (FileDialogMode); any other value makes a run fail.
    u32 mode = kFileDialogOpen;

protected:
    ObjectList extensions;
    ObjectList descriptions;
    PathString path;
};

class FileDialog : public FileDialogBase, public Dialog {
public:
    bool RunFileDialog(WindowInterface* owner) override;
    bool ShowFileDialog(WindowInterface* owner, DialogCallbackFn callback, bool run) override;
    bool ShowModal(WindowInterface* owner, DialogCallbackFn callback, bool run) override
    {
        return FileDialogBase::ShowModal(owner, callback, run);
    }
    bool ShowModal(WindowInterface* owner, DialogCallbackFn callback, const PathString& p) override
    {
        return FileDialogBase::ShowModal(owner, callback, p);
    }
    bool DoModal(WindowInterface* owner) override { return FileDialogBase::DoModal(owner); }
    bool DoModal(WindowInterface* owner, const PathString& p) override { return FileDialogBase::DoModal(owner, p); }

    // CommDlgExtendedError's code after a failed run (0 otherwise).
    u32 GetErrorCode() const { return errorCode; }

    static UINT_PTR CALLBACK FileDialogHookProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

private:
    u32 errorCode = 0;
    bool hookFailed = false;
};

class FileDialogBox : public FileDialog {
public:
    // Centred on the owner at the system dialog's own size.
    FileDialogBox() { adoptNativeGeometry = true; }
};
