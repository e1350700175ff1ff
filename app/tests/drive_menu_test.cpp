// The Drives menu and icons built from a core's drives, blinking, and
// the drive commands with the emulation held in break.
#include "app/drive_menu.h"
#include "app/tests/parts_rig.h"
#include "emu/computer.h"
#include "emu/drive_bay.h"

namespace {

// The panel as a list of what was added: "ROM:", "icon <kind> <position> <index>", "|".
class RecordingPanel : public DrivePanelInterface {
public:
    std::vector<std::string> added;
    void Clear() override { added.clear(); }
    void AddGroupHead(const char* caption) override { added.push_back(caption); }
    void AddIcon(i32 kind, i32 position, i32 index, DriveImage*, bool) override
    {
        added.push_back("icon " + std::to_string(kind) + " " + std::to_string(position) + " " + std::to_string(index));
    }
    void AddGroupTail() override { added.push_back("|"); }
};

class DriveMenuTest : public PartsTest {
protected:
    DriveBay& Bay() { return *shell.core->GetMachine()->GetDriveBay(); }

    // Records the run state at every drive change the bay is told of, then tells the
    // machine as before.
    static void OnChange(void* self, DriveImage* drive, bool before)
    {
        auto* test = static_cast<DriveMenuTest*>(self);
        test->statesAtChange.push_back(test->StateOf());
        if (test->machineCallback)
            test->machineCallback(test->machineContext, drive, before);
    }
    void Watch()
    {
        machineCallback = Bay().GetChangeCallback();
        machineContext = Bay().GetChangeContext();
        Bay().SetChangeCallback(&OnChange, this);
    }
    void Unwatch() { Bay().SetChangeCallback(machineCallback, machineContext); }
    std::vector<std::string> statesAtChange;
    DriveBay::ChangeCallback machineCallback = nullptr;
    void* machineContext = nullptr;
};

} // namespace

TEST_F(DriveMenuTest, MenuAndPanelFollowTheDriveCounts)
{
    PopupMenu drives;
    RecordingPanel panel;
    DriveMenu::Build(shell.core, &drives, &panel);
    EXPECT_EQ(MenuLayout(drives, false), "Cartridge 1");
    EXPECT_EQ(panel.added, (std::vector<std::string>{"ROM:", "icon 2 0 0", "|"}));
    PopupMenu* slot = static_cast<PopupMenu*>(drives.GetChild(0));
    EXPECT_EQ(MenuLayout(*slot, false), "Load From File,Unload,-,Latch");
    for (int i = 0; i < slot->GetChildCount(); ++i)
        EXPECT_EQ(slot->GetChild(i)->userValue, 0);

    const struct {
        i32 floppies, hardDisks;
        const char* menu;
    } rows[] = {
        {4, 0, "Cartridge 1,-,Floppy Drive 1,Floppy Drive 2,-,Floppy Drive 3,Floppy Drive 4"},
        {3, 1, "Cartridge 1,-,Floppy Drive 1,Floppy Drive 2,Floppy Drive 3,-,Hard Drive 1"},
        {0, 2, "Cartridge 1,-,Hard Drive 1,Hard Drive 2"},
    };
    for (const auto& [floppies, hardDisks, menu] : rows) {
        Bay().SetFloppyCount(floppies);  // false when the count stays
        Bay().SetHardDiskCount(hardDisks);
        DriveMenu::Build(shell.core, &drives, &panel);
        EXPECT_EQ(MenuLayout(drives, false), menu);
    }
    // Two hard drives: the cartridge slot comes after them; icons stand in pairs.
    EXPECT_EQ(panel.added, (std::vector<std::string>{"ROM:", "icon 2 0 2", "|", "HDD:", "icon 1 0 0", "icon 1 1 1", "|"}));
    DriveMenu::Build(nullptr, &drives, &panel);
    EXPECT_EQ(drives.GetChildCount(), 0);
    EXPECT_TRUE(panel.added.empty());
}

TEST_F(DriveMenuTest, ARebuildUnlinksEveryDriveFromItsOldIcon)
{
    int oldIcon = 0;
    Slot()->SetIndicator(&oldIcon);
    PopupMenu drives;
    RecordingPanel panel;  // links nothing, as a panel whose adds all failed
    DriveMenu::Build(shell.core, &drives, &panel);
    EXPECT_EQ(Slot()->GetIndicator(), nullptr);
}

TEST_F(DriveMenuTest, ReadDrivesBlinkAndGoDarkWhenIdle)
{
    DriveImage* drive = Slot();
    drive->SetIndicatorState(0);
    std::vector<bool> lit;
    for (bool read : {true, true, true, false, false}) {
        drive->SetRead(read);
        DriveMenu::BlinkIndicators(shell, false);
        lit.push_back(drive->GetIndicatorState() < 0);
        EXPECT_FALSE(drive->WasRead());
    }
    EXPECT_EQ(lit, (std::vector<bool>{true, false, true, false, false}));
    shell.calls.clear();
    DriveMenu::BlinkIndicators(shell, false);
    EXPECT_TRUE(shell.calls.empty()) << "an unchanged dark icon is left alone";
    DriveMenu::BlinkIndicators(shell, true);
    EXPECT_EQ(shell.calls, std::vector<std::string>{"icon"});
}

TEST_F(DriveMenuTest, DriveChangesHappenInBreakAndTheRunGoesOn)
{
    Watch();
    Bring("running");
    MenuItem entry;
    entry.userValue = 0;
    EXPECT_TRUE(DriveMenu::Execute(shell, DriveMenu::Command::kLatch, &entry));
    EXPECT_FALSE(Slot()->GetLatch());
    EXPECT_TRUE(DriveMenu::ToggleLatch(shell, Slot()));  // the icon's right click
    EXPECT_TRUE(Slot()->GetLatch());
    EXPECT_TRUE(DriveMenu::Execute(shell, DriveMenu::Command::kUnload, &entry));
    EXPECT_FALSE(Slot()->HasFile());
    EXPECT_FALSE(Slot()->GetLatch());
    shell.chosen = ProgramTree::PathOf("media/game.col");
    EXPECT_TRUE(DriveMenu::LoadFromFile(shell, 0));
    EXPECT_TRUE(shell.breakSeen) << "the file dialog runs in break";
    EXPECT_TRUE(Slot()->HasFile());
    ASSERT_FALSE(statesAtChange.empty());
    for (const std::string& state : statesAtChange)
        EXPECT_EQ(state, "break");
    EXPECT_EQ(StateOf(), "running");
    shell.core->Stop();
    Unwatch();
}

TEST_F(DriveMenuTest, AFailedReplacementPutsTheOldImageBack)
{
    DriveImage* drive = Slot();
    drive->SetLatch(false);
    EXPECT_FALSE(DriveMenu::ReplaceImage(drive, ProgramTree::PathOf("media/missing.col")));
    EXPECT_TRUE(drive->HasFile());
    EXPECT_STREQ(drive->GetPath().GetNarrow(), ProgramTree::TextOf("media/game.col").c_str());
    EXPECT_FALSE(drive->GetLatch());
    ProgramTree::WriteBytes("media/other.col", ReadRomFile(KUV_ROM_COLECO_CART));
    EXPECT_TRUE(DriveMenu::ReplaceImage(drive, ProgramTree::PathOf("media/other.col")));
    EXPECT_STREQ(drive->GetPath().GetNarrow(), ProgramTree::TextOf("media/other.col").c_str());
    EXPECT_TRUE(drive->GetLatch());
}
