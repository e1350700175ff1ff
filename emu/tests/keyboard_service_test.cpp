// Keyboard service: key-down table, down count, listeners, release-all and "_KEYS".
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "emu/keyboard_service.h"
#include "record_helpers.h"

namespace {

using Events = std::vector<std::pair<i32, u8>>;
KeyboardService* g_service = nullptr;

i32 Listen(void* user, i32 key, u8 down)
{
    static_cast<Events*>(user)->push_back({key, down});
    return 7;
}

// Drops itself on its first call: the walk over the listeners must survive it.
i32 RemoveSelf(void* user, i32 key, u8 down)
{
    g_service->RemoveListener(user, RemoveSelf);
    return Listen(user, key, down);
}

}  // namespace

TEST(KeyboardServiceKeys, ChangesAloneReachTheListenersOnce)
{
    KeyboardService kb;
    Events heard;
    EXPECT_TRUE(kb.AddListener(&heard, Listen));
    EXPECT_TRUE(kb.AddListener(&heard, Listen));  // the same pair is kept once
    EXPECT_EQ(kb.SetKeyState(0x41, true), 7);
    kb.SetKeyState(0x41, true);   // held: no second notice
    kb.SetKeyState(0x42, false);  // already up
    kb.SetKeyState(0xFF, true);   // no key
    EXPECT_EQ(kb.GetDownCount(), 1);
    EXPECT_FALSE(kb.IsKeyDown(0xFF));
    EXPECT_TRUE(kb.IsEitherKeyDown(0xE0, 0x41));
    EXPECT_TRUE(kb.IsAnyKeyDown3(0x10, 0x20, 0x41));
    EXPECT_FALSE(kb.IsAnyKeyDown3(0x10, 0x20, 0x30));
    kb.SetKeyState(0x41, false);
    EXPECT_FALSE(kb.IsAnyKeyDown());
    EXPECT_EQ(heard, (Events{{0x41, 1}, {0x41, 0}}));
}

TEST(KeyboardServiceListeners, StartAndStopDropThemAndSelfRemovalSkipsNobody)
{
    KeyboardService kb;
    g_service = &kb;
    Events first, second;
    kb.AddListener(&first, RemoveSelf);
    kb.AddListener(&second, Listen);
    kb.SetKeyState(0x30, true);
    kb.SetKeyState(0x30, false);
    EXPECT_EQ(first.size(), 1u);
    EXPECT_EQ(second.size(), 2u);

    kb.SetKeyState(0x20, true);
    kb.Stop();
    EXPECT_EQ(kb.GetListenerCount(), 0);
    EXPECT_TRUE(kb.IsKeyDown(0x20));  // Stop leaves the keys
    kb.AddListener(&first, Listen);
    kb.Start(nullptr);
    EXPECT_EQ(kb.GetListenerCount(), 0);
    EXPECT_FALSE(kb.IsAnyKeyDown());  // Start clears them
    g_service = nullptr;
}

TEST(KeyboardServiceRelease, ReleasesEveryDownKeyInAscendingOrder)
{
    KeyboardService kb;
    Events a, b;
    for (u8 key : {0xE0, 0x10, 0x41})
        kb.SetKeyState(key, true);
    kb.AddListener(&a, Listen);
    kb.AddListener(&b, Listen);
    kb.ReleaseAllKeys();
    const Events expected = {{0x10, 0}, {0x41, 0}, {0xE0, 0}};
    EXPECT_EQ(a, expected);
    EXPECT_EQ(b, expected);
    EXPECT_EQ(kb.GetDownCount(), 0);
}

TEST(KeyboardServiceState, RowsCarryTheKeyBitsAndLoadingTellsNobody)
{
    KeyboardService kb;
    kb.SetKeyState(0x10, true);
    kb.SetKeyState(0xE1, true);
    StateBuffer state;
    ASSERT_TRUE(kb.SaveState(state.archive));
    const ByteVec zero = {0, 0, 0, 0};
    ByteVec rows = Keyed("L0", 0x03, {0, 0, 1, 0});
    for (const char* row : {"L1", "L2", "L3", "L4", "L5", "L6"})
        rows = Cat({rows, Keyed(row, 0x03, zero)});
    rows = Cat({rows, Keyed("L7", 0x03, {2, 0, 0, 0})});
    const ByteVec expected = Cat({Marker(0xF0, "_KEYS"), Keyed("VER", 0x00, {0}), rows, Marker(0xFF, "_KEYS")});
    EXPECT_EQ(state.Bytes(), expected);

    KeyboardService other;
    Events heard;
    other.SetKeyState(0x41, true);
    other.AddListener(&heard, Listen);
    StateBuffer in(expected);
    ASSERT_TRUE(other.LoadState(in.archive, nullptr));
    EXPECT_TRUE(other.IsKeyDown(0x10) && other.IsKeyDown(0xE1));
    EXPECT_FALSE(other.IsKeyDown(0x41));
    EXPECT_EQ(other.GetDownCount(), 2);
    EXPECT_TRUE(heard.empty());

    StateBuffer v1(Cat({Marker(0xF0, "_KEYS"), Keyed("VER", 0x00, {1}), rows, Marker(0xFF, "_KEYS")}));
    EXPECT_FALSE(other.LoadState(v1.archive, nullptr));
    StateBuffer shortRows(Cat({Marker(0xF0, "_KEYS"), Keyed("VER", 0x00, {0}), Keyed("L0", 0x03, zero)}));
    EXPECT_FALSE(other.LoadState(shortRows.archive, nullptr));
}

TEST(KeyboardServiceState, NoKeyMarkedDownInAStateIsDropped)
{
    // Bit 31 of the last row is code 0xFF, which nothing could ever release again.
    ByteVec rows = Keyed("L0", 0x03, {0, 0, 1, 0});
    for (const char* row : {"L1", "L2", "L3", "L4", "L5", "L6"})
        rows = Cat({rows, Keyed(row, 0x03, {0, 0, 0, 0})});
    rows = Cat({rows, Keyed("L7", 0x03, {0, 0, 0, 0x80})});
    StateBuffer in(Cat({Marker(0xF0, "_KEYS"), Keyed("VER", 0x00, {0}), rows, Marker(0xFF, "_KEYS")}));
    KeyboardService kb;
    ASSERT_TRUE(kb.LoadState(in.archive, nullptr));
    EXPECT_FALSE(kb.IsKeyDown(0xFF));
    EXPECT_EQ(kb.GetDownCount(), 1);
    kb.ReleaseAllKeys();
    EXPECT_FALSE(kb.IsAnyKeyDown());
}
