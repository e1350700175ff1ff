// What the event bus needs of a sound output: a stream object per sound timer.
//
// The emulation core hands one output to the system, which gives it to the event bus
// as a prototype. Every sound timer clones it into a stream of its own, opens that
// stream with the channel's two stream parameters (sample rate and sample width) and
// 50 buffers, and at every timer tick flips the stream's mixing buffer (the channel
// renders into it) and converts the previous one into output samples.
//
// The sound outputs implement this interface; the framework itself never plays sound.
#pragma once

#include "base/types.h"

class SoundStreamInterface {
public:
    virtual ~SoundStreamInterface() = default;

    // A new, closed stream of the same kind, or null.
    virtual SoundStreamInterface* Clone() = 0;
    // Prepares buffers for totalSamples samples per second of width bits, split into
    // count buffers. False when refused (the caller then deletes the stream).
    virtual bool Open(i32 totalSamples, i32 width, i32 count) = 0;
    // Clears every output buffer to silence (the run is held in the debugger).
    virtual void Silence() = 0;
    // Switches to the other mixing buffer and answers it with its sample count and the
    // output's sample range. Null or a count of 0 or less: nothing to fill.
    virtual i32* FlipBuffer(i32* count, i32* minimum, i32* maximum) = 0;
    // The mixing buffer FlipBuffer answered last (the one the next FillBuffer converts),
    // with the same three figures; null when there is none. A channel that has just
    // loaded its state takes it up, so that the period running at the save is heard.
    virtual i32* GetMixingBuffer(i32* count, i32* minimum, i32* maximum)
    {
        (void)count;
        (void)minimum;
        (void)maximum;
        return nullptr;
    }
    // Converts the mixing buffer the channel just rendered into output samples.
    virtual void FillBuffer() = 0;
};
