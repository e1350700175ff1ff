#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "base/file_system.h"
#include "base/folder_listing.h"
#include "base/object_list.h"
#include "base/path_text.h"
#include "base/program_folders.h"
#include "base/string_a.h"
#include "base/tests/temp_folder.h"

namespace fs = std::filesystem;

namespace {

std::string Narrow(const StringBase& s) { return s.GetNarrow(); }

// Places the program as if it ran from programPath.
void Place(const char* programPath, const char* appData) {
    BuildProgramFoldersFrom(PathString(programPath), PathString(appData));
}

TEST(ProgramFoldersTest, ValuesFromTheProgramPath) {
    Place("C:\\Games\\Emu\\kuv.exe", "C:\\Users\\u\\AppData\\Local");
    EXPECT_EQ(Narrow(ProgramFolder()), "C:\\Games\\Emu\\");
    EXPECT_EQ(Narrow(ProgramName()), "kuv");
    EXPECT_EQ(Narrow(ProgramExtension()), "exe");
    EXPECT_EQ(Narrow(PathSeparator()), "\\");
    EXPECT_EQ(Narrow(AppDataFolder()), "C:\\Users\\u\\AppData\\Local\\");

    Place("/opt/emu.d/kuv", "/home/u/.local/share/");
    EXPECT_EQ(Narrow(PathSeparator()), "/");
    EXPECT_EQ(Narrow(ProgramFolder()), "/opt/emu.d/");
    EXPECT_EQ(Narrow(ProgramName()), "kuv");
    EXPECT_EQ(Narrow(ProgramExtension()), "") << "a dot in a folder name is no extension";
    EXPECT_EQ(Narrow(AppDataFolder()), "/home/u/.local/share/");

    Place("", "C:\\AppData");
    EXPECT_EQ(Narrow(ProgramFolder()), "");
    EXPECT_EQ(Narrow(AppDataFolder()), "");
    EXPECT_EQ(Narrow(MakeDataFolder(StringW("KUVMorvuEmu"), false)), "") << "paths fall back to relative ones";
}

TEST(ProgramFoldersTest, DataFolderUnderProgramFilesOnly) {
    struct Case {
        const char* program;
        const char* dataFolder;
    } cases[] = {
        {"C:\\Program Files\\Emu\\emu.exe", "L:\\AppData\\KUVMorvuEmu\\"},
        {"C:\\Program Files (x86)\\Emu\\emu.exe", "L:\\AppData\\KUVMorvuEmu\\"},
        {"D:\\PROGRAM FILES\\emu.exe", "L:\\AppData\\KUVMorvuEmu\\"},
        {"C:\\Games\\Emu\\emu.exe", "C:\\Games\\Emu\\"},
        {"C:\\emu.exe", "C:\\"},
        {"C:\\Program Fil\\emu.exe", "C:\\Program Fil\\"},
        {"C:\\Apps\\Program Files\\emu.exe", "C:\\Apps\\Program Files\\"},
    };
    for (const Case& c : cases) {
        Place(c.program, "L:\\AppData");
        EXPECT_EQ(Narrow(MakeDataFolder(StringW("KUVMorvuEmu"), false)), c.dataFolder) << c.program;
    }

    // No application-data folder: a program under Program Files keeps its data
    // beside itself.
    Place("C:\\Program Files\\Emu\\emu.exe", "");
    EXPECT_EQ(Narrow(MakeDataFolder(StringW("KUVMorvuEmu"), false)), "C:\\Program Files\\Emu\\");
    // An empty name takes the program's.
    Place("C:\\Program Files\\Emu\\emu.exe", "L:\\AppData\\");
    EXPECT_EQ(Narrow(MakeDataFolder(StringW(), false)), "L:\\AppData\\emu\\");
    EXPECT_EQ(Narrow(MakeAppDataFolder(StringW("x"), false)), "L:\\AppData\\x\\");
}

#if GTEST_HAS_DEATH_TEST
// First use from several threads at once, in a fresh process where nothing has
// built the values yet: no thread may read them before they are complete.
TEST(ProgramFoldersDeathTest, FirstUseFromManyThreadsSeesCompleteValues) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const auto race = [] {
        constexpr int kThreads = 8;
        std::atomic<int> waiting{kThreads};
        std::atomic<int> incomplete{0};
        std::vector<std::thread> threads;
        for (int i = 0; i < kThreads; ++i) {
            threads.emplace_back([&] {
                --waiting;
                while (waiting.load() > 0) {
                }
                if (ProgramFolder().IsEmpty() || ProgramName().IsEmpty()) ++incomplete;
            });
        }
        for (std::thread& t : threads) t.join();
        std::exit(incomplete.load() == 0 ? 0 : 1);
    };
    EXPECT_EXIT(race(), ::testing::ExitedWithCode(0), "");
}
#endif

TEST(PathTextTest, JoinAndSplit) {
    Place("C:\\Emu\\emu.exe", "");
    const PathString base("C:\\Data\\");
    EXPECT_EQ(Narrow(JoinPath(base, "settings", "MSX", "ini")), "C:\\Data\\settings\\MSX.ini");
    EXPECT_EQ(Narrow(JoinPath(base, "", "states", "")), "C:\\Data\\states");
    EXPECT_EQ(Narrow(JoinPath(base, "states", "x", "sav")), "C:\\Data\\states\\x.sav");
    EXPECT_EQ(Narrow(JoinPath(base, "configs", "", "")), "C:\\Data\\configs\\");

    EXPECT_EQ(Narrow(GetFileNamePart(StringW("a/b\\c.rom"))), "c.rom");
    EXPECT_EQ(Narrow(GetFileNamePart(StringW("c.rom"))), "c.rom");
    EXPECT_EQ(Narrow(GetFileNamePart(StringW("dir\\"))), "");

    EXPECT_EQ(Narrow(PathComponent(StringW("C:\\abc"), 0)), "C:");
    EXPECT_EQ(Narrow(PathComponent(StringW("C:\\abc"), 1)), "abc");
    EXPECT_EQ(Narrow(PathComponent(StringW("C:\\abc"), 2)), "");
    EXPECT_EQ(Narrow(PathComponent(StringW("a/b\\c"), 2)), "c");
    EXPECT_EQ(Narrow(PathComponent(StringW("a\\b"), -1)), "");
}

TEST(PathTextTest, ParentFolder) {
    Place("C:\\Emu\\emu.exe", "");
    auto up = [](const char* path) {
        PathString p(path);
        const bool ok = ParentFolder(p);
        return std::string(ok ? "" : "!") + Narrow(p);
    };
    EXPECT_EQ(up("C:\\a\\b.txt"), "C:\\a\\");
    EXPECT_EQ(up("C:\\a\\b\\"), "C:\\a\\");
    EXPECT_EQ(up("C:\\"), "");
    EXPECT_EQ(up("C:\\a\\..\\"), "C:\\a\\..\\..\\");
    EXPECT_EQ(up(".\\"), ".\\..\\");
    EXPECT_EQ(up("name"), "!name");
}

// A fresh folder tree below the system's temporary folder, removed afterwards.
class TempTree : public ::testing::Test {
protected:
    void SetUp() override {
        root = folder_.Path();
    }
    void TearDown() override {
        std::error_code ec;
        fs::current_path(saved, ec);
        fs::remove_all(root, ec);
    }
    // The path as the program's own text, with a trailing separator for folders.
    static PathString P(const fs::path& p, bool folder = false) {
        std::string s = p.string();
        if (folder) s += static_cast<char>(fs::path::preferred_separator);
        return PathString(s.c_str());
    }
    void Touch(const fs::path& p, const char* text = "x") { std::ofstream(p, std::ios::binary) << text; }

    TempFolder folder_{"kuv-paths"};
    fs::path root;
    fs::path saved = fs::current_path();
};

TEST_F(TempTree, FileAndFolderTests) {
    const fs::path file = root / "a.rom";
    Touch(file);
    EXPECT_TRUE(FileReadable(StringA(file.string().c_str())));
    EXPECT_TRUE(FileExists(P(file)));
    EXPECT_FALSE(FileReadable(P(root / "missing.rom")));
    EXPECT_FALSE(FileReadable(P(root))) << "a folder is no readable file";

    EXPECT_TRUE(FolderExists(P(root, true)));
    EXPECT_FALSE(FolderExists(P(file))) << "a file of that name is no folder";

    EXPECT_TRUE(CreateFolder(P(root / "one", true)));
    EXPECT_TRUE(CreateFolder(P(root / "one", true))) << "an existing folder counts as made";
    EXPECT_FALSE(CreateFolder(P(root / "no" / "parent", true))) << "one level only";
    EXPECT_FALSE(CreateFolder(P(file))) << "a file is in the way";
    EXPECT_TRUE(CreateFolders(P(root / "deep" / "er" / "est", true)));
    EXPECT_TRUE(fs::is_directory(root / "deep" / "er" / "est"));

    EXPECT_TRUE(DeleteFilePath(P(file)));
    EXPECT_FALSE(fs::exists(file));
    EXPECT_TRUE(DeleteFilePath(P(file))) << "a missing file is gone already";
    EXPECT_FALSE(DeleteFilePath(P(root / "one"))) << "folders are never deleted";
    EXPECT_TRUE(fs::is_directory(root / "one"));
}

TEST_F(TempTree, PerUserFolderIsMadeOnDemand) {
    // The program-files rule looks at the second path component, so the tree is
    // entered relatively: t/Program Files/Emu/emu.exe.
    fs::current_path(root);
    fs::create_directories(root / "t" / "Program Files" / "Emu");
    fs::create_directories(root / "t" / "appdata");
    const char sep = static_cast<char>(fs::path::preferred_separator);
    const std::string t = std::string("t") + sep;
    Place((t + "Program Files" + sep + "Emu" + sep + "emu.exe").c_str(), (t + "appdata").c_str());

    const PathString data = MakeDataFolder(StringW("KUVMorvuEmu"), false);
    EXPECT_EQ(Narrow(data), t + "appdata" + sep + "KUVMorvuEmu" + sep);
    EXPECT_FALSE(fs::exists(root / "t" / "appdata" / "KUVMorvuEmu")) << "made only when asked";
    EXPECT_EQ(Narrow(MakeDataFolder(StringW("KUVMorvuEmu"), true)), Narrow(data));
    EXPECT_TRUE(fs::is_directory(root / "t" / "appdata" / "KUVMorvuEmu"));
    const PathString settings = JoinPath(data, "settings", "msx_1", "ini");
    EXPECT_EQ(Narrow(settings), Narrow(data) + "settings" + sep + "msx_1.ini");

    // A data folder that cannot be made sends the data beside the program.
    Place((t + "Program Files" + sep + "Emu" + sep + "emu.exe").c_str(), (t + "missing" + sep + "appdata").c_str());
    EXPECT_EQ(Narrow(MakeDataFolder(StringW("KUVMorvuEmu"), true)), Narrow(ProgramFolder()));

    // Moving the program folder makes the new one when asked.
    EXPECT_TRUE(SetProgramFolder(P(root / "moved"), PathString("renamed"), true));
    EXPECT_TRUE(fs::is_directory(root / "moved"));
    EXPECT_EQ(Narrow(ProgramFolder()), Narrow(P(root / "moved", true)));
    EXPECT_EQ(Narrow(ProgramName()), "renamed");
    EXPECT_FALSE(SetProgramFolder(PathString(), PathString(), true));
}

TEST_F(TempTree, FolderListing) {
    fs::create_directories(root / "sub1");
    fs::create_directories(root / ".hidden");
    Touch(root / "x.rom");
    Touch(root / "y.ROM");
    Touch(root / "z.dsk");

    FolderListing listing;
    ASSERT_TRUE(listing.List(P(root, true), StringW()));
    EXPECT_TRUE(listing.HasParent());
    EXPECT_EQ(listing.GetFolderCount(), 2u) << "a name beginning with a dot is still a folder";
    EXPECT_EQ(listing.GetFileCount(), 3u);
    PathString name;
    bool isFolder = false;
    ASSERT_TRUE(listing.GetEntry(0, name, isFolder));
    EXPECT_EQ(Narrow(name), "..");
    EXPECT_TRUE(isFolder);
    ASSERT_TRUE(listing.GetEntry(3, name, isFolder));
    EXPECT_FALSE(isFolder) << "folders come first";
    EXPECT_FALSE(listing.GetEntry(6, name, isFolder));
    EXPECT_FALSE(listing.GetEntry(-1, name, isFolder));

    ObjectList suffixes;
    suffixes.Add(StringA(".rom"));
    EXPECT_TRUE(listing.Filter(suffixes, false, true, true));
    EXPECT_EQ(listing.GetFileCount(), 1u);
    ASSERT_TRUE(listing.GetEntry(3, name, isFolder));
    EXPECT_EQ(Narrow(name), "x.rom");
    ASSERT_TRUE(listing.List(P(root, true), StringW()));
    EXPECT_TRUE(listing.Filter(suffixes, true, true, true));
    EXPECT_EQ(listing.GetFileCount(), 2u);
    EXPECT_EQ(listing.GetFolderCount(), 2u) << "filters never remove folders";
    ObjectList none;
    EXPECT_FALSE(listing.Filter(none, true, true, true));

    ASSERT_TRUE(listing.List(P(root, true), StringW("*.rom")));
    EXPECT_FALSE(listing.HasParent()) << "\"..\" does not match *.rom";
    EXPECT_EQ(listing.GetFileCount(), 2u) << "masks match letters in any case";
    EXPECT_FALSE(listing.List(P(root, true), StringW("*.none")));
    EXPECT_FALSE(listing.List(P(root / "x.rom"), StringW()));
    EXPECT_EQ(listing.GetEntryCount(), 0);
}

}  // namespace
