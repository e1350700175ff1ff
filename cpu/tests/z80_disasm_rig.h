// A started Z80 on 64 KB of plain RAM and a port space, for the disassembler and tracer
// tests. Devices seen by the CPU count every access that is not a peek.
#pragma once

#include <initializer_list>

#include "base/string_a.h"
#include "cpu/z80_cpu.h"
#include "emu/memory_space.h"
#include "emu/port_space.h"

// Lets a test raise the abort flag, as a breakpoint inside a handler would.
class AbortableZ80 : public Z80Cpu {
public:
    void SetAbort(bool on) { abort_ = on; }
};

struct DisasmLine {
    i32 length = 0;
    StringA address, hex, mnemonic, flags, trace, spare6, spare7;
    u32 kind = 0xDEAD;
    u32 widths[7] = {};
};

class DisasmRig {
public:
    DisasmRig()
    {
        memory.Allocate(0x10000, 0);
        cpu.SetServices(nullptr, nullptr, &memory, &ports, nullptr, nullptr, nullptr, nullptr, nullptr);
        i32 rate = 0;
        started = cpu.Start(&rate);
        cpu.Connect(kConnectMemoryMap);
    }

    void Load(u16 address, std::initializer_list<u8> bytes)
    {
        for (u8 b : bytes)
            memory.GetMemory()[address++] = b;
    }

    // Places bytes at pc, points PC there and disassembles.
    DisasmLine At(u16 pc, std::initializer_list<u8> bytes)
    {
        Load(pc, bytes);
        cpu.Regs().PC = pc;
        return Run();
    }

    DisasmLine Run()
    {
        DisasmLine l;
        u32* w = l.widths;
        l.length = cpu.Disassemble(l.address, l.hex, l.mnemonic, l.flags, l.trace, l.spare6, l.spare7, &l.kind,
                                   &w[0], &w[1], &w[2], &w[3], &w[4], &w[5], &w[6]);
        return l;
    }

    MemorySpace memory;
    PortSpace ports;
    AbortableZ80 cpu;
    bool started = false;
};
