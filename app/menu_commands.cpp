#include "app/menu_commands.h"

#include "app/emu_manager.h"
#include "app/about_box.h"
#include "app/computer_menu.h"
#include "app/shell_parts.h"
#include "app/state_commands.h"
#include "core/emu_core.h"
#include "emu/computer.h"
#include "sound/sound_buffer_ring.h"
#include "video/display_surface.h"

namespace {

bool Running(const EmuCore* core)
{
    return core && core->IsStarted();
}

bool* SettingsFlagField(EmuManager& manager, i32 selector)
{
    switch (selector) {
    case kMaximizeOnStartup: return &manager.maximizeOnStartup;
    case kAutoStartEmulation: return &manager.autoStartEmulation;
    case kShowToolbarFlag: return &manager.showToolbar;
    default: return nullptr;
    }
}

void DisableEntry(MenuEntryInterface& entry)
{
    if (entry.IsEnabled())
        entry.Disable();
}

bool Start(ShellInterface& shell, EmuCore* core, MenuEntryInterface& entry)
{
    if (core->IsStarted())
        return true;
    if (!CoreCanStart(core))
        return false;
    DisableEntry(entry);
    shell.DisableRunButton(RunButton::kStart);
    HandOwnerWindow(shell, core->GetSoundOutput());
    core->Start(false, false);
    const bool capture = shell.GetManager().captureMouseOnDblClick;
    if (capture)
        shell.SetScreenCursor(2);  // the hand: a double-click captures the mouse
    shell.UpdateAllEntries();
    shell.SyncToolbarWithMenu();
    if (capture)
        shell.mouseCaptured = true;
    return true;
}

bool Pause(ShellInterface& shell, EmuCore* core, MenuEntryInterface& entry)
{
    if (!core->IsStarted())
        return true;
    DisableEntry(entry);
    shell.DisableRunButton(RunButton::kPause);
    if (core->IsInBreak())
        core->Continue();
    else
        core->Break(true);
    shell.UpdateAllEntries();
    shell.SyncToolbarWithMenu();
    return true;
}

bool Stop(ShellInterface& shell, EmuCore* core, MenuEntryInterface& entry)
{
    if (!core->IsStarted())
        return true;
    DisableEntry(entry);
    shell.DisableRunButton(RunButton::kStop);
    shell.DisableRunButton(RunButton::kPause);
    core->Stop();
    shell.UpdateAllEntries();
    shell.SyncToolbarWithMenu();
    return true;
}

// Video and Sound entries: the output changes only while the emulation does not run.
bool SelectOutput(ShellInterface& shell, EmuCore* core, MenuEntryInterface& entry, bool renderer)
{
    EmuManager& manager = shell.GetManager();
    const i32 i = entry.GetUserValue();
    const i32 count = renderer ? manager.GetRendererCount() : manager.GetSoundOutputCount();
    const i32 current = renderer ? manager.rendererIndex : manager.soundIndex;
    if (i < 0 || i >= count || i == current)
        return true;
    if (Running(core))
        return false;
    DisableEntry(entry);
    shell.DisableRunButton(RunButton::kStart);
    if (renderer) {
        manager.SelectRenderer(i);
        LockedDisplaySurface* copy = manager.CloneRenderer(manager.rendererIndex);
        if (core)
            core->SetRenderer(copy, true);
        else
            delete copy;
    } else {
        manager.SelectSound(i);
        SoundBufferRing* copy = manager.CloneSoundOutput(manager.soundIndex);
        if (copy) {
            HandOwnerWindow(shell, copy);
            if (!core || !core->SetSoundOutput(copy))
                delete copy;
        }
    }
    shell.UpdateAllEntries();
    return true;
}

bool ExecutePartCommand(ShellPartsInterface& shell, MenuCommand command, MenuEntryInterface& entry)
{
    switch (command) {
    case MenuCommand::kSaveState: return ExecuteSaveState(shell);
    case MenuCommand::kLoadState: return ExecuteLoadState(shell);
    case MenuCommand::kSelectComputer: return ExecuteSelectComputer(shell, entry);
    case MenuCommand::kAbout: ShowAboutBox(shell); return true;
    default: return false;
    }
}

} // namespace

// waveOut and DirectSound open their device for a window; the silent output needs none.
void HandOwnerWindow(ShellInterface& shell, SoundStreamInterface* output)
{
    if (auto* played = dynamic_cast<SoundOutput*>(output))
        played->SetOwnerWindow(shell.GetOwnerWindow());
}

bool CoreCanStart(const EmuCore* core)
{
    const Computer* machine = core ? core->GetMachine() : nullptr;
    return machine && machine->GetCpu(0);
}

bool RefreshCommand(ShellInterface& shell, MenuCommand command, i32 userValue, EntryState* state)
{
    EmuManager& manager = shell.GetManager();
    EmuCore* core = shell.GetCore();
    const bool running = Running(core);
    EntryState s;
    switch (command) {
    case MenuCommand::kStart:
        s.enabled = core && !running && CoreCanStart(core);
        break;
    case MenuCommand::kPause:
        s.enabled = running;
        s.checked = running && core->IsInBreak();
        break;
    case MenuCommand::kStop:
        s.enabled = running;
        break;
    case MenuCommand::kSynchronization:
        s.enabled = core != nullptr;
        s.checked = core && core->IsSyncEnabled();
        break;
    case MenuCommand::kFastInitialization:
        s.enabled = core != nullptr;
        s.checked = manager.fastInit;
        break;
    case MenuCommand::kSaveState:
        s.enabled = SaveStateOffered(shell);
        break;
    case MenuCommand::kLoadState:
        s.enabled = LoadStateOffered(shell);
        break;
    case MenuCommand::kExit:
    case MenuCommand::kAbout:
        s.enabled = true;
        break;
    case MenuCommand::kSelectComputer:
        if (userValue < 0 || userValue >= manager.GetMachineCount())
            return false;
        s.enabled = !running;
        s.checked = core && core->GetCoreIndex() == userValue;
        break;
    case MenuCommand::kSelectRenderer:
        s.enabled = !running && userValue >= 0 && userValue < manager.GetRendererCount();
        s.checked = userValue == manager.rendererIndex;
        break;
    case MenuCommand::kSelectSound:
        s.enabled = !running && userValue >= 0 && userValue < manager.GetSoundOutputCount();
        s.checked = userValue == manager.soundIndex;
        break;
    case MenuCommand::kCaptureMouse:
        s.enabled = true;
        s.checked = manager.captureMouseOnDblClick;
        break;
    case MenuCommand::kEmulationScreen:
        s.enabled = running;
        s.checked = core && !core->IsConsoleMode();
        break;
    case MenuCommand::kConsoleWindow:
        s.enabled = core != nullptr;
        s.checked = core && core->IsConsoleMode();
        break;
    case MenuCommand::kToolbar:
        if (userValue != 0)
            return false;
        s.enabled = true;
        s.checked = manager.showToolbar;
        break;
    case MenuCommand::kSettingsFlag: {
        const bool* flag = SettingsFlagField(manager, userValue);
        if (!flag)
            return false;
        s.enabled = true;
        s.checked = *flag;
        break;
    }
    }
    *state = s;
    return true;
}

bool ExecuteCommand(ShellInterface& shell, MenuCommand command, MenuEntryInterface& entry)
{
    EmuManager& manager = shell.GetManager();
    EmuCore* core = shell.GetCore();
    switch (command) {
    case MenuCommand::kStart:
        return core && Start(shell, core, entry);
    case MenuCommand::kPause:
        return core && Pause(shell, core, entry);
    case MenuCommand::kStop:
        return core && Stop(shell, core, entry);
    case MenuCommand::kSynchronization:
        if (!core)
            return false;
        core->SetSyncEnabled(!core->IsSyncEnabled());
        shell.UpdateAllEntries();
        return true;
    case MenuCommand::kFastInitialization: {
        const bool wasOn = manager.fastInit;
        manager.fastInit = !wasOn;
        if (core) {
            core->SetFastInit(manager.fastInit);
            // Fast initialisation ran unsynchronised; its end brings the pacing back.
            if (wasOn && core->IsSyncEnabled())
                core->SetSyncEnabled(true);
        }
        shell.UpdateAllEntries();
        return true;
    }
    case MenuCommand::kExit:
        shell.CloseWindow();
        return true;
    case MenuCommand::kSelectRenderer:
        return SelectOutput(shell, core, entry, true);
    case MenuCommand::kSelectSound:
        return SelectOutput(shell, core, entry, false);
    case MenuCommand::kCaptureMouse:
        manager.captureMouseOnDblClick = !manager.captureMouseOnDblClick;
        if (core) {
            shell.SetScreenCursor(manager.captureMouseOnDblClick && core->IsStarted() ? 2 : 0);
            shell.mouseCaptured = true;
        }
        shell.UpdateAllEntries();
        return true;
    case MenuCommand::kEmulationScreen:
        if (!core || !core->IsStarted() || !core->IsConsoleMode())
            return false;
        core->SetConsoleMode(false, true);
        shell.RedrawScreen();
        shell.UpdateAllEntries();
        return true;
    case MenuCommand::kConsoleWindow:
        if (!core || core->IsConsoleMode())
            return false;
        core->SetConsoleMode(true, true);
        shell.UpdateAllEntries();
        return true;
    case MenuCommand::kToolbar:
        if (entry.GetUserValue() != 0)
            return false;
        manager.showToolbar = !manager.showToolbar;
        shell.ShowToolbar(manager.showToolbar);
        shell.UpdateAllEntries();
        return true;
    case MenuCommand::kSettingsFlag: {
        bool* flag = SettingsFlagField(manager, entry.GetUserValue());
        if (!flag)
            return false;
        *flag = !*flag;
        if (flag == &manager.showToolbar)
            shell.ShowToolbar(manager.showToolbar);
        shell.UpdateAllEntries();
        return true;
    }
    case MenuCommand::kSaveState:
    case MenuCommand::kLoadState:
    case MenuCommand::kSelectComputer:
    case MenuCommand::kAbout:
        // Served by the state, machine and About commands of their own, which need the
        // window's dialogs and menu bar.
        if (auto* parts = dynamic_cast<ShellPartsInterface*>(&shell))
            return ExecutePartCommand(*parts, command, entry);
        return false;
    }
    return false;
}
