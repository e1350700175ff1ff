// i8253 programmable interval timer: three counters (PitChannel) behind one shared
// control-word port.
//
// Ports:
//   "MODE" (AttachModePort)        write: control word or read-back command, routed to
//                                  the counter in bits 7-6 (3: read-back, to each
//                                  counter selected by bits 1-3); read: 0, untraced
//   "DATA" of each counter         (PitChannel::AttachDataPort)
// On the MSX-1: counters at 0x84, 0x85, 0x86, control words at 0x87, input clock
// 2,000,000 Hz for each counter (GetChannel(i)->SetInputClock).
//
// The timer keeps no state of its own: its record is the device's, and the counters
// follow as its children, named "PIT Channel 0" to "PIT Channel 2".
#pragma once

#include "base/types.h"
#include "emu/device.h"
#include "sound/pit_channel.h"

class Pit8253 : public Device {
public:
    static constexpr i32 kChannels = 3;

    Pit8253();
    ~Pit8253() override;

    // Starts the counters; the rate is at least 2000.
    bool Start(i32* rate) override;
    void BuildMenu(OptionItem* menu, i32 kind) override;

    // Counter 0, 1 or 2 (not checked).
    PitChannel* GetChannel(i32 index) const { return channels_[index]; }
    // The group "MODE" on port; a negative port only withdraws it.
    bool AttachModePort(i32 port);
    static bool OnModeRead(void* context, u32 port, i32 size, u8* out, bool peek);
    static bool OnModeWrite(void* context, u32 port, i32 size, const u8* in);
    // Routes a control word or read-back command.
    void WriteMode(u8 control);
    void SetInputClock(u32 hz);

private:
    PitChannel* channels_[kChannels] = {}; // owned as children
};
