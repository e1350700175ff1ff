// Input queues: the append rule and its overflow marker, key routing between the console
// and the machine, mouse events, and applying a queue to the machine's services.
#include <gtest/gtest.h>

#include <utility>

#include "core/tests/core_rig.h"
#include "emu/keyboard_service.h"
#include "emu/mouse_service.h"
#include "video/null_display.h"

namespace {

struct ServiceLog {
    std::vector<std::pair<i32, bool>> keys;
    std::vector<MouseState> mouse;

    static i32 OnKey(void* user, i32 key, u8 down)
    {
        static_cast<ServiceLog*>(user)->keys.emplace_back(key, down != 0);
        return 0;
    }
    static void OnMouse(void* user, const MouseState* state)
    {
        static_cast<ServiceLog*>(user)->mouse.push_back(*state);
    }
    void Listen(Computer& machine)
    {
        machine.GetKeyboard()->AddListener(this, &ServiceLog::OnKey);
        machine.GetMouse()->AddListener(this, &ServiceLog::OnMouse);
    }
};

// Maps window points to twice their value, or refuses.
class ScalingDisplay : public NullDisplay {
public:
    bool MapPoint(i32 x, i32 y, double* outX, double* outY) override
    {
        if (refuse)
            return false;
        *outX = 2.0 * x;
        *outY = 2.0 * y;
        return true;
    }
    bool refuse = false;
};

// 600 key events: presses and releases of 40 keys in turn.
u16 KeyWord(i32 i)
{
    return KeyEventWord(static_cast<u8>(0x30 + (i / 2) % 40), i % 2 == 0);
}

TEST(InputQueue, ApplyingAnOverflowedQueueReleasesEverything)
{
    CoreRig rig;
    ServiceLog log;
    log.Listen(*rig.machine);
    InputQueue q;
    for (i32 i = 0; i < 600; ++i)
        q.Append(KeyWord(i));
    bool keyApplied = false;
    rig.core->ApplyInputEvents(q, &keyApplied);

    EXPECT_TRUE(keyApplied);
    EXPECT_EQ(q.count, 0);
    // The first 511 events in order, then the marker releases the one key left down.
    ASSERT_EQ(log.keys.size(), 512u);
    for (i32 i = 0; i < 511; ++i) {
        ASSERT_EQ(log.keys[static_cast<size_t>(i)].first, KeyWord(i) >> 8) << i;
        ASSERT_EQ(log.keys[static_cast<size_t>(i)].second, i % 2 == 0) << i;
    }
    EXPECT_EQ(log.keys[511], std::make_pair(KeyWord(510) >> 8, false));
    EXPECT_FALSE(rig.machine->GetKeyboard()->IsKeyDown(static_cast<u8>(KeyWord(510) >> 8)));
    ASSERT_EQ(log.mouse.size(), 1u);
    EXPECT_EQ(log.mouse[0].buttons, 0u);
}

TEST(InputQueue, SixHundredKeysQueuedWhileRunning)
{
    CoreRig rig;
    ASSERT_TRUE(rig.alive);
    ASSERT_TRUE(rig.core->Start(false, false));
    // While paused the loop swaps no queues; keys are still taken.
    rig.core->RequestPause();
    InputQueue before;
    rig.core->CopyInputQueue(&before);
    // F11 and F12 go back to the window (false), 255 is no key: none is queued.
    for (i32 code : {122, 123})
        EXPECT_FALSE(rig.core->OnKey(code, true));
    EXPECT_TRUE(rig.core->OnKey(255, true));
    for (i32 i = 0; i < 600; ++i)
        EXPECT_TRUE(rig.core->OnKey(0x30 + (i / 2) % 40, i % 2 == 0));
    InputQueue q;
    rig.core->CopyInputQueue(&q);
    EXPECT_EQ(q.count, 512);
    EXPECT_EQ(q.entries[511], kInputOverflow);
    EXPECT_EQ(q.entries[before.count], KeyWord(0));
    EXPECT_TRUE(rig.core->GetConsole().IsKeyDown(255));
    EXPECT_EQ(q.entries[510], KeyWord(510 - before.count));
    rig.core->ReleasePause();
}

TEST(KeyRouting, ConsoleModeKeepsKeysFromTheMachine)
{
    CoreRig rig;
    ASSERT_TRUE(rig.alive);
    ASSERT_TRUE(rig.core->Start(false, true));
    ASSERT_TRUE(rig.core->IsConsoleMode());
    CoreConsole& console = rig.core->GetConsole();
    KeyboardService* keyboard = rig.machine->GetKeyboard();

    rig.core->RequestPause();
    rig.core->OnKey(0x41, true);
    EXPECT_TRUE(console.IsKeyDown(0x41));
    InputQueue q;
    rig.core->CopyInputQueue(&q);
    EXPECT_EQ(q.count, 0);
    rig.core->OnKey(0x41, false);

    // Out of console mode the key goes to the machine, one frame boundary after the next.
    rig.core->SetConsoleMode(false, true);
    EXPECT_TRUE(rig.core->OnKey(0x42, true));
    EXPECT_TRUE(console.IsKeyDown(0x42));  // the console still watches
    const i32 frames = rig.Frames();
    rig.core->ReleasePause();
    ASSERT_TRUE(WaitFor([&] { return rig.Frames() >= frames + 3; }));
    rig.core->RequestPause();
    EXPECT_TRUE(keyboard->IsKeyDown(0x42));
    EXPECT_FALSE(keyboard->IsKeyDown(0x41));
    rig.core->ReleasePause();

    // Showing the console releases whatever the machine still holds.
    rig.core->SetConsoleMode(true, true);
    const i32 later = rig.Frames();
    ASSERT_TRUE(WaitFor([&] { return rig.Frames() >= later + 3; }));
    rig.core->RequestPause();
    EXPECT_FALSE(keyboard->IsKeyDown(0x42));
    rig.core->ReleasePause();
}

TEST(MouseInput, QueuedInThreeWordsAndAppliedThroughTheMapping)
{
    auto* display = new ScalingDisplay;
    auto* machine = new TestMachine;
    FakeClock clock;
    EmuCore core(nullptr, machine, display, nullptr, nullptr, &clock);
    ASSERT_TRUE(core.Run());  // idle worker: nothing swaps the queues
    ServiceLog log;
    log.Listen(*machine);

    // Dropped in console mode and while a pause is pending.
    core.QueueInputEvent(1, 2, 0);
    core.SetConsoleMode(false, false);
    core.RequestPause();
    core.QueueInputEvent(1, 2, 0);
    core.ReleasePause();
    EXPECT_TRUE(core.QueueInputEvent(100, static_cast<u16>(-5), 0));
    InputQueue q;
    core.CopyInputQueue(&q);
    ASSERT_EQ(q.count, 3);
    EXPECT_EQ(q.entries[0], 0x0008);
    EXPECT_EQ(q.entries[1], 100);
    EXPECT_EQ(q.entries[2], static_cast<u16>(-5));

    // Left down mapped to twice its position; action 5 moves nothing on; a refused mapping
    // keeps the queued position; a header cut short acts at (0, 0).
    for (u16 word : {0x0508, 7, 8, 0x0208, 30, 40, 0x0108})
        q.Append(word);
    core.ApplyInputEvents(q, nullptr);
    ASSERT_EQ(log.mouse.size(), 3u);
    EXPECT_EQ(log.mouse[0].buttons, 1u);
    EXPECT_EQ(log.mouse[0].x, 200.0);
    EXPECT_EQ(log.mouse[0].y, -10.0);
    EXPECT_EQ(log.mouse[0].rawY, -5);
    EXPECT_EQ(log.mouse[1].buttons, 3u);
    EXPECT_EQ(log.mouse[1].x, 60.0);
    EXPECT_EQ(log.mouse[2].buttons, 2u);
    EXPECT_EQ(log.mouse[2].x, 0.0);
    EXPECT_EQ(q.count, 0);
    display->refuse = true;
    q.Append(0x0408);
    q.Append(30);
    q.Append(40);
    core.ApplyInputEvents(q, nullptr);
    EXPECT_EQ(log.mouse.back().x, 30.0);

    // Nearly full, an event becomes a mouse reset; the last word is the overflow marker.
    core.CopyInputQueue(&q);
    for (i32 i = 0; i < 168; ++i)
        core.QueueInputEvent(1, 1, 4);
    core.ReleaseInputs(false, true);
    core.ReleaseInputs(false, true);  // 509 words waiting
    for (i32 i = 0; i < 3; ++i)
        core.QueueInputEvent(1, 1, 0);
    core.CopyInputQueue(&q);
    EXPECT_EQ(q.count, 512);
    EXPECT_EQ(q.entries[509], kInputControl | kInputResetMouse);
    EXPECT_EQ(q.entries[510], kInputControl | kInputResetMouse);
    EXPECT_EQ(q.entries[511], kInputOverflow);
}

} // namespace
