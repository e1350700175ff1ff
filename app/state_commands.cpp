#include "app/state_commands.h"

#include "app/menu_commands.h"
#include "app/shell_parts.h"
#include "base/string_w.h"
#include "core/emu_core.h"
#include "emu/drive_image.h"

bool SaveStateOffered(ShellInterface& shell)
{
    EmuCore* core = shell.GetCore();
    return core && core->IsLoopActive();
}

bool LoadStateOffered(ShellInterface& shell)
{
    return shell.GetCore() != nullptr;
}

bool ExecuteSaveState(ShellPartsInterface& shell)
{
    EmuCore* core = shell.GetCore();
    if (!core || !core->IsLoopActive())
        return false;
    const bool wasInBreak = core->IsInBreak();
    if (!wasInBreak)
        core->Break(false);
    const bool save = shell.AskConfirmation(StringW("SAVE emulation state?"), 1);
    // A failure is told in a box: the console that says it too lies behind the screen.
    if (save && !core->SaveStateToFile(PathString(), false) && !core->GetStateSaveFailure().IsEmpty())
        shell.ShowError(core->GetStateSaveFailure());
    if (!wasInBreak && core->IsInBreak())
        core->Continue();
    if (!wasInBreak || save) {
        shell.UpdateAllEntries();
        shell.SyncToolbarWithMenu();
    }
    return true;
}

bool ExecuteLoadState(ShellPartsInterface& shell)
{
    EmuCore* core = shell.GetCore();
    if (!core)
        return false;
    bool paused = false;
    if (core->IsStarted() && !core->IsInBreak()) {
        core->Break(false);
        paused = true;
    }
    bool load = true;
    if (core->IsStarted())
        load = shell.AskConfirmation(StringW("LOAD emulation state!"), 2);
    else
        HandOwnerWindow(shell, core->GetSoundOutput());
    if (load) {
        // The loaded picture may match lines the screen already showed: drawn in full. A
        // failure is told in a box: the console that says it too lies behind the screen.
        if (core->LoadStateFromFile(PathString(), false))
            shell.RedrawScreen();
        else if (!core->GetStateLoadFailure().IsEmpty())
            shell.ShowError(core->GetStateLoadFailure());
        const i32 total = core->GetDriveCounts(nullptr, nullptr, nullptr);
        for (i32 i = 0; i < total; ++i) {
            if (DriveImage* drive = core->GetDrive(i))
                shell.RefreshIndicator(drive, true);
        }
    }
    if (paused && core->IsStarted() && core->IsInBreak())
        core->Continue();
    if (paused || load) {
        shell.UpdateAllEntries();
        shell.SyncToolbarWithMenu();
    }
    return true;
}
