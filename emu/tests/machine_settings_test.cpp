// Machine settings files: where they go, where they are read from, and what a damaged or
// interrupted file does.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "archive_buffer.h"
#include "base/dictionary.h"
#include "base/file_io.h"
#include "base/object_list.h"
#include "emu/computer.h"
#include "emu/drive_bay.h"
#include "emu/safe_file_write.h"
#include "program_tree.h"
// Last: <windows.h> names GetCurrentTime as a macro.
#include "base/tests/unreadable_path.h"

namespace {

class SettingChip : public Device {
public:
    u8 period = 5;
    bool BindSettings(Dictionary* dict, bool enabledOnly) override
    {
        if (dict)
            dict->BindUInt8("Period", &period);
        return ComponentGroup::BindSettings(dict, enabledOnly);
    }
};

class SettingsMachine : public Computer {
public:
    SettingsMachine()
    {
        CreateDevices();
        AddDevice(chip, "CHIP", nullptr);
        chip->AddChild(inner, "INNER", nullptr);
        GetDriveBay()->SetCartridgeCount(1);
    }
    const char* GetId() const override { return "msx_1"; }
    const char* GetFamilyId() const override { return "msx"; }
    const char* GetSettingsName() const override { return GetId(); }
    DriveImage* Cart() { return GetDriveBay()->GetKindDrive(DriveBay::kCartridge, 0); }

    SettingChip* chip = new SettingChip();
    SettingChip* inner = new SettingChip();
};

class MachineSettingsTest : public ::testing::Test {
protected:
    static PathString Image(const std::string& name)
    {
        ProgramTree::Write("prog/images/" + name, 16);
        return ProgramTree::PathOf("prog/images/" + name);
    }

    ProgramTree tree;
};

TEST_F(MachineSettingsTest, RoundTripReadsBesideTheProgramUntilTheUserHasOwnFiles)
{
    {
        SettingsMachine machine;
        machine.chip->period = 9;
        machine.inner->period = 7;
        ASSERT_TRUE(machine.Cart()->InsertFile(Image("game.rom")));
        ASSERT_TRUE(machine.SaveMachineSettings());
    }
    // The root holds no values and one child named after the model.
    const std::vector<u8> start = {'K', 'U', 'V', 'I', 'N', 'I', 0, 0, 0, 0, 0x80, 0x81, 0x84, 5, 0, 'm', 's', 'x', '_', '1'};
    const std::vector<u8> bytes = ProgramTree::Read("user/settings/msx_1.ini");
    EXPECT_EQ(std::vector<u8>(bytes.begin(), bytes.begin() + static_cast<long>(start.size())), start);
    // Shipped beside the program.
    std::filesystem::rename(ProgramTree::Where("user/settings"), ProgramTree::Where("prog/settings"));

    SettingsMachine machine;
    EXPECT_TRUE(machine.LoadMachineSettings());
    EXPECT_EQ(machine.chip->period, 9);
    EXPECT_EQ(machine.inner->period, 7);
    EXPECT_STREQ(machine.Cart()->GetPath().GetNarrow(), ProgramTree::TextOf("prog/images/game.rom").c_str());

    machine.chip->period = 3;
    machine.Cart()->Eject();
    ASSERT_TRUE(machine.SaveMachineSettings());
    EXPECT_TRUE(ProgramTree::Exists("user/settings/msx.drv"));
    machine.chip->period = 4;
    ASSERT_TRUE(machine.Cart()->InsertFile(Image("other.rom")));
    EXPECT_TRUE(machine.LoadMachineSettings());
    EXPECT_EQ(machine.chip->period, 3) << "the user's own file wins";
    EXPECT_FALSE(machine.Cart()->HasFile());
}

TEST_F(MachineSettingsTest, MissingForeignOrDamagedFilesChangeNothingUnread)
{
    SettingsMachine machine;
    machine.chip->period = 6;
    EXPECT_FALSE(machine.LoadMachineSettings());
    Dictionary root;
    auto* other = new Dictionary();
    u8 period = 1;
    other->BindUInt8("Period", &period);
    ASSERT_TRUE(root.AddChild("coleco_v", other));
    ProgramTree::MakeFolder("user/settings");
    ASSERT_TRUE(SaveSettingsTreeFile(ProgramTree::PathOf("user/settings/msx_1.ini"), root, "KUVINI"));
    EXPECT_TRUE(machine.LoadMachineSettings());
    EXPECT_EQ(machine.chip->period, 6) << "another machine's node is skipped";

    machine.chip->period = 9;
    machine.inner->period = 8;
    ASSERT_TRUE(machine.SaveMachineSettings());
    const std::vector<u8> good = ProgramTree::Read("user/settings/msx_1.ini");
    for (size_t cut = 0; cut < good.size(); ++cut) {
        ProgramTree::WriteBytes("user/settings/msx_1.ini", std::vector<u8>(good.begin(), good.begin() + cut));
        SettingsMachine fresh;
        EXPECT_FALSE(fresh.LoadMachineSettings()) << cut;
        EXPECT_TRUE(fresh.chip->period == 5 || fresh.chip->period == 9) << cut;
        EXPECT_TRUE(fresh.inner->period == 5 || fresh.inner->period == 8) << cut;
    }
}

// The save at exit writes over a per-user file that could not be read (its last byte cut)
// or leaves a folder in its place: the file is kept aside first (over an older copy), and
// the notice names it and the settings in use. Where the copy cannot go (another program
// holds the older copy; natively, what stands where the copy is written first does not
// open), the file is left as it was and the save says why, until a later save can keep it
// or the user has deleted it.
TEST_F(MachineSettingsTest, UnreadableFileIsKeptAndNamed)
{
    const std::string bad = "\" could not be read: kept as \"";
    const std::string folder = "\" could not be read: it is a folder, ";
#ifdef _WIN32
    const std::string held = ".bad";
    const std::string reason = FileErrorText(std::error_code(ERROR_ACCESS_DENIED, std::system_category())).GetNarrow();
#else
    const std::string held = ".bad.tmp";  // a link to itself in place of the .bad is replaced
    const std::string reason = UnreadablePath::Reason();
#endif
    const struct {
        const char* file;  // under the per-user settings folder
        bool folder;       // a folder in its place
        bool shipped;      // good files beside the program too
        std::string notice;
        u8 period;         // the chip's setting in use
        bool cart;         // the drive file's image is in the drive
        bool barred = false;  // the copy cannot be written
        bool deleted = false;  // then the user deletes the file, the copy still barred
    } cases[] = {
        {"msx_1.ini", false, false, "Settings file \"msx_1.ini" + bad +
             "msx_1.ini.bad\", the values read before the damage are used, the defaults for the rest.", 9, true},
        {"msx.drv", false, false, "Settings file \"msx.drv" + bad + "msx.drv.bad\", the defaults are used.", 9, false},
        {"msx_1.ini", true, false, "Settings file \"msx_1.ini" + folder + "the defaults are used.", 5, true},
        {"msx.drv", true, true, "Settings file \"msx.drv" + folder + "the program folder's settings are used.", 9, true},
        {"msx_1.ini", false, false, "Settings file \"msx_1.ini\" could not be read nor kept as \"msx_1.ini.bad\" (" +
             reason + "): the values read before the damage are used, the defaults for the rest.", 9, true, true},
        {"msx.drv", false, false, "Settings file \"msx.drv\" could not be read nor kept as \"msx.drv.bad\" (" +
             reason + "): the defaults are used.", 9, false, true},
        {"msx_1.ini", false, false, "Settings file \"msx_1.ini\" could not be read nor kept as \"msx_1.ini.bad\" (" +
             reason + "): the values read before the damage are used, the defaults for the rest.", 9, true, true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.notice);
        ProgramTree rowTree;
        {
            SettingsMachine machine;
            machine.chip->period = 9;
            ASSERT_TRUE(machine.Cart()->InsertFile(Image("game.rom")));
            ASSERT_TRUE(machine.SaveMachineSettings());
        }
        if (c.shipped)
            std::filesystem::copy(ProgramTree::Where("user/settings"), ProgramTree::Where("prog/settings"));
        const std::string rel = std::string("user/settings/") + c.file;
        const std::vector<u8> good = ProgramTree::Read(rel);
        const std::vector<u8> damaged(good.begin(), good.end() - 1);
        ProgramTree::Remove(rel);
        if (c.folder) {
            ProgramTree::MakeFolder(rel);
        } else {
            ProgramTree::WriteBytes(rel, damaged);
            // A copy kept from an earlier damage gives way to this one.
            ProgramTree::WriteBytes(rel + ".bad", {'o', 'l', 'd', 'e', 'r'});
        }
        std::unique_ptr<UnreadablePath> holder;
        if (c.barred) {
            holder = std::make_unique<UnreadablePath>(ProgramTree::Where(rel + held));
            ASSERT_TRUE(holder->Made());
        }

        SettingsMachine machine;
        ObjectList notices;
        EXPECT_EQ(machine.LoadMachineSettings(&notices), std::string(c.file) == "msx.drv");
        ASSERT_EQ(notices.Count(), 1);
        EXPECT_EQ(notices.At(0)->GetNarrow(), c.notice);
        EXPECT_EQ(machine.chip->period, c.period);
        EXPECT_EQ(machine.Cart()->HasFile(), c.cart);

        // The next save neither loses the kept copy nor replaces a folder.
        StringW failures;
        EXPECT_EQ(machine.SaveMachineSettings(&failures), !c.folder && !c.barred);
        if (c.barred) {
            EXPECT_EQ(ProgramTree::Read(rel), damaged);
            EXPECT_EQ(std::string(failures.GetNarrow()),
                      std::string("\"") + c.file + "\" in folder \"" + ProgramTree::TextOf("user/settings/") +
                          "\": not written, the damaged file could not be kept as \"" + c.file + ".bad\": " + reason);
            if (c.deleted) {
                ProgramTree::Remove(rel);
                EXPECT_TRUE(machine.SaveMachineSettings());
                EXPECT_TRUE(ProgramTree::Exists(rel));
            } else {
                holder.reset();
                ProgramTree::Remove(rel + held);
            }
            EXPECT_TRUE(machine.SaveMachineSettings());
        }
        EXPECT_EQ(std::filesystem::is_directory(ProgramTree::Where(rel)), c.folder);
        if (!c.folder && !c.deleted) {
            EXPECT_EQ(ProgramTree::Read(rel + ".bad"), damaged);
        }
    }
}

TEST_F(MachineSettingsTest, InterruptedSaveLeavesTheOldFile)
{
    SettingsMachine machine;
    ASSERT_TRUE(machine.SaveMachineSettings());
    const std::vector<u8> old = ProgramTree::Read("user/settings/msx_1.ini");
    machine.chip->period = 2;

    // A tree that cannot be built (two devices of one name) writes nothing.
    auto* twin = new SettingChip();
    machine.AddDevice(twin, "CHIP", nullptr);
    EXPECT_FALSE(machine.SaveMachineSettings());
    EXPECT_EQ(ProgramTree::Read("user/settings/msx_1.ini"), old);
    twin->SetName("TWIN");
    ProgramTree::MakeFolder("user/settings/msx_1.ini.tmp");
    EXPECT_FALSE(machine.SaveMachineSettings());
    EXPECT_EQ(ProgramTree::Read("user/settings/msx_1.ini"), old);

    // No settings folder can be made: neither file is written.
    std::filesystem::remove_all(ProgramTree::Where("user/settings"));
    ProgramTree::WriteBytes("user/settings", {1});
    EXPECT_FALSE(machine.SaveMachineSettings());
    EXPECT_FALSE(ProgramTree::Exists("user/msx.drv"));
}

TEST_F(MachineSettingsTest, DrivesTravelInTheMachineState)
{
    SettingsMachine machine;
    ASSERT_TRUE(machine.Cart()->InsertFile(Image("game.rom")));
    ArchiveBuffer saved;
    ASSERT_TRUE(machine.SaveComponent(saved.archive));
    SettingsMachine copy;
    saved.Rewind();
    ASSERT_TRUE(copy.LoadComponent(saved.archive, nullptr));
    EXPECT_STREQ(copy.Cart()->GetPath().GetNarrow(), machine.Cart()->GetPath().GetNarrow());
}

} // namespace
