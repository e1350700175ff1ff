// The main window's menu bar as Windows shows it, read back in the same process
// (GetMenuStringW, GetMenuState), while the MSX-1 on C-BIOS is stopped, running and paused.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "app/emulator_app.h"
#include "app/main_menu_bar.h"
#include "app/main_window.h"
#include "core/emu_core.h"
#include "video/display_surface.h"
#include "emu/tests/program_tree.h"

namespace {

std::wstring Caption(HMENU menu, int position)
{
    wchar_t text[128] = {};
    GetMenuStringW(menu, position, text, 128, MF_BYPOSITION);
    return text;
}

// "e" enabled or "-" grayed, then "c" when checked.
std::string State(HMENU menu, int position)
{
    const UINT state = GetMenuState(menu, position, MF_BYPOSITION);
    std::string text = (state & (MF_GRAYED | MF_DISABLED)) ? "-" : "e";
    if (state & MF_CHECKED)
        text += "c";
    return text;
}

// Start, Stop, Pause and Synchronization of the Emulation menu.
std::string RunEntries(HMENU emulation)
{
    return State(emulation, 0) + " " + State(emulation, 1) + " " + State(emulation, 3) + " " +
           State(emulation, 5);
}

// The names created in or renamed into a folder, in the order the file system saw them.
class FolderWatch {
public:
    explicit FolderWatch(const std::wstring& folder)
    {
        handle_ = CreateFileW(folder.c_str(), FILE_LIST_DIRECTORY, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED, nullptr);
        event_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        armed_ = Arm();
    }
    ~FolderWatch()
    {
        if (armed_) {
            CancelIo(handle_);
            DWORD bytes = 0;
            GetOverlappedResult(handle_, &overlapped_, &bytes, TRUE);
        }
        CloseHandle(event_);
        CloseHandle(handle_);
    }
    FolderWatch(const FolderWatch&) = delete;
    FolderWatch& operator=(const FolderWatch&) = delete;

    // Collects names until last has come (or nothing more came for ten seconds).
    std::vector<std::wstring> NamesUntil(const std::wstring& last)
    {
        std::vector<std::wstring> names;
        while (armed_ && std::find(names.begin(), names.end(), last) == names.end()) {
            DWORD bytes = 0;
            if (WaitForSingleObject(event_, 10000) != WAIT_OBJECT_0 ||
                !GetOverlappedResult(handle_, &overlapped_, &bytes, FALSE)) {
                break;
            }
            for (DWORD at = 0; bytes != 0;) {
                const auto* entry = reinterpret_cast<const FILE_NOTIFY_INFORMATION*>(buffer_ + at);
                if (entry->Action == FILE_ACTION_ADDED || entry->Action == FILE_ACTION_RENAMED_NEW_NAME)
                    names.emplace_back(entry->FileName, entry->FileNameLength / sizeof(wchar_t));
                if (entry->NextEntryOffset == 0)
                    break;
                at += entry->NextEntryOffset;
            }
            armed_ = Arm();
        }
        return names;
    }

private:
    bool Arm()
    {
        ResetEvent(event_);
        overlapped_ = {};
        overlapped_.hEvent = event_;
        return ReadDirectoryChangesW(handle_, buffer_, sizeof buffer_, FALSE,
                                     FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME, nullptr,
                                     &overlapped_, nullptr) != 0;
    }

    HANDLE handle_;
    HANDLE event_;
    OVERLAPPED overlapped_ = {};
    bool armed_ = false;
    alignas(DWORD) BYTE buffer_[16384];
};

class MainWindowTest : public ::testing::Test {
protected:
    ProgramTree tree;
    EmulatorApp app;
    MainWindow* window = nullptr;

    void SetUp() override
    {
        std::ifstream bios(KUV_CBIOS_ROM, std::ios::binary);
        ProgramTree::WriteBytes("prog/configs/msx.rom", std::vector<u8>(std::istreambuf_iterator<char>(bios),
                                                                         std::istreambuf_iterator<char>()));
        int exitCode = 1;
        ASSERT_TRUE(app.Init(&exitCode, GetModuleHandleW(nullptr), nullptr, nullptr, SW_SHOWNORMAL));
        EXPECT_EQ(exitCode, 0);
        window = dynamic_cast<MainWindow*>(app.GetMainWindow());
        ASSERT_NE(window, nullptr);
        ASSERT_NE(window->core, nullptr);
    }

    void TearDown() override { app.Exit(); }
};

} // namespace

TEST_F(MainWindowTest, MenuBarAndRunEntriesFollowTheEmulation)
{
    EXPECT_EQ(window->GetTitle().Compare(StringW("KUV/Computer Emulator")), 0);
    HMENU bar = GetMenu(window->GetHandle());
    ASSERT_NE(bar, nullptr);
    const wchar_t* popups[] = {L"Emulation", L"Computer", L"Drives", L"Video", L"Sound",
                               L"Input", L"Debug", L"View", L"Settings", L"Help"};
    ASSERT_EQ(GetMenuItemCount(bar), 10);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(Caption(bar, i), popups[i]);

    HMENU emulation = GetSubMenu(bar, 0);
    EXPECT_EQ(Caption(emulation, 8), L"Save State\tF11");
    EXPECT_EQ(Caption(emulation, 11), L"Exit");
    HMENU computer = GetSubMenu(bar, 1);
    EXPECT_EQ(Caption(computer, 0), L"MSX-1");
    EXPECT_EQ(Caption(computer, 1), L"ColecoVision");
    EXPECT_EQ(State(computer, 0), "ec");  // the machine of the core, offered while stopped
    HMENU video = GetSubMenu(bar, 3);
    EXPECT_EQ(Caption(video, 1), L"OpenGL renderer");
    HMENU sound = GetSubMenu(bar, 4);
    EXPECT_EQ(Caption(sound, 0), L"No Sound");
    EXPECT_EQ(State(sound, 1), "ec");  // "WaveSound" without a settings file

    EXPECT_EQ(RunEntries(emulation), "e - - ec");
    MainMenuBar* menu = window->GetMainMenu();
    ASSERT_TRUE(menu->startItem->DispatchCommand(-1));
    ASSERT_TRUE(window->core->IsStarted());
    EXPECT_EQ(RunEntries(emulation), "- e e ec");
    EXPECT_EQ(State(sound, 0), "-");  // no output change while running

    ASSERT_TRUE(menu->pauseItem->DispatchCommand(-1));
    EXPECT_TRUE(window->core->IsInBreak());
    EXPECT_EQ(RunEntries(emulation), "- e ec ec");

    window->UpdateCaption();
    const std::string caption = window->GetTitle().GetNarrow();
    EXPECT_EQ(caption.rfind("KUV/Computer Emulator - ", 0), 0u) << caption;
    EXPECT_NE(caption.find("Speed="), std::string::npos) << caption;

    ASSERT_TRUE(menu->stopItem->DispatchCommand(-1));
    EXPECT_FALSE(window->core->IsStarted());
    EXPECT_EQ(RunEntries(emulation), "e - - ec");

    // Stopped, the outputs change: the core gets a copy of the chosen prototype.
    ASSERT_TRUE(menu->videoMenu->GetChild(1)->DispatchCommand(-1));
    EXPECT_STREQ(window->core->GetRenderer()->GetName(), "OpenGL");
    EXPECT_EQ(State(video, 0) + State(video, 1), "eec");
    ASSERT_TRUE(menu->soundMenu->GetChild(0)->DispatchCommand(-1));
    EXPECT_EQ(window->manager.soundName.CompareNarrow("No Sound"), 0);
    EXPECT_EQ(State(sound, 0) + State(sound, 1), "ece");
}

TEST_F(MainWindowTest, ClosingSavesTheSettingsAfterTheCoreIsGone)
{
    // The worker's last act is to write the machine's settings, into a "settings" folder
    // it makes: the application settings file must appear in the data folder after it.
    std::filesystem::create_directories(ProgramTree::Where("user/kuv.ini").parent_path());
    ASSERT_FALSE(std::filesystem::exists(ProgramTree::Where("user/settings")));
    FolderWatch watch(ProgramTree::Where("user/kuv.ini").parent_path().wstring());
    ASSERT_TRUE(window->GetMainMenu()->startItem->DispatchCommand(-1));
    SendMessageW(window->GetHandle(), WM_CLOSE, 0, 0);
    EXPECT_EQ(window->core, nullptr);
    const std::vector<std::wstring> names = watch.NamesUntil(L"kuv.ini");
    const auto settings = std::find(names.begin(), names.end(), L"settings");
    const auto file = std::find(names.begin(), names.end(), L"kuv.ini");
    ASSERT_NE(file, names.end());
    EXPECT_LT(settings, file) << "the settings file was written while the worker ran";

    const std::vector<u8> bytes = ProgramTree::Read("user/kuv.ini");
    const std::string text(bytes.begin(), bytes.end());
    EXPECT_EQ(text.substr(0, 6), "KUVINI");
    EXPECT_NE(text.find("msx_1"), std::string::npos);
}
