#include "app/ui_tick.h"

#include <algorithm>

UiTick::Steps UiTick::Next()
{
    const i32 c = counter_;
    ++total_;
    Steps steps;
    steps.refresh = (c & 0x4E) == 0;
    steps.blink = (c & 0x27F) == 0;
    steps.caption = (c & 0x9FF) == 0;
    counter_ = steps.caption ? 1 : c + 1;
    return steps;
}

bool UiTick::TakeDisplayTurn()
{
    if (displaySkip_ > 0) {
        --displaySkip_;
        return false;
    }
    displaySkip_ = 0;
    return true;
}

void UiTick::DisplayUpdated(u64 elapsed, u64 frequency)
{
    if (frequency != frequency_) {
        frequency_ = frequency;
        ticksPer10ms_ = frequency / 100;
    }
    if (ticksPer10ms_ == 0) {
        displaySkip_ = 0;
        return;
    }
    const u64 units = static_cast<u32>(elapsed) / ticksPer10ms_;
    displaySkip_ = static_cast<i32>(std::min<u64>(5 * units, 50));
}
