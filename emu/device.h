// Device: the base of every emulated chip, of the CPU base and of the system base.
//
// On top of the component group it holds the pointers to the services of its system, its
// own parameter set (the named resource bindings the system installs while it runs), a
// running flag, the "IRQ" output binding, the "_DEV" state block, the Connect broadcast
// through which the system tells every device that its wiring changed, and the walk of a
// device tree through a settings dictionary.
//
// A device's component record holds, in this order: the parameter set's "_CFP" block, the
// "_DEV" block (F0 "_DEV", "VER" u8 0, FF "_DEV"), the chip's own blocks, the records of
// its enabled children. Chips override Start, SaveState and LoadState and call the
// Device version first; BindSettings binds their own keys and then calls the group's.
//
// Connect flags (sent by the system base):
//   0x0140 end of Start             0x0100 display changed
//   0x0200 before a medium change    0x0040 after it
//   0xFFFF after a state was loaded  0x008E after all parameters were applied
//   0x0082 / 0x0084 / 0x0088 / 0x0080 after memory / port / value and interrupt /
//                                     value-pair parameters were applied
// Bit 0x02 goes with memory-map changes: the CPU copies the block table anew.
#pragma once

#include "base/string_w.h"
#include "base/types.h"
#include "emu/component.h"

class DriveBay;
class FileStream;
class EventBus;
class InterruptLines;
class KeyboardService;
class LockedDisplaySurface;
class MemorySpace;
class MouseService;
class ObjectList;
class ParamSet;
class PortSpace;
class StreamInterface;
class SystemInterface;

// The per-user data folder's name (base/program_folders.h): it holds user copies of the
// data files and the machines' settings files.
inline constexpr char kDataFolderName[] = "KUVMorvuEmu";

inline constexpr u32 kConnectStarted = 0x0140;
inline constexpr u32 kConnectDisplay = 0x0100;
inline constexpr u32 kConnectMediaBefore = 0x0200;
inline constexpr u32 kConnectMediaAfter = 0x0040;
inline constexpr u32 kConnectStateLoaded = 0xFFFF;
inline constexpr u32 kConnectParams = 0x0080;
inline constexpr u32 kConnectMemoryMap = 0x0002;
inline constexpr u32 kConnectPorts = 0x0004;
inline constexpr u32 kConnectInterrupts = 0x0008;
inline constexpr u32 kConnectAllParams = kConnectParams | kConnectMemoryMap | kConnectPorts | kConnectInterrupts;

class Device : public ComponentGroup {
public:
    // Menu kind of the debugger's trace and break entries: every sub-unit with entries
    // gets a submenu named after it.
    static constexpr i32 kMenuDebug = 6;

    Device();
    ~Device() override;

    // Sets running, then starts the enabled children (running stays set when one fails).
    bool Start(i32* rate) override;
    // Stops the enabled children last first, marks every binding not applied (bound
    // variables restored), clears running.
    void Stop() override;
    void BuildMenu(OptionItem* menu, i32 kind) override;
    bool IsDevice() const override { return true; }
    // The "_CFP" block of the parameter set, then "_DEV".
    bool SaveState(Archive& archive) override;
    bool LoadState(Archive& archive, LoadContext context) override;

    // The system's wiring changed (flags above). Base: passes the flags to every enabled
    // child device in order; the first false stops the pass and is answered.
    virtual bool Connect(u32 flags);
    // Reserved: answers false; no device overrides it.
    virtual bool ReservedConnect(u32, u32, u32, u32, u32, u32, u32, u32) { return false; }
    virtual bool IsSelectable() const { return false; }
    // Appends the device's register lines; full asks for the debugger's register panel.
    // Base: adds nothing and answers false.
    virtual bool DumpRegisters(ObjectList& lines, bool full);

    // Stores the service pointers (note: drive bay before mouse) and gives the host to the
    // parameter set.
    void SetServices(SystemInterface* host, EventBus* bus, MemorySpace* memory, PortSpace* ports,
                     InterruptLines* interrupts, LockedDisplaySurface* display,
                     KeyboardService* keyboard, DriveBay* driveBay, MouseService* mouse);

    // Binds the device's interrupt output to line: the "IRQ" binding is replaced (a
    // negative line leaves none). The output is live (IsIrqConnected) only while the
    // system has the binding applied.
    void ConnectIrq(i32 line, bool connected, bool option);

    // Snapshot of a device tree's settings: the device's own keys (and those of every
    // descendant that is not a device), then one child node per device child that has
    // any keys, named after it. False on a name clash among device children.
    bool BindSettingsTree(Dictionary* dict, bool enabledOnly);
    // The reverse: reads one node from stream into this device and, through the child
    // loader, into its device children; validates each device's settings when its values
    // are over. tracked: only enabled nodes bind and validate, and *changed is raised
    // when a value differs.
    bool LoadSettingsTree(StreamInterface& stream, bool tracked, bool* changed);

    // Hooks of the settings dictionary (context: the device).
    static bool LoadChildSettings(void* device, StreamInterface& stream, const StringA& name, bool& changed);
    static bool LoadChildSettingsTracked(void* device, StreamInterface& stream, const StringA& name,
                                         bool& changed);
    // Child loaders that load the node into the device itself when the node bears the
    // device's own name (case counts), for a dictionary bound to the device's parent.
    static bool LoadOwnSettings(void* device, StreamInterface& stream, const StringA& name, bool& changed);
    static bool LoadOwnSettingsTracked(void* device, StreamInterface& stream, const StringA& name,
                                       bool& changed);
    static bool ValidateAllHook(void* device, const StringA* childName);
    static bool ValidateEnabledHook(void* device, const StringA* childName);

    // --- data files (device_files.cpp) ---
    // Searches the configs folders of the program and of the per-user data folder for a
    // bare name (see device_files.cpp for the order). True with the first readable
    // candidate in out; false with out emptied.
    bool LocateFile(const PathString& name, PathString& out);
    // Opens the first of up to five names whose file is found and not empty; the search
    // ends at the first empty name. Answers its number (1 to 5), or 0 with the stream
    // closed and the failure printed ("[ERROR] ..."). report prints the "[INIT]" line.
    int FindOneOf(FileStream& stream, const StringA& description, const PathString& name1,
                  const PathString& name2 = PathString(), const PathString& name3 = PathString(),
                  const PathString& name4 = PathString(), const PathString& name5 = PathString(),
                  bool report = false);
    // Copies the file found into the memory space's backing store at position; sizes are
    // inclusive bounds, 0 meaning none. Answers the name's number, or 0 after printing
    // why. The End forms place the file so that it ends just before end.
    int LoadFileToMemory(u32 position, u32 minSize, u32 maxSize, const StringA& description,
                         const PathString& name1, const PathString& name2 = PathString(),
                         const PathString& name3 = PathString(), const PathString& name4 = PathString(),
                         const PathString& name5 = PathString());
    int LoadFileToMemoryEnd(u32 end, u32 minSize, u32 maxSize, const StringA& description,
                            const PathString& name1, const PathString& name2 = PathString(),
                            const PathString& name3 = PathString(), const PathString& name4 = PathString(),
                            const PathString& name5 = PathString());
    // Two files of equal size interleaved: the first at even offsets from position, the
    // second at odd ones. Messages name first and second even when an alternative was
    // taken.
    bool LoadFilePairToMemory(u32 position, const StringA& description, const PathString& first,
                              const PathString& second, const PathString& altFirst = PathString(),
                              const PathString& altSecond = PathString());
    bool LoadFilePairToMemoryEnd(u32 end, const StringA& description, const PathString& first,
                                 const PathString& second);
    // The loads' second half, on files already found (each search runs once, so what it
    // passed over is told once).
    bool LoadFoundToMemory(FileStream& stream, u32 position, u32 minSize, u32 maxSize, const StringA& description,
                           const PathString& name);
    bool LoadFoundPairToMemory(FileStream& even, FileStream& odd, u32 position, const StringA& description,
                               const PathString& first, const PathString& second);

    ParamSet* GetParamSet() const { return params_; }
    SystemInterface* GetHost() const { return host_; }
    EventBus* GetEventBus() const { return bus_; }
    MemorySpace* GetMemory() const { return memory_; }
    PortSpace* GetPorts() const { return ports_; }
    InterruptLines* GetInterrupts() const { return interrupts_; }
    LockedDisplaySurface* GetDisplay() const { return display_; }
    KeyboardService* GetKeyboard() const { return keyboard_; }
    MouseService* GetMouse() const { return mouse_; }
    DriveBay* GetDriveBay() const { return driveBay_; }
    bool IsRunning() const { return running_; }
    bool IsIrqConnected() const { return irqConnected_; }
    u64 GetIrqLine() const { return irqLine_; }

protected:
    ParamSet* params_;
    SystemInterface* host_ = nullptr;
    EventBus* bus_ = nullptr;
    MemorySpace* memory_ = nullptr;
    PortSpace* ports_ = nullptr;
    InterruptLines* interrupts_ = nullptr;
    LockedDisplaySurface* display_ = nullptr;
    KeyboardService* keyboard_ = nullptr;
    MouseService* mouse_ = nullptr;
    DriveBay* driveBay_ = nullptr;
    bool running_ = false;
    bool irqConnected_ = false; // the "IRQ" binding is applied: the chip may raise its line
    u64 irqLine_ = 0;           // interrupt line of the "IRQ" binding

private:
    static bool LoadChild(void* device, StreamInterface& stream, const StringA& name, bool& changed,
                          bool tracked);
    static bool LoadOwn(void* device, StreamInterface& stream, const StringA& name, bool& changed, bool tracked);
    static bool Validate(void* device, const StringA* childName, bool enabledOnly);
};
