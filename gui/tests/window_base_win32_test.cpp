// Binding a window object to a native window of another class: subclassing,
// default processing through the replaced procedure, and the procedure given
// back when the object lets the window go.
#include <windows.h>

#include <gtest/gtest.h>

#include "gui/window_base.h"

namespace {

int nativeDestroys = 0;

LRESULT CALLBACK ForeignProc(HWND window, UINT message, WPARAM w, LPARAM l)
{
    if (message == WM_NCDESTROY)
        ++nativeDestroys;
    if (message == WM_USER)
        return 42;
    return DefWindowProcW(window, message, w, l);
}

class BoundWindow : public WindowBase {
public:
    bool Paint(int, int, int, int, Rect*) override { return false; }
};

HWND MakeForeignWindow()
{
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = ForeignProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"KuvForeignWindow";
    RegisterClassW(&windowClass);  // again after the first test: fails harmlessly
    return CreateWindowExW(0, L"KuvForeignWindow", L"", WS_POPUP, 0, 0, 50, 40, nullptr, nullptr,
                           windowClass.hInstance, nullptr);
}

TEST(WindowBaseTest, SubclassesAForeignWindowAndGivesItsProcedureBack)
{
    HWND native = MakeForeignWindow();
    ASSERT_NE(native, nullptr);
    BoundWindow window;
    window.SetPosition(5, 6, 60, 30, kUnitPixels);
    window.handle = native;
    ASSERT_TRUE(window.Create());
    EXPECT_EQ(GetWindowLongPtrW(native, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(WindowBase::WindowProc));
    EXPECT_EQ(WindowBase::FromHandle(native), &window);
    EXPECT_EQ(SendMessageW(native, WM_USER, 0, 0), 42) << "default processing reaches the replaced procedure";
    RECT r;
    GetWindowRect(native, &r);
    EXPECT_EQ(r.left, 5) << "binding gives the native window the object's bounds";
    EXPECT_EQ(r.right - r.left, 60);
    EXPECT_EQ(r.bottom - r.top, 30);

    nativeDestroys = 0;
    window.Destroy();
    EXPECT_FALSE(IsWindow(native));
    EXPECT_EQ(window.handle, nullptr);
    EXPECT_FALSE(window.IsCreated());
    EXPECT_EQ(nativeDestroys, 1) << "the last message went to the window's own procedure";
}

TEST(WindowBaseTest, AnObjectDeletedFirstLeavesTheWindowAlone)
{
    HWND native = MakeForeignWindow();
    {
        BoundWindow window;
        window.handle = native;
        ASSERT_TRUE(window.Create());
    }
    EXPECT_EQ(GetWindowLongPtrW(native, GWLP_USERDATA), 0);
    EXPECT_EQ(GetWindowLongPtrW(native, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(ForeignProc));
    EXPECT_EQ(SendMessageW(native, WM_USER, 0, 0), 42);
    DestroyWindow(native);
}

TEST(WindowBaseTest, BindingWithoutAWindowFails)
{
    BoundWindow window;
    EXPECT_FALSE(window.Create());
    EXPECT_FALSE(window.IsCreated());
}

} // namespace
