// Mouse service, "_MOUSE": relays host mouse events to the devices that listen.
//
// It keeps no input state: every event is a MouseState record owned by its sender (the
// emulation core, or the keyboard device driving the mouse from the numeric keypad),
// passed by pointer, unchanged and uncopied, to each listener in the order they were
// added. The machines of this system register no listener.
//
// "_MOUS" block: "VER" u8 0 and nothing else.
//
// Worker thread only; no lock.
#pragma once

#include "base/types.h"
#include "emu/component.h"
#include "emu/listener_list.h"

// One mouse event, 48 bytes, zeroed by its senders before use.
struct MouseState {
    u32 buttons = 0;    // bit 0 left, bit 1 right
    u32 flags = 0;      // sender's own word
    double x = 0.0;     // position in emulated-screen coordinates (or a relative step)
    double y = 0.0;
    u32 reserved[5] = {};
    i16 rawX = 0;       // the position as queued
    i16 rawY = 0;
};
static_assert(sizeof(MouseState) == 48, "MouseState is a 48-byte record");

using MouseListener = void (*)(void* user, const MouseState* state);

class MouseServiceBase {
public:
    virtual ~MouseServiceBase() = default;

    // Calls every listener, in list order, with the record.
    virtual void Notify(const MouseState* state) = 0;
};

class MouseService : public MouseServiceBase, public Component {
public:
    MouseService();
    ~MouseService() override = default;

    void Notify(const MouseState* state) override;

    // Appends (user, listener) unless the same pair is present; always true.
    bool AddListener(void* user, MouseListener listener)
    {
        listeners_.Add(user, listener);
        return true;
    }
    void RemoveListener(void* user, MouseListener listener) { listeners_.Remove(user, listener); }
    i32 GetListenerCount() const { return static_cast<i32>(listeners_.Size()); }

    // Both drop every listener; listening devices register in their own Start.
    bool Start(i32* rate) override;
    void Stop() override;
    bool SaveState(Archive& archive) override;
    bool LoadState(Archive& archive, LoadContext context) override;

private:
    ListenerList<MouseListener> listeners_;
};
