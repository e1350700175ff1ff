#include <gtest/gtest.h>

#include <filesystem>

#include "app/tests/manager_rig.h"
#include "base/dictionary.h"
#include "base/string_w.h"
#include "emu/safe_file_write.h"
#include "emu/tests/program_tree.h"

namespace {

// The test program is "kuv.exe", so its settings file is "kuv.ini".
const char* const kUserFile = "user/kuv.ini";
const char* const kProgramFile = "prog/kuv.ini";

// A settings file written by hand: a few keys with values the manager must settle.
void WriteFile(const char* rel, const char* sound, const char* screen, i32 sync)
{
    StringA soundText(sound), screenText(screen), unknownText("x");
    i32 syncValue = sync;
    Dictionary dict;
    dict.BindString("EmuDefaultSound", &soundText);
    dict.BindString("EmuDefaultScreen", &screenText);
    dict.BindString("NoSuchKey", &unknownText);
    dict.NewBinding("EmuSyncFreq")->Bind(kValueInt32, &syncValue);
    std::filesystem::create_directories(ProgramTree::Where(rel).parent_path());
    ASSERT_TRUE(SaveSettingsTreeFile(PathString(StringW(ProgramTree::Where(rel).string().c_str())), dict,
                                     kSettingsFileHead));
}

std::string Text(const std::vector<u8>& bytes)
{
    return std::string(bytes.begin(), bytes.end());
}

} // namespace

TEST(SettingsFileTest, EveryKeySurvivesTheRoundTrip)
{
    ProgramTree tree;
    {
        EmuManager manager(AddTestOutputs);
        manager.maximizeOnStartup = true;
        manager.autoStartEmulation = true;
        manager.showToolbar = false;
        manager.fastInit = true;
        manager.captureMouseOnDblClick = false;
        manager.GetCoreSettings()->ignoreConsoleDuplicates = 1;  // changed from the core's menu
        manager.GetCoreSettings()->syncFrequency = 3;
        manager.machineId.Assign("coleco_v");
        manager.SelectSound(0);
        manager.SelectRenderer(1);
        ASSERT_TRUE(manager.SaveSettings());
    }
    const std::string file = Text(ProgramTree::Read(kUserFile));
    ASSERT_EQ(file.substr(0, 6), "KUVINI");
    EXPECT_NE(file.find("coleco_v"), std::string::npos);
    // Byte-wise key order: the "Emu" keys come before the "dbg" and "gui" ones.
    EXPECT_LT(file.find("EmuSyncFreq"), file.find("dbgIgnoreConsoleDupStr"));
    EXPECT_LT(file.find("dbgIgnoreConsoleDupStr"), file.find("guiAutoStartEmulation"));

    EmuManager loaded(AddTestOutputs);
    EXPECT_TRUE(loaded.LoadSettings());
    EXPECT_TRUE(loaded.maximizeOnStartup);
    EXPECT_TRUE(loaded.autoStartEmulation);
    EXPECT_FALSE(loaded.showToolbar);
    EXPECT_TRUE(loaded.fastInit);
    EXPECT_FALSE(loaded.captureMouseOnDblClick);
    EXPECT_TRUE(loaded.ignoreConsoleDupStr);
    EXPECT_EQ(loaded.GetCoreSettings()->ignoreConsoleDuplicates, 1);
    EXPECT_EQ(loaded.syncFrequency, 3);
    EXPECT_EQ(loaded.GetCoreSettings()->syncFrequency, 3u);
    EXPECT_EQ(loaded.machineId.CompareNarrow("coleco_v"), 0);
    EXPECT_EQ(loaded.soundIndex, 0);
    EXPECT_EQ(loaded.soundName.CompareNarrow("No Sound"), 0);
    EXPECT_EQ(loaded.rendererIndex, 1);
    EXPECT_EQ(loaded.rendererName.CompareNarrow("Test Screen"), 0);
    EXPECT_TRUE(loaded.LoadSettings());  // once per manager
}

TEST(SettingsFileTest, LoadSettlesStaleAndOutOfRangeChoices)
{
    const struct {
        const char* sound;
        const char* screen;
        i32 sync;
        i32 soundIndex;
        const char* soundName;
        i32 rendererIndex;
        i32 syncFrequency;
    } cases[] = {
        {"No Sound", "Test Screen", 4, 0, "No Sound", 1, 4},
        {"Nothing", "Nothing", 7, 1, "Test Sound", 0, 0},
        {"", "", -1, 1, "Test Sound", 0, 0},
        {"no sound", "test screen", 2, 1, "Test Sound", 0, 2},  // names are case-sensitive
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.sound);
        ProgramTree tree;
        WriteFile(kUserFile, c.sound, c.screen, c.sync);
        EmuManager manager(AddTestOutputs);
        EXPECT_TRUE(manager.LoadSettings());
        EXPECT_EQ(manager.soundIndex, c.soundIndex);
        EXPECT_EQ(manager.soundName.CompareNarrow(c.soundName), 0);
        EXPECT_EQ(manager.rendererIndex, c.rendererIndex);
        EXPECT_EQ(manager.syncFrequency, c.syncFrequency);
        EXPECT_TRUE(manager.showToolbar);  // absent keys keep their defaults
    }
}

TEST(SettingsFileTest, BadOrMissingFilesKeepTheDefaults)
{
    ProgramTree tree;
    EmuManager none(AddTestOutputs);
    EXPECT_FALSE(none.LoadSettings());
    EXPECT_TRUE(none.soundName.IsEmpty());
    EXPECT_EQ(none.soundIndex, 1);

    ProgramTree::WriteBytes(kUserFile, {'K', 'U', 'V', 'I', 'N', 'X', 0, 0, 0, 0, 0xFF});
    EmuManager damaged(AddTestOutputs);
    EXPECT_FALSE(damaged.LoadSettings());
    EXPECT_TRUE(damaged.captureMouseOnDblClick);
    EXPECT_FALSE(damaged.autoStartEmulation);
    EXPECT_EQ(damaged.soundName.CompareNarrow("Test Sound"), 0);
}

TEST(SettingsFileTest, ProgramFolderCopyIsReadButNeverWritten)
{
    ProgramTree tree;
    WriteFile(kProgramFile, "No Sound", "", 1);
    const std::vector<u8> shipped = ProgramTree::Read(kProgramFile);

    EmuManager manager(AddTestOutputs);
    EXPECT_TRUE(manager.LoadSettings());
    EXPECT_EQ(manager.soundIndex, 0);
    manager.autoStartEmulation = true;
    ASSERT_TRUE(manager.SaveSettings());
    EXPECT_EQ(ProgramTree::Read(kProgramFile), shipped);
    EXPECT_EQ(Text(ProgramTree::Read(kUserFile)).substr(0, 6), "KUVINI");
}

// The file is written beside the old one and renamed over it: a save that cannot be
// completed leaves the previous settings as they were.
TEST(SettingsFileTest, FailedSaveKeepsThePreviousFile)
{
    ProgramTree tree;
    EmuManager manager(AddTestOutputs);
    ASSERT_TRUE(manager.SaveSettings());
    const std::vector<u8> before = ProgramTree::Read(kUserFile);

    std::filesystem::create_directories(ProgramTree::Where("user/kuv.ini.tmp"));
    manager.machineId.Assign("coleco_v");
    EXPECT_FALSE(manager.SaveSettings());
    EXPECT_EQ(ProgramTree::Read(kUserFile), before);
}

// The save at exit writes the defaults: a file that could not be read is kept beside the
// new one, byte for byte, and the first core's console says where.
TEST(SettingsFileTest, UnreadableFileIsKeptAsBadCopy)
{
    const struct {
        const char* name;
        std::vector<u8> bytes;
        bool kept;
    } cases[] = {
        {"wrong head", {'K', 'U', 'V', 'I', 'N', 'X', 0, 0, 0, 0, 0xFF}, true},
        {"cut short", {'K', 'U', 'V', 'I', 'N', 'I', 0x01}, true},
        {"empty", {}, true},
        {"no file", {}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ProgramTree tree;
        if (c.kept)
            ProgramTree::WriteBytes(kUserFile, c.bytes);
        {
            EmuManager manager(AddTestOutputs);
            EXPECT_FALSE(manager.LoadSettings());
            EXPECT_EQ(manager.GetSettingsNotice().IsEmpty(), !c.kept) << manager.GetSettingsNotice().CStr();
            ASSERT_TRUE(manager.SaveSettings());
        }
        EXPECT_EQ(Text(ProgramTree::Read(kUserFile)).substr(0, 6), "KUVINI");
        EXPECT_EQ(std::filesystem::exists(ProgramTree::Where("user/kuv.ini.bad")), c.kept);
        if (c.kept) {
            EXPECT_EQ(ProgramTree::Read("user/kuv.ini.bad"), c.bytes);
        }
    }

    // A good file leaves no copy, and a bad one is named on the first core's console.
    ProgramTree tree;
    WriteFile(kUserFile, "No Sound", "", 1);
    EmuManager good(AddTestOutputs);
    EXPECT_TRUE(good.LoadSettings());
    EXPECT_TRUE(good.GetSettingsNotice().IsEmpty());
    EXPECT_FALSE(std::filesystem::exists(ProgramTree::Where("user/kuv.ini.bad")));

    ProgramTree::WriteBytes(kUserFile, {'x'});
    EmuManager bad(AddTestOutputs);
    EXPECT_FALSE(bad.LoadSettings());
    EmuCore* core = MakeColecoCore(bad);
    ASSERT_NE(core, nullptr);
    EXPECT_TRUE(bad.GetSettingsNotice().IsEmpty()) << "printed once";
    CommandInterpreter& console = core->GetConsole();
    std::string lines;
    StringA line;
    for (i32 i = 0; console.GetLine(i, &line, nullptr); ++i)
        lines += std::string(line.CStr()) + "\n";
    for (i32 i = 0; console.GetPendingLine(i, &line, nullptr); ++i)
        lines += std::string(line.CStr()) + "\n";
    EXPECT_NE(lines.find("Settings file \"kuv.ini\" could not be read: kept as \"kuv.ini.bad\""), std::string::npos)
        << lines;
}
