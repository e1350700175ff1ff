// Mouse service: listeners get the sender's record unchanged, in order; "_MOUS".
#include <gtest/gtest.h>

#include <vector>

#include "emu/mouse_service.h"
#include "record_helpers.h"

namespace {

struct Seen {
    std::vector<std::pair<int, const MouseState*>> calls;
};

Seen* g_seen = nullptr;

void First(void*, const MouseState* state)
{
    g_seen->calls.push_back({1, state});
}

void Second(void*, const MouseState* state)
{
    g_seen->calls.push_back({2, state});
}

}  // namespace

TEST(MouseServiceListeners, GetTheSameRecordInTheOrderAdded)
{
    MouseService mouse;
    Seen seen;
    g_seen = &seen;
    mouse.Notify(nullptr);  // nobody listens: the record is never touched
    int a = 0;
    EXPECT_TRUE(mouse.AddListener(&a, Second));
    EXPECT_TRUE(mouse.AddListener(&a, First));
    EXPECT_TRUE(mouse.AddListener(&a, Second));
    EXPECT_EQ(mouse.GetListenerCount(), 2);
    MouseState state;
    state.buttons = 1;
    state.rawX = 12;
    mouse.Notify(&state);
    ASSERT_EQ(seen.calls.size(), 2u);
    EXPECT_EQ(seen.calls[0].first, 2);
    EXPECT_EQ(seen.calls[1].first, 1);
    EXPECT_EQ(seen.calls[0].second, &state);
    EXPECT_EQ(seen.calls[1].second, &state);

    mouse.RemoveListener(&a, Second);
    mouse.Notify(&state);
    EXPECT_EQ(seen.calls.size(), 3u);
    g_seen = nullptr;
}

TEST(MouseServiceListeners, StartAndStopDropThem)
{
    MouseService mouse;
    int a = 0;
    mouse.AddListener(&a, First);
    mouse.Stop();
    EXPECT_EQ(mouse.GetListenerCount(), 0);
    mouse.AddListener(&a, First);
    mouse.Start(nullptr);
    EXPECT_EQ(mouse.GetListenerCount(), 0);
}

TEST(MouseServiceState, HoldsOnlyItsVersion)
{
    MouseService mouse;
    StateBuffer state;
    ASSERT_TRUE(mouse.SaveState(state.archive));
    const ByteVec expected = Cat({Marker(0xF0, "_MOUS"), Keyed("VER", 0x00, {0}), Marker(0xFF, "_MOUS")});
    EXPECT_EQ(state.Bytes(), expected);
    StateBuffer in(expected);
    EXPECT_TRUE(mouse.LoadState(in.archive, nullptr));

    StateBuffer extra(Cat({Marker(0xF0, "_MOUS"), Keyed("VER", 0x00, {0}), Keyed("X", 0x00, {0}),
                           Marker(0xFF, "_MOUS")}));
    EXPECT_FALSE(mouse.LoadState(extra.archive, nullptr));
    StateBuffer v1(Cat({Marker(0xF0, "_MOUS"), Keyed("VER", 0x00, {1}), Marker(0xFF, "_MOUS")}));
    EXPECT_FALSE(mouse.LoadState(v1.archive, nullptr));
}
