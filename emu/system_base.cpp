// System base: services, CPU list, start and stop, parameters, the host's inputs.
#include "emu/system_base.h"
#include "emu/state_block.h"

#include "base/archive.h"
#include "cpu/cpu_base.h"
#include "emu/drive_bay.h"
#include "emu/event_bus.h"
#include "emu/interrupt_lines.h"
#include "emu/keyboard_service.h"
#include "emu/memory_space.h"
#include "emu/mouse_service.h"
#include "emu/port_space.h"

SystemBase::SystemBase()
{
    host_ = this;
}

SystemBase::~SystemBase()
{
    // The display and the drive bay hold callbacks into this system: take them back
    // before anything is freed, so that neither calls into a dead object.
    ReleaseCallbacks();
    cpus_.clear();
    DeleteServices();
    DeleteChildren();
}

void SystemBase::ReleaseDisplayLink()
{
    if (displayLink_ && displayLink_->sizeChangedUserData == this) {
        displayLink_->sizeChangedCallback = nullptr;
        displayLink_->sizeChangedUserData = nullptr;
    }
    displayLink_ = nullptr;
}

void SystemBase::ReleaseCallbacks()
{
    ReleaseDisplayLink();
    if (driveBay_ && driveBay_->GetChangeContext() == this)
        driveBay_->SetChangeCallback(nullptr, nullptr);
}

void SystemBase::DeleteServices()
{
    if (driveBay_)
        driveBay_->SetChangeCallback(nullptr, nullptr);
    services_.DeleteChildren();
    bus_ = nullptr;
    memory_ = nullptr;
    ports_ = nullptr;
    interrupts_ = nullptr;
    keyboard_ = nullptr;
    mouse_ = nullptr;
    driveBay_ = nullptr;
}

// --- SystemInterface ---

ClockInterface* SystemBase::GetMainCpu()
{
    return cpus_.empty() ? nullptr : cpus_.front();
}

u64 SystemBase::GetTimeUnitsPerSecond()
{
    ClockInterface* cpu = GetMainCpu();
    return cpu ? static_cast<u64>(static_cast<u32>(cpu->GetTicksPerSecond())) : 0;
}

u64 SystemBase::GetCurrentTime()
{
    ClockInterface* cpu = GetMainCpu();
    return cpu ? cpu->GetTime() : 0;
}

void SystemBase::PollInterrupts()
{
    for (CpuBase* cpu : cpus_)
        cpu->CheckInterrupts();
}

bool SystemBase::RequestBreak(bool* restart, bool* reportAnyway)
{
    if (!breakHandler_)
        return SystemInterface::RequestBreak(restart, reportAnyway);
    if (restart)
        *restart = *restart && breakSuppress_ == 0;
    return breakHandler_(breakContext_, restart, reportAnyway);
}

void SystemBase::SuppressBreaks(bool on)
{
    if (on)
        ++breakSuppress_;
    else if (breakSuppress_ > 0)
        --breakSuppress_;
}

void SystemBase::SetBreakHandler(BreakHandler handler, void* context)
{
    breakHandler_ = handler;
    breakContext_ = handler ? context : nullptr;
}

// --- building ---

bool SystemBase::CreateDevices()
{
    DeleteServices();

    // Each service keeps the component name its constructor gave it; one the group
    // refuses is deleted and its slot stays null.
    auto adopt = [this](auto* service) -> decltype(service) {
        if (services_.AddChild(service, nullptr, nullptr))
            return service;
        delete service;
        return nullptr;
    };
    bus_ = adopt(new EventBus());
    memory_ = adopt(new MemorySpace());
    ports_ = adopt(new PortSpace());
    interrupts_ = adopt(new InterruptLines());
    keyboard_ = adopt(new KeyboardService());
    mouse_ = adopt(new MouseService());
    driveBay_ = adopt(new DriveBay());
    if (!bus_ || !memory_ || !ports_ || !interrupts_ || !keyboard_ || !mouse_ || !driveBay_)
        return false;
    bus_->SetSoundOutput(soundOutput_);
    driveBay_->SetChangeCallback(OnDriveChanged, this);
    interrupts_->SetSystem(this);
    services_.SetHost(console_);
    return true;
}

bool SystemBase::AddDevice(Component* child, const char* name, const char* description)
{
    if (!ComponentGroup::AddChild(child, name, description))
        return false;
    if (child->GetKind() == 1)
        cpus_.push_back(static_cast<CpuBase*>(child));
    return true;
}

void SystemBase::RemoveAllDevices()
{
    cpus_.clear();
    DeleteChildren();
}

void SystemBase::ClearMachine()
{
    ReleaseDisplayLink();
    display_ = nullptr;
    RemoveAllDevices();
}

CpuBase* SystemBase::GetCpu(i32 index) const
{
    if (index < 0 || index >= GetCpuCount())
        return nullptr;
    return cpus_[static_cast<size_t>(index)];
}

// --- start and stop ---

void SystemBase::ShareServicesWith(Device* device)
{
    device->SetServices(this, bus_, memory_, ports_, interrupts_, display_, keyboard_, driveBay_, mouse_);
    for (Component* child : device->GetChildren()) {
        if (child && child->IsDevice() && child->IsEnabled())
            ShareServicesWith(static_cast<Device*>(child));
    }
}

void SystemBase::ShareServices()
{
    if (IsEnabled())
        ShareServicesWith(this);
}

bool SystemBase::Start(i32* rate)
{
    if (memory_)
        memory_->SetSystem(nullptr);
    breakSuppress_ = 0;
    if (!services_.Start(rate))
        return false;
    ShareServices();
    if (!ApplyParams(nullptr))
        return false;
    if (!Device::Start(rate))
        return false;
    if (!ApplyParams(nullptr))
        return false;
    if (!Connect(kConnectStarted))
        return false;
    if (memory_)
        memory_->SetSystem(this);
    return true;
}

void SystemBase::Stop()
{
    Device::Stop();
    services_.Stop();
}

// --- parameters ---

bool SystemBase::ApplyParams(ParamNode* param)
{
    if (!IsRunning())
        return true;
    const u32 type = param ? param->GetType() : 0;
    const bool applied = ApplyDeviceParams(this, type);
    u32 flags;
    switch (type) {
    case 0:
        flags = kConnectAllParams;
        break;
    case ParamNode::kMemoryRange:
        flags = kConnectParams | kConnectMemoryMap;
        break;
    case ParamNode::kPortRange:
        flags = kConnectParams | kConnectPorts;
        break;
    case ParamNode::kValue:
    case ParamNode::kLineHandlers:
    case ParamNode::kAckHandlers:
        flags = kConnectParams | kConnectInterrupts;
        break;
    default:
        flags = kConnectParams;
        break;
    }
    if (!Connect(flags))
        return false;
    return applied;
}

bool SystemBase::ApplyDeviceParams(Device* device, u32 type)
{
    if (!device)
        return false;
    if (!device->IsEnabled())
        return true;
    ParamSet* params = device->GetParamSet();
    for (i32 i = 0; params; ++i) {
        ParamNode* p = params->GetByIndex(i);
        if (!p)
            break;
        if (type != 0 && p->GetType() != type)
            continue;
        bool ok;
        switch (p->GetType()) {
        case 0:
            ok = true;
            break;
        case ParamNode::kValue:
            ok = applier_.ApplyValue(p);
            break;
        case ParamNode::kValuePair:
            ok = applier_.ApplyValuePair(p);
            break;
        case ParamNode::kMemoryRange:
            ok = applier_.ApplyMemoryRange(memory_, p, device);
            break;
        case ParamNode::kPortRange:
            ok = applier_.ApplyPortRange(ports_, p, device);
            break;
        case ParamNode::kLineHandlers:
            ok = applier_.ApplyLineHandlers(interrupts_, p, device);
            break;
        case ParamNode::kAckHandlers:
            ok = applier_.ApplyAckHandlers(interrupts_, p, device);
            break;
        default:
            ok = false;
            break;
        }
        if (!ok)
            return false;
    }
    for (Component* child : device->GetChildren()) {
        if (child && child->IsDevice() && !ApplyDeviceParams(static_cast<Device*>(child), type))
            return false;
    }
    return true;
}

// --- the host's inputs ---

void SystemBase::OnDisplayChanged(void* system)
{
    if (system)
        static_cast<SystemBase*>(system)->Connect(kConnectDisplay);
}

void SystemBase::OnDriveChanged(void* system, DriveImage*, bool before)
{
    if (system)
        static_cast<SystemBase*>(system)->Connect(before ? kConnectMediaBefore : kConnectMediaAfter);
}

void SystemBase::SetDisplay(LockedDisplaySurface* display, DisplayChangeLink* link)
{
    if (display == display_ && link == displayLink_)
        return;
    // The surface being replaced must not call into this system any more.
    ReleaseDisplayLink();
    display_ = display;
    displayLink_ = display ? link : nullptr;
    if (displayLink_) {
        displayLink_->sizeChangedCallback = OnDisplayChanged;
        displayLink_->sizeChangedUserData = this;
    }
    ShareServices();
    if (IsRunning())
        Connect(kConnectDisplay);
}

void SystemBase::SetSoundOutput(SoundStreamInterface* output)
{
    soundOutput_ = output;
    if (bus_)
        bus_->SetSoundOutput(output);
}

i32 SystemBase::SetBusFrequency(i32 hz, ClockInterface* clock)
{
    return bus_ ? bus_->SetBusFrequency(hz, clock) : 0;
}

void SystemBase::BusStep()
{
    if (bus_)
        bus_->Tick();
}

void SystemBase::SetBusFlag(bool hold)
{
    if (bus_)
        bus_->SetHold(hold);
}

void SystemBase::ApplyKeyEvent(i32 key, bool down)
{
    if (!keyboard_)
        return;
    if (key < 0 && !down)
        keyboard_->ReleaseAllKeys();
    else
        keyboard_->SetKeyState(static_cast<u8>(key), down);
}

void SystemBase::ApplyMouseEvent(const MouseState* record)
{
    if (mouse_)
        mouse_->Notify(record);
}

void SystemBase::SetHost(CommandInterpreter* console)
{
    if (console == console_)
        return;
    console_ = console;
    services_.SetHost(console);
    ComponentGroup::SetHost(console);
}

bool SystemBase::DumpRegisters(ObjectList& lines, bool full)
{
    bool any = false;
    for (Component* child : GetChildren()) {
        if (child && child->IsDevice() && static_cast<Device*>(child)->DumpRegisters(lines, full))
            any = true;
    }
    return any;
}

// --- saved state ---

bool SystemBase::SaveComponent(Archive& archive)
{
    if (!StateBlock::SaveVersion(archive))
        return false;
    SuppressBreaks(true);
    const bool saved = services_.SaveComponent(archive) && Device::SaveComponent(archive);
    SuppressBreaks(false);
    return saved;
}

bool SystemBase::LoadComponent(Archive& archive, LoadContext context)
{
    if (!StateBlock::LoadVersion(archive))
        return false;
    SuppressBreaks(true);
    loading_ = true;
    bool loaded = services_.LoadComponent(archive, context) && Device::LoadComponent(archive, context);
    if (loaded)
        loaded = Connect(kConnectStateLoaded);
    loading_ = false;
    SuppressBreaks(false);
    return loaded;
}
