// Copying between typed values, and the value record that carries one in a stream.
#include <bit>
#include <memory>

#include "base/archive.h"
#include "base/stream_interface.h"
#include "base/string_base.h"
#include "base/value.h"

static_assert(std::endian::native == std::endian::little);

namespace {

constexpr u8 RecordCheck(u8 type)
{
    return static_cast<u8>(((type >> 4) ^ type) & 0x0F);
}
static_assert(RecordCheck(kValueUInt8) == 0x00 && RecordCheck(kValueUInt16) == 0x03 &&
              RecordCheck(kValueUInt32) == 0x05 && RecordCheck(kValueUInt64) == 0x09 &&
              RecordCheck(kValueInt8) == 0x02 && RecordCheck(kValueInt16) == 0x01 &&
              RecordCheck(kValueInt32) == 0x07 && RecordCheck(kValueInt64) == 0x0B &&
              RecordCheck(kValueBool) == 0x04 && RecordCheck(kValueString) == 0x08);

// One decoded value record, held until it is compared and stored.
struct Record {
    i32 type = kValueNone;
    u64 bits = 0; // integers, sign-extended for the signed codes
    bool flag = false;
    std::unique_ptr<StringBase> text;
};

int IntegerWidth(i32 type)
{
    return type & 0x0F;
}

bool ReadRecord(StreamInterface& stream, Record& record)
{
    u8 header[2];
    if (stream.Read(header, 2) != 2 || header[0] != RecordCheck(header[1]))
        return false;
    record.type = header[1];
    switch (record.type) {
    case kValueUInt8: case kValueUInt16: case kValueUInt32: case kValueUInt64:
    case kValueInt8: case kValueInt16: case kValueInt32: case kValueInt64: {
        const int width = IntegerWidth(record.type);
        u64 bits = 0;
        if (stream.Read(&bits, static_cast<u64>(width)) != static_cast<u64>(width))
            return false;
        if ((record.type & 0x20) && width < 8) {
            const int shift = 64 - 8 * width;
            bits = static_cast<u64>(static_cast<i64>(bits << shift) >> shift);
        }
        record.bits = bits;
        return true;
    }
    case kValueBool: {
        u8 byte;
        if (stream.Read(&byte, 1) != 1)
            return false;
        record.flag = byte != 0;
        return true;
    }
    case kValueString:
        record.text.reset(Archive::ReadString(stream, nullptr));
        return record.text != nullptr;
    default:
        return false;
    }
}

bool StoreRecord(ValueInterface& into, const Record& record)
{
    const u64 b = record.bits;
    switch (record.type) {
    case kValueUInt8: return into.SetUInt8B(static_cast<u8>(b));
    case kValueUInt16: return into.SetUInt16B(static_cast<u16>(b));
    case kValueUInt32: return into.SetUInt32B(static_cast<u32>(b));
    case kValueUInt64: return into.SetUInt64B(b);
    case kValueInt8: return into.SetInt8(static_cast<i8>(b));
    case kValueInt16: return into.SetInt16(static_cast<i16>(b));
    case kValueInt32: return into.SetInt32(static_cast<i32>(b));
    case kValueInt64: return into.SetInt64(static_cast<i64>(b));
    case kValueBool: return into.SetBool(record.flag);
    case kValueString: return into.SetString(*record.text);
    default: return false;
    }
}

template <class T>
bool Differs(bool (ValueInterface::*get)(T&) const, const ValueInterface& current, T wanted)
{
    T held;
    return !(current.*get)(held) || held != wanted;
}

// Whether the current content, read at the record's type, is not the record's value.
bool RecordDiffers(const ValueInterface& current, const Record& record)
{
    const u64 b = record.bits;
    switch (record.type) {
    case kValueUInt8: return Differs<u8>(&ValueInterface::GetUInt8B, current, static_cast<u8>(b));
    case kValueUInt16: return Differs<u16>(&ValueInterface::GetUInt16B, current, static_cast<u16>(b));
    case kValueUInt32: return Differs<u32>(&ValueInterface::GetUInt32B, current, static_cast<u32>(b));
    case kValueUInt64: return Differs<u64>(&ValueInterface::GetUInt64B, current, b);
    case kValueInt8: return Differs<i8>(&ValueInterface::GetInt8, current, static_cast<i8>(b));
    case kValueInt16: return Differs<i16>(&ValueInterface::GetInt16, current, static_cast<i16>(b));
    case kValueInt32: return Differs<i32>(&ValueInterface::GetInt32, current, static_cast<i32>(b));
    case kValueInt64: return Differs<i64>(&ValueInterface::GetInt64, current, static_cast<i64>(b));
    case kValueBool: return Differs<bool>(&ValueInterface::GetBool, current, record.flag);
    case kValueString: {
        StringBase* held = nullptr;
        return !current.GetStringRef(held) || held->Compare(*record.text) != 0;
    }
    default:
        return true;
    }
}

template <class T>
bool WriteNumber(StreamInterface& stream, bool (ValueInterface::*get)(T&) const,
                 const ValueInterface& value)
{
    T v;
    return (value.*get)(v) && WriteExactly(stream, &v, sizeof v);
}

} // namespace

bool ValueInterface::AssignFrom(const ValueInterface& source)
{
    switch (source.GetType()) {
    case kValueUInt8: { u8 v; return source.GetUInt8B(v) && SetUInt8B(v); }
    case kValueUInt16: { u16 v; return source.GetUInt16B(v) && SetUInt16B(v); }
    case kValueUInt32: { u32 v; return source.GetUInt32B(v) && SetUInt32B(v); }
    case kValueUInt64: { u64 v; return source.GetUInt64B(v) && SetUInt64B(v); }
    case kValueInt8: { i8 v; return source.GetInt8(v) && SetInt8(v); }
    case kValueInt16: { i16 v; return source.GetInt16(v) && SetInt16(v); }
    case kValueInt32: { i32 v; return source.GetInt32(v) && SetInt32(v); }
    case kValueInt64: { i64 v; return source.GetInt64(v) && SetInt64(v); }
    case kValueBool: { bool v; return source.GetBool(v) && SetBool(v); }
    case kValueString: {
        std::unique_ptr<StringBase> copy(source.CloneString());
        return copy && SetString(*copy);
    }
    case kValueChild: { void* v; return source.GetChild(v) && SetChild(v); }
    default:
        return false;
    }
}

bool ValueInterface::AssignHeldString(StringBase& out) const
{
    StringBase* held = nullptr;
    if (!GetStringRef(held))
        return false;
    if (held != &out)
        out.Assign(*held);
    return true;
}

StringBase* ValueInterface::CloneHeldString() const
{
    StringBase* held = nullptr;
    return GetStringRef(held) ? held->Substr(0, held->GetLength()) : nullptr;
}

bool ValueInterface::ReadFrom(StreamInterface& stream)
{
    Record record;
    return ReadRecord(stream, record) && StoreRecord(*this, record);
}

bool ValueInterface::ReadFromTracked(StreamInterface& stream, bool& changed)
{
    Record record;
    if (!ReadRecord(stream, record))
        return false;
    changed = RecordDiffers(*this, record);
    return StoreRecord(*this, record);
}

bool ValueInterface::WriteTo(StreamInterface& stream) const
{
    const u8 type = static_cast<u8>(type_);
    const u8 header[2] = {RecordCheck(type), type};
    if (!WriteExactly(stream, header, 2))
        return false;
    switch (type_) {
    case kValueUInt8: return WriteNumber<u8>(stream, &ValueInterface::GetUInt8B, *this);
    case kValueUInt16: return WriteNumber<u16>(stream, &ValueInterface::GetUInt16B, *this);
    case kValueUInt32: return WriteNumber<u32>(stream, &ValueInterface::GetUInt32B, *this);
    case kValueUInt64: return WriteNumber<u64>(stream, &ValueInterface::GetUInt64B, *this);
    case kValueInt8: return WriteNumber<i8>(stream, &ValueInterface::GetInt8, *this);
    case kValueInt16: return WriteNumber<i16>(stream, &ValueInterface::GetInt16, *this);
    case kValueInt32: return WriteNumber<i32>(stream, &ValueInterface::GetInt32, *this);
    case kValueInt64: return WriteNumber<i64>(stream, &ValueInterface::GetInt64, *this);
    case kValueBool: {
        bool v;
        const u8 byte = 0xFF;
        const u8 zero = 0x00;
        return GetBool(v) && WriteExactly(stream, v ? &byte : &zero, 1);
    }
    case kValueString: {
        StringBase* text = nullptr;
        return GetStringRef(text) && Archive::WriteString(stream, *text);
    }
    default:
        return false;
    }
}
