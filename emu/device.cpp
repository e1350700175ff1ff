// Device base: services, life cycle, Connect broadcast, "IRQ" binding and "_DEV" block.
#include "emu/device.h"

#include "emu/param_set.h"
#include "emu/state_block.h"

namespace {

const char kDeviceBlock[] = "_DEV";
const char kIrqParam[] = "IRQ";

} // namespace

Device::Device() : params_(new ParamSet(this)) {}

Device::~Device()
{
    delete params_;
    params_ = nullptr;
}

bool Device::Start(i32* rate)
{
    running_ = true;
    return ComponentGroup::Start(rate);
}

void Device::Stop()
{
    ComponentGroup::Stop();
    params_->ResetApplied();
    running_ = false;
}

bool Device::Connect(u32 flags)
{
    for (Component* child : children_) {
        if (child == nullptr || !child->IsDevice() || !child->IsEnabled())
            continue;
        if (!static_cast<Device*>(child)->Connect(flags))
            return false;
    }
    return true;
}

bool Device::DumpRegisters(ObjectList& /*lines*/, bool /*full*/)
{
    return false;
}

void Device::SetServices(SystemInterface* host, EventBus* bus, MemorySpace* memory, PortSpace* ports,
                         InterruptLines* interrupts, LockedDisplaySurface* display, KeyboardService* keyboard,
                         DriveBay* driveBay, MouseService* mouse)
{
    host_ = host;
    bus_ = bus;
    memory_ = memory;
    ports_ = ports;
    interrupts_ = interrupts;
    display_ = display;
    keyboard_ = keyboard;
    driveBay_ = driveBay;
    mouse_ = mouse;
    params_->SetServices(host, memory, ports, interrupts);
}

void Device::ConnectIrq(i32 line, bool connected, bool option)
{
    if (!params_->RemoveParam(kIrqParam))
        return;
    if (line < 0)
        return;
    irqConnected_ = connected;
    irqLine_ = static_cast<u64>(static_cast<i64>(line));
    // Adding takes the connected value as the binding's lock and clears it; applying the
    // binding sets it again, so the output is live only while the system has it applied.
    params_->AddValue(kIrqParam, option, &irqConnected_, &irqLine_);
}

bool Device::SaveState(Archive& archive)
{
    return params_->Save(archive) && StateBlock::SaveEmpty(archive, kDeviceBlock);
}

bool Device::LoadState(Archive& archive, LoadContext context)
{
    return params_->Load(archive, context) && StateBlock::LoadEmpty(archive, kDeviceBlock);
}
