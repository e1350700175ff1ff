// The main window's menu bar as Windows shows it, read back in the same process
// (GetMenuStringW, GetMenuState), while the MSX-1 on C-BIOS is stopped, running and paused.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "app/about_box.h"
#include "app/drive_menu.h"
#include "app/emulator_app.h"
#include "app/main_menu_bar.h"
#include "app/main_window.h"
#include "app/state_commands.h"
#include "app/tests/manager_rig.h"
#include "base/file_io.h"
#include "core/emu_core.h"
#include "emu/drive_image.h"
#include "gui/button.h"
#include "gui/panel.h"
#include "gui/picture_control.h"
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

// The program's main window on the MSX-1 with C-BIOS, in the current program tree.
void OpenMainWindow(EmulatorApp& app, MainWindow*& window)
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

    void SetUp() override { OpenMainWindow(app, window); }
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

// A run started by the window, at once or later from its menu or toolbar, opens its console
// with the start screen's notice, which a stopped run still shows as its first line.
TEST(MainWindowStartTest, EveryRunOpensWithTheStartNotice)
{
    const struct {
        const char* name;
        bool autoStart;
        void (*start)(MainWindow&);
    } cases[] = {
        {"auto-start", true, [](MainWindow&) {}},
        {"menu", false, [](MainWindow& w) { w.GetMainMenu()->startItem->DispatchCommand(-1); }},
        {"toolbar", false, [](MainWindow& w) { MainWindow::OnToolbarStart(w.startButton); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ProgramTree tree;
        {
            EmuManager settings(AddTestOutputs);
            settings.autoStartEmulation = c.autoStart;
            ASSERT_TRUE(settings.SaveSettings());
        }
        ProgramTree::WriteBytes("user/settings/msx_1.ini", {'K', 'U', 'V', 'I', 'N', 'I', 0x01});
        EmulatorApp app;
        MainWindow* window = nullptr;
        OpenMainWindow(app, window);
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(window->core->IsStarted(), c.autoStart);
        c.start(*window);
        ASSERT_TRUE(window->core->IsStarted());
        ASSERT_TRUE(window->GetMainMenu()->stopItem->DispatchCommand(-1));
        StringA first;
        window->core->GetConsole().FlushPending();
        ASSERT_TRUE(window->core->GetConsole().GetLine(0, &first, nullptr));
        EXPECT_STREQ(first.CStr(), "Settings file \"msx_1.ini\" could not be read: kept as \"msx_1.ini.bad\", the "
                                   "defaults are used.");
        app.Exit();
    }
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

namespace {

// Plays another program that closes the window while a dialog is open: a thread timer
// (run by the dialog's modal loop) finds the dialog, posts WM_CLOSE to the main window,
// notes on the next tick whether the core lived through it, then answers the dialog.
struct CloseDuringDialog {
    HWND main = nullptr;
    MainWindow* window = nullptr;
    WPARAM answer = 0;  // the dialog's button that ends it
    HWND dialog = nullptr;
    int step = 0;
    bool coreKept = false;
};
CloseDuringDialog closer;

BOOL CALLBACK FindOwnedDialog(HWND hwnd, LPARAM)
{
    if (GetWindow(hwnd, GW_OWNER) != closer.main || !IsWindowVisible(hwnd))
        return TRUE;
    closer.dialog = hwnd;
    return FALSE;
}

void CALLBACK CloserTick(HWND, UINT, UINT_PTR, DWORD)
{
    if (closer.step == 0) {
        EnumThreadWindows(GetCurrentThreadId(), FindOwnedDialog, 0);
        if (closer.dialog) {
            PostMessageW(closer.main, WM_CLOSE, 0, 0);
            closer.step = 1;
        }
    } else if (closer.step == 1) {
        closer.coreKept = closer.window->core != nullptr && IsWindow(closer.dialog);
        PostMessageW(closer.dialog, WM_COMMAND, closer.answer, 0);
        closer.step = 2;
    }
}

// Runs the thread's messages until WM_QUIT (its exit code) or 10 s (-1).
int RunToQuit()
{
    const DWORD end = GetTickCount() + 10000;
    MSG message;
    while (static_cast<int>(end - GetTickCount()) > 0) {
        if (!PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            Sleep(5);
            continue;
        }
        if (message.message == WM_QUIT)
            return static_cast<int>(message.wParam);
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return -1;
}

bool WaitUntil(bool (*done)(MainWindow*), MainWindow* window)
{
    for (int i = 0; i < 500 && !done(window); ++i)
        Sleep(10);
    return done(window);
}

RECT ScreenRect(HWND hwnd)
{
    RECT r{};
    GetWindowRect(hwnd, &r);
    return r;
}

} // namespace

// A close from outside while a dialog of a running emulation is open waits for the dialog:
// its handler goes on with a live core, then the program ends with exit code 0.
TEST(MainWindowCloseTest, CloseDuringADialogEndsTheProgramAfterIt)
{
    const struct {
        const char* name;
        WPARAM answer;
        void (*open)(MainWindow&);
    } cases[] = {
        {"About box", IDOK, [](MainWindow& w) { ShowAboutBox(w); }},
        {"Save State question", IDNO, [](MainWindow& w) { ExecuteSaveState(w); }},
        {"file dialog", IDCANCEL, [](MainWindow& w) { DriveMenu::LoadFromFile(w, 0); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ProgramTree tree;
        EmulatorApp app;
        MainWindow* window = nullptr;
        OpenMainWindow(app, window);
        ASSERT_NE(window, nullptr);
        ASSERT_TRUE(window->GetMainMenu()->startItem->DispatchCommand(-1));
        ASSERT_TRUE(WaitUntil([](MainWindow* w) { return w->core->IsLoopActive(); }, window));
        MSG stale;  // a quit left by an earlier window would end the dialog at once
        while (PeekMessageW(&stale, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
        closer = CloseDuringDialog{};
        closer.main = static_cast<HWND>(window->GetHandle());
        closer.window = window;
        closer.answer = c.answer;
        const UINT_PTR timer = SetTimer(nullptr, 0, 20, CloserTick);
        c.open(*window);
        KillTimer(nullptr, timer);
        EXPECT_EQ(closer.step, 2) << "the dialog was not closed from outside";
        EXPECT_TRUE(closer.coreKept) << "the window went while its dialog was open";
        EXPECT_EQ(RunToQuit(), 0);
        EXPECT_EQ(window->core, nullptr);
        EXPECT_EQ(window->GetHandle(), nullptr);
        app.Exit();
    }
}

// MOUNT typed into the console puts a cartridge in: the next refresh of the window shows
// it in the Drives menu and on the icon, as a load through the menu does.
TEST_F(MainWindowTest, ConsoleMountRefreshesTheDrives)
{
    ProgramTree::WriteBytes("prog/GAME.ROM", std::vector<u8>(0x4000, 0xC9));
    HMENU cartridge = GetSubMenu(GetSubMenu(GetMenu(window->GetHandle()), 2), 0);
    ASSERT_NE(cartridge, nullptr);
    EXPECT_EQ(Caption(cartridge, 1), L"Unload");
    window->Refresh(false);
    EXPECT_EQ(State(cartridge, 1) + State(cartridge, 3), "-e");

    window->core->ExecuteConsoleCommand(StringA("M GAME.ROM"));
    window->Refresh(false);
    EXPECT_EQ(State(cartridge, 1) + State(cartridge, 3), "eec");
    DriveImage* drive = window->core->GetDrive(0);
    ASSERT_NE(drive, nullptr);
    auto* icon = static_cast<PictureControl*>(drive->GetIndicator());
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(icon->Tooltip().Compare(StringW(drive->GetPath())), 0);
    EXPECT_NE(std::string(icon->Tooltip().GetNarrow()).find("GAME.ROM"), std::string::npos);
}

// However wide the window (520 pixels at least), the cartridge icon stands whole in the
// toolbar, beside the run buttons; the status area's end is what a narrow window cuts.
TEST_F(MainWindowTest, CartridgeIconStaysInTheToolbarAtEveryWidth)
{
    DriveImage* drive = window->core->GetDrive(0);
    ASSERT_NE(drive, nullptr);
    auto* icon = static_cast<PictureControl*>(drive->GetIndicator());
    ASSERT_NE(icon, nullptr);
    const HWND main = static_cast<HWND>(window->GetHandle());
    for (int width : {520, 600, 800, 1024}) {
        SCOPED_TRACE(width);
        SetWindowPos(main, nullptr, 0, 0, width, 600, SWP_NOMOVE | SWP_NOZORDER);
        const RECT bar = ScreenRect(static_cast<HWND>(window->toolbar->GetHandle()));
        const RECT cart = ScreenRect(static_cast<HWND>(icon->GetHandle()));
        EXPECT_TRUE(GetWindowLongW(static_cast<HWND>(icon->GetHandle()), GWL_STYLE) & WS_VISIBLE);
        EXPECT_GT(cart.right - cart.left, 20);
        EXPECT_LE(cart.right, bar.right - 2) << "cut off at the toolbar's end";
        // The run buttons take about 270 pixels, the status area 400.
        EXPECT_LT(cart.left - bar.left, 400) << "not beside the run buttons";
    }
}

namespace {

// Plays the user at the box the program shows at its end: notes its text and whether it
// asks Yes or No, then presses OK.
std::wstring boxText;
bool boxAsks = false;

BOOL CALLBACK AnswerBox(HWND hwnd, LPARAM)
{
    wchar_t name[16] = {};
    GetClassNameW(hwnd, name, 16);
    if (std::wstring(name) != L"#32770" || !IsWindowVisible(hwnd))
        return TRUE;
    wchar_t text[2048] = {};
    GetDlgItemTextW(hwnd, 0xFFFF, text, 2048);  // the box's message
    boxText = text;
    boxAsks = GetDlgItem(hwnd, IDYES) != nullptr;
    PostMessageW(hwnd, WM_COMMAND, IDOK, 0);
    return FALSE;
}

void CALLBACK BoxTick(HWND, UINT, UINT_PTR, DWORD)
{
    if (boxText.empty())
        EnumThreadWindows(GetCurrentThreadId(), AnswerBox, 0);
}

std::wstring Reason(DWORD code)
{
    return FileErrorText(std::error_code(static_cast<int>(code), std::system_category())).GetWide();
}

} // namespace

// Settings that cannot be written at exit are told in a box once the window is gone,
// each file with its folder and the system's reason, and the program ends with code 1.
TEST_F(MainWindowTest, SettingsNotSavedAtExitAreToldInABox)
{
    ProgramTree::MakeFolder("user/kuv.ini.tmp");        // the program's settings cannot be made
    ProgramTree::WriteBytes("user/settings", {'x'});  // nor can the machine's folder: the reason is its own
    MSG stale;  // a quit left by an earlier window would end the run at once
    while (PeekMessageW(&stale, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
    PostMessageW(window->GetHandle(), WM_CLOSE, 0, 0);
    boxText.clear();
    const UINT_PTR timer = SetTimer(nullptr, 0, 20, BoxTick);
    EXPECT_EQ(app.Run(), 1);
    KillTimer(nullptr, timer);
    EXPECT_EQ(window->core, nullptr);

    const std::wstring user = ProgramTree::PathOf("user/").GetWide();
    const std::wstring settings = ProgramTree::PathOf("user/settings/").GetWide();
    EXPECT_EQ(boxText, L"Settings could not be saved (the files keep what they held):\n"
                       L"\"msx.drv\" in folder \"" + settings + L"\", which could not be made: " +
                       Reason(ERROR_ALREADY_EXISTS) + L"\n"
                       L"\"msx_1.ini\" in folder \"" + settings + L"\", which could not be made: " +
                       Reason(ERROR_ALREADY_EXISTS) + L"\n"
                       L"\"kuv.ini\" in folder \"" + user + L"\": " +
                       FileErrorText(TemporaryNotAFileError()).GetWide());
    EXPECT_FALSE(boxAsks) << "a box that tells has an OK button alone";
}
