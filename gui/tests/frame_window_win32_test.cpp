// A frame window in a real message loop under Wine: its class and icon, the
// menu bar (captions and states read back in-process, a command sent by
// position), a 1 ms timer, drawing through the drawing context read back
// from the window's pixels, and the end of the loop on WM_CLOSE.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "gui/application_base.h"
#include "gui/draw_context.h"
#include "gui/frame_window.h"
#include "gui/menu.h"
#include "video/tests/window_capture_win32.h"

namespace {

constexpr u32 kLineArgb = 0xFFFF0000;   // red
constexpr u32 kTextArgb = 0xFF0000FF;   // blue
constexpr int kLineY = 120;

struct Observed {
    int paints = 0;
    u64 ticks = 0;
    int commands = 0;
    int commandPosition = -2;
    window_capture::Pixels shown;
    bool closing = false;
};

Observed* observed = nullptr;

// Draws a red line and blue text through the frame's drawing context.
class DrawingFrame : public FrameWindow {
public:
    DrawingFrame() : FrameWindow(40, 40, 360, 260, 1) {}

    bool PaintHook(DrawContext* context, const Rect*, const Rect*, void*) override
    {
        context->GetPen()->SetAll(OptionalColor::Of(kLineArgb), 1, 1, 1);
        context->MoveTo(10, kLineY);
        context->LineTo(200, kLineY);
        context->GetFont()->SetKindSizeColor(1, 14, OptionalColor::Of(kTextArgb));
        context->DrawTextAt(W16("KUV"), 10, 10);
        ++observed->paints;
        return true;
    }
};

bool OnOpen(MenuItem*, int index, int kind, void*)
{
    if (kind != menu_event::kCommand)
        return false;
    ++observed->commands;
    observed->commandPosition = index;
    return true;
}

// Checks the "Open" entry on every refresh.
bool OnRefreshOpen(MenuItem* entry, int, int kind, void*)
{
    if (kind == menu_event::kUpdate && entry->checked == 0) {
        entry->checked = 1;
        entry->Update(true, false);
    }
    return kind == menu_event::kUpdate;
}

// The 1 ms timer: after a few calls, with the window painted, sends a menu
// command by position, reads the pixels back and closes the window.
bool OnTick(WindowInterface* window, void* menu, void*, u64* count)
{
    observed->ticks = *count + 1;
    if (observed->closing || *count < 20 || observed->paints == 0)
        return true;
    auto* frame = dynamic_cast<FrameWindow*>(window);
    auto* file = static_cast<PopupMenu*>(menu);
    SendMessageW(frame->handle, WM_MENUCOMMAND, 1, reinterpret_cast<LPARAM>(file->GetHandle()));
    observed->shown = window_capture::CaptureClient(frame->handle);
    observed->closing = true;
    PostMessageW(frame->handle, WM_CLOSE, 0, 0);
    return true;
}

// Closes the window after a generous wait, so that a timer that never fires
// fails the test instead of hanging it.
class Watchdog {
public:
    explicit Watchdog(HWND window)
        : thread_([this, window] {
              for (int i = 0; i < 600 && !stop_; ++i)
                  std::this_thread::sleep_for(std::chrono::milliseconds(100));
              if (!stop_) {
                  fired_ = true;
                  PostMessageW(window, WM_CLOSE, 0, 0);
              }
          })
    {
    }
    ~Watchdog()
    {
        stop_ = true;
        thread_.join();
    }
    bool Fired() const { return fired_; }

private:
    std::atomic<bool> stop_{false};
    std::atomic<bool> fired_{false};
    std::thread thread_;
};

TEST(FrameWindowTest, RunsMenusTimersAndDrawingUntilClosed)
{
    Observed seen;
    observed = &seen;
    auto* frame = new DrawingFrame;
    frame->SetIconId(128);
    frame->SetTitle(W16("frame test"));
    auto* bar = new MenuBar(frame);
    PopupMenu* file = bar->AddPopup(W16("File"), true);
    ASSERT_NE(file, nullptr);
    MenuItem* newEntry = file->AddItem(W16("New"), true);
    MenuItem* open = file->AddItem(W16("Open"), true);
    file->AddSeparator(false);
    MenuItem* quit = file->AddItem(W16("Exit"), true);
    open->handler = OnOpen;
    newEntry->handler = OnRefreshOpen;
    ASSERT_TRUE(frame->SetMenu(bar));
    EXPECT_EQ(frame->AddTimer(1, OnTick, file), 1u);

    ApplicationBase app(frame);
    int exitCode = 5;
    ASSERT_TRUE(app.Init(&exitCode, GetModuleHandleW(nullptr), nullptr, nullptr, SW_SHOWNORMAL));
    EXPECT_EQ(exitCode, 0);
    HWND window = frame->handle;
    ASSERT_NE(window, nullptr);

    // The class is the frame's own, with icon 128 from the program's resources.
    wchar_t className[128] = {};
    GetClassNameW(window, className, 128);
    EXPECT_EQ(std::wstring(className), std::wstring(frame->ClassName().CStr()));
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    ASSERT_TRUE(GetClassInfoExW(GetModuleHandleW(nullptr), className, &windowClass));
    EXPECT_NE(windowClass.hIcon, nullptr);

    // Captions and states as Win32 holds them.
    HMENU nativeBar = GetMenu(window);
    ASSERT_EQ(nativeBar, bar->GetHandle());
    wchar_t text[32] = {};
    GetMenuStringW(nativeBar, 0, text, 32, MF_BYPOSITION);
    EXPECT_STREQ(text, L"File");
    HMENU nativeFile = static_cast<HMENU>(file->GetHandle());
    EXPECT_EQ(GetMenuItemCount(nativeFile), 4);
    GetMenuStringW(nativeFile, 3, text, 32, MF_BYPOSITION);
    EXPECT_STREQ(text, L"Exit");
    quit->enabled = 0;
    quit->Update(true, false);
    EXPECT_NE(GetMenuState(nativeFile, 3, MF_BYPOSITION) & MF_GRAYED, 0u);
    newEntry->UpdateAll();
    EXPECT_NE(GetMenuState(nativeFile, 0, MF_BYPOSITION) & MF_CHECKED, 0u);
    open->SetText(W16("Open..."));
    GetMenuStringW(nativeFile, 1, text, 32, MF_BYPOSITION);
    EXPECT_STREQ(text, L"Open...");
    file->SetText(W16("Disk"));  // a submenu keeps its entries when renamed
    GetMenuStringW(nativeBar, 0, text, 32, MF_BYPOSITION);
    EXPECT_STREQ(text, L"Disk");
    EXPECT_EQ(GetSubMenu(nativeBar, 0), nativeFile);

    int runResult = -7;
    bool watchdogFired = false;
    {
        Watchdog watchdog(window);
        runResult = app.Run();
        watchdogFired = watchdog.Fired();
    }
    EXPECT_FALSE(watchdogFired) << "the 1 ms timer did not finish the test";
    EXPECT_EQ(runResult, 0);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(frame->handle, nullptr);
    EXPECT_TRUE(IsMenu(nativeBar)) << "the menu objects' native menus outlive the window";
    EXPECT_TRUE(IsMenu(nativeFile));
    EXPECT_GE(seen.ticks, 20u);
    EXPECT_EQ(seen.commands, 1);
    EXPECT_EQ(seen.commandPosition, -1) << "the entry's own handler is called with -1";

    // The line's pixels are red along its row and not beyond its end; the
    // text's box holds blue pixels; the rest is the face colour.
    ASSERT_FALSE(seen.shown.data.empty());
    const window_capture::Pixels& shown = seen.shown;
    for (int x : {10, 50, 199})
        EXPECT_EQ(shown.At(x, kLineY), 0xFF0000u) << "line pixel at x " << x;
    EXPECT_NE(shown.At(220, kLineY), 0xFF0000u);
    EXPECT_NE(shown.At(100, kLineY + 2), 0xFF0000u);
    EXPECT_GT(shown.Count(0x0000FFu, 8, 8, 80, 40), 20) << "text pixels";
    EXPECT_EQ(shown.Count(0x0000FFu, 8, 60, 80, 110), 0);

    app.Exit();
    app.Exit();
    EXPECT_FALSE(IsMenu(nativeBar)) << "and go with them";
    observed = nullptr;
}

TEST(FrameWindowTest, ApplicationWithoutInstanceMakesNoWindow)
{
    ApplicationBase app;
    int exitCode = 0;
    EXPECT_FALSE(app.Init(&exitCode, nullptr, nullptr, nullptr, SW_SHOWNORMAL));
    EXPECT_EQ(exitCode, -1);
    EXPECT_EQ(app.GetMainWindow(), nullptr);
    EXPECT_EQ(app.Run(), -1);
}

TEST(FrameWindowTest, DefaultMainWindowHasAnEmptyMenuBarAndEndsOnClose)
{
    ApplicationBase app;
    int exitCode = 0;
    ASSERT_TRUE(app.Init(&exitCode, GetModuleHandleW(nullptr), nullptr, nullptr, SW_SHOWNORMAL));
    auto* frame = dynamic_cast<FrameWindow*>(app.GetMainWindow());
    ASSERT_NE(frame, nullptr);
    ASSERT_NE(frame->GetMenu(), nullptr);
    EXPECT_EQ(frame->GetMenu()->GetChildCount(), 0);
    RECT r;
    GetWindowRect(frame->handle, &r);
    EXPECT_EQ(r.right - r.left, 320);
    EXPECT_EQ(r.bottom - r.top, 200);
    EXPECT_EQ(frame->showState, 1) << "a window placed by Windows is shown normally";
    PostMessageW(frame->handle, WM_CLOSE, 0, 0);
    EXPECT_EQ(app.Run(), 0);
    app.Exit();
    EXPECT_EQ(app.GetMainWindow(), nullptr);
}

} // namespace

namespace {

struct Heard {
    std::vector<std::pair<int, bool>> keys;
    std::vector<std::vector<int>> mice;
    int keyAnswer = 1;
};

TEST(FrameWindowTest, MessagesReachTheCallbacksAndDestroyEndsTheLoop)
{
    Heard heard;
    FrameWindow frame(10, 10, 300, 200, 1);
    frame.UserData() = &heard;
    frame.KeyCallback() = [](WindowInterface* w, int code, bool down) {
        auto* h = static_cast<Heard*>(w->UserData());
        h->keys.emplace_back(code, down);
        return h->keyAnswer;
    };
    frame.MouseCallback() = [](WindowInterface* w, int x, int y, int event) {
        static_cast<Heard*>(w->UserData())->mice.push_back({x, y, event});
        return 1;
    };
    ASSERT_TRUE(frame.Create(GetModuleHandleW(nullptr)));
    HWND window = frame.handle;

    EXPECT_EQ(SendMessageW(window, WM_KEYDOWN, 'A', 0), 0);
    EXPECT_EQ(SendMessageW(window, WM_KEYUP, VK_RETURN, 1 << 24), 0);
    heard.keyAnswer = 0;  // not taken: default processing answers instead
    SendMessageW(window, WM_KEYDOWN, VK_F1, 0);
    EXPECT_EQ(heard.keys, (std::vector<std::pair<int, bool>>{{'A', true}, {0x6C, false}, {VK_F1, true}}));
    SendMessageW(window, WM_LBUTTONDOWN, 0, MAKELPARAM(5, static_cast<WORD>(-3)));
    SendMessageW(window, WM_RBUTTONUP, 0, MAKELPARAM(40, 30));
    EXPECT_EQ(heard.mice, (std::vector<std::vector<int>>{{5, -3, kMouseLeftDown}, {40, 30, kMouseRightUp}}));

    frame.SetSizeLimits(400, 250, 0, 0);
    EXPECT_EQ(frame.SetPosition(10, 10, 300, 200, kUnitPixels), true);
    RECT r;
    GetWindowRect(window, &r);
    EXPECT_EQ(r.right - r.left, 400) << "the node's limit reached the native window";
    MINMAXINFO info{};
    SendMessageW(window, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(info.ptMinTrackSize.x, 400);
    EXPECT_EQ(info.ptMinTrackSize.y, 250);

    frame.Destroy();
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(frame.handle, nullptr);
    EXPECT_FALSE(frame.IsCreated());
    MSG message;
    EXPECT_TRUE(PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(message.wParam, 0u);
}

} // namespace

namespace {

TEST(FrameWindowTest, PlacementAndSystemMessages)
{
    FrameWindow wide(0, 0, 5000, 300, 1);
    ASSERT_TRUE(wide.Create(GetModuleHandleW(nullptr)));
    RECT r;
    GetWindowRect(wide.handle, &r);
    EXPECT_EQ(r.right - r.left, GetSystemMetrics(SM_CXSCREEN)) << "narrowed to the screen";
    EXPECT_FALSE(wide.Create(reinterpret_cast<HINSTANCE>(0x1234))) << "made with another instance";
    EXPECT_TRUE(wide.Create(GetModuleHandleW(nullptr)));

    EXPECT_EQ(SendMessageW(wide.handle, WM_SYSCOMMAND, SC_KEYMENU, 0), 0) << "Alt and F10 open no menu";
    wide.SetCursorVisible(false);
    HDC dc = GetDC(wide.handle);
    EXPECT_EQ(SendMessageW(wide.handle, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0), -1);
    ReleaseDC(wide.handle, dc);

    // A command from a native menu that carries no menu object is left alone.
    HMENU foreign = CreatePopupMenu();
    AppendMenuW(foreign, MF_STRING, 0, L"x");
    SendMessageW(wide.handle, WM_MENUCOMMAND, 0, reinterpret_cast<LPARAM>(foreign));
    DestroyMenu(foreign);

    wide.Destroy();
    MSG message;
    EXPECT_TRUE(PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    FrameWindow never(0, 0, 100, 100, 1);
    never.Destroy();
    EXPECT_FALSE(PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE))
        << "a frame that never had a window does not end the loop";
}

} // namespace
