// The controls in a real window under Wine: a toolbar panel with an etched
// edge holding a picture button, a text button, a label and a picture
// control, a sunken side panel and a canvas filling the rest. The window's
// pixels, read back, show each where the layout puts it; the picture button
// hovers and clicks.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include "base/image_base.h"
#include "gui/builtin_icons.h"
#include "gui/button.h"
#include "gui/canvas.h"
#include "gui/panel.h"
#include "gui/picture_control.h"
#include "gui/tests/gui_test_support_win32.h"
#include "gui/text_label.h"

namespace {

using gui_test::SysRgb;

constexpr u32 kCanvasArgb = 0xFF2040A0;

int clicks = 0;
void CountClick(ButtonInterface*) { ++clicks; }

void PaintCanvas(CanvasInterface* canvas, DrawContext* context)
{
    int x = 0, y = 0, w = 0, h = 0;
    canvas->GetBounds(&x, &y, &w, &h);
    context->GetBrush()->SetSolid(OptionalColor::Of(kCanvasArgb));
    context->FillRectangle(0, 0, w - 1, h - 1);
}

void ExpectBounds(WindowInterface* window, int x, int y, int w, int h)
{
    int bx = 0, by = 0, bw = 0, bh = 0;
    window->GetBounds(&bx, &by, &bw, &bh);
    EXPECT_EQ(bx, x);
    EXPECT_EQ(by, y);
    EXPECT_EQ(bw, w);
    EXPECT_EQ(bh, h);
}

TEST(ControlsGallery, ControlsStandWhereTheLayoutPutsThemAndTheButtonHoversAndClicks)
{
    InitCommonControls();
    FrameWindow* frame = gui_test::MakeFrame(480, 320);
    ASSERT_NE(frame, nullptr);

    auto* toolbar = new Panel(0, 0, 0, 40, kAlignTop, 3, true);
    auto* start = new Button({0, 0, 40, 0}, W16(""), 0, kAlignLeft, true, kUnitPixels);
    start->SetImage(LoadStartIcon());
    start->SetHotTrack(true);
    start->SetFocusable(false);
    start->onClick = CountClick;
    start->SetTooltip(W16("Start"));
    auto* go = new Button({0, 0, 60, 0}, W16("Go"), 0, kAlignLeft, true, kUnitPixels);
    auto* label = new TextLabel(0, 0, 60, 0, W16("Drive:"), kAlignLeft, true);
    auto* picture = new PictureControl({0, 0, 60, 0}, LoadFloppyDriveIcon(0), kAlignLeft, true, kUnitPixels);
    for (ControlInterface* c : std::initializer_list<ControlInterface*>{start, go, label, picture})
        ASSERT_TRUE(toolbar->AddChild(c));
    auto* side = new Panel(0, 0, 100, 0, kAlignLeft, 2, true);
    auto* canvas = new Canvas(0, 0, 0, 0, kAlignFill, true);
    canvas->onPaint = PaintCanvas;
    ASSERT_TRUE(frame->AddChild(toolbar));
    ASSERT_TRUE(frame->AddChild(side));
    ASSERT_TRUE(frame->AddChild(canvas));
    ASSERT_NE(start->GetHandle(), nullptr);
    EXPECT_NE(start->GetTooltipWindow(), nullptr) << "a tooltip set before creation is added on creation";
    gui_test::Settle();

    int cx = 0, cy = 0, cw = 0, ch = 0;
    ASSERT_TRUE(frame->GetClientRect(&cx, &cy, &cw, &ch));
    // The toolbar's etched edge takes 2 pixels on every side.
    ExpectBounds(toolbar, 0, 0, cw, 40);
    ExpectBounds(start, 0, 0, 40, 36);
    ExpectBounds(go, 40, 0, 60, 36);
    ExpectBounds(label, 100, 0, 60, 36);
    ExpectBounds(picture, 160, 0, 60, 36);
    ExpectBounds(side, 0, 40, 100, ch - 40);
    ExpectBounds(canvas, 100, 40, cw - 100, ch - 40);

    RedrawWindow(frame->handle, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    gui_test::Settle();
    gui_test::Pixels shown = gui_test::CaptureClient(frame->handle);
    const u32 face = SysRgb(COLOR_BTNFACE);

    // Edges: etched is a shadow line outside a highlight line; sunken a
    // shadow line outside a dark-shadow line. Inside, the face colour.
    EXPECT_EQ(shown.At(0, 20), SysRgb(COLOR_BTNSHADOW));
    EXPECT_EQ(shown.At(1, 20), SysRgb(COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(shown.At(cw - 1, 20), SysRgb(COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(shown.At(300, 20), face);
    EXPECT_EQ(shown.At(0, 120), SysRgb(COLOR_BTNSHADOW));
    EXPECT_EQ(shown.At(1, 120), SysRgb(COLOR_3DDKSHADOW));
    EXPECT_EQ(shown.At(50, 120), face);

    // The start picture, centred in the button at (2, 2): its arrow is green,
    // its magenta background transparent.
    EXPECT_EQ(shown.At(2 + 13 + 3, 2 + 11 + 5), 0x00FF00u);
    EXPECT_GT(shown.Count(0x00FF00, 2, 2, 42, 38), 30);
    EXPECT_EQ(shown.Count(0xFF00FF, 2, 2, 42, 38), 0);
    // Caption of the text button and the label's text: dark pixels inside them.
    EXPECT_GT(shown.Count(SysRgb(COLOR_BTNTEXT), 50, 8, 92, 34), 5);
    EXPECT_GT(shown.Count(0x000000, 102, 2, 162, 38), 5);
    EXPECT_EQ(shown.Count(0x000000, 102, 2, 162, 8), 0) << "label text is centred vertically";
    // The floppy picture centred in its control: lamp green, key grey gone.
    EXPECT_EQ(shown.At(162 + 6 + 6, 2 + 10 + 10), 0x00FF00u);
    EXPECT_EQ(shown.Count(0xC4C6C4, 162, 2, 222, 38), 0);
    EXPECT_EQ(shown.At(300, 200), 0x2040A0u);
    EXPECT_EQ(shown.At(101, 41), 0x2040A0u);

    // Hover: with the mouse over it the flat button shows its raised frame.
    EXPECT_EQ(shown.At(2, 20), face) << "no frame while the mouse is away";
    POINT over{20, 18};
    ClientToScreen(start->GetHandle(), &over);
    SetCursorPos(over.x, over.y);
    SendMessageW(start->GetHandle(), WM_MOUSEMOVE, 0, MAKELPARAM(20, 18));
    ASSERT_TRUE(gui_test::PumpUntil([&] { return start->GetHoverState() == 1; }));
    gui_test::Settle();
    shown = gui_test::CaptureClient(frame->handle);
    EXPECT_EQ(shown.At(2, 20), SysRgb(COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(shown.At(41, 20), SysRgb(COLOR_BTNSHADOW));

    // Click: press and release, also released outside; the focus stays put.
    SetFocus(go->GetHandle());
    clicks = 0;
    SendMessageW(start->GetHandle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 18));
    SendMessageW(start->GetHandle(), WM_LBUTTONUP, 0, MAKELPARAM(200, 200));
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(GetFocus(), go->GetHandle()) << "a button that is not focusable leaves the focus";
    SendMessageW(start->GetHandle(), WM_LBUTTONUP, 0, MAKELPARAM(20, 18));
    EXPECT_EQ(clicks, 1) << "a release without a press is no click";

    // Leaving: the frame goes again.
    SetCursorPos(0, 0);
    ASSERT_TRUE(gui_test::PumpUntil([&] { return start->GetHoverState() == -1; }));
    gui_test::Settle();
    EXPECT_EQ(gui_test::CaptureClient(frame->handle).At(2, 20), face);

    // Checked, mouse away: sunken frame and the checkerboard fill.
    start->SetChecked(true);
    gui_test::Settle();
    shown = gui_test::CaptureClient(frame->handle);
    EXPECT_EQ(shown.At(2, 20), SysRgb(COLOR_BTNSHADOW));
    EXPECT_NE(shown.At(5, 30), shown.At(6, 30)) << "checkerboard";
    EXPECT_EQ(shown.At(5, 30), shown.At(6, 31));
    start->SetChecked(false);

    // Space clicks a focused button on key-up, only after its key-down.
    go->onClick = CountClick;
    SetFocus(go->GetHandle());
    clicks = 0;
    SendMessageW(go->GetHandle(), WM_KEYUP, VK_SPACE, 0);
    EXPECT_EQ(clicks, 0);
    SendMessageW(go->GetHandle(), WM_KEYDOWN, VK_SPACE, 0);
    EXPECT_EQ(clicks, 0);
    SendMessageW(go->GetHandle(), WM_KEYUP, VK_SPACE, 0);
    EXPECT_EQ(clicks, 1);

    // Disabled: the picture becomes a grey silhouette.
    start->SetEnabled(false);
    EXPECT_FALSE(IsWindowEnabled(start->GetHandle()));
    gui_test::Settle();
    shown = gui_test::CaptureClient(frame->handle);
    EXPECT_EQ(shown.Count(0x00FF00, 2, 2, 42, 38), 0);
    EXPECT_GT(shown.Count(SysRgb(COLOR_GRAYTEXT), 2, 2, 42, 38), 30);

    // A disabled label is embossed: highlight one pixel off, grey over it.
    label->SetEnabled(false);
    gui_test::Settle();
    shown = gui_test::CaptureClient(frame->handle);
    EXPECT_EQ(shown.Count(0x000000, 102, 2, 162, 38), 0);
    EXPECT_GT(shown.Count(SysRgb(COLOR_GRAYTEXT), 102, 2, 162, 38), 5);
    EXPECT_GT(shown.Count(SysRgb(COLOR_BTNHIGHLIGHT), 102, 2, 162, 38), 5);

    // Edges narrow the client area; a panel narrower than its edges has none.
    int px = 0, py = 0, pw = 0, ph = 0;
    ASSERT_TRUE(side->GetClientRect(&px, &py, &pw, &ph));
    EXPECT_EQ(px, 2);
    EXPECT_EQ(pw, 96);
    side->SetPosition(0, 40, 3, ch - 40, kUnitPixels);
    ASSERT_TRUE(side->GetClientRect(&px, &py, &pw, &ph));
    EXPECT_EQ(px, 0);
    EXPECT_EQ(pw, 0);
    side->SetBorderStyle(0);
    ASSERT_TRUE(side->GetClientRect(&px, &py, &pw, &ph));
    EXPECT_EQ(pw, 3);

    // The tooltip follows the last text; an empty text takes the tool away.
    const auto toolCount = [&] { return SendMessageW(start->GetTooltipWindow(), TTM_GETTOOLCOUNT, 0, 0); };
    EXPECT_EQ(toolCount(), 1);
    start->SetTooltip(W16("Run"));
    EXPECT_EQ(toolCount(), 1);
    wchar_t tip[32] = {};
    TOOLINFOW info{};
    info.cbSize = 44;
    info.uFlags = TTF_IDISHWND;
    info.uId = reinterpret_cast<UINT_PTR>(start->GetHandle());
    info.lpszText = tip;
    SendMessageW(start->GetTooltipWindow(), TTM_GETTEXTW, 32, reinterpret_cast<LPARAM>(&info));
    EXPECT_STREQ(tip, L"Run");
    start->SetTooltip(W16(""));
    EXPECT_EQ(toolCount(), 0);
    go->SetTooltip(W16(""));
    EXPECT_EQ(go->GetTooltipWindow(), nullptr) << "no tooltip window for an empty text";

    gui_test::DeleteFrame(frame);
}

TEST(ControlsGallery, PictureControlSwitchesAndRefusesBadImages)
{
    InitCommonControls();
    FrameWindow* frame = gui_test::MakeFrame(300, 200);
    ASSERT_NE(frame, nullptr);
    auto* picture = new PictureControl({10, 10, 60, 30}, nullptr, kAlignFree, true, kUnitPixels);
    ASSERT_TRUE(frame->AddChild(picture));
    for (unsigned i = 0; i < 12; ++i)
        EXPECT_EQ(picture->AddImage(LoadCartridgeIcon(i)), static_cast<int>(i));
    EXPECT_EQ(picture->AddImage(nullptr), -1);
    ImageBase* stop = LoadStopIcon();
    EXPECT_FALSE(picture->SetImage(stop, 12)) << "the caller keeps a refused image";
    delete stop;
    EXPECT_TRUE(picture->SetCurrentIndex(9));
    EXPECT_FALSE(picture->SetCurrentIndex(12));
    EXPECT_EQ(picture->GetCurrentIndex(), 12) << "an index outside the list is kept";
    EXPECT_TRUE(picture->SetCurrentIndex(9));
    RedrawWindow(frame->handle, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    gui_test::Settle();
    const gui_test::Pixels shown = gui_test::CaptureClient(frame->handle);
    // Cartridge lamp of state 9 (yellow) at (30, 7) of the 47 by 16 picture,
    // centred at (6, 7) in the control at (10, 10).
    EXPECT_EQ(shown.At(10 + 6 + 30, 10 + 7 + 7), 0xFFFF00u);
    gui_test::DeleteFrame(frame);
}

}  // namespace

namespace {

int canvasPaints = 0;
void CountCanvasPaint(CanvasInterface* canvas, DrawContext* context)
{
    ++canvasPaints;
    PaintCanvas(canvas, context);
}

TEST(ControlsGallery, CanvasBufferFollowsItsSizeAndMode)
{
    FrameWindow* frame = gui_test::MakeFrame(300, 200);
    ASSERT_NE(frame, nullptr);
    auto* canvas = new Canvas(10, 10, 80, 50, kAlignFree, true);
    canvas->onPaint = CountCanvasPaint;
    canvas->DoubleBuffered() = true;
    ASSERT_TRUE(frame->AddChild(canvas));
    const auto repaint = [&] {
        const int before = canvasPaints;
        InvalidateRect(canvas->GetHandle(), nullptr, FALSE);
        return gui_test::PumpUntil([&] { return canvasPaints > before; });
    };
    ASSERT_TRUE(repaint());
    EXPECT_TRUE(canvas->HasBuffer());
    EXPECT_EQ(canvas->GetBufferWidth(), 80);
    EXPECT_EQ(canvas->GetBufferHeight(), 50);
    EXPECT_EQ(gui_test::CaptureClient(frame->handle).At(89, 59), 0x2040A0u) << "the buffer reached the window";

    canvas->SetPosition(10, 10, 120, 40, kUnitPixels);
    ASSERT_TRUE(repaint());
    EXPECT_EQ(canvas->GetBufferWidth(), 120);
    EXPECT_EQ(canvas->GetBufferHeight(), 40);

    canvas->DoubleBuffered() = false;
    ASSERT_TRUE(repaint());
    EXPECT_FALSE(canvas->HasBuffer());
    EXPECT_EQ(gui_test::CaptureClient(frame->handle).At(129, 49), 0x2040A0u);

    canvas->LockUpdates(true);
    const int locked = canvasPaints;
    InvalidateRect(canvas->GetHandle(), nullptr, FALSE);
    gui_test::Settle();
    EXPECT_EQ(canvasPaints, locked) << "no paint while updates are locked";
    canvas->LockUpdates(false);
    gui_test::DeleteFrame(frame);
}

}  // namespace
