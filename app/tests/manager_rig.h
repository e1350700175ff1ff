// Prototypes that stand for the host's outputs in native tests of the emulator manager,
// and a ColecoVision core of such a manager on the machine tests' own ROMs.
#pragma once

#include <fstream>
#include <iterator>
#include <vector>

#include "app/emu_manager.h"
#include "core/emu_core.h"
#include "emu/drive_image.h"
#include "emu/tests/program_tree.h"
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

inline std::vector<u8> ReadRomFile(const char* path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<u8>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Our own BIOS and cartridge (assembled in the machines folder of the build tree) put in
// the program tree, and a ColecoVision core of manager with the cartridge in its slot;
// null when the core or the insertion fails.
inline EmuCore* MakeColecoCore(EmuManager& manager)
{
    ProgramTree::WriteBytes("prog/configs/coleco_v/coleco.rom", ReadRomFile(KUV_ROM_COLECO_BIOS));
    ProgramTree::WriteBytes("media/game.col", ReadRomFile(KUV_ROM_COLECO_CART));
    manager.machineId.Assign("coleco_v");
    EmuCore* core = manager.CreateCore(-1);
    if (core == nullptr)
        return nullptr;
    DriveImage* slot = core->GetDrive(0);
    if (slot == nullptr || !slot->InsertFile(ProgramTree::PathOf("media/game.col")))
        return nullptr;
    return core;
}
