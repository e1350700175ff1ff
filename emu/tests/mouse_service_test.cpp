// Mouse service: listeners get the sender's record unchanged, in order; "_MOUS".
#include <gtest/gtest.h>

#include <vector>

#include "emu/mouse_service.h"
#include "record_helpers.h"

namespace {

std::vector<std::pair<int, const MouseState*>> g_calls;

void First(void*, const MouseState* state) { g_calls.push_back({1, state}); }
void Second(void*, const MouseState* state) { g_calls.push_back({2, state}); }

}  // namespace

TEST(MouseServiceListeners, GetTheSameRecordInTheOrderAddedUntilStartOrStop)
{
    g_calls.clear();
    MouseService mouse;
    int user = 0;
    mouse.AddListener(&user, Second);
    mouse.AddListener(&user, First);
    mouse.AddListener(&user, Second);
    MouseState state;
    mouse.Notify(&state);
    ASSERT_EQ(g_calls.size(), 2u);
    EXPECT_EQ(g_calls[0], std::make_pair(2, static_cast<const MouseState*>(&state)));
    EXPECT_EQ(g_calls[1], std::make_pair(1, static_cast<const MouseState*>(&state)));
    mouse.Stop();
    mouse.Notify(&state);
    mouse.AddListener(&user, First);
    mouse.Start(nullptr);
    mouse.Notify(&state);
    EXPECT_EQ(g_calls.size(), 2u);
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
}
