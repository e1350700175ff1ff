#include "emu/interrupt_lines.h"

#include "emu/state_block.h"
#include "emu/system_interface.h"

namespace {

const char* const kBlock = "_INTRS";

} // namespace

InterruptLines::InterruptLines()
{
    SetName("_INTR");
}

InterruptLines::~InterruptLines() = default;

void InterruptLines::PollCpus()
{
    if (system_)
        system_->PollInterrupts();
}

bool InterruptLines::CallHandler(const HandlerEntry* table, u32 line, u32 a, u32 b, u64* out)
{
    if (line >= kLineCount || !table[line].handler)
        return false;
    ClockInterface* clock = system_ ? system_->GetMainCpu() : nullptr;
    return table[line].handler(table[line].context, line, a, b, clock, out);
}

bool InterruptLines::CallLineHandler(u32 line, u32 a, u32 b, u64* out)
{
    *out = 100;
    return CallHandler(lineHandlers_, line, a, b, out);
}

bool InterruptLines::CallAcknowledgeHandler(u32 line, u32 a, u32 b, u64* out)
{
    *out = 0;
    return CallHandler(ackHandlers_, line, a, b, out);
}

bool InterruptLines::QueryPending(bool acknowledge, u32* extra, u32* line, u32* data)
{
    for (const InterruptListener& l : listeners_) {
        if (l.query && l.query(l.context, acknowledge, extra, line, data))
            return true;
    }
    return false;
}

bool InterruptLines::SetLine(u32 line, u8 state)
{
    bool taken = false;
    // A set callback may add or remove listeners; walk by index over a stable count.
    for (size_t i = 0; i < listeners_.size(); ++i) {
        const InterruptListener l = listeners_[i];
        if (l.set && l.set(l.context, line, state)) {
            taken = true;
            break;
        }
    }
    if (state != 0)
        PollCpus();
    return taken;
}

u32 InterruptLines::QueryFirst(u32 line)
{
    for (const InterruptListener& l : listeners_) {
        if (l.probe)
            return l.probe(l.context, line);
    }
    return 0;
}

u32 InterruptLines::RaiseLine(u32 line, u8 flag)
{
    if (flag != 0) {
        PollCpus();
        if (const u32 first = QueryFirst(line))
            return first;
    }
    return SetLine(line, 1) ? 1 : 0;
}

bool InterruptLines::AddListener(void* context, InterruptQueryCallback query, InterruptSetCallback set,
                                 InterruptProbeCallback probe)
{
    for (const InterruptListener& l : listeners_) {
        if (l.context == context)
            return l.query == query && l.set == set && l.probe == probe;
    }
    listeners_.push_back({context, query, probe, set});
    return true;
}

void InterruptLines::RemoveListener(void* context)
{
    for (auto it = listeners_.begin(); it != listeners_.end(); ++it) {
        if (it->context == context) {
            listeners_.erase(it);
            return;
        }
    }
}

bool InterruptLines::PutHandler(HandlerEntry* table, u32 line, void* context, InterruptLineHandler handler)
{
    if (line >= kLineCount)
        return false;
    table[line] = {context, handler};
    return true;
}

bool InterruptLines::TakeHandler(HandlerEntry* table, u32 line, const void* context)
{
    if (line >= kLineCount)
        return false;
    if (table[line].context == context)
        table[line] = {};
    return true;
}

bool InterruptLines::SetLineHandler(u32 line, void* context, InterruptLineHandler handler)
{
    return PutHandler(lineHandlers_, line, context, handler);
}

bool InterruptLines::SetAcknowledgeHandler(u32 line, void* context, InterruptLineHandler handler)
{
    return PutHandler(ackHandlers_, line, context, handler);
}

bool InterruptLines::RemoveLineHandler(u32 line, const void* context)
{
    return TakeHandler(lineHandlers_, line, context);
}

bool InterruptLines::RemoveAcknowledgeHandler(u32 line, const void* context)
{
    return TakeHandler(ackHandlers_, line, context);
}

bool InterruptLines::Start(i32* rate)
{
    (void)rate;
    for (u32 i = 0; i < kLineCount; ++i) {
        lineHandlers_[i].handler = nullptr;
        ackHandlers_[i].handler = nullptr;
    }
    listeners_.clear();
    return true;
}

void InterruptLines::Stop()
{
    listeners_.clear();
}

bool InterruptLines::SaveState(Archive& archive)
{
    return StateBlock::SaveEmpty(archive, kBlock);
}

bool InterruptLines::LoadState(Archive& archive, LoadContext)
{
    return StateBlock::LoadEmpty(archive, kBlock);
}
