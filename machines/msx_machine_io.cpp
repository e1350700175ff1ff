// MSX machine: the peripheral interface's ports (slot select, keyboard, port C), the
// RAM-mapper ports of the larger type, and the VDP's interrupt as the Z80 sees it.
#include "machines/msx_keyboard.h"
#include "machines/msx_machine.h"
#include "machines/msx_mapper.h"

namespace {

inline MsxMachine* Machine(void* context)
{
    return static_cast<MsxMachine*>(context);
}

// The larger type's RAM mapper: one bank register per 16 KB page, 0xFC to 0xFF.
constexpr u32 kRamMapperPort = 0xFC;

} // namespace

MsxMachine* MsxMachine::PortMachine(void* context, i32 size)
{
    MsxMachine* self = Machine(context);
    if (size != 1 || self->mapper_ == nullptr || self->keyboardMatrix_ == nullptr)
        return nullptr;
    return self;
}

bool MsxMachine::IsRamMapperPort(u32 port) const
{
    return machineType_ == kTypeMsx2 && port >= kRamMapperPort && port <= kRamMapperPort + 3;
}

bool MsxMachine::WritePort(void* context, u32 port, i32 size, const u8* buffer)
{
    MsxMachine* self = PortMachine(context, size);
    if (self == nullptr)
        return false;
    port &= 0xFF;
    if (self->IsRamMapperPort(port)) {
        self->mapper_->WriteRamBank(port - kRamMapperPort, *buffer);
        return true;
    }
    switch (port) {
    case 0xA8:
        self->mapper_->WritePrimarySlot(*buffer, false);
        return true;
    case 0xAA:
        self->keyboardMatrix_->SelectRow(*buffer & 0x0F);
        self->portC_ = *buffer;
        return true;
    default:
        return false;
    }
}

bool MsxMachine::ReadPort(void* context, u32 port, i32 size, u8* buffer, bool peek)
{
    MsxMachine* self = PortMachine(context, size);
    if (self == nullptr)
        return false;
    port &= 0xFF;
    if (self->IsRamMapperPort(port)) {
        *buffer = self->mapper_->ReadRamBank(port - kRamMapperPort, peek);
        return true;
    }
    switch (port) {
    case 0xA8:
        *buffer = self->mapper_->ReadPrimarySlot(peek);
        return true;
    case 0xA9:
        *buffer = self->keyboardMatrix_->ReadRow();
        return true;
    case 0xAA:
        *buffer = static_cast<u8>(self->portC_);
        return true;
    default:
        return false;
    }
}

bool MsxMachine::OnInterruptSet(void* context, u32 line, u8 state)
{
    (void)line;
    Machine(context)->irqPending_ = state;
    return true;
}

bool MsxMachine::OnInterruptQuery(void* context, bool acknowledge, u32* a, u32* b, u32* data)
{
    MsxMachine* self = Machine(context);
    if (self->irqPending_ == 0)
        return false;
    if (a != nullptr)
        *a = 0;
    if (b != nullptr)
        *b = 0;
    // Nothing drives the data bus during the acknowledge: the pull-ups read 0xFF.
    if (data != nullptr)
        *data = 0xFF;
    if (acknowledge)
        self->irqPending_ = 0;
    return true;
}
