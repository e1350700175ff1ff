// A settings or state file that cannot be written: the old file stays whole and the
// message names the file, its folder and the system's reason.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "base/file_io.h"
#include "base/string_w.h"
#include "base/tests/temp_folder.h"
#include "emu/safe_file_write.h"

#ifndef _WIN32
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {

std::string ReadText(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

PathString PathOf(const fs::path& path)
{
    return PathString(StringW(reinterpret_cast<const wchar16*>(path.u16string().c_str())));
}

} // namespace

TEST(SafeFileWriteTest, AFailedSaveKeepsTheOldFileAndSaysWhereAndWhy)
{
    // Each case spoils the folder so that the save fails at another step; the reasons
    // are the system's own words for them (Windows: its messages for the codes).
    const struct {
        const char* name;
        const char* file;           // relative to the case's folder
        void (*spoil)(const fs::path& folder);
        const char* reason;         // natively
        int windowsCode;            // -1: the native words on Windows too
    } cases[] = {
        {"folder is a file", "plain/x.ini", [](const fs::path& f) { std::ofstream(f / "plain") << "p"; },
         "Not a directory", 3},  // ERROR_PATH_NOT_FOUND
        {"temporary name taken by a folder", "x.ini", [](const fs::path& f) { fs::create_directory(f / "x.ini.tmp"); },
         "Is a directory", 5},  // ERROR_ACCESS_DENIED
        {"target is a folder", "x.ini", [](const fs::path& f) {
             fs::remove(f / "x.ini");
             fs::create_directory(f / "x.ini");
         }, "Is a directory", -1},
#ifndef _WIN32
        // A full disk: the temporary file is the device that is always full.
        {"disk full", "x.ini", [](const fs::path& f) { fs::create_symlink("/dev/full", f / "x.ini.tmp"); },
         "No space left on device", -1},
        {"read-only folder", "x.ini", [](const fs::path& f) {
             fs::permissions(f, fs::perms::owner_read | fs::perms::owner_exec);
         }, "Permission denied", -1},
#endif
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
#ifndef _WIN32
        if (std::string(c.name) == "read-only folder" && geteuid() == 0)
            continue;  // the folder's permissions do not hold for root
        if (std::string(c.name) == "disk full" && !fs::exists("/dev/full"))
            continue;
#endif
        TempFolder temp("kuv_save");
        const fs::path folder = temp.Path();
        std::ofstream(folder / "x.ini", std::ios::binary) << "old settings";
        c.spoil(folder);
        const fs::path target = (folder / c.file).make_preferred();
        const PathString path = PathOf(target);

        std::error_code error;
        EXPECT_FALSE(WriteFileSafely(path, "new", 3, &error));
        fs::permissions(folder, fs::perms::owner_all);
        if (!fs::is_directory(folder / "x.ini")) {
            EXPECT_EQ(ReadText(folder / "x.ini"), "old settings");
        }
        EXPECT_TRUE(fs::is_directory(folder / "x.ini.tmp") || !fs::exists(fs::symlink_status(folder / "x.ini.tmp")))
            << "the temporary file stayed";

        std::string reason = c.reason;
#ifdef _WIN32
        if (c.windowsCode > 0)
            reason = FileErrorText(std::error_code(c.windowsCode, std::system_category())).GetNarrow();
#endif
        const std::string expected = "\"" + target.filename().string() + "\" in folder \"" +
                                     (target.parent_path() / "").string() + "\": " + reason;
        EXPECT_EQ(SaveFailureLine(path, error).GetNarrow(), expected);
    }
}

