// ShellPartsInterface: what the Computer menu, the drives menu, the state commands and
// the About box ask of the main window beyond the run commands' ShellInterface.
//
// As with ShellInterface, the decisions live in plain code against this interface and
// run natively; the main window implements it with its menu bar, toolbar icons, message
// box and file dialog, the tests with a recording stand-in.
#pragma once

#include "app/shell_interface.h"
#include "base/string_w.h"

class DriveImage;

// The text of the box that tells of settings files not written, one line each (from
// SaveFailureLine): at exit and when the machine is replaced.
inline StringW SettingsNotSavedText(const StringW& lines)
{
    StringW text("Settings could not be saved (the files keep what they held):\n");
    text.Append(lines);
    return text;
}

class ShellPartsInterface : public ShellInterface {
public:
    // The current core's slot: choosing a machine creates the core when there is none.
    virtual EmuCore*& CoreSlot() = 0;
    // Index of the machine the current core runs (-1 before the first core).
    virtual i32& CoreMachineIndex() = 0;

    // --- the menu bar ---
    // Removes every entry that stands for an option of the core.
    virtual void RemoveOptionEntries() = 0;
    // Adds the current core's option menus; false when an entry could not be added.
    virtual bool AddCoreOptionMenus() = 0;
    // Builds the Drives menu and the drive icons again from the current core.
    virtual void BuildDrivesMenu() = 0;

    // --- drive icons ---
    // The drive's icon (when it has one) shows its state; with tooltip also its path.
    virtual void RefreshIndicator(DriveImage* drive, bool tooltip) = 0;
    // After a change made through an icon: every icon and the window state refreshed.
    virtual void RefreshAfterIconChange() = 0;

    // --- dialogs (the caller holds the emulation in break around them) ---
    // A Yes/No question titled "Confirmation"; kind 1 question icon, 2 information icon.
    // True for Yes; a box that cannot be shown counts as No.
    virtual bool AskConfirmation(const StringW& message, i32 kind) = 0;
    // Tells of a failure in a box titled "Error" with an OK button: a message the console
    // behind the screen would hide.
    virtual void ShowError(const StringW& message) = 0;
    // The open-file dialog for a drive (null: no drive at that index) starting in the
    // drive set's last folder. True with path set when a file was chosen.
    virtual bool ChooseImageFile(DriveImage* drive, PathString* path) = 0;
    // Runs the About dialog to its end.
    virtual void RunAboutDialog() = 0;
};
