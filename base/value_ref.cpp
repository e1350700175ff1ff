#include <cstring>

#include "base/string_base.h"
#include "base/value.h"
#include "base/value_number.h"

namespace {

template <class T>
ValueNumber LoadAs(const void* target)
{
    return ToValueNumber(*static_cast<const T*>(target));
}

template <class T>
bool StoreAs(void* target, const ValueNumber& n)
{
    if (!FitsIn<T>(n))
        return false;
    *static_cast<T*>(target) = FromValueNumber<T>(n);
    return true;
}

} // namespace

bool ValueRef::Load(ValueNumber& n) const
{
    if (!target_)
        return false;
    switch (type_) {
    case kValueUInt8: n = LoadAs<u8>(target_); return true;
    case kValueUInt16: n = LoadAs<u16>(target_); return true;
    case kValueUInt32: n = LoadAs<u32>(target_); return true;
    case kValueUInt64: n = LoadAs<u64>(target_); return true;
    case kValueInt8: n = LoadAs<i8>(target_); return true;
    case kValueInt16: n = LoadAs<i16>(target_); return true;
    case kValueInt32: n = LoadAs<i32>(target_); return true;
    case kValueInt64: n = LoadAs<i64>(target_); return true;
    default: return false;
    }
}

bool ValueRef::Store(const ValueNumber& n)
{
    if (!target_)
        return false;
    switch (type_) {
    case kValueUInt8: return StoreAs<u8>(target_, n);
    case kValueUInt16: return StoreAs<u16>(target_, n);
    case kValueUInt32: return StoreAs<u32>(target_, n);
    case kValueUInt64: return StoreAs<u64>(target_, n);
    case kValueInt8: return StoreAs<i8>(target_, n);
    case kValueInt16: return StoreAs<i16>(target_, n);
    case kValueInt32: return StoreAs<i32>(target_, n);
    case kValueInt64: return StoreAs<i64>(target_, n);
    default: return false;
    }
}

bool ValueRef::SetZero()
{
    if (!target_)
        return false;
    switch (type_) {
    case kValueUInt8: case kValueInt8: case kValueBool:
        std::memset(target_, 0, 1);
        return true;
    case kValueUInt16: case kValueInt16:
        std::memset(target_, 0, 2);
        return true;
    case kValueUInt32: case kValueInt32:
        std::memset(target_, 0, 4);
        return true;
    case kValueUInt64: case kValueInt64:
        std::memset(target_, 0, 8);
        return true;
    case kValueChild:
        *static_cast<void**>(target_) = nullptr;
        return true;
    case kValueString:
        static_cast<StringBase*>(target_)->Clear();
        return true;
    default:
        return false;
    }
}

bool ValueRef::SetUInt8(u8 v) { return Store(ToValueNumber(v)); }
bool ValueRef::SetUInt16(u16 v) { return Store(ToValueNumber(v)); }
bool ValueRef::SetUInt32(u32 v) { return Store(ToValueNumber(v)); }
bool ValueRef::SetUInt64(u64 v) { return Store(ToValueNumber(v)); }
bool ValueRef::SetUInt8B(u8 v) { return SetUInt8(v); }
bool ValueRef::SetUInt16B(u16 v) { return SetUInt16(v); }
bool ValueRef::SetUInt32B(u32 v) { return SetUInt32(v); }
bool ValueRef::SetUInt64B(u64 v) { return SetUInt64(v); }
bool ValueRef::SetInt8(i8 v) { return Store(ToValueNumber(v)); }
bool ValueRef::SetInt16(i16 v) { return Store(ToValueNumber(v)); }
bool ValueRef::SetInt32(i32 v) { return Store(ToValueNumber(v)); }
bool ValueRef::SetInt64(i64 v) { return Store(ToValueNumber(v)); }

#define KUV_VALUEREF_GETTER(name, T)                                                         \
    bool ValueRef::name(T& out) const                                                        \
    {                                                                                        \
        ValueNumber n;                                                                       \
        return Load(n) && ExtractValueNumber(n, out);                                        \
    }
KUV_VALUEREF_GETTER(GetUInt8, u8)
KUV_VALUEREF_GETTER(GetUInt16, u16)
KUV_VALUEREF_GETTER(GetUInt32, u32)
KUV_VALUEREF_GETTER(GetUInt64, u64)
KUV_VALUEREF_GETTER(GetInt8, i8)
KUV_VALUEREF_GETTER(GetInt16, i16)
KUV_VALUEREF_GETTER(GetInt32, i32)
KUV_VALUEREF_GETTER(GetInt64, i64)
#undef KUV_VALUEREF_GETTER

bool ValueRef::GetUInt8B(u8& out) const { return GetUInt8(out); }
bool ValueRef::GetUInt16B(u16& out) const { return GetUInt16(out); }
bool ValueRef::GetUInt32B(u32& out) const { return GetUInt32(out); }
bool ValueRef::GetUInt64B(u64& out) const { return GetUInt64(out); }

bool ValueRef::SetBool(bool v)
{
    if (type_ != kValueBool || !target_)
        return false;
    *static_cast<bool*>(target_) = v;
    return true;
}

bool ValueRef::GetBool(bool& out) const
{
    if (type_ != kValueBool || !target_)
        return false;
    out = *static_cast<const bool*>(target_);
    return true;
}

bool ValueRef::SetString(const StringBase& v)
{
    if (type_ != kValueString || !target_)
        return false;
    auto* bound = static_cast<StringBase*>(target_);
    if (bound != &v)
        bound->Assign(v);
    return true;
}

bool ValueRef::GetString(StringBase& out) const
{
    return AssignHeldString(out);
}

bool ValueRef::GetStringRef(StringBase*& out) const
{
    if (type_ != kValueString || !target_)
        return false;
    out = static_cast<StringBase*>(target_);
    return true;
}

StringBase* ValueRef::CloneString() const
{
    return CloneHeldString();
}

bool ValueRef::SetChild(void* v)
{
    if (type_ != kValueChild || !target_)
        return false;
    *static_cast<void**>(target_) = v;
    return true;
}

bool ValueRef::GetChild(void*& out) const
{
    if (type_ != kValueChild || !target_)
        return false;
    out = *static_cast<void* const*>(target_);
    return true;
}
