// "WaveSound": the waveOut stream, its feeder thread and the held-back volume.
#include "sound/wave_sound_output.h"

#include "sound/mono_pcm_format.h"

std::atomic<u32> WaveSoundOutput::rememberedVolume_{0};

namespace {

HWAVEOUT WaveMapper()
{
    return reinterpret_cast<HWAVEOUT>(static_cast<UINT_PTR>(WAVE_MAPPER));
}

} // namespace

WaveSoundOutput::~WaveSoundOutput()
{
    WaveSoundOutput::Close();
}

bool WaveSoundOutput::Open(i32 totalSamples, i32 width, i32 count)
{
    if (handle_)
        return false;
    open_ = 0;
    if (!MakeMonoPcmFormat(totalSamples, width, count, &format_))
        return false;

    if (volumeHeld_)
        RestoreVolume();
    volumeTarget_ = WaveMapper();

    wake_ = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    if (!wake_)
        return false;
    doneSignals_ = 0;
    if (waveOutOpen(&handle_, WAVE_MAPPER, &format_, reinterpret_cast<DWORD_PTR>(&WaveSoundOutput::WaveOutProc),
                    reinterpret_cast<DWORD_PTR>(this), CALLBACK_FUNCTION) != MMSYSERR_NOERROR) {
        handle_ = nullptr;
        if (volumeHeld_)
            RestoreVolume();
        CloseHandle(wake_);
        wake_ = nullptr;
        return false;
    }

    // Start muted; the feeder restores the volume once the stream runs steadily.
    if (!volumeHeld_) {
        volumeTarget_ = handle_;
        DWORD volume = 0;
        volumeHeld_ = waveOutGetVolume(handle_, &volume) == MMSYSERR_NOERROR ? 1 : 0;
        if (volumeHeld_) {
            heldVolume_ = volume;
            if (volume != 0)
                rememberedVolume_ = volume;
            waveOutSetVolume(handle_, 0);
        }
    }

    if (!SoundBufferRing::Open(totalSamples, width, count)) {
        Close();
        return false;
    }
    headers_.reset(new WAVEHDR[static_cast<size_t>(count)]());
    for (i32 i = 0; i < count; ++i) {
        WAVEHDR& header = headers_[static_cast<size_t>(i)];
        header.lpData = reinterpret_cast<LPSTR>(GetBuffer(i));
        header.dwBufferLength = static_cast<DWORD>(bytesPerBuffer_);
        waveOutPrepareHeader(handle_, &header, sizeof header);
        header.dwFlags |= WHDR_DONE;
    }
    feederStop_ = false;
    feeder_ = std::thread(&WaveSoundOutput::FeederLoop, this);
    open_ = 1;
    active_ = 1;
    return true;
}

void WaveSoundOutput::RestoreVolume()
{
    DWORD volume = heldVolume_ ? heldVolume_ : rememberedVolume_.load();
    // A side at 0 would stay silent for good: give it a low level.
    if ((volume & 0xFFFF0000u) == 0)
        volume |= 0x10000000u;
    if ((volume & 0x0000FFFFu) == 0)
        volume |= 0x1000u;
    waveOutSetVolume(volumeTarget_, volume);
    heldVolume_ = 0;
    volumeHeld_ = 0;
}

void CALLBACK WaveSoundOutput::WaveOutProc(HWAVEOUT handle, UINT message, DWORD_PTR instance, DWORD_PTR /*param1*/,
                                           DWORD_PTR /*param2*/)
{
    // Only counting and an event here: waveOut may not be called from its own callback.
    if (message != WOM_DONE || !handle || !instance)
        return;
    auto* self = reinterpret_cast<WaveSoundOutput*>(instance);
    ++self->doneSignals_;
    SetEvent(self->wake_);
}

void WaveSoundOutput::FeederLoop()
{
    for (;;) {
        WaitForSingleObject(wake_, INFINITE);
        if (feederStop_)
            return;
        u32 done = doneSignals_.exchange(0);
        std::lock_guard<std::recursive_mutex> guard(outputLock_);
        if (!active_)
            continue;
        while (done-- > 0) {
            OnBufferDone();
            if (volumeHeld_ && GetCompleted() > static_cast<u64>(bufferCount_ / 8))
                RestoreVolume();
        }
    }
}

void WaveSoundOutput::StopFeeder()
{
    if (!feeder_.joinable())
        return;
    feederStop_ = true;
    SetEvent(wake_);
    feeder_.join();
}

bool WaveSoundOutput::Submit(i32 index)
{
    if (!open_ || !handle_ || !headers_ || index < 0 || index >= bufferCount_)
        return false;
    WAVEHDR& header = headers_[static_cast<size_t>(index)];
    if (header.dwFlags & WHDR_INQUEUE)
        return false;
    return waveOutWrite(handle_, &header, sizeof header) == MMSYSERR_NOERROR;
}

void WaveSoundOutput::Close()
{
    {
        std::lock_guard<std::recursive_mutex> guard(outputLock_);
        active_ = 0;
    }
    StopFeeder();
    open_ = 0;
    if (volumeHeld_)
        RestoreVolume();
    if (handle_) {
        waveOutReset(handle_);
        if (headers_) {
            for (i32 i = 0; i < bufferCount_; ++i)
                waveOutUnprepareHeader(handle_, &headers_[static_cast<size_t>(i)], sizeof(WAVEHDR));
        }
        for (i32 attempt = 0; attempt < 50; ++attempt) {
            if (waveOutClose(handle_) != WAVERR_STILLPLAYING)
                break;
            Sleep(1);
        }
        handle_ = nullptr;
    }
    headers_.reset();
    if (wake_) {
        CloseHandle(wake_);
        wake_ = nullptr;
    }
    volumeTarget_ = WaveMapper();
    SoundBufferRing::Close();
}
