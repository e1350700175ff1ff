// Keyboard device: key listener, numpad mouse, settings, menu and "_KEYBD".
#include "emu/keyboard_device.h"

#include "base/dictionary.h"
#include "base/value.h"
#include "emu/event_bus.h"
#include "emu/host_keys.h"
#include "emu/keyboard_service.h"
#include "emu/option_item.h"
#include "emu/state_block.h"

namespace {

const char kModeKey[] = "NumpadMode";
const char kStateBlock[] = "_KEYBD";

constexpr i32 kNoKey = KeyboardService::kNoKey;
constexpr i32 kPad5 = keycode::kPad0 + 5;
constexpr i32 kFirstPadKey = keycode::kPad0 + 1;
constexpr i32 kLastPadKey = keycode::kPadEnter;
constexpr i32 kStep = 10;
// Ticks from the press of a direction key to its first repeat: 100 ms at 50 Hz.
constexpr i32 kRepeatDelay = 5;
constexpr i32 kTickRate = 50;

} // namespace

KeyboardDevice::KeyboardDevice()
{
    SetName("Keyboard");
    SetDescription("KEYB");
}

bool KeyboardDevice::BindSettings(Dictionary* dict, bool enabledOnly)
{
    // A key already bound stays with its first binder.
    if (dict != nullptr && !enabledOnly) {
        if (ValueRef* ref = dict->NewBinding(StringA(kModeKey)))
            ref->Bind(kValueInt32, &numpadMode_);
    }
    return ComponentGroup::BindSettings(dict, enabledOnly);
}

bool KeyboardDevice::ValidateSettings(bool enabledOnly)
{
    const bool result = ComponentGroup::ValidateSettings(enabledOnly);
    if ((numpadMode_ != kNumpadDefault && numpadMode_ != kNumpadAsMouse) ||
        (numpadMode_ == kNumpadAsMouse && !numpadMouseAllowed_)) {
        numpadMode_ = kNumpadDefault;
        return false;
    }
    return result;
}

bool KeyboardDevice::Start(i32* rate)
{
    if (!Device::Start(rate))
        return false;
    record_ = MouseState{};
    heldKey_ = kNoKey;
    repeatCountdown_ = 0;
    if (keyboard_ != nullptr)
        keyboard_->AddListener(this, &KeyboardDevice::OnHostKey);
    if (!numpadMouseAllowed_)
        return true;
    return bus_ != nullptr &&
           bus_->AddTimer(kTickRate, &KeyboardDevice::OnNumpadMouseTick, this, "NumpadMouse", 0, 0, false);
}

void KeyboardDevice::BuildMenu(OptionItem* menu, i32 kind)
{
    Device::BuildMenu(menu, kind);
    if (kind != kMenuKeyboard || !numpadMouseAllowed_ || menu == nullptr)
        return;
    DeviceOption* usage = new DeviceOption;
    usage->SetName("Numpad Usage");
    if (menu->AddChildItem(usage) == nullptr) {
        delete usage;
        return;
    }
    menu->AddCheckedIfItem(usage, 1);
    // i32 and u32 share their representation: the radio entries store 0 or 1.
    u32* mode = reinterpret_cast<u32*>(&numpadMode_);
    usage->AddRadioItem("Default", mode, kNumpadDefault);
    usage->AddSeparator();
    OptionItem* asMouse = usage->AddRadioItem("As Mouse", mode, kNumpadAsMouse);
    usage->AddCheckedIfItem(asMouse, 1);
}

bool KeyboardDevice::SaveState(Archive& archive)
{
    return Device::SaveState(archive) && StateBlock::SaveEmpty(archive, kStateBlock);
}

bool KeyboardDevice::LoadState(Archive& archive, LoadContext context)
{
    return Device::LoadState(archive, context) && StateBlock::LoadEmpty(archive, kStateBlock);
}

void KeyboardDevice::OnKey(u8, bool) {}

bool KeyboardDevice::SetNumpadMouseAllowed(bool allowed)
{
    if (IsRunning())
        return false;
    numpadMouseAllowed_ = allowed;
    return true;
}

bool KeyboardDevice::DirectionStep(i32 key, i32* dx, i32* dy)
{
    // Keypad layout: 7 8 9 / 4 5 6 / 1 2 3, screen y growing downward.
    switch (key - keycode::kPad0) {
    case 1: *dx = -kStep; *dy = kStep; return true;
    case 2: *dx = 0; *dy = kStep; return true;
    case 3: *dx = kStep; *dy = kStep; return true;
    case 4: *dx = -kStep; *dy = 0; return true;
    case 6: *dx = kStep; *dy = 0; return true;
    case 7: *dx = -kStep; *dy = -kStep; return true;
    case 8: *dx = 0; *dy = -kStep; return true;
    case 9: *dx = kStep; *dy = -kStep; return true;
    default: return false;
    }
}

void KeyboardDevice::Send()
{
    if (mouse_ != nullptr)
        mouse_->Notify(&record_);
}

void KeyboardDevice::SendButton(u32 bit, bool down)
{
    if (down)
        record_.buttons |= bit;
    else
        record_.buttons &= ~bit;
    Send();
}

void KeyboardDevice::SendStep(i32 key)
{
    i32 dx = 0;
    i32 dy = 0;
    if (!DirectionStep(key, &dx, &dy))
        return;
    // A step is relative: written into both position pairs, sent, and taken back out.
    record_.x = dx;
    record_.y = dy;
    record_.rawX = static_cast<i16>(dx);
    record_.rawY = static_cast<i16>(dy);
    Send();
    record_.x = 0.0;
    record_.y = 0.0;
    record_.rawX = 0;
    record_.rawY = 0;
}

void KeyboardDevice::HandleKey(i32 key, bool down)
{
    if (numpadMode_ == kNumpadDefault) {
        heldKey_ = kNoKey;
        OnKey(static_cast<u8>(key), down);
        return;
    }
    if (key < kFirstPadKey || key > kLastPadKey || key == keycode::kPadMultiply || key == keycode::kPadAdd) {
        OnKey(static_cast<u8>(key), down);
        return;
    }
    if (key == kPad5) {
        SendButton(0x01, down);
        return;
    }
    if (key == keycode::kPadEnter) {
        SendButton(0x02, down);
        return;
    }
    if (down) {
        if (key != heldKey_) {
            heldKey_ = key;
            repeatCountdown_ = kRepeatDelay;
        }
        SendStep(key);
        return;
    }
    if (key == heldKey_)
        heldKey_ = kNoKey;
    OnKey(static_cast<u8>(key), false);
}

void KeyboardDevice::Tick()
{
    if (numpadMode_ == kNumpadDefault || heldKey_ == kNoKey)
        return;
    if (repeatCountdown_ > 0) {
        --repeatCountdown_;
        if (repeatCountdown_ > 0)
            return;
    }
    SendStep(heldKey_);
}

i32 KeyboardDevice::OnHostKey(void* device, i32 key, u8 down)
{
    static_cast<KeyboardDevice*>(device)->HandleKey(key, down != 0);
    return down;
}

bool KeyboardDevice::OnNumpadMouseTick(Component* device, u64*, u32*)
{
    static_cast<KeyboardDevice*>(device)->Tick();
    return true;
}
