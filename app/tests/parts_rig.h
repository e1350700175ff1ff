// A ColecoVision core on our own BIOS and cartridge, and the main window as the menu
// parts see it: a manager, the core and a record of what they asked of the window.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/shell_parts.h"
#include "app/tests/manager_rig.h"
#include "core/emu_core.h"
#include "emu/drive_image.h"
#include "emu/tests/program_tree.h"
#include "gui/menu.h"

class RecordingParts : public ShellPartsInterface {
public:
    EmuManager manager{AddTestOutputs};
    EmuCore* core = nullptr;
    i32 machineIndex = -1;
    std::vector<std::string> calls;  // what was asked, in order
    bool answer = true;              // the answer to every question
    bool breakSeen = false;          // the core stood in break while a dialog was open
    PathString chosen;               // the file "chosen" in the file dialog (empty: cancel)

    EmuManager& GetManager() override { return manager; }
    EmuCore* GetCore() override { return core; }
    void* GetOwnerWindow() override { return this; }
    void UpdateAllEntries() override { calls.push_back("update"); }
    void SyncToolbarWithMenu() override { calls.push_back("sync"); }
    void DisableRunButton(RunButton) override {}
    void ShowToolbar(bool) override {}
    void SetScreenCursor(i32) override {}
    void RedrawScreen() override { calls.push_back("redraw"); }
    void CloseWindow() override {}

    EmuCore*& CoreSlot() override { return core; }
    i32& CoreMachineIndex() override { return machineIndex; }
    void RemoveOptionEntries() override { calls.push_back("strip"); }
    bool AddCoreOptionMenus() override
    {
        calls.push_back("options");
        return true;
    }
    void BuildDrivesMenu() override { calls.push_back("drives"); }
    void RefreshIndicator(DriveImage*, bool tooltip) override { calls.push_back(tooltip ? "icon+path" : "icon"); }
    void RefreshAfterIconChange() override { calls.push_back("icons"); }
    bool AskConfirmation(const StringW& message, i32 kind) override
    {
        Dialog("ask " + std::to_string(kind) + " " + message.GetNarrow());
        return answer;
    }
    void ShowError(const StringW& message) override { Dialog(std::string("error ") + message.GetNarrow()); }
    bool ChooseImageFile(DriveImage*, PathString* path) override
    {
        Dialog("file");
        *path = chosen;
        return !chosen.IsEmpty();
    }
    void RunAboutDialog() override { Dialog("about"); }

private:
    void Dialog(const std::string& what)
    {
        calls.push_back(what);
        breakSeen = core && core->IsInBreak();
    }
};

// A menu's entries, commas between: the caption of each, "-" for a separator; nested,
// each submenu's own layout follows its caption in brackets.
inline std::string MenuLayout(MenuItem& menu, bool nested)
{
    std::string text;
    for (int i = 0; i < menu.GetChildCount(); ++i) {
        MenuItem* entry = menu.GetChild(i);
        if (i > 0)
            text.push_back(',');
        text.append(entry->IsSeparator() ? "-" : entry->text.GetNarrow());
        if (nested && entry->GetChildCount() > 0)
            text.append("[").append(MenuLayout(*entry, true)).append("]");
    }
    return text;
}

class PartsTest : public ::testing::Test {
protected:
    ProgramTree tree;
    RecordingParts shell;

    void SetUp() override
    {
        shell.core = MakeColecoCore(shell.manager);
        ASSERT_NE(shell.core, nullptr);
        shell.machineIndex = shell.core->GetCoreIndex();
    }

    DriveImage* Slot() { return shell.core->GetDrive(0); }

    // Stopped, running, or running in break.
    void Bring(const std::string& state)
    {
        if (state != "stopped") {
            ASSERT_TRUE(shell.core->Start(false, false));
            if (state == "break")
                shell.core->Break(true);
        }
    }
    std::string StateOf() const
    {
        if (!shell.core->IsStarted())
            return "stopped";
        return shell.core->IsInBreak() ? "break" : "running";
    }
};
