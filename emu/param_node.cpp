// One parameter of a device: its values, its handlers and whether it is in force.
#include "emu/param_set.h"

ParamNode* ParamNode::FromVariables(const char* name, bool option, bool* connected, u64* first, u64* second)
{
    if (name == nullptr)
        return nullptr;
    ParamNode* node = new ParamNode;
    node->name_.Assign(name);
    node->firstVar_ = first;
    node->secondVar_ = second;
    node->connected_ = connected;
    node->first_ = first != nullptr ? *first : 0;
    node->second_ = second != nullptr && *second != 0 ? *second : 1;
    if (connected != nullptr) {
        node->locked_ = *connected;
        *connected = false;
    }
    node->option_ = option;
    return node;
}

ParamNode* ParamNode::FromValues(const char* name, bool option, bool locked, u64 first, u64 second)
{
    if (name == nullptr)
        return nullptr;
    ParamNode* node = new ParamNode;
    node->name_.Assign(name);
    node->first_ = first;
    node->second_ = second != 0 ? second : 1;
    node->locked_ = locked;
    node->option_ = option;
    return node;
}

void ParamNode::ClearHandlers()
{
    memRead_ = nullptr;
    memWrite_ = nullptr;
    portRead_ = nullptr;
    portReadEx_ = nullptr;
    portWrite_ = nullptr;
    lineHandler_ = nullptr;
    kind64_[0] = kind64_[1] = nullptr;
}

bool ParamNode::SetMemoryHandlers(MemoryReadHandler read, MemoryWriteHandler write)
{
    if (read == nullptr && write == nullptr)
        return false;
    ClearHandlers();
    type_ = kMemoryRange;
    memRead_ = read;
    memWrite_ = write;
    return true;
}

bool ParamNode::SetPortHandlers(PortReadHandler read, PortWriteHandler write)
{
    if (read == nullptr && write == nullptr)
        return false;
    ClearHandlers();
    type_ = kPortRange;
    portRead_ = read;
    portWrite_ = write;
    return true;
}

bool ParamNode::SetPortHandlersEx(PortReadHandlerEx read, PortWriteHandler write)
{
    if (read == nullptr && write == nullptr)
        return false;
    ClearHandlers();
    type_ = kPortRange;
    portReadEx_ = read;
    portWrite_ = write;
    return true;
}

bool ParamNode::SetPortWriteHandler(PortWriteHandler write)
{
    return SetPortHandlers(nullptr, write);
}

bool ParamNode::SetKind64Handlers(GenericHandler first, GenericHandler second)
{
    if (first == nullptr && second == nullptr)
        return false;
    ClearHandlers();
    type_ = kKind64;
    kind64_[0] = first;
    kind64_[1] = second;
    return true;
}

bool ParamNode::SetLineHandler(InterruptLineHandler handler)
{
    if (handler == nullptr)
        return false;
    ClearHandlers();
    type_ = kLineHandlers;
    lineHandler_ = handler;
    return true;
}

bool ParamNode::SetAckHandler(InterruptLineHandler handler)
{
    if (handler == nullptr)
        return false;
    ClearHandlers();
    type_ = kAckHandlers;
    lineHandler_ = handler;
    return true;
}

bool ParamNode::MakeValue()
{
    if (!option_ && connected_ == nullptr)
        return false;
    ClearHandlers();
    type_ = kValue;
    return true;
}

bool ParamNode::MakeValuePair()
{
    if (!option_ && connected_ == nullptr)
        return false;
    ClearHandlers();
    type_ = kValuePair;
    return true;
}

void ParamNode::SetConnected(bool on)
{
    applied_ = on;
    if (connected_ != nullptr)
        *connected_ = on;
}

void ParamNode::WriteVariables(u64 first, u64 second)
{
    if (firstVar_ != nullptr)
        *firstVar_ = first;
    if (secondVar_ != nullptr)
        *secondVar_ = second;
}

bool ParamNode::SetValues(bool accept, u64 first, u64 second)
{
    bool outcome = accept;
    if (accept && locked_)
        outcome = first == first_ && second == second_;
    SetConnected(outcome);
    if (outcome) {
        appliedFirst_ = first;
        appliedSecond_ = second;
        WriteVariables(first, second);
    } else {
        RestoreVariables();
    }
    return outcome;
}

void ParamNode::SetEnabled(bool enabled)
{
    if (enabled == enabled_)
        return;
    enabled_ = enabled;
    if (!enabled) {
        SetConnected(false);
        RestoreVariables();
    }
}
