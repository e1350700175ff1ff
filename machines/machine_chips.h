// How a machine makes its chips: each is added to the machine's devices, which then own
// it and wire it to the memory, port, interrupt and event services at the start.
#pragma once

#include "emu/system_base.h"

// A new chip of type Chip added to machine; null, the chip freed, when the machine
// refuses it.
template <typename Chip>
Chip* AddNewChip(SystemBase& machine)
{
    auto* chip = new Chip;
    if (machine.AddDevice(chip, nullptr, nullptr))
        return chip;
    delete chip;
    return nullptr;
}
