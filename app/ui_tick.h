// UiTick: the rhythm of the main window's 2 ms timer, kept apart from the window so that
// it is checked natively.
//
// The tick counter c runs 0, 1, ... 512 and starts again at 1 after the caption: the
// window state and toolbar are refreshed when (c & 0x4E) == 0 (c modulo 128 in 0, 1,
// 16, 17, 32, 33, 48, 49), the drive indicators blink when (c & 0x27F) == 0 (c = 0,
// 128, 256, 384) and the caption is renewed when (c & 0x9FF) == 0 (about once a second).
//
// The display update is the expensive part of the GUI thread: one that took k whole
// 10 ms units makes the next 5 k ticks (at most 50, 100 ms) skip, so the message loop
// gets about as much time between two updates as the last update took.
#pragma once

#include "base/types.h"

class UiTick {
public:
    struct Steps {
        bool refresh = false;   // window state, then toolbar
        bool blink = false;     // drive indicators
        bool caption = false;   // title with the status text
    };

    // total: ticks already counted (tests start near 2^31 and 2^32 without running there).
    explicit UiTick(u64 total = 0) : total_(total) {}

    // The periodic steps of this tick; advances the counter.
    Steps Next();
    // True when this tick updates the display; else one skipped tick is used up.
    bool TakeDisplayTurn();
    // Records an update that took elapsed counter ticks at the given counter frequency.
    void DisplayUpdated(u64 elapsed, u64 frequency);

    i32 GetCounter() const { return counter_; }
    u64 GetTotal() const { return total_; }
    i32 GetDisplaySkip() const { return displaySkip_; }

private:
    i32 counter_ = 0;          // c above
    u64 total_ = 0;            // ticks since creation; 500 a second: 32 bits ran out in 50 days
    i32 displaySkip_ = 0;      // ticks still to skip before the next display update, 0..50
    u64 frequency_ = 0;        // counter frequency seen last
    u64 ticksPer10ms_ = 0;
};
