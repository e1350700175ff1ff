// "DirectSound": the slot plan of one converted buffer.
#include "sound/direct_sound_slots.h"

namespace {

i32 Wrap(i32 slot, i32 count)
{
    slot %= count;
    return slot < 0 ? slot + count : slot;
}

i32 Magnitude(i32 v)
{
    return v < 0 ? -v : v;
}

} // namespace

i32 DirectSoundSlots::Plan(i32* nextSlot, i32 playSlot, i32 writeSlot, i32 count, i32 slots[kMaxWrites])
{
    if (!nextSlot || !slots || count < 1)
        return 0;
    playSlot = Wrap(playSlot, count);
    const i32 guard = Wrap(writeSlot - playSlot, count);
    i32 next = *nextSlot < 0 ? Wrap(playSlot + kLead, count) : Wrap(*nextSlot, count);
    const i32 lead = Wrap(next - playSlot, count);
    // The counter runs from minus the lead (the slots the write is ahead) up past kLead - 1;
    // slots are written once it reaches the guard, i.e. outside the device's reach.
    i32 counter = 0;
    if (lead > 15) {
        next = playSlot;
    } else if (lead >= 10) {
        next = Wrap(next - 2, count);
        counter = 2 - lead;
    } else {
        counter = -lead;
    }
    i32 planned = 0;
    for (;;) {
        if (Magnitude(counter) >= guard && planned < kMaxWrites)
            slots[planned++] = next;
        next = next + 1 >= count ? 0 : next + 1;
        counter = Magnitude(counter) + 1;
        if (counter >= kLead)
            break;
    }
    *nextSlot = next;
    return planned;
}
