#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "base/dictionary.h"
#include "base/string_a.h"
#include "base/value.h"
#include "emu/event_bus.h"
#include "emu/keyboard_device.h"
#include "emu/keyboard_service.h"
#include "emu/mouse_service.h"
#include "emu/option_item.h"
#include "emu/tests/archive_buffer.h"
#include "emu/tests/record_helpers.h"

namespace {

constexpr u8 kPad4 = 0x64;
constexpr u8 kPad5 = 0x65;
constexpr u8 kPad6 = 0x66;
constexpr u8 kPad7 = 0x67;
constexpr u8 kPadEnter = 0x6C;
constexpr u8 kPadAdd = 0x6B;

class RecordingKeyboard : public KeyboardDevice {
public:
    void OnKey(u8 key, bool down) override { keys.emplace_back(key, down); }
    std::vector<std::pair<u8, bool>> keys;
};

struct Rig {
    KeyboardService keyboard;
    MouseService mouse;
    EventBus bus;
    RecordingKeyboard device;
    std::vector<MouseState> records;

    explicit Rig(bool mouseAllowed)
    {
        device.SetServices(nullptr, &bus, nullptr, nullptr, nullptr, nullptr, &keyboard, nullptr, &mouse);
        device.SetNumpadMouseAllowed(mouseAllowed);
        mouse.AddListener(this, [](void* user, const MouseState* state) {
            static_cast<Rig*>(user)->records.push_back(*state);
        });
        bus.SetBusFrequency(2450, nullptr);
    }
    bool Start()
    {
        i32 rate = 0;
        return device.Start(&rate);
    }
    void Key(u8 key, bool down) { keyboard.SetKeyState(key, down); }
    // One call of the device's 50 Hz timer.
    void Tick50() { EXPECT_TRUE(KeyboardDevice::OnNumpadMouseTick(&device, nullptr, nullptr)); }
};

TEST(KeyboardDevice, DefaultModePassesEveryKey)
{
    Rig rig(true);
    ASSERT_TRUE(rig.Start());
    EXPECT_STREQ(rig.device.GetName(), "Keyboard");
    EXPECT_EQ(rig.device.GetDescription().Compare(StringA("KEYB")), 0);
    rig.Key('A', true);
    rig.Key(kPad7, true);
    rig.Key(kPad5, true);
    rig.Key(kPad7, false);
    using K = std::pair<u8, bool>;
    EXPECT_EQ(rig.device.keys, (std::vector<K>{{'A', true}, {kPad7, true}, {kPad5, true}, {kPad7, false}}));
    EXPECT_TRUE(rig.records.empty());
}

TEST(KeyboardDevice, NumpadDirectionKeySendsOneRelativeStep)
{
    Rig rig(true);
    rig.device.SetNumpadMode(KeyboardDevice::kNumpadAsMouse);
    ASSERT_TRUE(rig.Start());
    rig.Key(kPad7, true);
    ASSERT_EQ(rig.records.size(), 1u);
    EXPECT_EQ(rig.records[0].x, -10.0);
    EXPECT_EQ(rig.records[0].y, -10.0);
    EXPECT_EQ(rig.records[0].rawX, -10);
    EXPECT_EQ(rig.records[0].rawY, -10);
    EXPECT_TRUE(rig.device.keys.empty());
    EXPECT_EQ(rig.device.GetHeldKey(), kPad7);

    // The step is taken back out: a button event right after carries no movement.
    rig.Key(kPad5, true);
    ASSERT_EQ(rig.records.size(), 2u);
    EXPECT_EQ(rig.records[1].x, 0.0);
    EXPECT_EQ(rig.records[1].rawY, 0);

    rig.Key(kPad7, false);
    EXPECT_EQ(rig.device.GetHeldKey(), 0xFF);
    EXPECT_EQ(rig.device.keys, (std::vector<std::pair<u8, bool>>{{kPad7, false}}));
}

TEST(KeyboardDevice, NumpadButtonsAndOtherKeys)
{
    Rig rig(true);
    rig.device.SetNumpadMode(KeyboardDevice::kNumpadAsMouse);
    ASSERT_TRUE(rig.Start());
    rig.Key(kPad5, true);
    rig.Key(kPadEnter, true);
    rig.Key(kPad5, false);
    rig.Key(kPadEnter, false);
    ASSERT_EQ(rig.records.size(), 4u);
    EXPECT_EQ(rig.records[0].buttons, 1u);
    EXPECT_EQ(rig.records[1].buttons, 3u);
    EXPECT_EQ(rig.records[2].buttons, 2u);
    EXPECT_EQ(rig.records[3].buttons, 0u);
    EXPECT_TRUE(rig.device.keys.empty());

    rig.Key(kPadAdd, true);
    rig.Key('Q', true);
    EXPECT_EQ(rig.device.keys, (std::vector<std::pair<u8, bool>>{{kPadAdd, true}, {'Q', true}}));
    EXPECT_EQ(rig.records.size(), 4u);
}

TEST(KeyboardDevice, HeldKeyRepeatsFromTheFifthTick)
{
    Rig rig(true);
    rig.device.SetNumpadMode(KeyboardDevice::kNumpadAsMouse);
    ASSERT_TRUE(rig.Start());
    rig.Key(kPad6, true);
    std::vector<size_t> counts;
    for (int t = 0; t < 10; ++t) { // 200 ms
        rig.Tick50();
        counts.push_back(rig.records.size());
    }
    EXPECT_EQ(counts, (std::vector<size_t>{1, 1, 1, 1, 2, 3, 4, 5, 6, 7}));
    for (const MouseState& r : rig.records)
        EXPECT_EQ(r.x, 10.0);

    // A second direction key takes over and restarts the delay; releasing the first
    // leaves it held.
    rig.Key(kPad4, true);
    EXPECT_EQ(rig.records.back().x, -10.0);
    rig.Key(kPad6, false);
    EXPECT_EQ(rig.device.GetHeldKey(), kPad4);
    const size_t before = rig.records.size();
    for (int t = 0; t < 4; ++t)
        rig.Tick50();
    EXPECT_EQ(rig.records.size(), before);
    rig.Tick50();
    EXPECT_EQ(rig.records.size(), before + 1);
    EXPECT_EQ(rig.records.back().x, -10.0);

    // Back in the default mode the tick sends nothing.
    rig.device.SetNumpadMode(KeyboardDevice::kNumpadDefault);
    rig.Tick50();
    EXPECT_EQ(rig.records.size(), before + 1);
}

TEST(KeyboardDevice, MouseModeNeedsPermission)
{
    Rig rig(false);
    Dictionary snapshot;
    ASSERT_TRUE(rig.device.BindSettings(&snapshot, true));
    EXPECT_EQ(snapshot.FindValue(StringA("NumpadMode")), nullptr); // settings file only
    Dictionary dict;
    ASSERT_TRUE(rig.device.BindSettings(&dict, false));
    ValueInterface* mode = dict.FindValue(StringA("NumpadMode"));
    ASSERT_NE(mode, nullptr);
    ASSERT_TRUE(mode->SetInt32(1));
    EXPECT_EQ(rig.device.GetNumpadMode(), 1);
    EXPECT_FALSE(rig.device.ValidateSettings(false));
    EXPECT_EQ(rig.device.GetNumpadMode(), 0);

    ASSERT_TRUE(rig.Start());
    EXPECT_EQ(rig.bus.GetTimerCount(), 0);
    DeviceOption menu;
    rig.device.BuildMenu(&menu, KeyboardDevice::kMenuKeyboard);
    EXPECT_EQ(menu.GetChildCount(), 0);
    EXPECT_FALSE(rig.device.SetNumpadMouseAllowed(true)); // not while running
    rig.device.Stop();
    EXPECT_TRUE(rig.device.SetNumpadMouseAllowed(true));

    Rig allowed(true);
    ASSERT_TRUE(allowed.Start());
    ASSERT_EQ(allowed.bus.GetTimerCount(), 1);
    const BusTimer* timer = allowed.bus.GetFirstTimer();
    EXPECT_EQ(timer->requestedRate, 50);
    EXPECT_STREQ(timer->name, "NumpadMouse");
    EXPECT_EQ(timer->user, &allowed.device);
    // Driven by the bus: 2450 ticks are one emulated second, 50 calls.
    allowed.device.SetNumpadMode(1);
    allowed.Key(kPad6, true);
    for (int i = 0; i < 2450; ++i)
        allowed.bus.Tick();
    EXPECT_GE(allowed.records.size(), 1u + 45u);
    EXPECT_LE(allowed.records.size(), 1u + 46u);
    allowed.Key(kPad6, false);
    allowed.device.SetNumpadMode(7);
    EXPECT_FALSE(allowed.device.ValidateSettings(false));
    EXPECT_EQ(allowed.device.GetNumpadMode(), 0);
    allowed.device.SetNumpadMode(1);
    EXPECT_TRUE(allowed.device.ValidateSettings(false));
}

TEST(KeyboardDevice, NumpadUsageMenu)
{
    Rig rig(true);
    DeviceOption menu;
    rig.device.BuildMenu(&menu, KeyboardDevice::kMenuDebug);
    EXPECT_EQ(menu.GetChildCount(), 0);
    rig.device.BuildMenu(&menu, KeyboardDevice::kMenuKeyboard);
    ASSERT_EQ(menu.GetChildCount(), 1);
    OptionItem* usage = menu.GetChild(0);
    EXPECT_EQ(usage->GetName().Compare(StringA("Numpad Usage")), 0);
    ASSERT_EQ(usage->GetChildCount(), 3);
    OptionItem* byDefault = usage->GetChild(0);
    OptionItem* asMouse = usage->GetChild(2);
    EXPECT_EQ(byDefault->GetName().Compare(StringA("Default")), 0);
    EXPECT_TRUE(usage->GetChild(1)->IsSeparator());
    EXPECT_EQ(asMouse->GetName().Compare(StringA("As Mouse")), 0);

    EXPECT_TRUE(byDefault->IsChecked());
    EXPECT_FALSE(menu.IsChecked());
    EXPECT_TRUE(asMouse->Execute());
    EXPECT_EQ(rig.device.GetNumpadMode(), 1);
    EXPECT_TRUE(asMouse->IsChecked());
    EXPECT_TRUE(usage->IsChecked());
    EXPECT_TRUE(menu.IsChecked());
    EXPECT_TRUE(byDefault->Execute());
    EXPECT_EQ(rig.device.GetNumpadMode(), 0);
    EXPECT_FALSE(menu.IsChecked());
}

TEST(KeyboardDevice, StateBlock)
{
    RecordingKeyboard device;
    device.SetNumpadMode(1);
    ArchiveBuffer buf;
    ASSERT_TRUE(device.SaveState(buf.archive));
    const ByteVec keybd =
        Cat({Marker(0xF0, "_KEYBD"), Keyed("VER", 0x00, {0x00}), Marker(0xFF, "_KEYBD")});
    const ByteVec bytes = buf.Bytes();
    ASSERT_GE(bytes.size(), keybd.size());
    EXPECT_EQ(ByteVec(bytes.end() - static_cast<std::ptrdiff_t>(keybd.size()), bytes.end()), keybd);

    buf.Rewind();
    RecordingKeyboard loaded;
    EXPECT_TRUE(loaded.LoadState(buf.archive, nullptr));
    EXPECT_EQ(loaded.GetNumpadMode(), 0); // the mode is not part of a state

    // A damaged version byte is refused.
    ByteVec bad = bytes;
    bad[bad.size() - keybd.size() + Marker(0xF0, "_KEYBD").size() + Keyed("VER", 0x00, {}).size()] = 1;
    ArchiveBuffer damaged;
    damaged.stream.Write(bad.data(), static_cast<i64>(bad.size()));
    damaged.Rewind();
    RecordingKeyboard refused;
    EXPECT_FALSE(refused.LoadState(damaged.archive, nullptr));
}

} // namespace
