#include "base/value.h"

#include "base/string_base.h"
#include "base/value_number.h"

Value::~Value()
{
    DropString();
}

void Value::DropString()
{
    if (type_ == kValueString) {
        delete string_;
        string_ = nullptr;
    }
}

void Value::Release()
{
    DropString();
    type_ = kValueNone;
}

void Value::Reset()
{
    Release();
}

bool Value::SetZero()
{
    if (type_ & 0x10) {
        number_ = 0;
        return true;
    }
    switch (type_) {
    case kValueBool:
        flag_ = false;
        return true;
    case kValueString:
        if (string_)
            string_->Clear();
        return true;
    case kValueChild:
        child_ = nullptr;
        return true;
    default:
        return false;
    }
}

void Value::SetNumber(i32 type, u64 bits)
{
    DropString();
    number_ = bits;
    type_ = type;
}

bool Value::SetUInt8(u8 v) { SetNumber(kValueUInt8, v); return true; }
bool Value::SetUInt16(u16 v) { SetNumber(kValueUInt16, v); return true; }
bool Value::SetUInt32(u32 v) { SetNumber(kValueUInt32, v); return true; }
bool Value::SetUInt64(u64 v) { SetNumber(kValueUInt64, v); return true; }
bool Value::SetUInt8B(u8 v) { return SetUInt8(v); }
bool Value::SetUInt16B(u16 v) { return SetUInt16(v); }
bool Value::SetUInt32B(u32 v) { return SetUInt32(v); }
bool Value::SetUInt64B(u64 v) { return SetUInt64(v); }
// The conversion through i64 sign-extends into all 64 bits.
bool Value::SetInt8(i8 v) { SetNumber(kValueInt8, static_cast<u64>(static_cast<i64>(v))); return true; }
bool Value::SetInt16(i16 v) { SetNumber(kValueInt16, static_cast<u64>(static_cast<i64>(v))); return true; }
bool Value::SetInt32(i32 v) { SetNumber(kValueInt32, static_cast<u64>(static_cast<i64>(v))); return true; }
bool Value::SetInt64(i64 v) { SetNumber(kValueInt64, static_cast<u64>(v)); return true; }

bool Value::SetBool(bool v)
{
    DropString();
    number_ = 0;
    flag_ = v;
    type_ = kValueBool;
    return true;
}

bool Value::SetString(const StringBase& v)
{
    // Copy first: v may be the string held here.
    StringBase* copy = v.Substr(0, v.GetLength());
    DropString();
    string_ = copy;
    type_ = kValueString;
    return true;
}

bool Value::SetChild(void* v)
{
    DropString();
    child_ = v;
    type_ = kValueChild;
    return true;
}

bool Value::Load(ValueNumber& n) const
{
    if (!IsIntegerTypeCode(type_))
        return false;
    n = (type_ & 0x20) ? ToValueNumber(static_cast<i64>(number_)) : ToValueNumber(number_);
    return true;
}

#define KUV_VALUE_GETTER(name, T)                                                            \
    bool Value::name(T& out) const                                                           \
    {                                                                                        \
        ValueNumber n;                                                                       \
        return Load(n) && ExtractValueNumber(n, out);                                       \
    }
KUV_VALUE_GETTER(GetUInt8, u8)
KUV_VALUE_GETTER(GetUInt16, u16)
KUV_VALUE_GETTER(GetUInt32, u32)
KUV_VALUE_GETTER(GetUInt64, u64)
KUV_VALUE_GETTER(GetUInt8B, u8)
KUV_VALUE_GETTER(GetUInt16B, u16)
KUV_VALUE_GETTER(GetUInt32B, u32)
KUV_VALUE_GETTER(GetUInt64B, u64)
KUV_VALUE_GETTER(GetInt8, i8)
KUV_VALUE_GETTER(GetInt16, i16)
KUV_VALUE_GETTER(GetInt32, i32)
KUV_VALUE_GETTER(GetInt64, i64)
#undef KUV_VALUE_GETTER

bool Value::GetBool(bool& out) const
{
    if (type_ != kValueBool)
        return false;
    out = flag_;
    return true;
}

bool Value::GetString(StringBase& out) const
{
    return AssignHeldString(out);
}

bool Value::GetStringRef(StringBase*& out) const
{
    if (type_ != kValueString || !string_)
        return false;
    out = string_;
    return true;
}

StringBase* Value::CloneString() const
{
    return CloneHeldString();
}

bool Value::GetChild(void*& out) const
{
    if (type_ != kValueChild)
        return false;
    out = child_;
    return true;
}
