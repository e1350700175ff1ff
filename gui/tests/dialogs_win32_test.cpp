// Modal dialogs driven from inside the test: a window timer of the owner runs
// inside the system's modal loop, finds the dialog and answers it as a user
// would (a button click, a key, the Cancel command).
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "gui/button.h"
#include "gui/canvas.h"
#include "gui/dialog.h"
#include "gui/file_dialog.h"
#include "gui/message_box.h"
#include "gui/tests/gui_test_support_win32.h"
#include "gui/text_label.h"

namespace {

constexpr UINT_PTR kDriverTimer = 77;

// What the driver does once it finds the dialog, and what it saw.
struct Driver {
    std::function<void(HWND dialog)> act;
    HWND seen = nullptr;
    int ticks = 0;
    bool gaveUp = false;
};
Driver* driver = nullptr;
HWND ownerHandle = nullptr;

// After about 20 seconds without the dialog, any dialog of the thread is
// cancelled so that the run ends and the test fails instead of hanging.
constexpr int kGiveUpTicks = 400;

BOOL CALLBACK FindOwned(HWND window, LPARAM found)
{
    wchar_t name[16] = {};
    GetClassNameW(window, name, 16);
    const bool relaxed = driver->ticks > kGiveUpTicks;
    if (std::wstring(name) == L"#32770" &&
        (relaxed || (IsWindowVisible(window) && GetWindow(window, GW_OWNER) == ownerHandle))) {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

void CALLBACK DriveDialog(HWND, UINT, UINT_PTR, DWORD)
{
    if (driver == nullptr || driver->seen != nullptr)
        return;
    ++driver->ticks;
    HWND dialog = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindOwned, reinterpret_cast<LPARAM>(&dialog));
    if (dialog == nullptr)
        return;
    if (driver->ticks > kGiveUpTicks) {
        driver->gaveUp = true;
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        return;
    }
    driver->seen = dialog;
    driver->act(dialog);
}

// Runs fn (which opens a dialog under the frame) with the driver armed.
class DriverScope {
public:
    DriverScope(FrameWindow* frame, std::function<void(HWND)> act)
    {
        state.act = std::move(act);
        driver = &state;
        ownerHandle = frame->handle;
        SetTimer(frame->handle, kDriverTimer, 50, DriveDialog);
        frame_ = frame->handle;
    }
    ~DriverScope()
    {
        EXPECT_FALSE(state.gaveUp) << "the dialog never showed as expected";
        KillTimer(frame_, kDriverTimer);
        driver = nullptr;
    }
    Driver state;

private:
    HWND frame_ = nullptr;
};

class DialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        InitCommonControls();
        frame = gui_test::MakeFrame(800, 448);
        ASSERT_NE(frame, nullptr);
    }
    void TearDown() override { gui_test::DeleteFrame(frame); }
    FrameWindow* frame = nullptr;
};

TEST_F(DialogTest, ButtonEndsTheDialogWithItsResultCodeCentredOnTheOwner)
{
    Dialog dialog(300, 120);
    dialog.SetTitle(W16("Choose"));
    auto* memory = new Button({10, 10, 90, 24}, W16("to Memory"), 3, kAlignFree, true, kUnitPixels);
    memory->ResultCode() = 4;
    ASSERT_TRUE(dialog.AddChild(memory));
    ASSERT_TRUE(dialog.AddChild(new TextLabel(10, 50, 200, 30, W16("Where to?"), kAlignFree, true)));
    RECT placed{};
    bool nestedRun = true;
    gui_test::Pixels shown;
    DriverScope scope(frame, [&](HWND window) {
        GetWindowRect(window, &placed);
        InvalidateRect(window, nullptr, TRUE);
        UpdateWindow(window);
        shown = gui_test::CaptureClient(window);
        nestedRun = dialog.DoModal(frame);
        SendMessageW(memory->GetHandle(), BM_CLICK, 0, 0);
    });
    EXPECT_TRUE(dialog.DoModal(frame));
    EXPECT_EQ(dialog.GetResult(), 4);
    EXPECT_FALSE(nestedRun) << "a dialog already running does not run again";
    ASSERT_NE(scope.state.seen, nullptr);
    RECT owner;
    GetWindowRect(frame->handle, &owner);
    EXPECT_EQ(placed.right - placed.left, 300);
    EXPECT_EQ(placed.bottom - placed.top, 120);
    EXPECT_EQ(placed.left, owner.left + (owner.right - owner.left - 300) / 2);
    EXPECT_EQ(placed.top, owner.top + (owner.bottom - owner.top - 120) / 2);
    EXPECT_FALSE(IsWindow(scope.state.seen));
    EXPECT_FALSE(dialog.IsCreated());
    // The label, drawn by the dialog's paint, survives the dialog's own erase.
    ASSERT_GT(shown.width, 200);
    EXPECT_GT(shown.Count(0x000000, 10, 50, 210, 80), 5);
}

TEST_F(DialogTest, KeysAndEndModalGiveTheirCodes)
{
    struct Case {
        std::function<void(Dialog&, HWND)> answer;
        i32 result;
    } cases[] = {
        {[](Dialog&, HWND w) { PostMessageW(w, WM_KEYDOWN, VK_ESCAPE, 0); }, 2},
        {[](Dialog&, HWND w) { PostMessageW(w, WM_KEYDOWN, VK_RETURN, 0); }, 1},
        {[](Dialog&, HWND w) { PostMessageW(w, WM_CLOSE, 0, 0); }, 2},
        {[](Dialog& d, HWND) { d.EndModal(7); }, 7},
    };
    for (const Case& c : cases) {
        Dialog dialog(200, 100);
        DriverScope scope(frame, [&](HWND w) { c.answer(dialog, w); });
        EXPECT_TRUE(dialog.DoModal(frame));
        EXPECT_EQ(dialog.GetResult(), c.result);
    }
}

// A control that cannot be made.
class BrokenControl : public Canvas {
public:
    BrokenControl() : Canvas(0, 0, 10, 10, kAlignFree, true) {}
    bool Create() override { return false; }
};

TEST_F(DialogTest, ADialogWhoseCreationFailsAnswersFailure)
{
    Dialog dialog(200, 100);
    ASSERT_TRUE(dialog.AddChild(new BrokenControl));
    int callbacks = 0;
    static int* counter = nullptr;
    counter = &callbacks;
    EXPECT_FALSE(dialog.ShowModal(frame, [](WindowInterface*) { ++*counter; }, true));
    EXPECT_EQ(dialog.GetResult(), 0);
    EXPECT_EQ(callbacks, 0);
    EXPECT_FALSE(dialog.DoModal(nullptr));
    EXPECT_FALSE(dialog.ShowModal(frame, nullptr, true));
}

TEST_F(DialogTest, MessageBoxAnsweredByKey)
{
    struct Case {
        WPARAM key;
        i32 result;
    } cases[] = {{'N', 3}, {'Y', 1}};
    for (const Case& c : cases) {
        MessageBox box;
        box.SetKind(1);
        DriverScope scope(frame, [&](HWND w) {
            PostMessageW(w, WM_CHAR, c.key, 0);
        });
        EXPECT_TRUE(box.AskWith(frame, W16("Save the state?"), W16("Save State")));
        EXPECT_EQ(box.GetResult(), c.result);
        ASSERT_NE(scope.state.seen, nullptr);
    }
    MessageBox box;
    EXPECT_FALSE(box.Ask(nullptr));
    EXPECT_EQ(box.GetResult(), 0);
}

std::vector<std::wstring> ComboItems(HWND dialog, int id)
{
    std::vector<std::wstring> items;
    HWND combo = GetDlgItem(dialog, id);
    const int count = static_cast<int>(SendMessageW(combo, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        wchar_t text[128] = {};
        SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
        items.push_back(text);
    }
    return items;
}

TEST_F(DialogTest, OpenFileDialogShowsTheDriveFiltersAndIsCancelled)
{
    FileDialogBox dialog;
    dialog.AddFileType(W16("rom"), W16("Coleco ROM"));
    dialog.AddFileType(W16("col"), W16("Coleco ROM"));
    dialog.AddFileType(W16("cv"), W16("Coleco ROM"));
    wchar_t folder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    const PathString start(folder);
    std::vector<std::wstring> filters;
    RECT placed{};
    DriverScope scope(frame, [&](HWND w) {
        GetWindowRect(w, &placed);
        filters = ComboItems(w, 0x470);  // cmb1: the file types
        PostMessageW(w, WM_COMMAND, IDCANCEL, 0);
    });
    int callbacks = 0;
    static int* counter = nullptr;
    counter = &callbacks;
    EXPECT_TRUE(dialog.ShowModal(frame, [](WindowInterface*) { ++*counter; }, start));
    EXPECT_EQ(callbacks, 1) << "a cancel still calls back";
    EXPECT_EQ(dialog.GetResult(), 2);
    EXPECT_EQ(dialog.GetErrorCode(), 0u);
    EXPECT_EQ(dialog.GetPath().Compare(start), 0) << "cancel keeps the starting folder";
    ASSERT_EQ(filters.size(), 2u);
    EXPECT_EQ(filters[0], L"All Supported Files");
    EXPECT_EQ(filters[1], L"Coleco ROM (*.rom,*.col,*.cv)");
    RECT owner;
    GetWindowRect(frame->handle, &owner);
    EXPECT_EQ(placed.left, owner.left + (owner.right - owner.left - (placed.right - placed.left)) / 2)
        << "centred on the owner at its own size";

    dialog.mode = 2;
    EXPECT_FALSE(dialog.DoModal(frame, start));
    EXPECT_EQ(dialog.GetResult(), 0);
}

}  // namespace

namespace {

TEST_F(DialogTest, SaveFileDialogReturnsTheTypedNameWhole)
{
    FileDialogBox dialog;
    dialog.mode = kFileDialogSave;
    dialog.AddFileType(W16("sav"), W16(""));
    wchar_t folder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    const std::wstring name = std::wstring(200 - 4, L'k') + L".sav";
    DriverScope scope(frame, [&](HWND w) {
        SetDlgItemTextW(w, 0x47c, name.c_str());  // cmb13: the file name
        PostMessageW(w, WM_COMMAND, IDOK, 0);
    });
    EXPECT_TRUE(dialog.DoModal(frame, PathString(folder)));
    EXPECT_EQ(dialog.GetResult(), 1);
    EXPECT_EQ(std::wstring(dialog.GetPath().GetWide()), std::wstring(folder) + name);
}

}  // namespace
