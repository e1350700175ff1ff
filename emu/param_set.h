// Parameter set: the named, typed bindings through which a device claims resources of its
// system.
//
// A parameter is a value or value pair the device publishes ("IRQ", "DMA"), a range of
// ports with the device's read and write handlers (the chips' groups "PORTS", "MEM",
// "REG", "STATE", "DATA", "MODE"), a range of 1 KB memory blocks served by its memory
// handlers, or a range of interrupt lines with its line or acknowledge handlers. It is not
// in force until the system applies it: while the system runs, the system base hands
// every parameter to the ParamApplier, which installs the handlers into the services,
// copies the values into the device's variables and raises the device's connected flag.
// Adding a parameter while the system runs re-applies every parameter of its type;
// removing or disabling one takes its handlers out of the services and re-applies all.
//
// Handler context: every installed handler receives the owning Device as its context
// (a Device* passed as void*). A chip whose Device part is not its first base converts
// back through Device*: static_cast<Chip*>(static_cast<Device*>(context)).
//
// Parameter values are never saved: devices declare them again and the system applies
// them at start. The set's "_CFP" block holds only its version:
//   F0 "_CFP", "VER" u8 0, FF "_CFP"
#pragma once

#include <map>
#include <memory>

#include "base/string_a.h"
#include "base/types.h"
#include "emu/interrupt_lines.h"
#include "emu/memory_block_entry.h"
#include "emu/port_space.h"
#include "emu/component.h"

class Archive;
class Device;
class MemorySpace;
class SystemInterface;

class ParamNode {
public:
    enum Type : u32 {
        kUnset = 0,        // being built
        kValue = 1,
        kValuePair = 2,
        kMemoryRange = 4,  // first block, block count
        kPortRange = 8,    // first port, port count
        kLineHandlers = 16,// first line, line count
        kAckHandlers = 32, // first line, line count
        kKind64 = 64,      // offered, never applied
    };
    using GenericHandler = void (*)();

    // Pointer form: the values come from the device's variables (first 0 without one;
    // second 1 without one or when it holds 0). A connected flag that is set makes the
    // parameter locked and is then cleared: it reads true again only once applied.
    static ParamNode* FromVariables(const char* name, bool option, bool* connected, u64* first, u64* second);
    // Value form: no variables; a second value of 0 is stored as 1.
    static ParamNode* FromValues(const char* name, bool option, bool locked, u64 first, u64 second);
    virtual ~ParamNode() = default;

    ParamNode(const ParamNode&) = delete;
    ParamNode& operator=(const ParamNode&) = delete;

    // Each refuses when every handler given is null, else sets the type and the handlers
    // (the other slots cleared).
    bool SetMemoryHandlers(MemoryReadHandler read, MemoryWriteHandler write);
    bool SetPortHandlers(PortReadHandler read, PortWriteHandler write);
    bool SetPortHandlersEx(PortReadHandlerEx read, PortWriteHandler write);
    bool SetPortWriteHandler(PortWriteHandler write);
    bool SetKind64Handlers(GenericHandler first, GenericHandler second);
    bool SetLineHandler(InterruptLineHandler handler);
    bool SetAckHandler(InterruptLineHandler handler);
    // Type 1 or 2, only when the option is set or a connected flag exists.
    bool MakeValue();
    bool MakeValuePair();

    // Offers a new value pair. A locked parameter accepts only its current values. The
    // outcome becomes the applied and connected state; accepted values become the applied
    // ones and reach the variables, refused ones put the current values back.
    bool SetValues(bool accept, u64 first, u64 second);
    // Disabling clears applied and connected and restores the variables.
    void SetEnabled(bool enabled);

    u32 GetType() const { return type_; }
    const StringA& GetName() const { return name_; }
    u64 GetFirst() const { return first_; }
    u64 GetSecond() const { return second_; }
    u64 GetAppliedFirst() const { return appliedFirst_; }
    u64 GetAppliedSecond() const { return appliedSecond_; }
    bool IsApplied() const { return applied_; }
    bool IsOption() const { return option_; }
    bool IsLocked() const { return locked_; }
    bool IsEnabled() const { return enabled_; }
    MemoryReadHandler GetMemoryReadHandler() const { return memRead_; }
    MemoryWriteHandler GetMemoryWriteHandler() const { return memWrite_; }
    PortReadHandler GetPortReadHandler() const { return portRead_; }
    PortReadHandlerEx GetPortReadHandlerEx() const { return portReadEx_; }
    PortWriteHandler GetPortWriteHandler() const { return portWrite_; }
    InterruptLineHandler GetLineHandler() const { return lineHandler_; }

private:
    friend class ParamSet;
    friend class ParamApplier;

    ParamNode() = default;
    void ClearHandlers();
    // Applied and the device's connected flag together.
    void SetConnected(bool on);
    // The device's variables take the given values.
    void WriteVariables(u64 first, u64 second);
    void RestoreVariables() { WriteVariables(first_, second_); }

    u32 type_ = kUnset;
    StringA name_;
    u64* firstVar_ = nullptr;
    u64* secondVar_ = nullptr;
    bool* connected_ = nullptr;
    u64 first_ = 0;
    u64 second_ = 1;
    u64 appliedFirst_ = 0;
    u64 appliedSecond_ = 0;
    bool applied_ = false;
    bool option_ = false;
    bool locked_ = false;
    bool enabled_ = false;
    MemoryReadHandler memRead_ = nullptr;
    MemoryWriteHandler memWrite_ = nullptr;
    PortReadHandler portRead_ = nullptr;
    PortReadHandlerEx portReadEx_ = nullptr;
    PortWriteHandler portWrite_ = nullptr;
    InterruptLineHandler lineHandler_ = nullptr;
    GenericHandler kind64_[2] = {nullptr, nullptr};

    // What the applier put into the services, so that it can be taken out again; kept
    // apart from applied because a range that fails half-way leaves part of it installed.
    bool installed_ = false;
    u64 installedFirst_ = 0;
    u64 installedCount_ = 0;
};

class ParamSetBase {
public:
    virtual ~ParamSetBase() = default;

    virtual bool AddMemoryRange(const char* name, bool option, bool* connected, u64* first, u64* count,
                                MemoryReadHandler read, MemoryWriteHandler write) = 0;
    virtual bool AddPortRange(const char* name, bool option, bool* connected, u64* first, u64* count,
                              PortReadHandler read, PortWriteHandler write) = 0;
    virtual bool AddPortRangeValue(const char* name, bool option, bool locked, u64 first, u64 count,
                                   PortReadHandler read, PortWriteHandler write) = 0;
    virtual bool AddPortRangeEx(const char* name, bool option, bool* connected, u64* first, u64* count,
                                PortReadHandlerEx read, PortWriteHandler write) = 0;
    virtual bool AddPortRangeExValue(const char* name, bool option, bool locked, u64 first, u64 count,
                                     PortReadHandlerEx read, PortWriteHandler write) = 0;
    virtual bool AddPortWriteRangeValue(const char* name, bool option, bool locked, u64 first, u64 count,
                                        PortWriteHandler write) = 0;
    virtual bool AddValue(const char* name, bool option, bool* connected, u64* value) = 0;
    virtual bool AddValuePair(const char* name, bool option, bool* connected, u64* first, u64* second) = 0;
    virtual bool AddLineHandler(const char* name, bool option, bool* connected, u64* first, u64* count,
                                InterruptLineHandler handler) = 0;
    virtual bool AddLineHandlerValue(const char* name, bool option, u64 first, u64 count,
                                     InterruptLineHandler handler) = 0;
    virtual bool AddAckHandler(const char* name, bool option, bool* connected, u64* first, u64* count,
                               InterruptLineHandler handler) = 0;
    virtual bool AddAckHandlerValue(const char* name, bool option, u64 first, u64 count,
                                    InterruptLineHandler handler) = 0;
    virtual bool RemoveParam(const char* name) = 0;
    virtual bool DisableParam(const char* name) = 0;
};

class ParamSet : public ParamSetBase {
public:
    // owner: the device whose handlers the parameters carry (their context).
    explicit ParamSet(Device* owner = nullptr) : owner_(owner) {}
    ~ParamSet() override;

    ParamSet(const ParamSet&) = delete;
    ParamSet& operator=(const ParamSet&) = delete;

    // Each answers false, leaving no parameter behind, for a null name, missing handlers
    // or a name already in the set; with a host the answer is then that of the
    // re-application (which may be false although the parameter stays).
    bool AddMemoryRange(const char* name, bool option, bool* connected, u64* first, u64* count,
                        MemoryReadHandler read, MemoryWriteHandler write) override;
    bool AddPortRange(const char* name, bool option, bool* connected, u64* first, u64* count,
                      PortReadHandler read, PortWriteHandler write) override;
    bool AddPortRangeValue(const char* name, bool option, bool locked, u64 first, u64 count,
                           PortReadHandler read, PortWriteHandler write) override;
    bool AddPortRangeEx(const char* name, bool option, bool* connected, u64* first, u64* count,
                        PortReadHandlerEx read, PortWriteHandler write) override;
    bool AddPortRangeExValue(const char* name, bool option, bool locked, u64 first, u64 count,
                             PortReadHandlerEx read, PortWriteHandler write) override;
    bool AddPortWriteRangeValue(const char* name, bool option, bool locked, u64 first, u64 count,
                                PortWriteHandler write) override;
    bool AddValue(const char* name, bool option, bool* connected, u64* value) override;
    bool AddValuePair(const char* name, bool option, bool* connected, u64* first, u64* second) override;
    bool AddLineHandler(const char* name, bool option, bool* connected, u64* first, u64* count,
                        InterruptLineHandler handler) override;
    bool AddLineHandlerValue(const char* name, bool option, u64 first, u64 count,
                             InterruptLineHandler handler) override;
    bool AddAckHandler(const char* name, bool option, bool* connected, u64* first, u64* count,
                       InterruptLineHandler handler) override;
    bool AddAckHandlerValue(const char* name, bool option, u64 first, u64 count,
                            InterruptLineHandler handler) override;
    // Takes the parameter out (true when there is none), removes what it installed from
    // the services, restores the device's variables and re-applies all parameters.
    bool RemoveParam(const char* name) override;
    // The parameter stays but is never installed again; always true.
    bool DisableParam(const char* name) override;

    virtual bool Save(Archive& archive);
    virtual bool Load(Archive& archive, LoadContext context);
    // Device::Stop: every parameter not applied, variables restored. Nothing is removed
    // from the services (they clear their tables when they start).
    virtual void ResetApplied();

    // i-th parameter in name order, null outside 0..count-1. Walking by rising or falling
    // index costs one step per call.
    ParamNode* GetByIndex(i32 index);
    i32 GetCount() const { return static_cast<i32>(params_.size()); }
    ParamNode* Find(const char* name) const;
    // Takes the parameter out without deleting it (the caller owns it), or null.
    ParamNode* Detach(const char* name);
    // Refused for a null name or node and for a name already taken.
    bool Insert(ParamNode* node, const char* name);
    void Clear();

    // Given by Device::SetServices: the host re-applies parameters; the services are where
    // a removed parameter's handlers are taken out again.
    void SetHost(SystemInterface* host) { host_ = host; }
    void SetServices(SystemInterface* host, MemorySpace* memory, PortSpace* ports, InterruptLines* interrupts);
    SystemInterface* GetHost() const { return host_; }
    Device* GetOwner() const { return owner_; }

private:
    using Map = std::map<StringA, std::unique_ptr<ParamNode>, StringALess>;

    // Steps shared by the Add operations once the node is built and typed.
    bool Adopt(ParamNode* node, bool typed);
    void DropCursor() { cursorIndex_ = -1; }
    // Takes what node installed out of the services.
    void Release(ParamNode& node);

    Map params_;
    Map::iterator cursor_;
    i32 cursorIndex_ = -1;
    SystemInterface* host_ = nullptr;
    MemorySpace* memory_ = nullptr;
    PortSpace* ports_ = nullptr;
    InterruptLines* interrupts_ = nullptr;
    Device* owner_ = nullptr;
};

// Installs one parameter into the service that matches its type. The system base holds
// one and calls the operation that matches each parameter's type; device is the owner,
// the context every installed handler receives.
class ParamApplier {
public:
    virtual ~ParamApplier() = default;

    virtual bool ApplyMemoryRange(MemorySpace* memory, ParamNode* param, Device* device);
    virtual bool ApplyPortRange(PortSpace* ports, ParamNode* param, Device* device);
    virtual bool ApplyValue(ParamNode* param);
    virtual bool ApplyValuePair(ParamNode* param);
    virtual bool ApplyLineHandlers(InterruptLines* interrupts, ParamNode* param, Device* device);
    virtual bool ApplyAckHandlers(InterruptLines* interrupts, ParamNode* param, Device* device);

    // Takes out of the services what param installed, where the services still hold the
    // device's handlers; any null service is skipped.
    static void Release(MemorySpace* memory, PortSpace* ports, InterruptLines* interrupts, ParamNode* param,
                        Device* device);

private:
    // The opening of every application: false when the node is not of type, else the
    // node is disconnected and its variables restored.
    static bool Begin(ParamNode* param, u32 type);
    static bool Finish(ParamNode* param);
    static void NoteInstalled(ParamNode* param);
    // Line handlers, or acknowledge handlers with acknowledge set.
    static bool ApplyInterruptHandlers(InterruptLines* interrupts, ParamNode* param, Device* device,
                                       bool acknowledge);
};
