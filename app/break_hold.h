// BreakHold: holds a running emulation in break while the user answers a dialog or a
// drive changes under it, and lets it run on afterwards.
//
// It notes whether the core stood in break; a core that runs and is not in break is put
// in break. Release (or the destructor) continues it only when it runs, was not in break
// before and is in break now, so a break the user had set stays, and a core that was
// stopped is neither broken nor continued. A null core is ignored.
#pragma once

class EmuCore;

class BreakHold {
public:
    explicit BreakHold(EmuCore* core);
    ~BreakHold() { Release(); }

    BreakHold(const BreakHold&) = delete;
    BreakHold& operator=(const BreakHold&) = delete;

    // Continues the core as said above; later calls do nothing.
    void Release();
    // The hold put the core in break.
    bool Paused() const { return paused_; }

private:
    EmuCore* core_;
    bool wasInBreak_ = false;
    bool paused_ = false;
    bool released_ = false;
};
