// Parameter set: creation, removal and lookup of a device's parameters, and "_CFP".
#include "emu/param_set.h"

#include "emu/state_block.h"
#include "emu/system_interface.h"

namespace {

const char kParamBlock[] = "_CFP";

} // namespace

ParamSet::~ParamSet()
{
    Clear();
}

void ParamSet::SetServices(SystemInterface* host, MemorySpace* memory, PortSpace* ports, InterruptLines* interrupts)
{
    host_ = host;
    memory_ = memory;
    ports_ = ports;
    interrupts_ = interrupts;
}

bool ParamSet::Adopt(ParamNode* node, bool typed)
{
    if (node == nullptr)
        return false;
    if (!typed) {
        delete node;
        return false;
    }
    node->enabled_ = true;
    // The key is the node's own name; Insert copies it before the node can go away.
    const StringA name(node->name_);
    if (!Insert(node, name.GetNarrow())) {
        delete node;
        return false;
    }
    return host_ != nullptr ? host_->ApplyParams(node) : true;
}

bool ParamSet::AddMemoryRange(const char* name, bool option, bool* connected, u64* first, u64* count,
                              MemoryReadHandler read, MemoryWriteHandler write)
{
    ParamNode* node = ParamNode::FromVariables(name, option, connected, first, count);
    return node != nullptr && Adopt(node, node->SetMemoryHandlers(read, write));
}

bool ParamSet::AddPortRange(const char* name, bool option, bool* connected, u64* first, u64* count,
                            PortReadHandler read, PortWriteHandler write)
{
    ParamNode* node = ParamNode::FromVariables(name, option, connected, first, count);
    return node != nullptr && Adopt(node, node->SetPortHandlers(read, write));
}

bool ParamSet::AddPortRangeValue(const char* name, bool option, bool locked, u64 first, u64 count,
                                 PortReadHandler read, PortWriteHandler write)
{
    ParamNode* node = ParamNode::FromValues(name, option, locked, first, count);
    return node != nullptr && Adopt(node, node->SetPortHandlers(read, write));
}

bool ParamSet::AddPortRangeEx(const char* name, bool option, bool* connected, u64* first, u64* count,
                              PortReadHandlerEx read, PortWriteHandler write)
{
    ParamNode* node = ParamNode::FromVariables(name, option, connected, first, count);
    return node != nullptr && Adopt(node, node->SetPortHandlersEx(read, write));
}

bool ParamSet::AddPortRangeExValue(const char* name, bool option, bool locked, u64 first, u64 count,
                                   PortReadHandlerEx read, PortWriteHandler write)
{
    ParamNode* node = ParamNode::FromValues(name, option, locked, first, count);
    return node != nullptr && Adopt(node, node->SetPortHandlersEx(read, write));
}

bool ParamSet::AddPortWriteRangeValue(const char* name, bool option, bool locked, u64 first, u64 count,
                                      PortWriteHandler write)
{
    ParamNode* node = ParamNode::FromValues(name, option, locked, first, count);
    return node != nullptr && Adopt(node, node->SetPortWriteHandler(write));
}

bool ParamSet::AddValue(const char* name, bool option, bool* connected, u64* value)
{
    ParamNode* node = ParamNode::FromVariables(name, option, connected, value, nullptr);
    if (node == nullptr)
        return false;
    node->type_ = ParamNode::kValue;
    return Adopt(node, true);
}

bool ParamSet::AddValuePair(const char* name, bool option, bool* connected, u64* first, u64* second)
{
    ParamNode* node = ParamNode::FromVariables(name, option, connected, first, second);
    if (node == nullptr)
        return false;
    node->type_ = ParamNode::kValuePair;
    return Adopt(node, true);
}

bool ParamSet::AddLineHandler(const char* name, bool option, bool* connected, u64* first, u64* count,
                              InterruptLineHandler handler)
{
    ParamNode* node = ParamNode::FromVariables(name, option, connected, first, count);
    return node != nullptr && Adopt(node, node->SetLineHandler(handler));
}

bool ParamSet::AddLineHandlerValue(const char* name, bool option, u64 first, u64 count, InterruptLineHandler handler)
{
    ParamNode* node = ParamNode::FromValues(name, option, true, first, count);
    return node != nullptr && Adopt(node, node->SetLineHandler(handler));
}

bool ParamSet::AddAckHandler(const char* name, bool option, bool* connected, u64* first, u64* count,
                             InterruptLineHandler handler)
{
    ParamNode* node = ParamNode::FromVariables(name, option, connected, first, count);
    return node != nullptr && Adopt(node, node->SetAckHandler(handler));
}

bool ParamSet::AddAckHandlerValue(const char* name, bool option, u64 first, u64 count, InterruptLineHandler handler)
{
    ParamNode* node = ParamNode::FromValues(name, option, true, first, count);
    return node != nullptr && Adopt(node, node->SetAckHandler(handler));
}

void ParamSet::Release(ParamNode& node)
{
    ParamApplier::Release(memory_, ports_, interrupts_, &node, owner_);
}

bool ParamSet::RemoveParam(const char* name)
{
    std::unique_ptr<ParamNode> node(Detach(name));
    if (!node)
        return true;
    // The services must not keep calling handlers of a binding that no longer exists
    // (its device may be about to go away); re-applying the rest puts back whatever
    // another binding holds on the same ports, blocks or lines.
    Release(*node);
    if (node->applied_) {
        node->SetConnected(false);
        node->RestoreVariables();
    }
    return host_ != nullptr ? host_->ApplyParams(nullptr) : true;
}

bool ParamSet::DisableParam(const char* name)
{
    ParamNode* node = Find(name);
    if (node == nullptr || !node->enabled_)
        return true;
    node->enabled_ = false;
    Release(*node);
    node->SetConnected(false);
    node->RestoreVariables();
    if (host_ != nullptr)
        host_->ApplyParams(nullptr);
    return true;
}

void ParamSet::ResetApplied()
{
    for (auto& entry : params_) {
        ParamNode& node = *entry.second;
        node.SetConnected(false);
        node.RestoreVariables();
        // The services empty their tables when they start again.
        node.installed_ = false;
    }
}

ParamNode* ParamSet::GetByIndex(i32 index)
{
    if (index < 0 || index >= GetCount())
        return nullptr;
    if (cursorIndex_ < 0) {
        cursor_ = params_.begin();
        cursorIndex_ = 0;
    }
    while (cursorIndex_ < index) {
        ++cursor_;
        ++cursorIndex_;
    }
    while (cursorIndex_ > index) {
        --cursor_;
        --cursorIndex_;
    }
    return cursor_->second.get();
}

ParamNode* ParamSet::Find(const char* name) const
{
    if (name == nullptr)
        return nullptr;
    auto it = params_.find(StringA(name));
    return it != params_.end() ? it->second.get() : nullptr;
}

ParamNode* ParamSet::Detach(const char* name)
{
    if (name == nullptr)
        return nullptr;
    auto it = params_.find(StringA(name));
    if (it == params_.end())
        return nullptr;
    DropCursor();
    ParamNode* node = it->second.release();
    params_.erase(it);
    return node;
}

bool ParamSet::Insert(ParamNode* node, const char* name)
{
    if (node == nullptr || name == nullptr)
        return false;
    StringA key(name);
    if (params_.find(key) != params_.end())
        return false;
    DropCursor();
    params_.emplace(std::move(key), std::unique_ptr<ParamNode>(node));
    return true;
}

void ParamSet::Clear()
{
    DropCursor();
    params_.clear();
}

bool ParamSet::Save(Archive& archive)
{
    return StateBlock::SaveEmpty(archive, kParamBlock);
}

bool ParamSet::Load(Archive& archive, LoadContext /*context*/)
{
    return StateBlock::LoadEmpty(archive, kParamBlock);
}
