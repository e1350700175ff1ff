#include "app/break_hold.h"

#include "core/emu_core.h"

BreakHold::BreakHold(EmuCore* core) : core_(core)
{
    if (!core_)
        return;
    wasInBreak_ = core_->IsInBreak();
    if (core_->IsStarted() && !wasInBreak_) {
        core_->Break(false);
        paused_ = true;
    }
}

void BreakHold::Release()
{
    if (released_ || !core_)
        return;
    released_ = true;
    if (core_->IsStarted() && !wasInBreak_ && core_->IsInBreak())
        core_->Continue();
}
