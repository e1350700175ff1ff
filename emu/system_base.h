// The emulated system as its devices see it: root of a machine's component tree, owner of
// the services, host of every device.
//
// Tree of a built machine:
//   machine (this; its own Device part)       the machine's chips, added with AddDevice
//   services group (unnamed)                  "_BUS" "_MEM" "_PORT" "_INTR" "_KEYB"
//                                             "_MOUSE" and the (unnamed) drive bay
//
// Life: construct; CreateDevices (the machine adds its chips right after) and SetHost in
// either order; SetDisplay, SetSoundOutput; Start; inputs, parameter changes, bus ticks,
// state saves and loads; Stop; Start and Stop again as often as wanted; destroy.
//
// Start, in order (a failing step answers false and stops nothing started before it):
//   memory link cleared, break suppression reset; services group started; services handed
//   to every enabled device; parameters applied (nothing yet, not running); own device
//   started (running); every parameter applied; Connect 0x0140; memory link set, so that
//   the machine's own wiring after Start reaches the CPU through Connect 0x0002.
// Stop: the machine's devices (last first), then the services.
//
// Saved record: "VER" u8 0, the services group's component record, then the machine's.
// A system without a CPU works: main-CPU queries answer null or 0.
#pragma once

#include <vector>

#include "base/types.h"
#include "emu/component.h"
#include "emu/device.h"
#include "emu/display_change_link.h"
#include "emu/param_set.h"
#include "emu/system_interface.h"

class CpuBase;
class DriveImage;
class SoundStreamInterface;
struct MouseState;

class SystemBase : public SystemInterface, public Device {
public:
    // The emulation core's debugger: see SystemInterface::RequestBreak.
    using BreakHandler = bool (*)(void* context, bool* restart, bool* reportAnyway);

    SystemBase();
    ~SystemBase() override;

    // --- SystemInterface ---
    ClockInterface* GetMainCpu() override;
    CommandInterpreter* GetConsole() override { return console_; }
    bool IsLoadingState() override { return loading_; }
    // The emulation core raises it around the start that precedes a state load, so that
    // devices skip their power-on set-up (the state brings everything).
    void SetLoadingState(bool on) { loading_ = on; }
    u64 GetTimeUnitsPerSecond() override;
    u64 GetCurrentTime() override;
    bool ApplyParams(ParamNode* param) override;
    void PollInterrupts() override;
    bool RequestBreak(bool* restart, bool* reportAnyway) override;
    void SuppressBreaks(bool on) override;
    i64 GetTraceCount() const override { return traceCounter_ ? *traceCounter_ : 0; }

    // --- machine building ---
    // Adds a chip to the machine; a device of kind 1 (a CPU) joins the CPU list, the
    // first one being the main CPU.
    virtual bool AddDevice(Component* child, const char* name, const char* description);
    // Empties the CPU list, then deletes every chip.
    virtual void RemoveAllDevices();
    // Lets the display go (its callback removed, nothing broadcast), then removes every
    // chip.
    virtual void ClearMachine();
    // Creates the services and the drive bay anew (machines call it first when they
    // build their devices).
    virtual bool CreateDevices();

    // --- component and device ---
    bool Start(i32* rate) override;
    void Stop() override;
    // Every chip's dump, in order; true when any of them wrote something.
    bool DumpRegisters(ObjectList& lines, bool full) override;
    bool SaveComponent(Archive& archive) override;
    bool LoadComponent(Archive& archive, LoadContext context) override;
    // The same console again changes nothing; otherwise every component gets it.
    void SetHost(CommandInterpreter* console) override;

    // --- CPUs ---
    i32 GetCpuCount() const { return static_cast<i32>(cpus_.size()); }
    // Null for an index outside the list.
    CpuBase* GetCpu(i32 index) const;

    // --- the emulation core's inputs ---
    // link: the display's change callback fields (normally the display itself); the
    // system installs its callback there and removes it from the display it replaces.
    void SetDisplay(LockedDisplaySurface* display, DisplayChangeLink* link);
    // The sound output, handed to the event bus (now and whenever the bus is made anew).
    void SetSoundOutput(SoundStreamInterface* output);
    SoundStreamInterface* GetSoundOutput() const { return soundOutput_; }
    // Forwarded to the event bus (0 without one).
    i32 SetBusFrequency(i32 hz, ClockInterface* clock);
    void BusStep();
    void SetBusFlag(bool hold);
    // A key of 0 or more (or a negative one going down) is set by its low 8 bits; a
    // negative key going up releases every key.
    void ApplyKeyEvent(i32 key, bool down);
    void ApplyMouseEvent(const MouseState* record);
    void SetBreakHandler(BreakHandler handler, void* context);
    // The emulation core's count of instructions still to trace (null: none).
    void SetTraceCounter(const i64* counter) { traceCounter_ = counter; }
    i32 GetBreakSuppressCount() const { return breakSuppress_; }

    ComponentGroup& GetServicesGroup() { return services_; }

protected:
    // Hands the services to the own device and, recursively, to every enabled device.
    void ShareServices();
    void ShareServicesWith(Device* device);
    // Applies every parameter of the given type (0: all) of the device and its enabled
    // descendants; false at the first refusal.
    bool ApplyDeviceParams(Device* device, u32 type);

private:
    static void OnDisplayChanged(void* system);
    static void OnDriveChanged(void* system, DriveImage* drive, bool before);
    void ReleaseCallbacks();
    // Takes this system's callback out of the display link (when it is still there) and
    // forgets the link.
    void ReleaseDisplayLink();
    void DeleteServices();

    DeviceGroup services_;
    ParamApplier applier_;
    std::vector<CpuBase*> cpus_;
    bool loading_ = false;
    CommandInterpreter* console_ = nullptr;
    DisplayChangeLink* displayLink_ = nullptr;
    SoundStreamInterface* soundOutput_ = nullptr;
    BreakHandler breakHandler_ = nullptr;
    void* breakContext_ = nullptr;
    i32 breakSuppress_ = 0;
    const i64* traceCounter_ = nullptr;
};
