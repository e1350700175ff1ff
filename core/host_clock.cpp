#include "core/host_clock.h"

#include "base/system_utils.h"

namespace {

class PlatformClock final : public HostClock {
public:
    u64 Frequency() override
    {
        u64 frequency = 0;
        PerfFrequency(frequency);
        return frequency ? frequency : 1;
    }
    u64 Now() override
    {
        u64 counter = 0;
        PerfCounter(counter);
        return counter;
    }
    void Sleep(u32 milliseconds) override { SleepMs(milliseconds); }
};

} // namespace

HostClock& SystemHostClock()
{
    static PlatformClock clock;
    return clock;
}
