// The program's own folder found from a module path of any length the system allows.
// Run by tests/long_program_path.sh in a copy of this program that lies in a folder over
// a thousand characters deep (Wine starts a program from such a path only from outside);
// skipped in the ordinary run.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "base/file_system.h"
#include "base/path_text.h"
#include "base/program_folders.h"

TEST(ProgramFolderLongPathTest, ProgramFindsItsOwnFolder)
{
    std::wstring expected(40000, L'\0');
    const DWORD n = GetEnvironmentVariableW(L"KUV_EXPECTED_PROGRAM_FOLDER", expected.data(),
                                            static_cast<DWORD>(expected.size()));
    if (n == 0 || n >= expected.size())
        GTEST_SKIP() << "run by long_program_path.sh from a deep folder";
    expected.resize(n);
    std::wstring found = ProgramFolder().GetWide();
    if (found.rfind(L"\\\\?\\", 0) == 0)
        found.erase(0, 4);  // the prefix that lifts the length limit
    EXPECT_EQ(found, expected);
    EXPECT_GT(found.size(), 1023u);
    // The files beside the program (its configs, its settings) are found through it.
    EXPECT_TRUE(FileReadable(JoinPath(ProgramFolder(), StringW(), ProgramName(), ProgramExtension())));
}
