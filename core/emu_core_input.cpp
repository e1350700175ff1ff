// Host keys and mouse events: routed to the console or queued, and applied to the machine
// at the run loop's frame boundaries.
#include "core/emu_core.h"

#include "emu/computer.h"
#include "video/display_surface.h"

namespace {

constexpr i32 kKeyF11 = 122;
constexpr i32 kKeyF12 = 123;
constexpr i32 kNoKey = 255;
// A mouse event takes three words; with more than this many waiting it would not fit
// before the overflow marker, so the mouse is reset instead.
constexpr i32 kMouseRoom = InputQueue::kCapacity - 4;

} // namespace

bool EmuCore::OnKey(i32 code, bool down)
{
    ScopedLock core(coreLock_);
    if (!workerAlive_.load())
        return true;
    const u32 key = static_cast<u32>(code) & 0xFF;
    if (consoleMode_.load())
        return console_.SetKeyState(key, down ? 1 : 0, 0);
    // The console only watches here; true means it hands the key back to the window.
    if (console_.SetKeyState(key, down ? 1 : 0, 1))
        return false;
    if (code == kKeyF11 || code == kKeyF12)
        return true;
    if (!started_.load() || inBreak_.load() || code == kNoKey || code < 0)
        return true;
    ScopedLock queue(queueLock_);
    queues_[queueSelector_ & 1].Append(KeyEventWord(static_cast<u8>(code), down));
    return true;
}

bool EmuCore::QueueInputEvent(u16 x, u16 y, u16 action)
{
    if (!workerAlive_.load() || pauseRequests_.load() > 0 || consoleMode_.load())
        return true;
    // One hold of the lock for all three words: the swap never splits an event.
    ScopedLock queue(queueLock_);
    InputQueue& current = queues_[queueSelector_ & 1];
    if (current.count > kMouseRoom) {
        current.Append(kInputControl | kInputResetMouse);
        return true;
    }
    current.Append(static_cast<u16>((action << 8) | kInputMouse));
    current.Append(x);
    current.Append(y);
    return true;
}

void EmuCore::ReleaseInputs(bool keys, bool mouse)
{
    ScopedLock core(coreLock_);
    if (!workerAlive_.load())
        return;
    AppendControl(static_cast<u16>(kInputControl | (keys ? kInputReleaseKeys : 0) |
                                   (mouse ? kInputResetMouse : 0)));
    console_.ReleaseAllKeys(keys);
}

void EmuCore::CopyInputQueue(InputQueue* out)
{
    if (!out)
        return;
    ScopedLock queue(queueLock_);
    *out = queues_[queueSelector_ & 1];
}

void EmuCore::ApplyInputEvents(InputQueue& queue, bool* keyApplied)
{
    if (queue.count > InputQueue::kCapacity)
        queue.count = InputQueue::kCapacity;
    i32 index = 0;
    while (queue.count > 0 && index < InputQueue::kCapacity) {
        const u16 word = queue.entries[index];
        if (word & kInputMouse) {
            if (queue.count <= 2 || index + 2 >= InputQueue::kCapacity) {
                // Cut short: the action is applied at the origin and the pass ends.
                queue.count = 1;
                inputState_.rawX = 0;
                inputState_.rawY = 0;
                inputState_.x = 0.0;
                inputState_.y = 0.0;
            } else {
                const i16 x = static_cast<i16>(queue.entries[index + 1]);
                const i16 y = static_cast<i16>(queue.entries[index + 2]);
                queue.count -= 2;
                index += 3;
                inputState_.rawX = x;
                inputState_.rawY = y;
                double mx = 0.0;
                double my = 0.0;
                if (renderer_ && renderer_->MapPoint(x, y, &mx, &my)) {
                    inputState_.x = mx;
                    inputState_.y = my;
                } else {
                    inputState_.x = x;
                    inputState_.y = y;
                }
            }
            const u16 action = word >> 8;
            switch (action) {
            case 0: inputState_.buttons |= 1; break;
            case 1: inputState_.buttons &= ~1u; break;
            case 2: inputState_.buttons |= 2; break;
            case 3: inputState_.buttons &= ~2u; break;
            default: break;
            }
            if (action <= kMouseActionMove && machine_)
                machine_->ApplyMouseEvent(&inputState_);
        } else if (word & kInputKey) {
            if (keyApplied)
                *keyApplied = true;
            if (machine_)
                machine_->ApplyKeyEvent(word >> 8, (word & kInputKeyDown) != 0);
            ++index;
        } else if (word & kInputControl) {
            if ((word & kInputReleaseKeys) && machine_)
                machine_->ApplyKeyEvent(-1, false);
            if (word & kInputResetMouse) {
                inputState_ = MouseState();
                if (machine_)
                    machine_->ApplyMouseEvent(&inputState_);
            }
            ++index;
        } else {
            ++index;
        }
        --queue.count;
    }
    queue.count = 0;
}
