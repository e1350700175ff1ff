// A file that cannot be written: the old file stays whole and the message names the file,
// its folder and the system's reason.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <new>
#include <string>

#include "base/file_io.h"
#include "base/tests/named_pipe.h"
#include "base/tests/temp_folder.h"
#include "emu/safe_file_write.h"

#ifndef _WIN32
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {

// While watched, the largest block asked of operator new: the most a copy holds at once.
std::atomic<bool> gWatchBlocks{false};
std::atomic<size_t> gLargestBlock{0};

} // namespace

void* operator new(size_t size)
{
    if (gWatchBlocks && size > gLargestBlock)
        gLargestBlock = size;
    if (void* block = std::malloc(size ? size : 1))
        return block;
    throw std::bad_alloc();
}
// Not inlined: the optimiser would take the free() of a block from operator new for a mismatch.
[[gnu::noinline]] void operator delete(void* block) noexcept { std::free(block); }
[[gnu::noinline]] void operator delete(void* block, size_t) noexcept { std::free(block); }

namespace {

// The reason the save gives: the system's, or the writer's own for what stands where the
// temporary file goes.
std::string Reason(const char* text, int windowsCode)
{
    if (text == nullptr)
        return FileErrorText(TemporaryNotAFileError()).GetNarrow();
#ifdef _WIN32
    return FileErrorText(std::error_code(windowsCode, std::system_category())).GetNarrow();
#else
    (void)windowsCode;
    return text;
#endif
}

} // namespace

TEST(SafeFileWriteTest, AFailedSaveKeepsTheOldFileAndSaysWhereAndWhy)
{
    // Each case makes the save fail at another step. The reasons are the system's words:
    // natively its text for errno, on Windows its message for the code given.
    const struct {
        const char* file;
        void (*spoil)(const fs::path& folder);
        const char* reason;  // null: what stands at the temporary file's place is no file
        int windowsCode;     // 0: the case needs a Unix host
    } cases[] = {
        {"plain/x.ini", [](const fs::path& f) { std::ofstream(f / "plain") << "p"; }, "Not a directory", 3},
        {"x.ini", [](const fs::path& f) { fs::create_directory(f / "x.ini.tmp"); }, nullptr, -1},
        // A device takes nothing (here the one that is always full), and a named pipe
        // nobody reads does not hold the save.
        {"x.ini", [](const fs::path& f) { fs::create_symlink("/dev/full", f / "x.ini.tmp"); }, nullptr, 0},
        {"x.ini", nullptr, nullptr, -1},
        // Read-only for all but root, who is skipped.
        {"x.ini", [](const fs::path& f) { fs::permissions(f, fs::perms::owner_read | fs::perms::owner_exec); },
         "Permission denied", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason ? c.reason : "no file at the temporary file's place");
#ifdef _WIN32
        if (c.windowsCode == 0)
            continue;
#else
        if ((c.reason && std::string(c.reason) == "Permission denied" && geteuid() == 0) ||
            (c.windowsCode == 0 && !c.reason && !fs::exists("/dev/full")))
            continue;
#endif
        const std::string reason = Reason(c.reason, c.windowsCode);
        TempFolder temp("kuv_save");
        std::ofstream(temp / "x.ini", std::ios::binary) << "old";
        // Without a spoiler: a named pipe nobody reads, where the host has them.
        std::unique_ptr<NamedPipe> pipe;
        if (c.spoil) {
            c.spoil(temp.Path());
        } else if (pipe = std::make_unique<NamedPipe>(temp / "x.ini.tmp"); !pipe->Made()) {
            continue;
        }
        const auto stood = fs::symlink_status(temp / "x.ini.tmp").type();
        const fs::path target = (temp / c.file).make_preferred();
        const PathString path(StringW(reinterpret_cast<const wchar16*>(target.u16string().c_str())));

        std::error_code error;
        EXPECT_FALSE(WriteFileSafely(path, "new", 3, &error));
        fs::permissions(temp.Path(), fs::perms::owner_all);
        std::ifstream old(temp / "x.ini", std::ios::binary);
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(old), std::istreambuf_iterator<char>()), "old");
        EXPECT_EQ(fs::symlink_status(temp / "x.ini.tmp").type(), stood) << "what stood there is left as it was";
        std::string line("\"");
        line.append(target.filename().string()).append("\" in folder \"");
        line.append((target.parent_path() / "").string()).append("\": ").append(reason);
        EXPECT_EQ(SaveFailureLine(path, error).GetNarrow(), line);
    }
}

// A save replaces what is there: the target and a temporary file left by an earlier save.
TEST(SafeFileWriteTest, ASaveReplacesTheFileAndALeftTemporaryFile)
{
    for (const bool leftover : {false, true}) {
        SCOPED_TRACE(leftover ? "a temporary file left" : "the target alone");
        TempFolder temp("kuv_save");
        std::ofstream(temp / "x.ini", std::ios::binary) << "older contents";
        if (leftover)
            std::ofstream(temp / "x.ini.tmp", std::ios::binary) << "left";
        const fs::path target = (temp / "x.ini").make_preferred();
        const PathString path(StringW(reinterpret_cast<const wchar16*>(target.u16string().c_str())));
        std::error_code error;
        EXPECT_TRUE(WriteFileSafely(path, "new", 3, &error)) << FileErrorText(error).GetNarrow();
        std::ifstream now(target, std::ios::binary);
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(now), std::istreambuf_iterator<char>()), "new");
        EXPECT_FALSE(fs::exists(temp / "x.ini.tmp"));
    }
}

// A copy goes in pieces: a file of two and a half of them arrives whole, over an older one,
// with no more than one piece held at once.
TEST(SafeFileWriteTest, ACopyOfSeveralPiecesArrivesWhole)
{
    TempFolder temp("kuv_save");
    std::string bytes(kSafeCopyPiece * 5 / 2, '\0');
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(i * 7 + i / 251);
    std::ofstream(temp / "x.ini", std::ios::binary) << bytes;
    std::ofstream(temp / "x.ini.bad", std::ios::binary) << "older";
    const PathString from((temp / "x.ini").string().c_str()), to((temp / "x.ini.bad").string().c_str());
    gLargestBlock = 0;
    gWatchBlocks = true;
    EXPECT_TRUE(CopyFileSafely(from, to));
    gWatchBlocks = false;
    EXPECT_LE(gLargestBlock, kSafeCopyPiece);
    std::ifstream kept(temp / "x.ini.bad", std::ios::binary);
    EXPECT_TRUE(std::string(std::istreambuf_iterator<char>(kept), std::istreambuf_iterator<char>()) == bytes);
}
