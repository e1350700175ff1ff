// Installing parameters into the services, and taking them out again.
#include "emu/memory_space.h"
#include "emu/param_set.h"

namespace {

constexpr u64 kMax32 = 0xFFFFFFFFu;

} // namespace

bool ParamApplier::Begin(ParamNode* param, u32 type)
{
    if (param == nullptr || param->type_ != type)
        return false;
    param->SetConnected(false);
    param->RestoreVariables();
    return true;
}

bool ParamApplier::Finish(ParamNode* param)
{
    param->SetConnected(true);
    param->appliedFirst_ = param->first_;
    param->appliedSecond_ = param->second_;
    param->RestoreVariables();
    return true;
}

void ParamApplier::NoteInstalled(ParamNode* param)
{
    param->installed_ = true;
    param->installedFirst_ = param->first_;
    param->installedCount_ = param->second_;
}

bool ParamApplier::ApplyValue(ParamNode* param)
{
    if (!Begin(param, ParamNode::kValue))
        return false;
    return !param->enabled_ || Finish(param);
}

bool ParamApplier::ApplyValuePair(ParamNode* param)
{
    if (!Begin(param, ParamNode::kValuePair))
        return false;
    return !param->enabled_ || Finish(param);
}

bool ParamApplier::ApplyMemoryRange(MemorySpace* memory, ParamNode* param, Device* device)
{
    if (memory == nullptr || !Begin(param, ParamNode::kMemoryRange))
        return false;
    if (!param->enabled_)
        return true;
    // A range beyond 32 bits would silently wrap onto low blocks.
    if (param->first_ > kMax32 || param->second_ > kMax32)
        return false;
    const u32 first = static_cast<u32>(param->first_);
    const u32 count = static_cast<u32>(param->second_);
    NoteInstalled(param);
    if (param->memRead_ != nullptr && !memory->SetReadHandler(first, count, device, param->memRead_, false))
        return false;
    if (param->memWrite_ != nullptr && !memory->SetWriteHandler(first, count, device, param->memWrite_, false))
        return false;
    return Finish(param);
}

bool ParamApplier::ApplyPortRange(PortSpace* ports, ParamNode* param, Device* device)
{
    if (ports == nullptr || !Begin(param, ParamNode::kPortRange))
        return false;
    if (!param->enabled_)
        return true;
    if (param->second_ == 0 || param->first_ > kMax32 || param->second_ > kMax32)
        return false;
    const u32 first = static_cast<u32>(param->first_);
    const u32 count = static_cast<u32>(param->second_);
    NoteInstalled(param);
    // Every port above 0xFFFF is refused, so these walks end long before the u32 wraps.
    if (param->portRead_ != nullptr || param->portReadEx_ != nullptr) {
        for (u32 i = 0; i < count; ++i) {
            const bool ok = param->portRead_ != nullptr
                                ? ports->SetReadHandler(first + i, device, param->portRead_)
                                : ports->SetReadHandlerEx(first + i, device, param->portReadEx_);
            if (!ok)
                return false;
        }
    }
    if (param->portWrite_ != nullptr) {
        for (u32 i = 0; i < count; ++i) {
            if (!ports->SetWriteHandler(first + i, device, param->portWrite_))
                return false;
        }
    }
    return Finish(param);
}

namespace {

// Lines v .. v+n-1 into one of the two handler tables; n below 1 is refused.
template <typename Install>
bool InstallLines(u64 first64, u64 count64, Install install)
{
    const i32 count = static_cast<i32>(static_cast<u32>(count64));
    if (count < 1 || first64 > kMax32 || count64 > kMax32)
        return false;
    const u32 first = static_cast<u32>(first64);
    for (i32 i = 0; i < count; ++i) {
        // Lines above 255 are refused, which ends the walk.
        if (!install(first + static_cast<u32>(i)))
            return false;
    }
    return true;
}

} // namespace

bool ParamApplier::ApplyInterruptHandlers(InterruptLines* interrupts, ParamNode* param, Device* device,
                                          bool acknowledge)
{
    if (interrupts == nullptr || !Begin(param, acknowledge ? ParamNode::kAckHandlers : ParamNode::kLineHandlers))
        return false;
    if (!param->enabled_)
        return true;
    NoteInstalled(param);
    InterruptLineHandler handler = param->lineHandler_;
    if (!InstallLines(param->first_, param->second_, [&](u32 line) {
            return acknowledge ? interrupts->SetAcknowledgeHandler(line, device, handler)
                               : interrupts->SetLineHandler(line, device, handler);
        }))
        return false;
    return Finish(param);
}

bool ParamApplier::ApplyLineHandlers(InterruptLines* interrupts, ParamNode* param, Device* device)
{
    return ApplyInterruptHandlers(interrupts, param, device, false);
}

bool ParamApplier::ApplyAckHandlers(InterruptLines* interrupts, ParamNode* param, Device* device)
{
    return ApplyInterruptHandlers(interrupts, param, device, true);
}

void ParamApplier::Release(MemorySpace* memory, PortSpace* ports, InterruptLines* interrupts, ParamNode* param,
                           Device* device)
{
    if (param == nullptr || !param->installed_)
        return;
    param->installed_ = false;
    const u64 first = param->installedFirst_;
    const u64 end = first + param->installedCount_;
    const void* context = device;

    // The services take out only what still carries this device as context: a machine or
    // another binding may have put something else there since.
    switch (param->type_) {
    case ParamNode::kMemoryRange:
        if (memory == nullptr || first > kMax32)
            return;
        if (param->memRead_ != nullptr)
            memory->RemoveReadHandler(static_cast<u32>(first), static_cast<u32>(param->installedCount_), context);
        if (param->memWrite_ != nullptr)
            memory->RemoveWriteHandler(static_cast<u32>(first), static_cast<u32>(param->installedCount_), context);
        break;
    case ParamNode::kPortRange: {
        if (ports == nullptr)
            return;
        const bool reads = param->portRead_ != nullptr || param->portReadEx_ != nullptr;
        for (u64 p = first; p < end && p < PortSpace::kPortCount; ++p) {
            if (reads)
                ports->RemoveReadHandler(static_cast<u32>(p), context);
            if (param->portWrite_ != nullptr)
                ports->RemoveWriteHandler(static_cast<u32>(p), context);
        }
        break;
    }
    case ParamNode::kLineHandlers:
    case ParamNode::kAckHandlers:
        if (interrupts == nullptr)
            return;
        for (u64 l = first; l < end && l < InterruptLines::kLineCount; ++l) {
            if (param->type_ == ParamNode::kLineHandlers)
                interrupts->RemoveLineHandler(static_cast<u32>(l), context);
            else
                interrupts->RemoveAcknowledgeHandler(static_cast<u32>(l), context);
        }
        break;
    default:
        break;
    }
}
