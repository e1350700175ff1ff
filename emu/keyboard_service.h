// Keyboard service, "_KEYB": the host keyboard as every emulated keyboard reads it.
//
// One down/up flag per 8-bit host key code (the Windows virtual-key code, with codes of
// their own for left and right Shift, Ctrl and Alt; 0xFF is no key), a count of the keys
// held down, and listeners told of every change. The emulation core applies its queued
// key events here between time slices; emulated keyboards either read the table when
// the machine scans them or listen for changes.
//
// "_KEYS" block: "VER" u8 0, then "L0".."L7" u32 where bit b of row r is key r*32+b.
//
// Worker thread only; no lock. Listeners run inside SetKeyState and may call back in.
#pragma once

#include "base/types.h"
#include "emu/component.h"
#include "emu/listener_list.h"

// Told of every change: (user, key code, 1 down / 0 up). The answer is passed back from
// SetKeyState but nobody uses it.
using KeyListener = i32 (*)(void* user, i32 key, u8 down);

class KeyboardServiceBase {
public:
    virtual ~KeyboardServiceBase() = default;

    virtual i32 SetKeyState(u8 key, bool down) = 0;
    virtual bool IsKeyDown(u8 key) const = 0;
    virtual bool IsEitherKeyDown(u8 key1, u8 key2) const = 0;
    virtual bool IsAnyKeyDown3(u8 key1, u8 key2, u8 key3) const = 0;
    virtual bool IsAnyKeyDown() const = 0;
};

class KeyboardService : public KeyboardServiceBase, public Component {
public:
    static constexpr u8 kNoKey = 0xFF;

    KeyboardService();
    ~KeyboardService() override = default;

    // Records a change and tells every listener in order; a press of a key already down,
    // a release of a key already up and the no-key code change nothing and tell nobody.
    // Answers the last listener's answer, or down when nobody listens.
    i32 SetKeyState(u8 key, bool down) override;
    bool IsKeyDown(u8 key) const override { return keyDown_[key] != 0; }
    bool IsEitherKeyDown(u8 key1, u8 key2) const override { return IsKeyDown(key1) || IsKeyDown(key2); }
    bool IsAnyKeyDown3(u8 key1, u8 key2, u8 key3) const override
    {
        return IsKeyDown(key1) || IsKeyDown(key2) || IsKeyDown(key3);
    }
    bool IsAnyKeyDown() const override { return downCount_ > 0; }
    i32 GetDownCount() const { return downCount_; }

    // Appends (user, listener) unless the same pair is present; always true.
    bool AddListener(void* user, KeyListener listener)
    {
        listeners_.Add(user, listener);
        return true;
    }
    // Removes the pair when present.
    void RemoveListener(void* user, KeyListener listener) { listeners_.Remove(user, listener); }
    i32 GetListenerCount() const { return static_cast<i32>(listeners_.Size()); }

    // Releases every key that is down, in ascending key order, through SetKeyState so
    // that each release reaches the listeners like a single key-up.
    void ReleaseAllKeys();

    // Clears every key and drops every listener: devices register again in their Start.
    bool Start(i32* rate) override;
    // Drops the listeners; the keys stay as they are.
    void Stop() override;
    // "_KEYS"; a load sets the table without telling the listeners.
    bool SaveState(Archive& archive) override;
    bool LoadState(Archive& archive, LoadContext context) override;

private:
    u8 keyDown_[256] = {};
    i32 downCount_ = 0;
    ListenerList<KeyListener> listeners_;
};
