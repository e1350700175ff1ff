// "DirectSound": a sound output that plays its ring through one looping DirectSound
// buffer. Windows only (direct_sound_output_win32.cpp).
//
// The secondary buffer is a loop of buffer-count slots of one ring buffer each. Every
// conversion writes its buffer into the slot six ahead of the play cursor (lead 6);
// after falling behind the same buffer fills the slots up to that lead again; with a
// lead of 10 to 15 the next slot moves back by two, beyond 15 it restarts at the play
// cursor (direct_sound_slots.h plans the slots). Driven only from the emulation worker;
// its busy mark keeps Silence and Submit apart.
//
// DirectSound needs the main window for its cooperative level: an output without an
// owner window does not open. Give it one with the constructor or SetOwnerWindow,
// also for the output made with a new emulation core.
#pragma once

#include <atomic>

#ifdef _WIN32

#include <windows.h>
#include <mmsystem.h>

#include "sound/sound_buffer_ring.h"

struct IDirectSound;
struct IDirectSoundBuffer;

class DirectSoundOutput : public SoundOutput {
public:
    // ownerWindow: the main window's HWND, or null to be set later.
    explicit DirectSoundOutput(void* ownerWindow = nullptr);
    ~DirectSoundOutput() override;

    bool Open(i32 totalSamples, i32 width, i32 count) override;
    void Close() override;
    bool Submit(i32 index) override;
    // Stops the looping buffer; the next Submit plays it again.
    void Silence() override;
    const char* GetName() const override { return "DirectSound"; }

    bool IsActive() const { return active_ != 0; }
    i32 GetNextSlot() const { return nextSlot_; }

protected:
    SoundBufferRing* MakeEmpty() const override { return new DirectSoundOutput(); }

private:
    // Copies ring buffer index into the slot at offset (bytes).
    void WriteSlot(i32 index, DWORD offset);

    u8 active_ = 0;
    std::atomic<bool> busy_{false};   // a submit and a silence never overlap
    WAVEFORMATEX format_{};
    IDirectSound* device_ = nullptr;
    IDirectSoundBuffer* primary_ = nullptr;
    IDirectSoundBuffer* secondary_ = nullptr;
    i32 nextSlot_ = -1;   // slot of the next write; -1 after Open
};

#endif // _WIN32
