#include "app/emu_manager.h"

#include "core/emu_core.h"
#include "emu/computer.h"
#include "machines/coleco_vision.h"
#include "machines/msx_machine.h"
#include "sound/sound_buffer_ring.h"
#include "video/display_surface.h"

namespace {

// The title reads "KUV/Computer Emulator" while the first machine is listed, "KUV
// Computer Emulator" when a program lists only later ones.
void LabelAfterFirst(StringA& label)
{
    if (label.IsEmpty() || label.CompareNarrow("/Computer") == 0)
        label.Assign("/Computer");
    else
        label.Assign(" Computer");
}

void LabelAfterLater(StringA& label)
{
    if (label.IsEmpty())
        label.Assign(" Computer");
}

bool SameName(const char* name, const StringA& wanted)
{
    return name && wanted.CompareNarrow(name) == 0;
}

} // namespace

EmuManager::EmuManager(OutputFiller fillOutputs)
{
    AddMachine(new Msx1Machine());
    LabelAfterFirst(titleLabel);
    AddMachine(new ColecoVisionMachine());
    LabelAfterLater(titleLabel);
    if (fillOutputs)
        fillOutputs(*this);
    soundIndex = soundOutputs_.size() >= 2 ? 1 : 0;
    rendererIndex = 0;
}

EmuManager::~EmuManager()
{
    for (EmuCore* core : cores_) {
        if (core) {
            core->Shutdown();
            delete core;
        }
    }
    cores_.clear();
    for (Computer* machine : machines_)
        delete machine;
    for (SoundBufferRing* output : soundOutputs_)
        delete output;
    for (LockedDisplaySurface* renderer : renderers_)
        delete renderer;
}

void EmuManager::AddMachine(Computer* machine)
{
    if (!machine) {
        machines_.push_back(nullptr);
        return;
    }
    Computer* probe = machine->Clone();
    if (!probe) {
        delete machine;
        return;
    }
    delete probe;
    machines_.push_back(machine);
}

void EmuManager::AddSoundOutput(SoundBufferRing* output)
{
    soundOutputs_.push_back(output);
}

void EmuManager::AddRenderer(LockedDisplaySurface* renderer)
{
    renderers_.push_back(renderer);
}

Computer* EmuManager::GetMachineFactory(i32 i) const
{
    return i >= 0 && i < GetMachineCount() ? machines_[static_cast<size_t>(i)] : nullptr;
}

SoundBufferRing* EmuManager::GetSoundOutputFactory(i32 i) const
{
    return i >= 0 && i < GetSoundOutputCount() ? soundOutputs_[static_cast<size_t>(i)] : nullptr;
}

LockedDisplaySurface* EmuManager::GetRendererFactory(i32 i) const
{
    return i >= 0 && i < GetRendererCount() ? renderers_[static_cast<size_t>(i)] : nullptr;
}

SoundBufferRing* EmuManager::CloneSoundOutput(i32 i) const
{
    SoundBufferRing* prototype = GetSoundOutputFactory(i);
    return prototype ? prototype->Clone() : nullptr;
}

LockedDisplaySurface* EmuManager::CloneRenderer(i32 i) const
{
    LockedDisplaySurface* prototype = GetRendererFactory(i);
    return prototype ? prototype->Clone() : nullptr;
}

void EmuManager::SelectMachine(i32 i)
{
    Computer* machine = GetMachineFactory(i);
    const char* id = machine ? machine->GetId() : nullptr;
    machineId.Assign(id ? id : "");
}

void EmuManager::SelectSound(i32 i)
{
    SoundBufferRing* output = GetSoundOutputFactory(i);
    if (!output) {
        soundName.Assign("");
        return;
    }
    soundIndex = i;
    soundName.Assign(output->GetName());
}

void EmuManager::SelectRenderer(i32 i)
{
    LockedDisplaySurface* renderer = GetRendererFactory(i);
    if (!renderer) {
        rendererName.Assign("");
        return;
    }
    rendererIndex = i;
    rendererName.Assign(renderer->GetName());
}

EmuCore* EmuManager::CreateCore(i32 machineIndex)
{
    i32 index = machineIndex;
    if (index < 0) {
        index = 0;
        for (i32 i = 0; !machineId.IsEmpty() && i < GetMachineCount(); ++i) {
            Computer* machine = machines_[static_cast<size_t>(i)];
            if (machine && SameName(machine->GetId(), machineId)) {
                index = i;
                break;
            }
        }
    }
    if (index >= GetMachineCount())
        return nullptr;
    Computer* prototype = machines_[static_cast<size_t>(index)];
    if (!prototype) {
        index = 0;
        prototype = machines_[0];
        if (!prototype)
            return nullptr;
    }
    Computer* machine = prototype->Clone();
    if (!machine)
        return nullptr;
    SoundBufferRing* output = CloneSoundOutput(soundIndex);
    if (!output) {
        delete machine;
        return nullptr;
    }
    LockedDisplaySurface* renderer = CloneRenderer(rendererIndex);
    if (!renderer) {
        delete output;
        delete machine;
        return nullptr;
    }
    auto* core = new EmuCore(&coreSettings_, machine, renderer, output, GetRendererFactory(0));
    core->SetCoreIndex(index);
    const char* id = machine->GetId();
    machineId.Assign(id ? id : "");
    core->SetFastInit(fastInit);
    if (!core->Run()) {
        core->Shutdown();
        delete core;
        return nullptr;
    }
    cores_.push_back(core);
    if (!settingsNotice_.IsEmpty()) {
        core->AddStartNotice(settingsNotice_);
        settingsNotice_.Clear();
    }
    return core;
}

bool EmuManager::SetCoreMachine(EmuCore*& core, i32 machineIndex)
{
    if (!core) {
        core = CreateCore(machineIndex);
        return core != nullptr;
    }
    Computer* prototype = GetMachineFactory(machineIndex);
    Computer* machine = prototype ? prototype->Clone() : nullptr;
    if (!machine)
        return false;
    if (core->IsStarted())
        core->Stop();
    if (!core->SetMachine(machine)) {
        delete machine;
        return false;
    }
    core->SetCoreIndex(machineIndex);
    return true;
}

void EmuManager::RemoveCore(EmuCore* core)
{
    if (!core)
        return;
    for (auto it = cores_.begin(); it != cores_.end(); ++it) {
        if (*it == core) {
            cores_.erase(it);
            break;
        }
    }
    core->Shutdown();
    delete core;
}

void EmuManager::PushCoreSettings()
{
    coreSettings_.syncFrequency = static_cast<u32>(syncFrequency);
    coreSettings_.ignoreConsoleDuplicates = ignoreConsoleDupStr ? 1 : 0;
}

void EmuManager::PullCoreSettings()
{
    syncFrequency = coreSettings_.syncFrequency <= 4 ? static_cast<i32>(coreSettings_.syncFrequency) : 0;
    ignoreConsoleDupStr = coreSettings_.ignoreConsoleDuplicates != 0;
}
