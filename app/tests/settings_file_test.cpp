#include <gtest/gtest.h>

#include <filesystem>

#ifndef _WIN32
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#endif

#include "app/tests/manager_rig.h"
#include "base/dictionary.h"
#include "base/file_io.h"
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

// The save at exit writes over a file that could not be read: it is kept beside the new
// one, byte for byte, and the first core's console says where and which settings are used.
TEST(SettingsFileTest, UnreadableFileIsKeptAsBadCopy)
{
    std::vector<u8> whole, refused;
    {
        ProgramTree tree;
        WriteFile(kUserFile, "No Sound", "", 1);
        whole = ProgramTree::Read(kUserFile);
        WriteFile(kUserFile, "Nothing", "Nothing", 7);  // each value settles back to its default
        refused = ProgramTree::Read(kUserFile);
        refused.pop_back();
    }
    const std::vector<u8> cut(whole.begin(), whole.end() - 1);  // every value read, the end tag lost
    const std::string kept = "Settings file \"kuv.ini\" could not be read: kept as \"kuv.ini.bad\", ";
    const std::string lost = "Settings file \"kuv.ini\" could not be read nor kept as \"kuv.ini.bad\" (";
    const std::string isFolder = FileErrorText(std::make_error_code(std::errc::is_a_directory)).GetNarrow();
    const std::string notAFile = lost + FileErrorText(NotAFileError()).GetNarrow() + "): ";
    const std::string folder = "Settings file \"kuv.ini\" could not be read: it is a folder, ";
    const std::string defaults = "the defaults are used.";
    const std::string before = "the values read before the damage are used, the defaults for the rest.";
    const std::string program = "the program folder's settings are used.";
    const std::string programBefore =
        "the program folder's settings read before the damage are used, the defaults for the rest.";
    enum User { kWritten, kNoFile, kCopyRefused, kRefusedThenDeleted, kFolder, kUnopenable };
    const struct {
        const char* name;
        User user;
        std::vector<u8> bytes;    // the user's file
        std::vector<u8> shipped;  // the program folder's file, none when empty
        std::string notice;
        i32 soundIndex;           // 0 when the file's "No Sound" was taken
    } cases[] = {
        {"wrong head", kWritten, {'K', 'U', 'V', 'I', 'N', 'X', 0, 0, 0, 0, 0xFF}, {}, kept + defaults, 1},
        {"cut short", kWritten, {'K', 'U', 'V', 'I', 'N', 'I', 0x01}, {}, kept + defaults, 1},
        {"empty, program file beside", kWritten, {}, whole, kept + defaults, 1},
        {"cut after its values", kWritten, cut, {}, kept + before, 0},
        {"cut after values then refused", kWritten, refused, {}, kept + defaults, 1},
        {"cut, copy refused", kCopyRefused, cut, {}, lost + isFolder + "): " + before, 0},
        {"cut, copy refused, file deleted", kRefusedThenDeleted, cut, {}, lost + isFolder + "): " + before, 0},
        {"folder", kFolder, {}, {}, folder + defaults, 1},
        {"folder, program file", kFolder, {}, whole, folder + program, 0},
        {"no file", kNoFile, {}, {}, "", 1},
#ifndef _WIN32
        {"unopenable", kUnopenable, {}, {}, notAFile + defaults, 1},
        {"unopenable, program file", kUnopenable, {}, whole, notAFile + program, 0},
        {"unopenable, program file cut", kUnopenable, {}, cut, notAFile + programBefore, 0},
#endif
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ProgramTree tree;
        const bool refused = c.user == kCopyRefused || c.user == kRefusedThenDeleted;
        if (c.user == kWritten || refused)
            ProgramTree::WriteBytes(kUserFile, c.bytes);
        if (refused)
            std::filesystem::create_directories(ProgramTree::Where("user/kuv.ini.bad"));
        if (c.user == kFolder)
            std::filesystem::create_directories(ProgramTree::Where(kUserFile));
        if (!c.shipped.empty())
            ProgramTree::WriteBytes(kProgramFile, c.shipped);
#ifndef _WIN32
        // A socket is a file that exists and that nobody can open or copy, even as root.
        // It is named from the tree's root, the working folder, since a socket's path is
        // short (108 bytes) and the temporary folder's may be long; a path cut short
        // would make it outside the tree.
        const int unopenable = c.user == kUnopenable ? socket(AF_UNIX, SOCK_STREAM, 0) : -1;
        if (unopenable >= 0) {
            std::filesystem::create_directories(ProgramTree::Where(kUserFile).parent_path());
            sockaddr_un address = {};
            address.sun_family = AF_UNIX;
            const std::string where =
                ProgramTree::Where(kUserFile).lexically_relative(std::filesystem::current_path()).string();
            const bool fits = where.size() < sizeof address.sun_path;
            where.copy(address.sun_path, fits ? where.size() : 0);
            const int bound = fits ? bind(unopenable, reinterpret_cast<sockaddr*>(&address), sizeof address) : -1;
            close(unopenable);
            ASSERT_EQ(bound, 0) << where;
        }
#endif
        {
            EmuManager manager(AddTestOutputs);
            EXPECT_EQ(manager.LoadSettings(), c.notice == notAFile + program || c.notice == folder + program);
            EXPECT_EQ(manager.GetSettingsNotice().CStr(), c.notice);
            EXPECT_EQ(manager.soundIndex, c.soundIndex);
            StringW failure;
            ASSERT_EQ(manager.SaveSettings(&failure), c.user != kFolder && !refused);
            if (refused) {
                EXPECT_EQ(ProgramTree::Read(kUserFile), c.bytes) << "not written over until kept, at the next save";
                EXPECT_EQ(std::string(failure.GetNarrow()),
                          "\"kuv.ini\" in folder \"" + ProgramTree::TextOf("user/") +
                              "\": not written, the damaged file could not be kept as \"kuv.ini.bad\": " + isFolder);
                std::filesystem::remove(ProgramTree::Where(c.user == kCopyRefused ? "user/kuv.ini.bad" : kUserFile));
                ASSERT_TRUE(manager.SaveSettings());
                ASSERT_TRUE(manager.SaveSettings());
            }
        }
        EXPECT_EQ(std::filesystem::is_directory(ProgramTree::Where(kUserFile)), c.user == kFolder) << "left as it is";
        if (c.user != kFolder) {
            EXPECT_EQ(Text(ProgramTree::Read(kUserFile)).substr(0, 6), "KUVINI");
        }
        const bool kept = c.user == kWritten || c.user == kCopyRefused;
        EXPECT_EQ(std::filesystem::is_regular_file(ProgramTree::Where("user/kuv.ini.bad")), kept);
        if (kept) {
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
    // On the start screen, and still there once a run started at once has replaced it.
    for (const bool started : {false, true}) {
        SCOPED_TRACE(started ? "started" : "start screen");
        if (started) {
            ASSERT_TRUE(core->Start(false, false));
        }
        std::string lines;
        StringA line;
        for (i32 i = 0; console.GetLine(i, &line, nullptr); ++i)
            lines += std::string(line.CStr()) + "\n";
        for (i32 i = 0; console.GetPendingLine(i, &line, nullptr); ++i)
            lines += std::string(line.CStr()) + "\n";
        EXPECT_NE(lines.find("Settings file \"kuv.ini\" could not be read: kept as \"kuv.ini.bad\""),
                  std::string::npos)
            << lines;
    }
    core->Stop();
}

// Folders are made from the deepest one that exists, never a root ("\\?\C:"): a program folder
// with the long-path prefix takes the state and the settings, its data folder's included.
TEST(SettingsFileTest, FilesAreSavedUnderAPrefixedProgramFolder)
{
#ifdef _WIN32
    const std::string prefix = "\\\\?\\";
#else
    const std::string prefix;
#endif
    const auto prefixed = [&prefix](const std::string& rel) {
        return ProgramTree::Native(prefix + std::filesystem::absolute(ProgramTree::Where(rel)).generic_string());
    };
    for (const std::string save : {"F11", "switch", "exit"}) {
        SCOPED_TRACE(save);
        ProgramTree tree;
        BuildProgramFoldersFrom(prefixed("prog/kuvemu.exe"), prefixed("appdata"));
        EmuManager manager(AddTestOutputs);
        EmuCore* core = MakeColecoCore(manager);
        ASSERT_NE(core, nullptr);
        if (save == "F11") {
            ASSERT_TRUE(core->Start(false, false));
            EXPECT_TRUE(core->SaveStateToFile(PathString(), false)) << core->GetStateSaveFailure().GetNarrow();
        } else if (save == "switch") {
            ASSERT_TRUE(manager.SetCoreMachine(core, 0));
        } else {
            core->Shutdown();
            EXPECT_TRUE(manager.SaveSettings());
            EXPECT_TRUE(ProgramTree::Exists("prog/kuvemu.ini"));
        }
        EXPECT_STREQ(core->GetSettingsSaveFailure().GetNarrow(), "");
        EXPECT_TRUE(ProgramTree::Exists(save == "F11" ? "prog/states/coleco_v.sav" : "prog/settings/coleco_v.ini"));
    }
}
