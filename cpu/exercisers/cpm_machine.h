// A bare CP/M-style machine for whole-program exercisers: the real Z80, memory space and
// port space, with 64 KB of RAM and two port traps standing in for the operating system.
//
//   0x0000  OUT (1),A     warm boot: the program has ended
//   0x0005  JP 0xF000     system call; 0x0006-0x0007 hold the top of memory (0xF000)
//   0xF000  OUT (0),A     C = 2: print the character in E; C = 9: print the string at DE
//   0xF002  RET           up to '$'
//   0x0100  the program
#pragma once

#include <cstdio>
#include <string>

#include "base/types.h"
#include "cpu/z80_cpu.h"
#include "emu/memory_space.h"
#include "emu/port_space.h"

class CpmMachine {
public:
    static constexpr u16 kSystemCall = 0xF000;
    static constexpr u16 kProgramStart = 0x0100;

    CpmMachine()
    {
        memory_.Allocate(0x10000, 0);
        ports_.addressMask = 0xFF;
        ports_.SetWriteHandler(0, this, &CpmMachine::OnSystemCall);
        ports_.SetWriteHandler(1, this, &CpmMachine::OnWarmBoot);
        cpu_.SetServices(nullptr, nullptr, &memory_, &ports_, nullptr, nullptr, nullptr, nullptr, nullptr);
        cpu_.SetFrequency(3579545);
        i32 rate = 0;
        cpu_.Start(&rate);
        cpu_.Connect(kConnectMemoryMap);
    }

    ~CpmMachine() { cpu_.Stop(); }

    // Loads a .com file at 0x0100 and resets the machine to run it.
    bool Load(const char* path)
    {
        std::FILE* file = std::fopen(path, "rb");
        if (!file)
            return false;
        u8* ram = memory_.GetMemory();
        const size_t size = std::fread(ram + kProgramStart, 1, kSystemCall - kProgramStart, file);
        std::fclose(file);
        if (size == 0)
            return false;
        const u8 boot[] = {0xD3, 0x01, 0x00, 0x00, 0x00, 0xC3, kSystemCall & 0xFF, kSystemCall >> 8};
        for (u32 i = 0; i < sizeof(boot); ++i)
            ram[i] = boot[i];
        const u8 call[] = {0xD3, 0x00, 0xC9};
        for (u32 i = 0; i < sizeof(call); ++i)
            ram[kSystemCall + i] = call[i];
        cpu_.Reset();
        cpu_.Regs().PC = kProgramStart;
        cpu_.Regs().SP = kSystemCall;
        output_.clear();
        finished_ = false;
        return true;
    }

    // Runs slices until the program ends or at least maxCycles have passed; answers the
    // T-states run.
    u64 Run(u64 maxCycles, i32 slice = 1 << 20)
    {
        u64 total = 0;
        while (!finished_ && total < maxCycles)
            total += static_cast<u64>(cpu_.Execute(slice));
        return total;
    }

    bool Finished() const { return finished_; }
    const std::string& Output() const { return output_; }
    Z80Cpu& Cpu() { return cpu_; }
    // Echo the program's output to stdout as it comes.
    void SetEcho(bool echo) { echo_ = echo; }

private:
    void Print(char c)
    {
        output_ += c;
        if (echo_) {
            std::fputc(c, stdout);
            std::fflush(stdout);
        }
    }

    // The port handlers see the registers as they are at the OUT instruction.
    static bool OnSystemCall(void* context, u32, i32, const u8*)
    {
        auto* self = static_cast<CpmMachine*>(context);
        const Z80Registers& r = self->cpu_.Regs();
        switch (r.BC & 0xFF) {
        case 2:
            self->Print(static_cast<char>(r.DE & 0xFF));
            break;
        case 9:
            for (u16 a = r.DE, n = 0; n < 0xFFFF; ++a, ++n) {
                const char c = static_cast<char>(self->memory_.Read8(a, true));
                if (c == '$')
                    break;
                self->Print(c);
            }
            break;
        default:
            break;
        }
        return true;
    }

    static bool OnWarmBoot(void* context, u32, i32, const u8*)
    {
        auto* self = static_cast<CpmMachine*>(context);
        self->finished_ = true;
        self->cpu_.EndSlice();
        return true;
    }

    MemorySpace memory_;
    PortSpace ports_;
    Z80Cpu cpu_;
    std::string output_;
    bool finished_ = false;
    bool echo_ = false;
};
