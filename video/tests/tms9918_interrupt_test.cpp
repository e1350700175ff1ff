// The TMS9918's INT output wired as a maskable, level-triggered interrupt of a Z80 (as
// home computers wire it): the handler's status read is what acknowledges it.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "cpu/clock_interface.h"
#include "cpu/z80_cpu.h"
#include "emu/memory_space.h"
#include "emu/tests/machine_run.h"
#include "video/null_display.h"
#include "video/tests/video_rig.h"

namespace {

// Interrupt mode 1; the frame interrupt on; HALT in a loop. The handler at 0x38 counts
// in 0x8000 and, when told to, reads the status first.
std::vector<u8> Program(bool readStatus)
{
    std::vector<u8> p(0x40, 0x00);
    const u8 main[] = {
        0xF3,              // 0000 DI
        0xED, 0x56,        // 0001 IM 1
        0x31, 0x00, 0xF0,  // 0003 LD SP,F000h
        0x3E, 0x60,        // 0006 LD A,60h       display on, interrupt enabled
        0xD3, 0x99,        // 0008 OUT (99h),A
        0x3E, 0x81,        // 000A LD A,81h       register 1
        0xD3, 0x99,        // 000C OUT (99h),A
        0xFB,              // 000E EI
        0x76,              // 000F HALT
        0x18, 0xFD,        // 0010 JR 000Fh
    };
    std::copy(std::begin(main), std::end(main), p.begin());
    const u8 handler[] = {
        0xDB, 0x99,        // 0038 IN A,(99h)     (or two NOPs)
        0x21, 0x00, 0x80,  // 003A LD HL,8000h
        0x34,              // 003D INC (HL)
        0xFB,              // 003E EI
        0xC9,              // 003F RET
    };
    std::copy(std::begin(handler), std::end(handler), p.begin() + 0x38);
    if (!readStatus)
        p[0x38] = p[0x39] = 0x00;
    return p;
}

// A Z80 and a TMS9918 whose line the machine answers as pending while it is high.
class LevelMachine : public Computer {
public:
    Z80Cpu* cpu = nullptr;
    Tms9918Vdp* vdp = nullptr;
    CommandInterpreter console;
    bool level = false;
    i32 rises = 0;
    i32 accepted = 0;

    explicit LevelMachine(std::vector<u8> program) : program_(std::move(program)) { SetName("LevelPC"); }
    const char* GetId() const override { return "level_pc"; }

    bool Build(LockedDisplaySurface* display)
    {
        if (!CreateDevices())
            return false;
        cpu = new Z80Cpu;
        cpu->SetFrequency(Z80Cpu::kDefaultFrequency);
        if (!AddDevice(cpu, "Z80", nullptr))
            return false;
        vdp = new Tms9918Vdp;
        if (!AddDevice(vdp, "VDP", nullptr))
            return false;
        vdp->ConnectIrq(0, true, false);
        SetHost(&console);
        SetDisplay(display, display);
        return vdp->AttachPorts(0x98, 0x99, 0x99);
    }
    bool Start(i32* rate) override
    {
        if (!Computer::Start(rate) || !GetMemory()->Allocate(0x10000, 0))
            return false;
        GetPorts()->addressMask = 0xFF;
        std::copy(program_.begin(), program_.end(), GetMemory()->GetMemory());
        return GetInterrupts()->AddListener(this, OnQuery, OnSet, nullptr);
    }
    bool Run() { return machine_run::StartMachine(this, cpu); }
    void RunTicks(u32 ticks) { machine_run::RunBusTicks(cpu, GetEventBus(), ticks); }
    u8 Count() const { return GetMemory()->Read8(0x8000, true); }

private:
    static bool OnSet(void* context, u32, u8 state)
    {
        auto* self = static_cast<LevelMachine*>(context);
        if (state && !self->level)
            ++self->rises;
        self->level = state != 0;
        return true;
    }
    // Pending while the line is high; taking the interrupt does not lower it.
    static bool OnQuery(void* context, bool acknowledge, u32*, u32* line, u32* data)
    {
        auto* self = static_cast<LevelMachine*>(context);
        if (!self->level)
            return false;
        *line = 0;
        *data = 0xFF;
        if (acknowledge)
            ++self->accepted;
        return true;
    }

    std::vector<u8> program_;
};

} // namespace

TEST(VdpLevelInterrupt, TheStatusReadAcknowledgesOnePerFrame)
{
    NullDisplay display;
    LevelMachine machine(Program(true));
    ASSERT_TRUE(machine.Build(&display));
    ASSERT_TRUE(machine.Run());
    machine.RunTicks(10 * kTicksPerFrame);
    EXPECT_GE(machine.rises, 9);
    EXPECT_EQ(machine.accepted, machine.rises);
    EXPECT_EQ(machine.Count(), machine.rises);
    EXPECT_FALSE(machine.level);
    machine.Stop();
}

TEST(VdpLevelInterrupt, AnUnreadStatusKeepsTheInterruptComing)
{
    NullDisplay display;
    LevelMachine machine(Program(false));
    ASSERT_TRUE(machine.Build(&display));
    ASSERT_TRUE(machine.Run());
    machine.RunTicks(3 * kTicksPerFrame);
    // The line went up once and stayed: the CPU takes it again after every EI.
    EXPECT_EQ(machine.rises, 1);
    EXPECT_TRUE(machine.level);
    EXPECT_GT(machine.accepted, 100);
    machine.Stop();
}
