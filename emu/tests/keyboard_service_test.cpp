// Keyboard service: key-down table, down count, listeners, release-all and "_KEYS".
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "emu/keyboard_service.h"
#include "record_helpers.h"

namespace {

struct Heard {
    std::vector<std::pair<i32, u8>> events;
};

i32 Listen(void* user, i32 key, u8 down)
{
    static_cast<Heard*>(user)->events.push_back({key, down});
    return 7;
}

i32 ListenToo(void* user, i32 key, u8 down)
{
    static_cast<Heard*>(user)->events.push_back({key + 1000, down});
    return 8;
}

// A listener that drops itself on its first call: walking the list must survive it.
KeyboardService* g_service = nullptr;
i32 RemoveSelf(void* user, i32 key, u8 down)
{
    g_service->RemoveListener(user, RemoveSelf);
    static_cast<Heard*>(user)->events.push_back({key, down});
    return 0;
}

}  // namespace

TEST(KeyboardServiceKeys, PressCountsOnceAndReleaseOfAnUpKeyDoesNothing)
{
    KeyboardService kb;
    Heard heard;
    kb.AddListener(&heard, Listen);
    EXPECT_EQ(kb.SetKeyState(0x41, true), 7);
    kb.SetKeyState(0x41, true);
    EXPECT_EQ(kb.GetDownCount(), 1);
    EXPECT_TRUE(kb.IsKeyDown(0x41));
    kb.SetKeyState(0x42, false);
    EXPECT_EQ(heard.events, (std::vector<std::pair<i32, u8>>{{0x41, 1}}));
    kb.SetKeyState(0x41, false);
    kb.SetKeyState(0x41, false);
    EXPECT_EQ(kb.GetDownCount(), 0);
    EXPECT_EQ(heard.events.size(), 2u);
}

TEST(KeyboardServiceKeys, NoKeyCodeIsIgnored)
{
    KeyboardService kb;
    Heard heard;
    kb.AddListener(&heard, Listen);
    EXPECT_EQ(kb.SetKeyState(0xFF, true), 1);
    EXPECT_FALSE(kb.IsKeyDown(0xFF));
    EXPECT_EQ(kb.GetDownCount(), 0);
    EXPECT_TRUE(heard.events.empty());
}

TEST(KeyboardServiceKeys, Queries)
{
    KeyboardService kb;
    EXPECT_FALSE(kb.IsAnyKeyDown());
    kb.SetKeyState(0xE1, true);
    EXPECT_TRUE(kb.IsAnyKeyDown());
    EXPECT_TRUE(kb.IsEitherKeyDown(0xE0, 0xE1));
    EXPECT_FALSE(kb.IsEitherKeyDown(0xE0, 0xE2));
    EXPECT_TRUE(kb.IsAnyKeyDown3(0x10, 0x20, 0xE1));
    EXPECT_FALSE(kb.IsAnyKeyDown3(0x10, 0x20, 0x30));
    kb.SetKeyState(0xE1, false);
    EXPECT_FALSE(kb.IsAnyKeyDown());
}

TEST(KeyboardServiceListeners, CalledInOrderOnceEachAndDroppedByStartAndStop)
{
    KeyboardService kb;
    Heard heard;
    EXPECT_TRUE(kb.AddListener(&heard, Listen));
    EXPECT_TRUE(kb.AddListener(&heard, ListenToo));
    EXPECT_TRUE(kb.AddListener(&heard, Listen));
    EXPECT_EQ(kb.GetListenerCount(), 2);
    EXPECT_EQ(kb.SetKeyState(0x20, true), 8);  // the last listener's answer
    EXPECT_EQ(heard.events, (std::vector<std::pair<i32, u8>>{{0x20, 1}, {0x20 + 1000, 1}}));

    kb.Stop();
    EXPECT_EQ(kb.GetListenerCount(), 0);
    EXPECT_TRUE(kb.IsKeyDown(0x20));  // Stop leaves the keys
    kb.AddListener(&heard, Listen);
    kb.Start(nullptr);
    EXPECT_EQ(kb.GetListenerCount(), 0);
    EXPECT_FALSE(kb.IsAnyKeyDown());  // Start clears them

    kb.AddListener(&heard, Listen);
    kb.RemoveListener(&heard, ListenToo);
    kb.RemoveListener(&heard, Listen);
    EXPECT_EQ(kb.GetListenerCount(), 0);
}

TEST(KeyboardServiceListeners, ListenerMayRemoveItselfWhileBeingTold)
{
    KeyboardService kb;
    g_service = &kb;
    Heard first, second;
    kb.AddListener(&first, RemoveSelf);
    kb.AddListener(&second, Listen);
    kb.SetKeyState(0x30, true);
    kb.SetKeyState(0x30, false);
    EXPECT_EQ(first.events.size(), 1u);
    EXPECT_EQ(second.events.size(), 2u);  // not skipped when the first one left
    g_service = nullptr;
}

TEST(KeyboardServiceRelease, ReleasesEveryDownKeyInAscendingOrder)
{
    KeyboardService kb;
    Heard a, b;
    kb.SetKeyState(0xE0, true);
    kb.SetKeyState(0x10, true);
    kb.SetKeyState(0x41, true);
    kb.AddListener(&a, Listen);
    kb.AddListener(&b, Listen);
    kb.ReleaseAllKeys();
    const std::vector<std::pair<i32, u8>> expected = {{0x10, 0}, {0x41, 0}, {0xE0, 0}};
    EXPECT_EQ(a.events, expected);
    EXPECT_EQ(b.events, expected);
    EXPECT_EQ(kb.GetDownCount(), 0);
    kb.ReleaseAllKeys();
    EXPECT_EQ(a.events.size(), 3u);
}

TEST(KeyboardServiceState, RowsCarryTheKeyBits)
{
    KeyboardService kb;
    kb.SetKeyState(0x10, true);
    kb.SetKeyState(0xE1, true);
    StateBuffer state;
    ASSERT_TRUE(kb.SaveState(state.archive));
    const ByteVec zero = {0, 0, 0, 0};
    const ByteVec expected = Cat({Marker(0xF0, "_KEYS"), Keyed("VER", 0x00, {0}), Keyed("L0", 0x03, {0, 0, 1, 0}),
                                  Keyed("L1", 0x03, zero), Keyed("L2", 0x03, zero), Keyed("L3", 0x03, zero),
                                  Keyed("L4", 0x03, zero), Keyed("L5", 0x03, zero), Keyed("L6", 0x03, zero),
                                  Keyed("L7", 0x03, {2, 0, 0, 0}), Marker(0xFF, "_KEYS")});
    EXPECT_EQ(state.Bytes(), expected);

    KeyboardService other;
    Heard heard;
    other.SetKeyState(0x41, true);
    other.AddListener(&heard, Listen);
    StateBuffer in(expected);
    ASSERT_TRUE(other.LoadState(in.archive, nullptr));
    EXPECT_TRUE(other.IsKeyDown(0x10));
    EXPECT_TRUE(other.IsKeyDown(0xE1));
    EXPECT_FALSE(other.IsKeyDown(0x41));
    EXPECT_EQ(other.GetDownCount(), 2);
    EXPECT_TRUE(heard.events.empty());
}

TEST(KeyboardServiceState, RefusesAnotherVersionOrBlock)
{
    const ByteVec zero = {0, 0, 0, 0};
    ByteVec rows;
    for (int r = 0; r < 8; ++r) {
        const char name[3] = {'L', static_cast<char>('0' + r), 0};
        rows = Cat({rows, Keyed(name, 0x03, zero)});
    }
    KeyboardService kb;
    StateBuffer v1(Cat({Marker(0xF0, "_KEYS"), Keyed("VER", 0x00, {1}), rows, Marker(0xFF, "_KEYS")}));
    EXPECT_FALSE(kb.LoadState(v1.archive, nullptr));
    StateBuffer wrongName(Cat({Marker(0xF0, "_KEYB"), Keyed("VER", 0x00, {0}), rows, Marker(0xFF, "_KEYB")}));
    EXPECT_FALSE(kb.LoadState(wrongName.archive, nullptr));
    StateBuffer shortRows(Cat({Marker(0xF0, "_KEYS"), Keyed("VER", 0x00, {0}), Keyed("L0", 0x03, zero)}));
    EXPECT_FALSE(kb.LoadState(shortRows.archive, nullptr));
}
