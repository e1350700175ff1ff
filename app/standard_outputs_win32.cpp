// The program's sound outputs and renderers, in menu order.
#include "app/emu_manager.h"
#include "sound/direct_sound_output.h"
#include "sound/sound_buffer_ring.h"
#include "sound/wave_sound_output.h"
#include "video/gdi_renderer.h"
#include "video/opengl_renderer.h"

void AddStandardOutputs(EmuManager& manager)
{
    manager.AddSoundOutput(new SoundBufferRing());
    manager.AddSoundOutput(new WaveSoundOutput());
    manager.AddSoundOutput(new DirectSoundOutput());
    manager.AddRenderer(new GdiRenderer());
    manager.AddRenderer(new OpenGlRenderer());
}
