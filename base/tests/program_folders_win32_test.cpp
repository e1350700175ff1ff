// The program's own folder found from a module path of any length the system allows: a
// copy of this test program, run from a folder over a thousand characters deep, writes
// what it found into a report file that the test reads.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "base/file_system.h"
#include "base/path_text.h"
#include "base/program_folders.h"
#include "base/tests/temp_folder.h"

namespace {

constexpr wchar_t kReportVariable[] = L"KUV_PROGRAM_FOLDER_REPORT";

std::wstring Variable(const wchar_t* name)
{
    std::wstring value(40000, L'\0');
    const DWORD n = GetEnvironmentVariableW(name, value.data(), static_cast<DWORD>(value.size()));
    value.resize(n < value.size() ? n : 0);
    return value;
}

// The path without the "\\?\" that lifts the length limit.
std::wstring Plain(std::wstring path)
{
    if (path.rfind(L"\\\\?\\", 0) == 0)
        path.erase(0, 4);
    return path;
}

} // namespace

// In the copy: the folder, the name and whether the program file is readable through them.
TEST(ProgramFolderLongPathTest, CopyReportsWhatItFound)
{
    const std::wstring report = Variable(kReportVariable);
    if (report.empty())
        GTEST_SKIP() << "run by the test below, in a copy of this program";
    const PathString self = JoinPath(ProgramFolder(), StringW(), ProgramName(), ProgramExtension());
    std::wstring text = ProgramFolder().GetWide();
    text += L"|";
    text += ProgramName().GetWide();
    text += FileReadable(self) ? L"|readable" : L"|unreadable";
    std::ofstream(report, std::ios::binary).write(reinterpret_cast<const char*>(text.data()),
                                                  static_cast<std::streamsize>(text.size() * sizeof(wchar_t)));
}

TEST(ProgramFolderLongPathTest, ProgramInAFolderOverAThousandCharactersDeepFindsIt)
{
    if (!Variable(kReportVariable).empty())
        GTEST_SKIP() << "the copy runs only the test above";
    TempFolder temp("kuv_long");
    std::wstring folder = L"\\\\?\\" + temp.Path().wstring();
    std::vector<std::wstring> made;
    for (wchar_t letter = L'a'; Plain(folder).size() < 1100; ++letter) {
        folder += L"\\" + std::wstring(200, letter);
        ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
        made.push_back(folder);
    }
    folder += L"\\";
    std::wstring self(40000, L'\0');
    self.resize(GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size())));
    const std::wstring copy = folder + L"kuvcopy.exe";
    ASSERT_TRUE(CopyFileW(self.c_str(), copy.c_str(), FALSE));
    const std::wstring report = (temp.Path() / "report.txt").wstring();

    SetEnvironmentVariableW(kReportVariable, report.c_str());
    std::wstring command = L"kuvcopy --gtest_filter=ProgramFolderLongPathTest.CopyReportsWhatItFound";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    const BOOL started = CreateProcessW(copy.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                        &startup, &process);
    SetEnvironmentVariableW(kReportVariable, nullptr);
    ASSERT_TRUE(started) << GetLastError();
    EXPECT_EQ(WaitForSingleObject(process.hProcess, 60000), WAIT_OBJECT_0);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);

    std::ifstream in(report, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::wstring found(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t));
    EXPECT_EQ(Plain(found), Plain(folder) + L"|kuvcopy|readable");

    // Gone with the "\\?\" paths, which the temporary folder's own clean-up may not use.
    DeleteFileW(copy.c_str());
    for (auto it = made.rbegin(); it != made.rend(); ++it)
        RemoveDirectoryW(it->c_str());
}
