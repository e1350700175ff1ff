// Typed values: a small variant with range-checked access.
//
// Value owns its content and takes the type of whatever is stored into it. ValueRef owns
// nothing: it is bound to an outside variable of a fixed type and stores into it only what
// that type can represent (300 never lands in a u8, -1 never in a u32).
//
// Type codes: bit 0x10 marks an integer, 0x20 a signed one, the low nibble its width in
// bytes.
//
// Value record, the encoding of one value in a settings tree file:
//   check = ((type >> 4) ^ type) & 0x0F, type, payload
// where the payload is the integer little-endian (1, 2, 4 or 8 bytes), a bool as 0xFF or
// 0x00 (any non-zero byte reads as true), or a string as one archive string record.
// Codes 0x00 and 0x01 have no record.
#pragma once

#include "base/types.h"

class StreamInterface;
class StringBase;
struct ValueNumber;

enum ValueTypeCode : i32 {
    kValueNone = 0x00,
    kValueChild = 0x01, // untyped pointer
    kValueUInt8 = 0x11,
    kValueUInt16 = 0x12,
    kValueUInt32 = 0x14,
    kValueUInt64 = 0x18,
    kValueInt8 = 0x31,
    kValueInt16 = 0x32,
    kValueInt32 = 0x34,
    kValueInt64 = 0x38,
    kValueBool = 0x40, // one byte, 0 or 1
    kValueString = 0x80, // a StringBase object (StringA or StringW)
};

class ValueInterface {
public:
    virtual ~ValueInterface() = default;

    i32 GetType() const { return type_; }

    // Forget the content; the type becomes kValueNone.
    virtual void Reset() { type_ = kValueNone; }
    // Zero, false or empty, keeping the type.
    virtual bool SetZero() = 0;

    // Setters and getters answer false, changing nothing, when the number does not fit
    // the destination or the types do not match. After a false getter the output is
    // meaningless. The B sets behave exactly like the plain unsigned ones; copying,
    // reading and writing records go through them.
    virtual bool SetUInt8(u8 v) = 0;
    virtual bool SetUInt16(u16 v) = 0;
    virtual bool SetUInt32(u32 v) = 0;
    virtual bool SetUInt64(u64 v) = 0;
    virtual bool SetUInt8B(u8 v) = 0;
    virtual bool SetUInt16B(u16 v) = 0;
    virtual bool SetUInt32B(u32 v) = 0;
    virtual bool SetUInt64B(u64 v) = 0;
    virtual bool SetInt8(i8 v) = 0;
    virtual bool SetInt16(i16 v) = 0;
    virtual bool SetInt32(i32 v) = 0;
    virtual bool SetInt64(i64 v) = 0;
    virtual bool SetBool(bool v) = 0;
    virtual bool SetString(const StringBase& v) = 0;
    virtual bool SetChild(void* v) = 0;

    virtual bool GetUInt8(u8& out) const = 0;
    virtual bool GetUInt16(u16& out) const = 0;
    virtual bool GetUInt32(u32& out) const = 0;
    virtual bool GetUInt64(u64& out) const = 0;
    virtual bool GetUInt8B(u8& out) const = 0;
    virtual bool GetUInt16B(u16& out) const = 0;
    virtual bool GetUInt32B(u32& out) const = 0;
    virtual bool GetUInt64B(u64& out) const = 0;
    virtual bool GetInt8(i8& out) const = 0;
    virtual bool GetInt16(i16& out) const = 0;
    virtual bool GetInt32(i32& out) const = 0;
    virtual bool GetInt64(i64& out) const = 0;
    virtual bool GetBool(bool& out) const = 0;
    // Assigns the held string to the caller's string (converting widths).
    virtual bool GetString(StringBase& out) const = 0;
    // Hands out the held or bound string object itself.
    virtual bool GetStringRef(StringBase*& out) const = 0;
    // A new copy of the held or bound string of its own class (the caller deletes it), or
    // null when the type is not kValueString.
    virtual StringBase* CloneString() const = 0;
    virtual bool GetChild(void*& out) const = 0;

    // Copies source by its type code; this object's setter decides what it accepts.
    bool AssignFrom(const ValueInterface& source);
    // Reads one value record and stores it through the setters.
    bool ReadFrom(StreamInterface& stream);
    // As ReadFrom; changed tells whether the record differs from the current content (or
    // the content could not be read for comparison).
    bool ReadFromTracked(StreamInterface& stream, bool& changed);
    // Writes the content as one value record. For a type without a record the two header
    // bytes are still written and the answer is false.
    bool WriteTo(StreamInterface& stream) const;

protected:
    // GetString and CloneString for both kinds, through GetStringRef.
    bool AssignHeldString(StringBase& out) const;
    StringBase* CloneHeldString() const;

    i32 type_ = kValueNone;
};

class Value : public ValueInterface {
public:
    Value() = default;
    ~Value() override;

    Value(const Value&) = delete;
    Value& operator=(const Value&) = delete;

    // Deletes an owned string; the type becomes kValueNone.
    void Release();

    void Reset() override;
    bool SetZero() override;

    bool SetUInt8(u8 v) override;
    bool SetUInt16(u16 v) override;
    bool SetUInt32(u32 v) override;
    bool SetUInt64(u64 v) override;
    bool SetUInt8B(u8 v) override;
    bool SetUInt16B(u16 v) override;
    bool SetUInt32B(u32 v) override;
    bool SetUInt64B(u64 v) override;
    bool SetInt8(i8 v) override;
    bool SetInt16(i16 v) override;
    bool SetInt32(i32 v) override;
    bool SetInt64(i64 v) override;
    bool SetBool(bool v) override;
    bool SetString(const StringBase& v) override;
    bool SetChild(void* v) override;

    bool GetUInt8(u8& out) const override;
    bool GetUInt16(u16& out) const override;
    bool GetUInt32(u32& out) const override;
    bool GetUInt64(u64& out) const override;
    bool GetUInt8B(u8& out) const override;
    bool GetUInt16B(u16& out) const override;
    bool GetUInt32B(u32& out) const override;
    bool GetUInt64B(u64& out) const override;
    bool GetInt8(i8& out) const override;
    bool GetInt16(i16& out) const override;
    bool GetInt32(i32& out) const override;
    bool GetInt64(i64& out) const override;
    bool GetBool(bool& out) const override;
    bool GetString(StringBase& out) const override;
    bool GetStringRef(StringBase*& out) const override;
    StringBase* CloneString() const override;
    bool GetChild(void*& out) const override;

private:
    void SetNumber(i32 type, u64 bits);
    void DropString();
    // The held integer at its mathematical value; false when not an integer.
    bool Load(ValueNumber& n) const;

    union {
        u64 number_ = 0; // integers, zero- or sign-extended
        bool flag_;
        StringBase* string_; // owned while the type is kValueString
        void* child_;
    };
};

class ValueRef : public ValueInterface {
public:
    ValueRef() = default;
    ValueRef(i32 type, void* target) { Bind(type, target); }
    // The binding never frees its target.
    ~ValueRef() override = default;

    // Binds the variable at target, whose C++ type must match the code: u8 .. i64 for the
    // integers, bool for kValueBool, a StringBase object for kValueString, a void* for
    // kValueChild.
    void Bind(i32 type, void* target)
    {
        type_ = type;
        target_ = target;
    }
    void* GetTarget() const { return target_; }

    bool SetZero() override;

    bool SetUInt8(u8 v) override;
    bool SetUInt16(u16 v) override;
    bool SetUInt32(u32 v) override;
    bool SetUInt64(u64 v) override;
    bool SetUInt8B(u8 v) override;
    bool SetUInt16B(u16 v) override;
    bool SetUInt32B(u32 v) override;
    bool SetUInt64B(u64 v) override;
    bool SetInt8(i8 v) override;
    bool SetInt16(i16 v) override;
    bool SetInt32(i32 v) override;
    bool SetInt64(i64 v) override;
    bool SetBool(bool v) override;
    bool SetString(const StringBase& v) override;
    bool SetChild(void* v) override;

    bool GetUInt8(u8& out) const override;
    bool GetUInt16(u16& out) const override;
    bool GetUInt32(u32& out) const override;
    bool GetUInt64(u64& out) const override;
    bool GetUInt8B(u8& out) const override;
    bool GetUInt16B(u16& out) const override;
    bool GetUInt32B(u32& out) const override;
    bool GetUInt64B(u64& out) const override;
    bool GetInt8(i8& out) const override;
    bool GetInt16(i16& out) const override;
    bool GetInt32(i32& out) const override;
    bool GetInt64(i64& out) const override;
    bool GetBool(bool& out) const override;
    bool GetString(StringBase& out) const override;
    bool GetStringRef(StringBase*& out) const override;
    StringBase* CloneString() const override;
    bool GetChild(void*& out) const override;

private:
    // The bound integer at its mathematical value; false when unbound or not an integer.
    bool Load(ValueNumber& n) const;
    // Stores n when the bound type can hold it.
    bool Store(const ValueNumber& n);

    void* target_ = nullptr;
};
