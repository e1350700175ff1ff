// The drive bay: drives by kind and their notices, the "_DRIVES" block, the drive file.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "archive_buffer.h"
#include "base/dictionary.h"
#include "emu/command_interpreter.h"
#include "emu/drive_bay.h"
#include "emu/safe_file_write.h"
#include "program_tree.h"

namespace {

using Notices = std::vector<std::pair<DriveImage*, bool>>;

class DriveBayTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        bay.SetHost(&console);
        bay.SetChangeCallback([](void* list, DriveImage* d, bool before) {
            static_cast<Notices*>(list)->emplace_back(d, before);
        }, &notices);
        ProgramTree::MakeFolder("user/settings");
    }

    std::vector<std::string> Printed()
    {
        console.FlushPending();
        std::vector<std::string> lines;
        StringA text;
        for (i32 i = 0; console.GetLine(i, &text, nullptr); ++i)
            lines.push_back(text.CStr());
        console.Clear();
        return lines;
    }

    static PathString Image(const std::string& name, size_t size)
    {
        ProgramTree::Write("prog/images/" + name, size);
        return ProgramTree::PathOf("prog/images/" + name);
    }

    DriveImage* Cart(DriveBay& b) { return b.GetKindDrive(DriveBay::kCartridge, 0); }
    DriveImage* Floppy(DriveBay& b) { return b.GetKindDrive(DriveBay::kFloppy, 0); }

    ProgramTree tree;
    CommandInterpreter console;
    Notices notices;  // outlives the bay, which announces its last drives
    DriveBay bay;
    const PathString drv = ProgramTree::PathOf("user/settings/msx.drv");
};

TEST_F(DriveBayTest, CountsChangeWithNoticesAndTheLastDriveGoesFirst)
{
    EXPECT_FALSE(bay.SetCartridgeCount(-1));
    EXPECT_FALSE(bay.SetFloppyCount(DriveBay::kMaxDrivesPerKind + 1));
    EXPECT_FALSE(bay.SetHardDiskCount(0)) << "unchanged";
    EXPECT_TRUE(notices.empty());

    ASSERT_TRUE(bay.SetFloppyCount(2));
    ASSERT_TRUE(bay.SetCartridgeCount(1));
    DriveImage* first = Floppy(bay);
    DriveImage* second = bay.GetKindDrive(DriveBay::kFloppy, 1);
    EXPECT_EQ(bay.GetDrive(2), Cart(bay)) << "creation order";
    ASSERT_TRUE(second->InsertFile(Image("b.dsk", 10)));
    notices.clear();
    ASSERT_TRUE(bay.SetFloppyCount(0));
    // The second drive's eject and removal, then the first's removal.
    EXPECT_EQ(notices, (Notices{{nullptr, true}, {second, true}, {second, false}, {second, true}, {second, false},
                                {first, true}, {first, false}, {nullptr, false}}));
    EXPECT_EQ(bay.GetDrive(0), Cart(bay));

    EXPECT_EQ(bay.FindDriveByName("cart"), Cart(bay));
    EXPECT_EQ(bay.FindDriveByName("FDD"), nullptr) << "no floppy left";
    EXPECT_EQ(bay.FindDriveByName("CART0"), nullptr);
    EXPECT_EQ(bay.FindDriveByName("CA"), nullptr);
}

TEST_F(DriveBayTest, InsertMovesTheLastPathAndEjectKeepsTheLatch)
{
    bay.SetCartridgeCount(1);
    notices.clear();
    ASSERT_TRUE(Cart(bay)->InsertFile(Image("game.rom", 16)));
    EXPECT_EQ(notices, (Notices{{Cart(bay), false}})) << "an insert announces only the after";
    Cart(bay)->SetLatch(false);
    Cart(bay)->Eject();
    EXPECT_FALSE(Cart(bay)->HasFile() || Cart(bay)->GetLatch());
    EXPECT_FALSE(Cart(bay)->InsertFile(PathString("C:\\roms/sub\\x.rom")));
    EXPECT_STREQ(bay.GetLastPath().GetNarrow(), "C:\\roms/") << "a forward slash wins, even when it fails";
}

TEST_F(DriveBayTest, StateRoundTripReopensTheSameFiles)
{
    bay.SetFloppyCount(1);
    bay.SetCartridgeCount(1);
    ASSERT_TRUE(Cart(bay)->InsertFile(Image("game.rom", 32)));
    ArchiveBuffer saved;
    ASSERT_TRUE(bay.SaveState(saved.archive));

    DriveBay other;
    other.SetFloppyCount(1);
    other.SetCartridgeCount(1);
    ASSERT_TRUE(Floppy(other)->InsertFile(Image("disk.dsk", 8)));
    other.SetLastPath(PathString("mine/"));
    saved.Rewind();
    ASSERT_TRUE(other.LoadState(saved.archive, nullptr));
    EXPECT_FALSE(Floppy(other)->HasFile()) << "the state's empty drive ejects";
    EXPECT_STREQ(Cart(other)->GetPath().GetNarrow(), Cart(bay)->GetPath().GetNarrow());
    EXPECT_TRUE(Cart(other)->WasRead() && Floppy(other)->WasRead()) << "every drive handled counts as read";
    EXPECT_STREQ(other.GetLastPath().GetNarrow(), "mine/");
    Cart(other)->SetRead(false);
    Floppy(other)->SetRead(false);
    ArchiveBuffer again;
    ASSERT_TRUE(other.SaveState(again.archive));
    EXPECT_EQ(again.Bytes(), saved.Bytes());
}

TEST_F(DriveBayTest, StateIsRefusedForOtherDrivesOrChangedImages)
{
    bay.SetCartridgeCount(1);
    ASSERT_TRUE(Cart(bay)->InsertFile(Image("game.rom", 32)));
    ArchiveBuffer saved;
    ASSERT_TRUE(bay.SaveState(saved.archive));
    const std::string path = Cart(bay)->GetPath().GetNarrow();
    Cart(bay)->Eject();  // Windows keeps open files

    // Same number of drives of another kind: refused before any drive changes.
    DriveBay split;
    split.SetFloppyCount(1);
    ASSERT_TRUE(Floppy(split)->InsertFile(Image("disk.dsk", 8)));
    saved.Rewind();
    EXPECT_FALSE(split.LoadState(saved.archive, nullptr));
    EXPECT_TRUE(Floppy(split)->HasFile());

    DriveBay other;
    other.SetHost(&console);
    other.SetCartridgeCount(1);
    ProgramTree::Write("prog/images/game.rom", 33);
    saved.Rewind();
    EXPECT_FALSE(other.LoadState(saved.archive, nullptr));
    Cart(other)->Eject();
    ProgramTree::Remove("prog/images/game.rom");
    saved.Rewind();
    EXPECT_FALSE(other.LoadState(saved.archive, nullptr));
    EXPECT_EQ(Printed(), (std::vector<std::string>{"[CART_0 ERROR] Incorrect file \"" + path + "\" size (need 32)!",
                                                   "[CART_0 ERROR] Can not load file \"" + path + "\"!"}));

    const std::vector<u8> bytes = saved.Bytes();
    for (size_t cut = 0; cut < bytes.size(); ++cut) {
        MemoryStream stream;
        stream.Attach(const_cast<u8*>(bytes.data()), cut);
        Archive archive(&stream);
        EXPECT_FALSE(other.LoadState(archive, nullptr)) << cut;
    }
}

// The file a state names is opened before the drive gives up its own image: one gone or
// changed since refuses the state with the drive still holding its image and latch.
TEST_F(DriveBayTest, StateNamingAFileThatDoesNotOpenLeavesTheDriveAsItWas)
{
    bay.SetCartridgeCount(1);
    ASSERT_TRUE(Cart(bay)->InsertFile(Image("game.rom", 32)));
    ArchiveBuffer saved;
    ASSERT_TRUE(bay.SaveState(saved.archive));
    const std::string game = Cart(bay)->GetPath().GetNarrow();
    Cart(bay)->Eject();  // Windows keeps open files

    const struct {
        const char* what;
        i64 size;  // of game.rom now; -1: removed
    } rows[] = {{"gone", -1}, {"another size", 33}, {"control", 32}};
    for (const auto& row : rows) {
        if (row.size < 0)
            ProgramTree::Remove("prog/images/game.rom");
        else
            ProgramTree::Write("prog/images/game.rom", static_cast<size_t>(row.size));
        DriveBay other;
        other.SetHost(&console);
        other.SetCartridgeCount(1);
        const PathString mine = Image("mine.rom", 4);
        ASSERT_TRUE(Cart(other)->InsertFile(mine));
        Cart(other)->SetLatch(false);
        saved.Rewind();
        const bool control = row.size == 32;
        EXPECT_EQ(other.LoadState(saved.archive, nullptr), control) << row.what;
        EXPECT_STREQ(Cart(other)->GetPath().GetNarrow(), control ? game.c_str() : mine.GetNarrow()) << row.what;
        EXPECT_EQ(Cart(other)->GetLatch(), control) << row.what;
        Cart(other)->Eject();
    }
}

TEST_F(DriveBayTest, DriveFileRoundTripWithAMissingImage)
{
    bay.SetFloppyCount(1);
    bay.SetCartridgeCount(1);
    ASSERT_TRUE(Floppy(bay)->InsertFile(Image("disk.dsk", 8)));
    Floppy(bay)->SetLatch(false);
    ASSERT_TRUE(Cart(bay)->InsertFile(Image("game.rom", 16)));
    bay.SetLastPath(ProgramTree::PathOf("prog/"));
    ASSERT_TRUE(bay.SaveSettingsFile(drv));
    const std::vector<u8> bytes = ProgramTree::Read("user/settings/msx.drv");
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 6), "KUVINI");
    Cart(bay)->Eject();
    ProgramTree::Remove("prog/images/game.rom");

    DriveBay other;
    other.SetFloppyCount(1);
    other.SetCartridgeCount(1);
    EXPECT_TRUE(other.LoadSettingsFile(drv));
    EXPECT_STREQ(Floppy(other)->GetPath().GetNarrow(), Floppy(bay)->GetPath().GetNarrow());
    EXPECT_FALSE(Floppy(other)->GetLatch());
    EXPECT_FALSE(Cart(other)->HasFile()) << "the image is gone";
    EXPECT_TRUE(Cart(other)->GetLatch()) << "but the latch is as recorded";
    EXPECT_STREQ(other.GetLastPath().GetNarrow(), ProgramTree::TextOf("prog/").c_str());

    ASSERT_TRUE(other.SaveSettingsFile(drv));
    DriveBay third;
    third.LoadSettingsFile(drv);
    EXPECT_TRUE(third.GetRecordedPath(DriveBay::kCartridge, 0).IsEmpty());
    EXPECT_EQ(third.GetRecordedCount(DriveBay::kFloppy), 1);

    // No file: the tables are reset and the drives keep their images.
    EXPECT_FALSE(other.LoadSettingsFile(ProgramTree::PathOf("user/settings/none.drv")));
    EXPECT_TRUE(Floppy(other)->HasFile());
    EXPECT_EQ(other.GetRecordedCount(DriveBay::kFloppy), 0);
}

TEST_F(DriveBayTest, DriveFileCountsAreBoundedAndForeignEntriesKept)
{
    Dictionary written;
    u8 cartMax = 12, fddMax = 200;
    PathString p0 = Image("a.rom", 4), p1 = Image("b.rom", 4), last("no/such/folder/");
    bool on = true;
    written.BindUInt8("cartMax", &cartMax);
    written.BindUInt8("fddMax", &fddMax);
    written.BindString("cart0Path", &p0);
    written.BindString("cart1Path", &p1);
    written.BindBool("cart1Latch", &on);
    written.BindString("lastPath", &last);
    ASSERT_TRUE(SaveSettingsTreeFile(drv, written, "KUVINI"));

    bay.SetCartridgeCount(1);
    EXPECT_TRUE(bay.LoadSettingsFile(drv));
    EXPECT_EQ(bay.GetRecordedCount(DriveBay::kCartridge), DriveBay::kMaxDrivesPerKind);
    EXPECT_EQ(bay.GetRecordedCount(DriveBay::kFloppy), DriveBay::kMaxDrivesPerKind);
    EXPECT_STREQ(Cart(bay)->GetPath().GetNarrow(), p0.GetNarrow());
    EXPECT_STREQ(bay.GetLastPath().GetNarrow(), ProgramFolder().GetNarrow()) << "a missing folder is not kept";
    ASSERT_TRUE(bay.SaveSettingsFile(drv));
    DriveBay reread;
    reread.LoadSettingsFile(drv);
    EXPECT_STREQ(reread.GetRecordedPath(DriveBay::kCartridge, 1).GetNarrow(), p1.GetNarrow());
    EXPECT_TRUE(reread.GetRecordedLatch(DriveBay::kCartridge, 1));
}

TEST_F(DriveBayTest, DamagedOrInterruptedDriveFileNeverCostsAnything)
{
    bay.SetCartridgeCount(1);
    ASSERT_TRUE(Cart(bay)->InsertFile(Image("a.rom", 4)));
    ASSERT_TRUE(bay.SaveSettingsFile(drv));
    const std::vector<u8> good = ProgramTree::Read("user/settings/msx.drv");

    // The temporary file cannot be made: the old file stays and nothing is left behind.
    ProgramTree::MakeFolder("user/settings/msx.drv.tmp");
    Cart(bay)->SetLatch(false);
    EXPECT_FALSE(bay.SaveSettingsFile(drv));
    EXPECT_EQ(ProgramTree::Read("user/settings/msx.drv"), good);
    std::filesystem::remove(ProgramTree::Where("user/settings/msx.drv.tmp"));
    ASSERT_TRUE(bay.SaveSettingsFile(drv));
    EXPECT_NE(ProgramTree::Read("user/settings/msx.drv"), good) << "replaced whole";

    // A damaged file leaves the drives as they are, and nothing read of it is used.
    const PathString mine = Image("mine.rom", 4);
    for (size_t cut = 0; cut < good.size(); ++cut) {
        ProgramTree::WriteBytes("user/settings/msx.drv", std::vector<u8>(good.begin(), good.begin() + cut));
        Cart(bay)->Eject();
        ASSERT_TRUE(Cart(bay)->InsertFile(mine));
        Cart(bay)->SetLatch(false);
        EXPECT_FALSE(bay.LoadSettingsFile(drv)) << cut;
        EXPECT_STREQ(Cart(bay)->GetPath().GetNarrow(), mine.GetNarrow()) << cut;
        EXPECT_FALSE(Cart(bay)->GetLatch()) << cut;
        EXPECT_EQ(bay.GetRecordedCount(DriveBay::kCartridge), 0) << cut;
        EXPECT_STREQ(bay.GetLastPath().GetNarrow(), ProgramFolder().GetNarrow()) << cut;
    }
}

} // namespace
