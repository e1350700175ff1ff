#include "app/computer_menu.h"

#include "app/emu_manager.h"
#include "app/shell_parts.h"
#include "core/emu_core.h"

bool ExecuteSelectComputer(ShellPartsInterface& shell, MenuEntryInterface& entry)
{
    EmuManager& manager = shell.GetManager();
    const i32 i = entry.GetUserValue();
    if (i < 0 || i >= manager.GetMachineCount())
        return false;
    i32& current = shell.CoreMachineIndex();
    if (i == current)
        return true;
    EmuCore*& core = shell.CoreSlot();
    if (core && core->IsStarted())
        return false;
    if (entry.IsEnabled())
        entry.Disable();
    manager.SelectMachine(i);
    // The option entries point into the old machine's trees: gone before it goes.
    shell.RemoveOptionEntries();
    if (manager.SetCoreMachine(core, i))
        current = i;
    shell.AddCoreOptionMenus();
    shell.BuildDrivesMenu();
    shell.UpdateAllEntries();
    // The old machine's settings were saved as it went: a failure is told as at exit.
    if (core && !core->GetSettingsSaveFailure().IsEmpty())
        shell.ShowError(SettingsNotSavedText(core->GetSettingsSaveFailure()));
    return true;
}
