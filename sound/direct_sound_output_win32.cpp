// "DirectSound": device, buffers and the slot writer.
#include "sound/direct_sound_output.h"

#include <dsound.h>

#include <cstring>

#include "sound/direct_sound_slots.h"
#include "sound/mono_pcm_format.h"

DirectSoundOutput::DirectSoundOutput(void* ownerWindow)
{
    SetOwnerWindow(ownerWindow);
}

DirectSoundOutput::~DirectSoundOutput()
{
    DirectSoundOutput::Close();
}

bool DirectSoundOutput::Open(i32 totalSamples, i32 width, i32 count)
{
    if (device_ || !GetOwnerWindow())
        return false;
    active_ = 0;
    if (!MakeMonoPcmFormat(totalSamples, width, count, &format_))
        return false;

    if (FAILED(DirectSoundCreate(nullptr, &device_, nullptr))) {
        device_ = nullptr;
        return false;
    }
    DSBUFFERDESC primary{};
    primary.dwSize = sizeof primary;
    primary.dwFlags = DSBCAPS_PRIMARYBUFFER | DSBCAPS_STICKYFOCUS;
    if (FAILED(device_->SetCooperativeLevel(static_cast<HWND>(GetOwnerWindow()), DSSCL_PRIORITY)) ||
        FAILED(device_->CreateSoundBuffer(&primary, &primary_, nullptr)) || FAILED(primary_->SetFormat(&format_))) {
        Close();
        return false;
    }
    if (!SoundBufferRing::Open(totalSamples, width, count)) {
        Close();
        return false;
    }
    DSBUFFERDESC secondary{};
    secondary.dwSize = sizeof secondary;
    secondary.dwFlags = DSBCAPS_GETCURRENTPOSITION2 | DSBCAPS_STICKYFOCUS;
    secondary.dwBufferBytes = static_cast<DWORD>(bufferCount_) * static_cast<DWORD>(bytesPerBuffer_);
    secondary.lpwfxFormat = &format_;
    if (FAILED(device_->CreateSoundBuffer(&secondary, &secondary_, nullptr))) {
        secondary_ = nullptr;
        Close();
        return false;
    }
    active_ = 1;
    queuedMode_ = 0;
    busy_.store(false);
    nextSlot_ = -1;
    if (FAILED(secondary_->Play(0, 0, DSBPLAY_LOOPING))) {
        Close();
        return false;
    }
    return true;
}

void DirectSoundOutput::WriteSlot(i32 index, DWORD offset)
{
    DWORD status = 0;
    if (SUCCEEDED(secondary_->GetStatus(&status)) && !(status & DSBSTATUS_PLAYING))
        secondary_->Play(0, 0, DSBPLAY_LOOPING);
    const DWORD size = static_cast<DWORD>(bytesPerBuffer_);
    void* first = nullptr;
    void* second = nullptr;
    DWORD firstSize = 0;
    DWORD secondSize = 0;
    HRESULT result = secondary_->Lock(offset, size, &first, &firstSize, &second, &secondSize, 0);
    if (result == DSERR_BUFFERLOST) {
        secondary_->Restore();
        secondary_->Play(0, 0, DSBPLAY_LOOPING);
        result = secondary_->Lock(offset, size, &first, &firstSize, &second, &secondSize, 0);
    }
    if (FAILED(result))
        return;
    const u8* source = GetBuffer(index);
    if (first && firstSize)
        std::memcpy(first, source, firstSize > size ? size : firstSize);
    if (second && secondSize && firstSize < size)
        std::memcpy(second, source + firstSize, secondSize > size - firstSize ? size - firstSize : secondSize);
    secondary_->Unlock(first, firstSize, second, secondSize);
}

bool DirectSoundOutput::Submit(i32 index)
{
    if (!active_ || !secondary_ || bytesPerBuffer_ <= 0 || bufferCount_ <= 0 || busy_.exchange(true))
        return false;
    DWORD play = 0;
    DWORD write = 0;
    if (FAILED(secondary_->GetCurrentPosition(&play, &write)) || !active_) {
        busy_.store(false);
        return false;
    }
    const DWORD slotSize = static_cast<DWORD>(bytesPerBuffer_);
    i32 slots[DirectSoundSlots::kMaxWrites];
    const i32 planned = DirectSoundSlots::Plan(&nextSlot_, static_cast<i32>(play / slotSize),
                                               static_cast<i32>(write / slotSize), bufferCount_, slots);
    for (i32 i = 0; i < planned && active_; ++i)
        WriteSlot(index, static_cast<DWORD>(slots[i]) * slotSize);
    busy_.store(false);
    return active_ != 0;
}

void DirectSoundOutput::Silence()
{
    if (!active_ || !secondary_ || busy_.exchange(true))
        return;
    secondary_->Stop();
    busy_.store(false);
}

void DirectSoundOutput::Close()
{
    active_ = 0;
    if (secondary_) {
        secondary_->Stop();
        secondary_->Release();
        secondary_ = nullptr;
    }
    if (primary_) {
        primary_->Release();
        primary_ = nullptr;
    }
    if (device_) {
        device_->Release();
        device_ = nullptr;
    }
    SoundBufferRing::Close();
}
