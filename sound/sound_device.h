// Sound device: the chip-level device that owns the channels of one sound chip.
//
// It names its channels ("<device> CH<n>", described "<description>_CH<n>"), gives them
// the chip's tone clock, points their enable switch at its own "EnableSound" and their
// sample-rate choice at its "SoundFreq" index, and builds the chip's Sound menu:
//   <device name>
//     Enable Sound
//     ---
//     48000 Hz / 44100 Hz / 22050 Hz / 16000 Hz   (only while stopped)
//     ---                                          (two or more channels)
//     Enable Channel 0 .. n-1                      (only while sound is enabled)
//
// Settings (machine settings file): "EnableSound" bool, "SoundFreq" i32 0..3 (0 = 48000,
// 1 = 44100, 2 = 22050, 3 = 16000 Hz; anything else becomes 0), and each channel's
// "EnableChannel".
//
// A channel whose output cannot be opened (its Start fails) stays silent; the device and
// the other channels run on. A channel that could not be added marks the device broken,
// and a broken device does not start.
//
// State, after "_DEV": block "_SNDD" with "VER" u8 0 and "BFRQ" i32 tone clock, which
// must match on load; the channels follow as the device's children.
#pragma once

#include <vector>

#include "base/types.h"
#include "emu/device.h"

class SoundChannel;

class SoundDevice : public Device {
public:
    // Menu kind of the application's Sound menu.
    static constexpr i32 kMenuSound = 3;

    SoundDevice();
    ~SoundDevice() override;

    bool BindSettings(Dictionary* dict, bool enabledOnly) override;
    bool ValidateSettings(bool enabledOnly) override;
    // Starts the channels; false only when the device is broken.
    bool Start(i32* rate) override;
    void BuildMenu(OptionItem* menu, i32 kind) override;
    bool SaveState(Archive& archive) override;
    bool LoadState(Archive& archive, LoadContext context) override;

    // Hz of the chip's tone clock, for the device and every channel; refused below 1.
    virtual bool SetToneClock(i32 hz);

    // Adopts channel as a child; null name and description make the default ones.
    // Ignored while running. A failure deletes the channel and marks the device broken.
    void AddChannel(SoundChannel* channel, const char* name, const char* description);

    i32 GetToneClock() const { return toneClock_; }
    i32 GetChannelCount() const { return static_cast<i32>(channels_.size()); }
    SoundChannel* GetChannel(i32 index) const
    {
        return index >= 0 && index < GetChannelCount() ? channels_[static_cast<size_t>(index)] : nullptr;
    }
    i32& RateIndex() { return rateIndex_; }
    u8& EnableSound() { return enableSound_; }
    bool IsBroken() const { return broken_ != 0; }
    // The Sound submenu built last, or null.
    OptionItem* GetSoundMenu() const { return soundMenu_; }

protected:
    // round(hz / 16), halves away from zero: the tone clock of a chip that divides its
    // input clock by 16 before the tone dividers.
    static i32 DivideBy16(i32 hz)
    {
        const i64 v = hz;
        return static_cast<i32>(v >= 0 ? (v + 8) / 16 : -((-v + 8) / 16));
    }

    i32 toneClock_ = 1;                   // [BFRQ] Hz
    i32 rateIndex_ = 0;                   // "SoundFreq"
    std::vector<SoundChannel*> channels_; // owned as children
    u8 broken_ = 0;
    OptionItem* soundMenu_ = nullptr;
    u8 enableSound_ = 1;                  // "EnableSound"
};
