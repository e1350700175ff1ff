// Where "DirectSound" writes one converted buffer in its looping buffer: the slot plan,
// kept apart from the device calls so that it runs (and is tested) on every platform.
//
// The loop holds count slots of one ring buffer each. A write goes kLead slots ahead
// of the play cursor, never into the slots between the play and the write cursor (the
// device is reading those). After each plan the next slot is the one after the last
// slot planned:
//   no next slot yet         it starts kLead past the play cursor
//   lead above 15            the player ran past the writes (an underrun): restart at the
//                            play cursor and fill the slots up to the lead again
//   lead 10 to 15            the writes drifted ahead: step back by two slots
//   otherwise                one write at the next slot
#pragma once

#include "base/types.h"

class DirectSoundSlots {
public:
    static constexpr i32 kLead = 6;
    // The most slots one plan writes.
    static constexpr i32 kMaxWrites = kLead;

    // nextSlot: the slot of the next write, -1 when there is none yet, advanced past the
    // planned slots; playSlot and writeSlot: the slots of the two cursors; count: slots in
    // the loop (at least 1). Answers how many slots were put into slots, in write order.
    static i32 Plan(i32* nextSlot, i32 playSlot, i32 writeSlot, i32 count, i32 slots[kMaxWrites]);
};
