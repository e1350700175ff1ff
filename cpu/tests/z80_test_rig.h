// A started Z80 on 64 KB of RAM with the real memory space, port space, interrupt lines
// and event bus, for the execution, interrupt, event and state tests.
//
// The rig is the machine's interrupt listener (one pending flag, line and data byte, and
// a count of the questions asked) and offers programmable port handlers: reads answer
// portValue and say "wait" while waitCount is above 0; writes are recorded.
#pragma once

#include <algorithm>
#include <initializer_list>
#include <utility>
#include <vector>

#include "cpu/z80_cpu.h"
#include "emu/event_bus.h"
#include "emu/interrupt_lines.h"
#include "emu/memory_space.h"
#include "emu/port_space.h"
#include "emu/tests/machine_run.h"

class Z80Rig {
public:
    explicit Z80Rig(u32 memorySize = 0x10000)
    {
        memory.Allocate(memorySize, 0);
        ports.addressMask = 0xFF;
        interrupts.AddListener(this, &Z80Rig::Query, nullptr, nullptr);
        cpu.SetServices(nullptr, &bus, &memory, &ports, &interrupts, nullptr, nullptr, nullptr, nullptr);
        cpu.SetFrequency(3579545);
        i32 rate = 0;
        started = cpu.Start(&rate);
        cpu.Connect(kConnectMemoryMap);
    }
    ~Z80Rig() { cpu.Stop(); }

    void Load(u16 address, std::initializer_list<u8> bytes)
    {
        for (u8 b : bytes)
            memory.GetMemory()[address++] = b;
    }
    u8 Peek(u16 address) const { return memory.GetMemory()[address]; }
    Z80Registers& R() { return cpu.Regs(); }

    // Port p answers portValue (with wait while waitCount > 0); writes are recorded.
    void HookPort(u8 port)
    {
        ports.SetReadHandlerEx(port, this, &Z80Rig::PortRead);
        ports.SetWriteHandler(port, this, &Z80Rig::PortWrite);
    }

    // Raises the listener's interrupt and makes the CPU look.
    void RaiseIrq(u32 data = 0xFF)
    {
        irqPending = true;
        irqData = data;
        cpu.CheckInterrupts();
    }

    // The emulation core's loop: slices bounded by the next event, events when due.
    u64 RunLoop(u64 total, i32 slice = 1000) { return machine_run::RunCycles(&cpu, total, slice); }

    MemorySpace memory;
    PortSpace ports;
    InterruptLines interrupts;
    EventBus bus;
    Z80Cpu cpu;
    bool started = false;

    bool irqPending = false;
    u32 irqLine = 0;
    u32 irqData = 0xFF;
    int irqQueries = 0;
    int irqAcknowledges = 0;

    u8 portValue = 0;
    int waitCount = 0;
    int portReads = 0;
    std::vector<std::pair<u16, u8>> portWrites;   // (port, value)
    // Called from inside a port write (the OUT is executing), when set.
    void (*onPortWrite)(Z80Rig& rig) = nullptr;

private:
    static bool Query(void* context, bool acknowledge, u32* extra, u32* line, u32* data)
    {
        auto* rig = static_cast<Z80Rig*>(context);
        ++rig->irqQueries;
        if (!rig->irqPending)
            return false;
        *extra = 0;
        *line = rig->irqLine;
        *data = rig->irqData;
        if (acknowledge) {
            rig->irqPending = false;
            ++rig->irqAcknowledges;
        }
        return true;
    }

    static bool PortRead(void* context, u32, i32, u8* buffer, bool, u8* wait)
    {
        auto* rig = static_cast<Z80Rig*>(context);
        ++rig->portReads;
        *buffer = rig->portValue;
        if (rig->waitCount > 0) {
            --rig->waitCount;
            *wait = 1;
        }
        return true;
    }

    static bool PortWrite(void* context, u32 port, i32, const u8* buffer)
    {
        auto* rig = static_cast<Z80Rig*>(context);
        rig->portWrites.emplace_back(static_cast<u16>(port), *buffer);
        if (rig->onPortWrite)
            rig->onPortWrite(*rig);
        return true;
    }
};
