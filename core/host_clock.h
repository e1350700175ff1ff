// The host's clock as the run loops see it: a monotonic counter, its ticks per second,
// and the sleep the loops pace themselves with.
//
// Only the pacing goes through here (measuring the cost of a sleep, sleeping towards a
// frame's deadline, reading the time for the speed figure). Waits that coordinate the
// worker with other threads sleep for real, so a stand-in clock can make emulated
// seconds pass in no host time without starving those waits.
#pragma once

#include "base/types.h"

class HostClock {
public:
    virtual ~HostClock() = default;

    // Counter ticks per second; never 0.
    virtual u64 Frequency() = 0;
    // The counter now.
    virtual u64 Now() = 0;
    // Sleeps about milliseconds ms; 0 only yields.
    virtual void Sleep(u32 milliseconds) = 0;
};

// The high-resolution counter and the platform's sleep; one instance serves every core.
HostClock& SystemHostClock();
