// Prototypes that stand for the host's outputs in native tests of the emulator manager.
#pragma once

#include "app/emu_manager.h"
#include "sound/sound_buffer_ring.h"
#include "video/null_display.h"

class TestSoundOutput : public SoundOutput {
public:
    const char* GetName() const override { return "Test Sound"; }

protected:
    SoundBufferRing* MakeEmpty() const override { return new TestSoundOutput(); }
};

class TestScreen : public NullDisplay {
public:
    LockedDisplaySurface* Clone() const override { return new TestScreen; }
    const char* GetName() const override { return "Test Screen"; }
};

// Sound outputs "No Sound", "Test Sound"; renderers "No Rendering", "Test Screen".
inline void AddTestOutputs(EmuManager& manager)
{
    manager.AddSoundOutput(new SoundBufferRing());
    manager.AddSoundOutput(new TestSoundOutput());
    manager.AddRenderer(new NullDisplay());
    manager.AddRenderer(new TestScreen());
}
