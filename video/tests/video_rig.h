// Test rig of the video tests: a surface that keeps its pixels in memory, a small machine
// with a TMS9918 wired as the MSX wires it, and helpers to program the chip through its
// ports.
#pragma once

#include <string>
#include <vector>

#include "base/archive.h"
#include "base/memory_stream.h"
#include "base/string_a.h"
#include "emu/command_interpreter.h"
#include "emu/computer.h"
#include "emu/event_bus.h"
#include "emu/interrupt_lines.h"
#include "emu/port_space.h"
#include "emu/tests/machine_run.h"
#include "video/display_surface.h"
#include "video/tms9918.h"

// A surface with pixels in memory and an optional output size, standing in for a renderer.
class BufferSurface : public LockedDisplaySurface {
public:
    i32 outputWidth = -1;   // GetOutputSize answers false while negative
    i32 outputHeight = -1;
    i32 sizeCalls = 0;

    bool SetSize(i32 width, i32 height, bool flag) override
    {
        ++sizeCalls;
        if (width < 0 || height < 0)
            return false;
        width_ = width;
        height_ = height;
        if (!AllocatePixels())
            return false;
        return LockedDisplaySurface::SetSize(width, height, flag);
    }
    bool SetWindow(const WindowHandle*) override { return true; }
    void Invalidate() override {}
    bool GetOutputSize(i32* left, i32* top, i32* right, i32* bottom) override
    {
        if (outputWidth < 0)
            return false;
        *left = 0;
        *top = 0;
        *right = outputWidth;
        *bottom = outputHeight;
        return true;
    }

    u32 Pixel(i32 x, i32 y) const
    {
        const u32* row = GetRowPixels(y);
        return row && x >= 0 && x < width_ ? row[x] : 0;
    }
    // FNV-1a over every pixel, row 0 first: one number for a whole frame.
    u64 Digest() const
    {
        u64 hash = 0xCBF29CE484222325ull;
        for (i32 y = 0; y < height_; ++y) {
            const u32* row = GetRowPixels(y);
            for (i32 x = 0; row && x < width_; ++x) {
                for (int shift = 0; shift < 32; shift += 8) {
                    hash ^= (row[x] >> shift) & 0xFF;
                    hash *= 0x100000001B3ull;
                }
            }
        }
        return hash;
    }
    void SetFrameCounter(u32 value) { frameCounter_ = value; }
    void SetChanged(bool changed) { changed_ = changed ? 1 : 0; }
};

// A machine with nothing but the services and a TMS9918 at ports 0x98 (data) and 0x99
// (control and status), its interrupt output on line 0, and an interrupt listener that
// follows the line's level and counts its rises and falls.
class VdpMachine : public Computer {
public:
    Tms9918Vdp* vdp = nullptr;
    i32 raises = 0;
    i32 drops = 0;
    bool level = false;
    CommandInterpreter console;
    bool takeBreaks = false;

    VdpMachine() { SetName("VdpPC"); }
    const char* GetId() const override { return "vdp_pc"; }

    bool Build(LockedDisplaySurface* display)
    {
        if (!CreateDevices())
            return false;
        vdp = new Tms9918Vdp;
        if (!AddDevice(vdp, nullptr, nullptr))
            return false;
        vdp->ConnectIrq(0, true, false);
        SetHost(&console);
        SetDisplay(display, display);
        SetBreakHandler(OnBreak, this);
        return vdp->AttachPorts(0x98, 0x99, 0x99);
    }
    // As the emulation core starts a run: registration window open, then the bus at
    // 2450 Hz ticked by the caller.
    bool Run() { return machine_run::StartMachine(this, nullptr); }
    bool Start(i32* rate) override
    {
        if (!Computer::Start(rate))
            return false;
        return GetInterrupts()->AddListener(this, nullptr, OnLine, nullptr);
    }
    void Ticks(i32 count) { machine_run::StepBus(this, count); }

    // Through the port space, as the CPU reaches the chip.
    void Out(u32 port, u8 value) { GetPorts()->Write8(port, value); }
    u8 In(u32 port, bool peek = false) { return GetPorts()->Read8(port, peek, nullptr); }
    void SetRegister(i32 r, u8 value)
    {
        Out(0x99, value);
        Out(0x99, static_cast<u8>(0x80 | r));
    }
    void SetWriteAddress(u32 address)
    {
        Out(0x99, static_cast<u8>(address));
        Out(0x99, static_cast<u8>(0x40 | ((address >> 8) & 0x3F)));
    }
    void Poke(u32 address, const std::vector<u8>& bytes)
    {
        SetWriteAddress(address);
        for (u8 b : bytes)
            Out(0x98, b);
    }
    void Fill(u32 address, u8 value, u32 count) { Poke(address, std::vector<u8>(count, value)); }

    std::vector<std::string> ConsoleLines()
    {
        console.FlushPending();
        std::vector<std::string> lines;
        StringA text;
        u32 color = 0;
        for (i32 i = 0; console.GetLine(i, &text, &color); ++i)
            lines.push_back(text.CStr());
        return lines;
    }

private:
    static bool OnLine(void* context, u32, u8 state)
    {
        auto* self = static_cast<VdpMachine*>(context);
        ++(state ? self->raises : self->drops);
        self->level = state != 0;
        return true;
    }
    static bool OnBreak(void* context, bool*, bool*)
    {
        return static_cast<VdpMachine*>(context)->takeBreaks;
    }
};

// A growable stream with an archive over it.
struct StateBuffer {
    MemoryStream stream;
    Archive archive{&stream};
    StateBuffer() { stream.Allocate(0, -1); }
    std::vector<u8> Bytes()
    {
        return std::vector<u8>(stream.GetBuffer(), stream.GetBuffer() + stream.GetSize());
    }
};

// The frame timer at 2450 Hz: 200 firings a second, four per frame. A bus timer keeps its
// exact rate, so the firings come 12 ticks apart with every fourth 13 after (12.25 on
// average), and each frame takes exactly 49 ticks.
inline constexpr i32 kTicksPerFiring = 2450 / 200;
inline constexpr i32 kTicksPerFrame = 2450 / 50;
// The first bus tick after the frequency is set passes over the timers already running.
inline constexpr i32 kFirstTick = 1;
