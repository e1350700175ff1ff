// Small devices and a machine built from the real framework, for the system and computer
// tests.
#pragma once

#include <string>
#include <vector>

#include "base/dictionary.h"
#include "base/string_a.h"
#include "emu/command_interpreter.h"
#include "emu/computer.h"
#include "emu/device.h"
#include "emu/event_bus.h"
#include "emu/memory_space.h"
#include "emu/param_set.h"
#include "emu/port_space.h"

// A chip that records what the system tells it and ticks on a 50 Hz bus timer.
class ProbeDevice : public Device {
public:
    std::vector<u32> connects;
    std::vector<std::string>* journal = nullptr;  // shared start/stop order
    bool failStart = false;
    u8 period = 5;          // a setting ("Period")
    u64 ticks = 0;

    bool Start(i32* rate) override
    {
        if (!Device::Start(rate))
            return false;
        if (journal)
            journal->push_back(std::string("start ") + GetName());
        if (failStart)
            return false;
        if (GetEventBus())
            GetEventBus()->AddTimer(50, Tick, this, "UpdateEvent", 0, 0, false);
        return true;
    }
    void Stop() override
    {
        if (journal)
            journal->push_back(std::string("stop ") + GetName());
        Device::Stop();
    }
    bool Connect(u32 flags) override
    {
        connects.push_back(flags);
        return Device::Connect(flags);
    }
    bool BindSettings(Dictionary* dict, bool enabledOnly) override
    {
        if (dict)
            dict->BindUInt8("Period", &period);
        return ComponentGroup::BindSettings(dict, enabledOnly);
    }

    static bool Tick(Component* user, u64*, u32*)
    {
        ++static_cast<ProbeDevice*>(user)->ticks;
        return true;
    }
};

// The smallest machine: the framework's services, whatever devices a test adds, and 16 KB
// of memory that it maps after the system has started (its own wiring).
class TestMachine : public Computer {
public:
    explicit TestMachine(const char* id = "test_pc") : id_(id) { SetName("TestPC"); }

    const char* GetId() const override { return id_; }

    bool Start(i32* rate) override
    {
        if (!Computer::Start(rate))
            return false;
        MemorySpace* memory = GetMemory();
        return memory && memory->Allocate(0x4000, 0);
    }

    // With the event bus's registration window open around Start, as the emulation core
    // does, so that the timers and events added while starting can be saved by name.
    bool StartLikeTheCore()
    {
        GetEventBus()->SetRegistrationOpen(true);
        i32 rate = 0;
        const bool started = Start(&rate);
        GetEventBus()->SetRegistrationOpen(false);
        return started;
    }

private:
    const char* id_;
};

// Every line of a console, oldest first.
inline std::vector<std::string> ConsoleLines(CommandInterpreter& console)
{
    console.FlushPending();
    std::vector<std::string> lines;
    StringA text;
    u32 color = 0;
    for (i32 i = 0; console.GetLine(i, &text, &color); ++i)
        lines.push_back(text.CStr());
    return lines;
}
