// Service "_INTR": where devices that raise interrupts, the machine that decides what an
// interrupt means, and the CPU that polls and acknowledges meet.
//
//   device  --SetLine(line, 1)-->  listeners' set callbacks (first to answer true takes it),
//                                  then every CPU is asked to poll before its next
//                                  instruction (SystemInterface::PollInterrupts)
//   CPU     --QueryPending(false, ...)-->  first listener with an interrupt pending answers
//           --QueryPending(true, ...)--->  the same, and the listener clears it
//
// Beside the listeners there are 256 line handlers and 256 acknowledge handlers; the CPU
// offers an accepted interrupt to the acknowledge handler of its line first, and one that
// answers true takes the acceptance over.
//
// The machine registers its listener after the services have started, at every start;
// Start empties the handler tables and the listener list, Stop the listener list.
// Saved state "_INTRS": a version only (a pending interrupt lives in the listener's state).
#pragma once

#include <vector>

#include "base/types.h"
#include "emu/component.h"

class Archive;
class ClockInterface;
class SystemInterface;

// clock: the first CPU's clock, null when the system has none. out: cycles the handler
// adds (the CPU charges them).
using InterruptLineHandler = bool (*)(void* context, u32 line, u32 a, u32 b, ClockInterface* clock, u64* out);
// Answers whether the listener has an interrupt pending; then fills *line and *data (the
// byte the device puts on the bus) and *extra; with acknowledge set it clears its pending
// state. Callbacks leave the outputs alone when nothing is pending.
using InterruptQueryCallback = bool (*)(void* context, bool acknowledge, u32* extra, u32* line, u32* data);
// True when the listener took the line.
using InterruptSetCallback = bool (*)(void* context, u32 line, u8 state);
using InterruptProbeCallback = u32 (*)(void* context, u32 line);

struct InterruptListener {
    void* context;
    InterruptQueryCallback query;
    InterruptProbeCallback probe;
    InterruptSetCallback set;
};

class InterruptLinesBase {
public:
    virtual ~InterruptLinesBase() = default;

    virtual bool CallLineHandler(u32 line, u32 a, u32 b, u64* out) = 0;
    virtual bool CallAcknowledgeHandler(u32 line, u32 a, u32 b, u64* out) = 0;
    virtual bool QueryPending(bool acknowledge, u32* extra, u32* line, u32* data) = 0;
    virtual bool SetLine(u32 line, u8 state) = 0;
    virtual u32 RaiseLine(u32 line, u8 flag) = 0;
    virtual u32 QueryFirst(u32 line) = 0;
};

class InterruptLines final : public InterruptLinesBase, public Component {
public:
    static constexpr u32 kLineCount = 256;

    InterruptLines();
    ~InterruptLines() override;

    // Sets *out to 100 first; false for a line above 255 or without a handler.
    bool CallLineHandler(u32 line, u32 a, u32 b, u64* out) override;
    // Sets *out to 0 first; the CPU's restart codes 0xFFF0-0xFFF7 always answer false.
    bool CallAcknowledgeHandler(u32 line, u32 a, u32 b, u64* out) override;
    // The first listener's nonzero answer; false when none has anything pending. The
    // outputs are written only by the listeners.
    bool QueryPending(bool acknowledge, u32* extra, u32* line, u32* data) override;
    // Offers the line to the listeners (the first to answer true takes it); a nonzero
    // state then asks every CPU to poll, whether or not a listener took it.
    bool SetLine(u32 line, u8 state) override;
    u32 RaiseLine(u32 line, u8 flag) override;
    // The first listener with a probe callback decides; 0 without one.
    u32 QueryFirst(u32 line) override;

    // A second listener with the same context is never added: the answer says whether
    // its callbacks match the ones given.
    bool AddListener(void* context, InterruptQueryCallback query, InterruptSetCallback set,
                     InterruptProbeCallback probe);
    void RemoveListener(void* context);
    i32 GetListenerCount() const { return static_cast<i32>(listeners_.size()); }
    // False for a line above 255; a null handler empties the line.
    bool SetLineHandler(u32 line, void* context, InterruptLineHandler handler);
    bool SetAcknowledgeHandler(u32 line, void* context, InterruptLineHandler handler);

    // Empty a line when its handler is still the one installed with context; false for
    // a line above 255.
    bool RemoveLineHandler(u32 line, const void* context);
    bool RemoveAcknowledgeHandler(u32 line, const void* context);

    void SetSystem(SystemInterface* system) { system_ = system; }

    // Empties both handler tables (contexts stay) and the listener list.
    bool Start(i32* rate) override;
    // Empties the listener list; the tables stay.
    void Stop() override;
    bool SaveState(Archive& archive) override;
    bool LoadState(Archive& archive, LoadContext context) override;

private:
    struct HandlerEntry {
        void* context = nullptr;
        InterruptLineHandler handler = nullptr;
    };

    void PollCpus();
    bool CallHandler(const HandlerEntry* table, u32 line, u32 a, u32 b, u64* out);
    static bool PutHandler(HandlerEntry* table, u32 line, void* context, InterruptLineHandler handler);
    static bool TakeHandler(HandlerEntry* table, u32 line, const void* context);

    SystemInterface* system_ = nullptr;
    HandlerEntry lineHandlers_[kLineCount];
    HandlerEntry ackHandlers_[kLineCount];
    std::vector<InterruptListener> listeners_;
};
