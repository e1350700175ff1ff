// A file that cannot be written: the old file stays whole and the message names the file,
// its folder and the system's reason.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "base/file_io.h"
#include "base/tests/temp_folder.h"
#include "emu/safe_file_write.h"

#ifndef _WIN32
#include <unistd.h>
#endif

namespace fs = std::filesystem;

TEST(SafeFileWriteTest, AFailedSaveKeepsTheOldFileAndSaysWhereAndWhy)
{
    // Each case makes the save fail at another step. The reasons are the system's words:
    // natively its text for errno, on Windows its message for the code given.
    const struct {
        const char* file;
        void (*spoil)(const fs::path& folder);
        const char* reason;
        int windowsCode;  // 0: the case needs a Unix host
    } cases[] = {
        {"plain/x.ini", [](const fs::path& f) { std::ofstream(f / "plain") << "p"; }, "Not a directory", 3},
        {"x.ini", [](const fs::path& f) { fs::create_directory(f / "x.ini.tmp"); }, "Is a directory", 5},
        // A full disk: the temporary file is the device that is always full.
        {"x.ini", [](const fs::path& f) { fs::create_symlink("/dev/full", f / "x.ini.tmp"); },
         "No space left on device", 0},
        // Read-only for all but root, who is skipped.
        {"x.ini", [](const fs::path& f) { fs::permissions(f, fs::perms::owner_read | fs::perms::owner_exec); },
         "Permission denied", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
#ifdef _WIN32
        if (c.windowsCode == 0)
            continue;
        const std::string reason = FileErrorText(std::error_code(c.windowsCode, std::system_category())).GetNarrow();
#else
        const std::string reason = c.reason;
        if ((reason == "Permission denied" && geteuid() == 0) ||
            (reason == "No space left on device" && !fs::exists("/dev/full")))
            continue;
#endif
        TempFolder temp("kuv_save");
        std::ofstream(temp / "x.ini", std::ios::binary) << "old";
        c.spoil(temp.Path());
        const fs::path target = (temp / c.file).make_preferred();
        const PathString path(StringW(reinterpret_cast<const wchar16*>(target.u16string().c_str())));

        std::error_code error;
        EXPECT_FALSE(WriteFileSafely(path, "new", 3, &error));
        fs::permissions(temp.Path(), fs::perms::owner_all);
        std::ifstream old(temp / "x.ini", std::ios::binary);
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(old), std::istreambuf_iterator<char>()), "old");
        EXPECT_TRUE(fs::is_directory(temp / "x.ini.tmp") || !fs::exists(fs::symlink_status(temp / "x.ini.tmp")))
            << "the temporary file stayed";
        std::string line("\"");
        line.append(target.filename().string()).append("\" in folder \"");
        line.append((target.parent_path() / "").string()).append("\": ").append(reason);
        EXPECT_EQ(SaveFailureLine(path, error).GetNarrow(), line);
    }
}
