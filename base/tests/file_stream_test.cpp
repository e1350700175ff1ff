#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "base/file_io.h"
#include "base/file_stream.h"
#include "base/file_system.h"
#include "base/string_a.h"
#include "base/system_utils.h"
#include "base/tests/named_pipe.h"
#include "base/tests/temp_folder.h"
#include "base/tests/unreadable_path.h"


namespace {

class FileStreamTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = folder_.Path();
    }
    void TearDown() override {
        std::error_code ec;
        std::filesystem::permissions(dir_ / "ro.bin", std::filesystem::perms::owner_all, ec);
        std::filesystem::remove_all(dir_, ec);
    }
    std::string Path(const char* name) const { return (dir_ / name).string(); }
    void WriteFile(const char* name, const std::string& bytes) const {
        std::FILE* f = std::fopen(Path(name).c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }

    TempFolder folder_{"kuv_file_stream"};
    std::filesystem::path dir_;
};

TEST_F(FileStreamTest, OpenMissingCreatesOnlyWhenAsked) {
    FileStream s;
    const StringA path(Path("new.bin").c_str());
    EXPECT_FALSE(s.Open(path, false));
    EXPECT_FALSE(s.IsOpen());
    ASSERT_TRUE(s.Open(path, true));
    EXPECT_TRUE(s.CanRead());
    EXPECT_TRUE(s.CanWrite());
    EXPECT_EQ(s.GetSize(), 0u);
    EXPECT_FALSE(s.Open(path, true));  // already open
    EXPECT_FALSE(FileStream().Open(StringA(""), true));
}

TEST_F(FileStreamTest, WideAndNarrowPathsReachTheSameFile) {
    WriteFile("data.rom", "ABCDEFGH");
    FileStream s;
    ASSERT_TRUE(s.Open(PathString(Path("data.rom").c_str())));
    EXPECT_EQ(s.GetSize(), 8u);
    EXPECT_EQ(s.GetName().Compare(StringA(Path("data.rom").c_str())), 0);
    char out[4] = {};
    EXPECT_EQ(s.ReadAt(out, 6, 4), 2u);
    EXPECT_EQ(std::string(out, 2), "GH");
    EXPECT_EQ(s.GetPosition(), 8u);
    s.Close();
    EXPECT_FALSE(s.IsOpen());
    EXPECT_EQ(s.GetSize(), 0u);
    EXPECT_EQ(s.GetPosition(), 0u);
}

TEST_F(FileStreamTest, ReadOnlyFileOpensWithoutWriting) {
    WriteFile("ro.bin", "xyz");
    std::filesystem::permissions(Path("ro.bin"), std::filesystem::perms::owner_read);
    if (std::FILE* probe = std::fopen(Path("ro.bin").c_str(), "r+b")) {
        std::fclose(probe);
        GTEST_SKIP() << "this user may write read-only files (root)";
    }
    FileStream s;
    ASSERT_TRUE(s.Open(StringA(Path("ro.bin").c_str())));
    EXPECT_TRUE(s.CanRead());
    EXPECT_FALSE(s.CanWrite());
    EXPECT_EQ(s.GetSize(), 3u);
}

TEST_F(FileStreamTest, CreateTruncatesOrRefusesAnExistingFile) {
    WriteFile("state.sav", "old contents");
    const StringA path(Path("state.sav").c_str());
    FileStream s;
    EXPECT_FALSE(s.Create(path, false));
    EXPECT_FALSE(s.IsOpen());
    EXPECT_EQ(FileSizeOf(Path("state.sav").c_str()), 12u);
    ASSERT_TRUE(s.Create(path));
    EXPECT_EQ(s.GetSize(), 0u);
    EXPECT_EQ(s.Write("new", 3), 3u);
    // Reading right after writing works on an update stream.
    ASSERT_TRUE(s.Seek(1));
    char c = 0;
    EXPECT_EQ(s.Read(&c, 1), 1u);
    EXPECT_EQ(c, 'e');
    EXPECT_EQ(s.Write("W", 1), 1u);
    s.Close();
    char out[8] = {};
    EXPECT_EQ(ReadFileBytes(Path("state.sav").c_str(), out, sizeof(out)), 3u);
    EXPECT_EQ(std::string(out, 3), "neW");
}

TEST_F(FileStreamTest, SetSizeOnlyGrowsAndPadsWithZeros) {
    WriteFile("grow.bin", "abcd");
    FileStream s;
    ASSERT_TRUE(s.Open(StringA(Path("grow.bin").c_str())));
    EXPECT_FALSE(s.SetSize(2));
    EXPECT_TRUE(s.SetSize(4));
    ASSERT_TRUE(s.SetSize(10000));
    EXPECT_EQ(s.GetSize(), 10000u);
    u8 tail[4] = {1, 1, 1, 1};
    EXPECT_EQ(s.ReadAt(tail, 9996, 4), 4u);
    EXPECT_EQ(tail[0] | tail[1] | tail[2] | tail[3], 0);
    char head[4] = {};
    EXPECT_EQ(s.ReadAt(head, 0, 4), 4u);
    EXPECT_EQ(std::string(head, 4), "abcd");
}

TEST_F(FileStreamTest, SetSizeKeepsBytesWrittenPastTheMeasuredEnd) {
    FileStream s;
    ASSERT_TRUE(s.Create(StringA(Path("log.bin").c_str())));
    EXPECT_EQ(s.Write("12345678", 8), 8u);
    EXPECT_EQ(s.GetSize(), 0u);  // not updated by Write
    ASSERT_TRUE(s.SetSize(12));
    char out[12] = {};
    EXPECT_EQ(s.ReadAt(out, 0, 12), 12u);
    EXPECT_EQ(std::string(out, 8), "12345678");
    EXPECT_EQ(out[8], 0);
}

// Nothing but a regular file opens, for reading or writing, and a named pipe with no
// one at its other end is answered at once (a blocking open would hang the test here).
// The probe tells apart what does not open: nothing there, what is no file, and a file
// that refuses the open, with the system's reason.
TEST_F(FileStreamTest, OnlyARegularFileOpens) {
    WriteFile("plain.bin", "abc");
    std::filesystem::create_directory(dir_ / "folder.rom");
    const UnreadablePath held(dir_ / "held.rom");
    ASSERT_TRUE(held.Made());
    struct Case {
        std::string path;
        PathHolds holds;
    };
    std::vector<Case> cases = {{Path("plain.bin"), PathHolds::kFile},
                               {Path("folder.rom"), PathHolds::kNonFile},
                               {Path("held.rom"), PathHolds::kUnreadable},
                               {Path("missing.rom"), PathHolds::kNothing},
                               {Path("plain.bin/below.rom"), PathHolds::kNothing}};
    // Under Wine the file system's status takes a pipe for a regular file: the open decides.
    const NamedPipe pipe(dir_ / "pipe.rom");
    if (pipe.Made())
        cases.push_back({Path("pipe.rom"), PathHolds::kNonFile});
    // A device name stands for the device in any folder; Wine's CON fails its open.
#ifdef _WIN32
    cases.push_back({"NUL", PathHolds::kNonFile});
    cases.push_back({"CON", PathHolds::kNonFile});
    cases.push_back({Path("con.rom"), PathHolds::kNonFile});
    for (const std::string& name : {std::string("CON:"), std::string("NUL:"), std::string("COM1:"), Path("CON:")})
        cases.push_back({name, PathHolds::kNonFile});
#else
    ASSERT_TRUE(pipe.Made());
    cases.push_back({"/dev/null", PathHolds::kNonFile});
    cases.push_back({"/dev/tty", PathHolds::kNonFile});
#endif
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        const bool file = c.holds == PathHolds::kFile;
        const StringA path(c.path.c_str());
        const PathProbe probe = ProbePath(path);
        EXPECT_EQ(probe.holds, c.holds);
        if (c.holds == PathHolds::kUnreadable) {
            EXPECT_EQ(FileErrorText(probe.reason).GetNarrow(), UnreadablePath::Reason());
        }
        FileStream s;
        EXPECT_EQ(s.Open(path, false), file);
        s.Close();
        EXPECT_EQ(FileReadable(path), file);
        EXPECT_EQ(NonFileAt(path), c.holds == PathHolds::kNonFile);
        char out[4] = {};
        EXPECT_EQ(ReadFileBytes(c.path.c_str(), out, 3), file ? 3u : 0u);
        EXPECT_EQ(FileSizeOf(c.path.c_str()), file ? 3u : 0u);
        if (c.holds != PathHolds::kNonFile) continue;
        EXPECT_FALSE(s.Open(path, true));
        EXPECT_FALSE(s.Create(path));
    }
    EXPECT_TRUE(std::filesystem::is_directory(dir_ / "folder.rom"));
}

// Folders are made level by level; where one cannot be, the system's reason for it.
TEST_F(FileStreamTest, FoldersAreMadeOrTheReasonTold) {
    WriteFile("plain", "p");
    std::filesystem::create_directories(dir_ / "there" / "deep");
    std::vector<std::tuple<std::string, std::filesystem::path, bool>> cases;  // given, where it lands, made
    for (const char* rel : {"there", "there/deep/er/est", "new/a/b"}) cases.emplace_back(Path(rel), dir_ / rel, true);
    for (const char* rel : {"plain", "plain/x"}) cases.emplace_back(Path(rel), dir_ / rel, false);
#ifdef _WIN32
    // Right under the root of a \\?\ path, which is no level to make: a folder of this copy's own.
    const std::string top = "C:\\kuv_" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(std::random_device()());
    cases.emplace_back("\\\\?\\" + top, top, true);
    cases.emplace_back("\\\\?\\" + top + "\\a\\b", top + "\\a\\b", true);
#endif
    for (const auto& [given, where, made] : cases) {
        SCOPED_TRACE(given);
        std::error_code error;
        EXPECT_EQ(CreateFolders(StringA(given.c_str()), &error), made);
        EXPECT_EQ(std::filesystem::is_directory(where), made);
        EXPECT_EQ(!error, made) << FileErrorText(error).GetNarrow();
    }
#ifdef _WIN32
    std::error_code ignored;
    std::filesystem::remove_all(top, ignored);
#endif
}

// A refused rename gives the system's own reason, as an open does, where the C++ library's
// rename on Windows reads every refusal as access denied or an I/O error.
TEST_F(FileStreamTest, ARefusedReplaceSaysTheSystemsReason) {
    WriteFile("from", "f");
#ifdef _WIN32
    const UnreadablePath held(dir_ / "held");  // another program's open file
    ASSERT_TRUE(held.Made());
    const std::error_code refused(ERROR_ACCESS_DENIED, std::system_category());
#else
    std::filesystem::create_directories(dir_ / "held" / "inside");  // a folder with something in it
    const std::error_code refused = std::make_error_code(std::errc::is_a_directory);
#endif
    const StringA missing(Path("missing").c_str());
    std::error_code error;
    EXPECT_FALSE(ReplaceFilePath(missing, StringA(Path("to").c_str()), error));
    EXPECT_EQ(std::string(FileErrorText(error).GetNarrow()), FileErrorText(ProbePath(missing).reason).GetNarrow());
    EXPECT_FALSE(ReplaceFilePath(StringA(Path("from").c_str()), StringA(Path("held").c_str()), error));
    EXPECT_EQ(std::string(FileErrorText(error).GetNarrow()), FileErrorText(refused).GetNarrow());
}

}  // namespace
