// Option items: tree, condition lists, states and actions.
#include "emu/option_item.h"

#include "base/string_a.h"
#include "base/string_base.h"

namespace {

// Marks one bit of an item's busy byte for the lifetime of a query.
class BusyScope {
public:
    BusyScope(u8& busy, u8 bit) : busy_(busy), bit_(bit) { busy_ = static_cast<u8>(busy_ | bit_); }
    ~BusyScope() { busy_ = static_cast<u8>(busy_ & ~bit_); }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    u8& busy_;
    u8 bit_;
};

u8 LowByte(u32 value)
{
    return static_cast<u8>(value & 0xFF);
}

} // namespace

OptionItem::~OptionItem()
{
    DeleteChildren();
}

// --- tree ------------------------------------------------------------------------------

bool OptionItem::AddChild(OptionItem* item)
{
    if (item == nullptr)
        return false;
    if (item->GetParent() == this)
        return true;
    children_.push_back(item);
    item->SetParent(this);
    return true;
}

OptionItem* OptionItem::AddChildItem(OptionItem* item)
{
    return AddChild(item) ? item : nullptr;
}

bool OptionItem::SetParent(OptionItem* parent)
{
    parent_ = parent;
    return true;
}

void OptionItem::DeleteChildren()
{
    for (OptionItem*& child : children_) {
        delete child;
        child = nullptr;
    }
    children_.clear();
}

void OptionItem::SetName(const StringBase& name)
{
    name_.Assign(name);
}

void OptionItem::SetName(const char* name)
{
    name_.FromNarrow(name);
}

void OptionItem::SetDescription(const StringBase& description)
{
    description_.Assign(description);
}

OptionItem* OptionItem::AddItem(const StringBase& name)
{
    if (IsSeparator())
        return nullptr;
    OptionItem* item = new OptionItem;
    if (!AddChild(item)) {
        delete item;
        return nullptr;
    }
    item->SetName(name);
    return item;
}

OptionItem* OptionItem::AddItem(const char* name)
{
    return AddItem(StringA(name));
}

OptionItem* OptionItem::AddItemEnabledIf(const StringBase& name, u8* enableVariable, u8 enableValue)
{
    OptionItem* item = AddItem(name);
    if (item != nullptr && enableVariable != nullptr)
        item->AddEnabledIfByte(enableVariable, enableValue);
    return item;
}

OptionItem* OptionItem::AddCheckItem(const StringBase& name, u8* variable, u8 value, u8* enableVariable,
                                     u8 enableValue)
{
    OptionItem* item = variable != nullptr ? AddItemEnabledIf(name, enableVariable, enableValue) : nullptr;
    if (item != nullptr) {
        item->AddCheckedIfByte(variable, value);
        item->AddActionToggleByte(variable);
    }
    return item;
}

OptionItem* OptionItem::AddCheckItem(const char* name, u8* variable, u8 value, u8* enableVariable,
                                     u8 enableValue)
{
    return AddCheckItem(StringA(name), variable, value, enableVariable, enableValue);
}

OptionItem* OptionItem::AddRadioItem(const StringBase& name, u32* variable, u32 value, u8* enableVariable,
                                     u8 enableValue)
{
    OptionItem* item = variable != nullptr ? AddItemEnabledIf(name, enableVariable, enableValue) : nullptr;
    if (item != nullptr) {
        item->AddCheckedIfWord(variable, value);
        item->AddActionSetWord(variable, value);
    }
    return item;
}

OptionItem* OptionItem::AddRadioItem(const char* name, u32* variable, u32 value, u8* enableVariable,
                                     u8 enableValue)
{
    return AddRadioItem(StringA(name), variable, value, enableVariable, enableValue);
}

OptionItem* OptionItem::AddSeparator()
{
    OptionItem* item = AddItem(StringA());
    if (item != nullptr)
        item->separator_ = 1;
    return item;
}

void OptionItem::SetCallback(void* context, OptionCallback callback)
{
    callbackContext_ = context;
    callback_ = callback;
}

bool OptionItem::Notify(OptionItem* item)
{
    OptionItem* origin = item != nullptr ? item : this;
    if (callback_ != nullptr) {
        callback_(callbackContext_, origin);
        return true;
    }
    return parent_ != nullptr ? parent_->Notify(origin) : false;
}

// --- conditions ------------------------------------------------------------------------

bool OptionItem::Append(ConditionList& list, u32 kind, void* target, u32 value, void* context)
{
    if (IsSeparator() || target == nullptr)
        return false;
    OptionCondition record;
    record.kind = kind;
    record.context = context;
    record.target = target;
    record.value = value;
    list.push_back(record);
    return true;
}

bool OptionItem::AddCheckedIfItem(OptionItem* item, u8 value)
{
    if (item == this)
        return AddCheckedIfByte(&checked_, value);
    if (!Append(checkedConditions_, OptionCondition::kItem, item, value))
        return false;
    checkable_ = 1;
    return true;
}

bool OptionItem::AddCheckedIfCall(OptionPredicate predicate, void* context, u8 value)
{
    return Append(checkedConditions_, OptionCondition::kCall, reinterpret_cast<void*>(predicate), value,
                  context);
}

bool OptionItem::AddCheckedIfByte(u8* variable, u8 value)
{
    if (!Append(checkedConditions_, OptionCondition::kByte, variable, value))
        return false;
    checkable_ = 1;
    return true;
}

bool OptionItem::AddCheckedIfWord(u32* variable, u32 value)
{
    if (!Append(checkedConditions_, OptionCondition::kWord, variable, value))
        return false;
    checkable_ = 1;
    return true;
}

bool OptionItem::AddEnabledIfItem(OptionItem* item, u8 value)
{
    if (item == this)
        return AddEnabledIfByte(&enabled_, value);
    return Append(enabledConditions_, OptionCondition::kItem, item, value);
}

bool OptionItem::AddEnabledIfCall(OptionPredicate predicate, void* context, u8 value)
{
    return Append(enabledConditions_, OptionCondition::kCall, reinterpret_cast<void*>(predicate), value,
                  context);
}

bool OptionItem::AddEnabledIfByte(u8* variable, u8 value)
{
    return Append(enabledConditions_, OptionCondition::kByte, variable, value);
}

bool OptionItem::AddEnabledIfWord(u32* variable, u32 value)
{
    return Append(enabledConditions_, OptionCondition::kWord, variable, value);
}

bool OptionItem::AddVisibleIfItem(OptionItem* item, u8 value)
{
    if (item == this)
        return AddVisibleIfByte(&visible_, value);
    return Append(visibleConditions_, OptionCondition::kItem, item, value);
}

bool OptionItem::AddVisibleIfByte(u8* variable, u8 value)
{
    return Append(visibleConditions_, OptionCondition::kByte, variable, value);
}

bool OptionItem::AddVisibleIfWord(u32* variable, u32 value)
{
    return Append(visibleConditions_, OptionCondition::kWord, variable, value);
}

// --- actions ---------------------------------------------------------------------------

bool OptionItem::AddActionExecute(OptionItem* item)
{
    if (item == this)
        return false;
    return Append(actions_, OptionCondition::kItem, item, 0);
}

bool OptionItem::AddActionCall(OptionPredicate predicate, void* context)
{
    // The predicate's answer counts as a change when it is true.
    return Append(actions_, OptionCondition::kCall, reinterpret_cast<void*>(predicate), 1, context);
}

bool OptionItem::AddActionSetChecked(OptionItem* item, u8 value)
{
    if (item == this)
        return false;
    return Append(actions_, OptionCondition::kSetChecked, item, value);
}

bool OptionItem::AddActionToggleByte(u8* variable)
{
    return Append(actions_, OptionCondition::kToggle, variable, 0);
}

bool OptionItem::AddActionSetByte(u8* variable, u8 value)
{
    return Append(actions_, OptionCondition::kByte, variable, value);
}

bool OptionItem::AddActionSetBytes(u8* array, u8 value, i32 count)
{
    if (count <= 0 || IsSeparator() || array == nullptr)
        return false;
    for (i32 i = 0; i < count; ++i)
        Append(actions_, OptionCondition::kByte, array + i, value);
    return true;
}

bool OptionItem::AddActionSetWord(u32* variable, u32 value)
{
    return Append(actions_, OptionCondition::kWord, variable, value);
}

// --- states ----------------------------------------------------------------------------

bool OptionItem::StateOf(State state) const
{
    switch (state) {
    case State::kChecked: return IsChecked();
    case State::kEnabled: return IsEnabled();
    case State::kVisible: return IsVisible();
    }
    return false;
}

bool OptionItem::AnyHolds(const ConditionList& list, State state) const
{
    const u8 bit = static_cast<u8>(1u << static_cast<int>(state));
    if (busy_ & bit)
        return false;
    BusyScope scope(busy_, bit);
    for (const OptionCondition& c : list) {
        switch (c.kind) {
        case OptionCondition::kWord:
            if (*static_cast<const u32*>(c.target) == c.value)
                return true;
            break;
        case OptionCondition::kByte:
            if (*static_cast<const u8*>(c.target) == LowByte(c.value))
                return true;
            break;
        case OptionCondition::kItem:
            // The value byte is kept with the record but not compared.
            if (static_cast<const OptionItem*>(c.target)->StateOf(state))
                return true;
            break;
        case OptionCondition::kCall:
            if (state != State::kVisible) {
                const auto predicate = reinterpret_cast<OptionPredicate>(c.target);
                if (predicate(c.context) == LowByte(c.value))
                    return true;
            }
            break;
        default:
            break;
        }
    }
    return false;
}

bool OptionItem::IsChecked() const
{
    if (IsSeparator())
        return false;
    if (!checkedConditions_.empty())
        return AnyHolds(checkedConditions_, State::kChecked);
    return checked_ != 0 && checkable_ != 0;
}

bool OptionItem::IsEnabled() const
{
    if (IsSeparator())
        return false;
    if (!enabledConditions_.empty())
        return AnyHolds(enabledConditions_, State::kEnabled);
    return enabled_ != 0;
}

bool OptionItem::IsVisible() const
{
    if (!visibleConditions_.empty())
        return AnyHolds(visibleConditions_, State::kVisible);
    return visible_ != 0;
}

bool OptionItem::Execute()
{
    if (IsSeparator() || !IsEnabled() || !IsVisible() || !children_.empty())
        return false;
    if (busy_ & kExecuting)
        return false;
    BusyScope scope(busy_, kExecuting);

    bool changed = false;
    for (const OptionCondition& c : actions_) {
        switch (c.kind) {
        case OptionCondition::kWord: {
            u32* word = static_cast<u32*>(c.target);
            if (*word != c.value) {
                *word = c.value;
                changed = true;
            }
            break;
        }
        case OptionCondition::kByte: {
            u8* byte = static_cast<u8*>(c.target);
            if (*byte != LowByte(c.value)) {
                *byte = LowByte(c.value);
                changed = true;
            }
            break;
        }
        case OptionCondition::kItem:
            if (static_cast<OptionItem*>(c.target)->Execute())
                changed = true;
            break;
        case OptionCondition::kToggle: {
            u8* byte = static_cast<u8*>(c.target);
            *byte = static_cast<u8>(*byte ^ 1);
            changed = true;
            break;
        }
        case OptionCondition::kSetChecked: {
            OptionItem* other = static_cast<OptionItem*>(c.target);
            const bool wanted = LowByte(c.value) != 0;
            if (other->IsChecked() != wanted) {
                other->Execute();
                // Whether the other item reached the wanted state decides the answer.
                changed = other->IsChecked() == wanted;
            }
            break;
        }
        case OptionCondition::kCall: {
            const auto predicate = reinterpret_cast<OptionPredicate>(c.target);
            if (predicate(c.context) == LowByte(c.value))
                changed = true;
            break;
        }
        default:
            break;
        }
    }
    return changed;
}
