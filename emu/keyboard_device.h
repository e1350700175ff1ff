// Keyboard device: the base of an emulated keyboard.
//
// It listens to the host keyboard through the keyboard service and hands every change of a
// key to OnKey, which the derived keyboard implements. It can also turn the numeric keypad
// into a pointing device ("NumpadMode" 1, "As Mouse"): keypad 1-4 and 6-9 move a pointer in
// steps of 10, keypad 5 and keypad Enter are the left and right buttons, and the events go
// to the mouse service. A held direction key moves once at the press, again on the fifth
// 50 Hz tick and then on every tick until it is released. That mode must be allowed first
// (off by default); the MSX keyboard leaves it off and reads the key table itself.
//
// Settings: "NumpadMode" (i32, 0 or 1), bound only for the full settings file.
// "_KEYBD" block: "VER" u8 0. The numpad mode is not part of a saved state.
#pragma once

#include "base/types.h"
#include "emu/device.h"
#include "emu/mouse_service.h"

class KeyboardDevice : public Device {
public:
    static constexpr i32 kNumpadDefault = 0;
    static constexpr i32 kNumpadAsMouse = 1;
    // Menu kind of the keyboard settings menu.
    static constexpr i32 kMenuKeyboard = 4;

    KeyboardDevice();
    ~KeyboardDevice() override = default;

    bool BindSettings(Dictionary* dict, bool enabledOnly) override;
    // A mode other than 0 and 1, or 1 while it is not allowed, becomes 0 and answers false.
    bool ValidateSettings(bool enabledOnly) override;
    // Registers the key listener; with the mouse mode allowed, adds the "NumpadMouse" timer.
    bool Start(i32* rate) override;
    // The device entries, then (kind 4, mouse mode allowed) the "Numpad Usage" submenu.
    void BuildMenu(OptionItem* menu, i32 kind) override;
    bool SaveState(Archive& archive) override;
    bool LoadState(Archive& archive, LoadContext context) override;

    // A key change for the derived keyboard. Base: nothing.
    virtual void OnKey(u8 key, bool down);

    // Refused (false) while the device runs.
    bool SetNumpadMouseAllowed(bool allowed);
    bool IsNumpadMouseAllowed() const { return numpadMouseAllowed_; }
    i32 GetNumpadMode() const { return numpadMode_; }
    void SetNumpadMode(i32 mode) { numpadMode_ = mode; }
    u8 GetHeldKey() const { return static_cast<u8>(heldKey_); }

    // Key listener of the keyboard service and the 50 Hz bus timer; context: the device.
    static i32 OnHostKey(void* device, i32 key, u8 down);
    static bool OnNumpadMouseTick(Component* device, u64* fireCount, u32* userWords);

private:
    // Step of a keypad direction key; false for any other key.
    static bool DirectionStep(i32 key, i32* dx, i32* dy);
    void HandleKey(i32 key, bool down);
    void SendButton(u32 bit, bool down);
    void SendStep(i32 key);
    void Send();
    void Tick();

    i32 repeatCountdown_ = 0;  // ticks before a held direction key repeats
    i32 numpadMode_ = kNumpadDefault;
    bool numpadMouseAllowed_ = false;
    MouseState record_{};      // the record sent to the mouse service
    i32 heldKey_ = 0xFF;       // direction key held in mouse mode; 0xFF none
};
