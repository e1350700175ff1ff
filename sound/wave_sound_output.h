// "WaveSound": a sound output that plays its ring through the waveOut interface.
// Windows only (wave_sound_output_win32.cpp).
//
// One waveOut stream per output, opened on the wave mapper with 8- or 16-bit mono PCM
// at the ring's sample rate; one prepared wave header per ring buffer, reused.
//
// Completions: the waveOut callback may not call waveOut (nor most of the system) from
// inside itself, so it only counts the finished buffer and wakes the output's feeder
// thread, which runs the ring's completion handler (refills, re-queues) and restores
// the volume. A new stream starts muted: the device volume is read and set to 0 at
// open and restored once more than count / 8 buffers have played (about 140 ms), so
// that the first, still unsteady buffers are not heard. The volume of the first stream
// that found a non-zero one is remembered for the whole process; a restored volume with
// a silent side gets 0x1000 there.
#pragma once

#ifdef _WIN32

#include <windows.h>
#include <mmsystem.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <thread>

#include "sound/sound_buffer_ring.h"

class WaveSoundOutput : public SoundOutput {
public:
    WaveSoundOutput() = default;
    ~WaveSoundOutput() override;

    bool Open(i32 totalSamples, i32 width, i32 count) override;
    void Close() override;
    bool Submit(i32 index) override;
    const char* GetName() const override { return "WaveSound"; }

    bool IsDeviceOpen() const { return open_ != 0; }
    bool IsVolumeHeld() const { return volumeHeld_ != 0; }

    static void CALLBACK WaveOutProc(HWAVEOUT handle, UINT message, DWORD_PTR instance, DWORD_PTR param1,
                                     DWORD_PTR param2);

protected:
    SoundBufferRing* MakeEmpty() const override { return new WaveSoundOutput(); }

private:
    void RestoreVolume();
    void FeederLoop();
    void StopFeeder();

    std::atomic<u8> active_{0};       // completions may act
    std::recursive_mutex outputLock_; // around active and the completion's work
    WAVEFORMATEX format_{};
    HWAVEOUT handle_ = nullptr;
    std::unique_ptr<WAVEHDR[]> headers_;
    u8 open_ = 0;
    u8 volumeHeld_ = 0;
    HWAVEOUT volumeTarget_ = reinterpret_cast<HWAVEOUT>(static_cast<UINT_PTR>(WAVE_MAPPER));
    DWORD heldVolume_ = 0;

    // Completions counted by the callback and not yet handled, the event that wakes the
    // feeder, and the feeder itself.
    std::atomic<u32> doneSignals_{0};
    std::atomic<bool> feederStop_{false};
    HANDLE wake_ = nullptr;
    std::thread feeder_;

    static std::atomic<u32> rememberedVolume_;
};

#endif // _WIN32
