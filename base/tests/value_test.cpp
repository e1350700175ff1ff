#include <gtest/gtest.h>

#include <memory>

#include "base/memory_stream.h"
#include "base/string_a.h"
#include "base/string_w.h"
#include "base/tests/record_bytes.h"
#include "base/value.h"

namespace {

TEST(ValueRefRange, StoresOnlyWhatTheVariableCanHold)
{
    u8 small = 9;
    ValueRef toU8(kValueUInt8, &small);
    EXPECT_FALSE(toU8.SetUInt16(300));
    EXPECT_EQ(small, 9);
    EXPECT_TRUE(toU8.SetUInt16(200));
    EXPECT_EQ(small, 200);
    EXPECT_FALSE(toU8.SetInt8(-1));

    u32 word = 5;
    ValueRef toU32(kValueUInt32, &word);
    EXPECT_FALSE(toU32.SetInt8(-1));
    EXPECT_EQ(word, 5u);

    i64 wide = 0;
    ValueRef toI64(kValueInt64, &wide);
    EXPECT_TRUE(toI64.SetInt8(-1));
    EXPECT_EQ(static_cast<u64>(wide), ~u64{0});
    EXPECT_FALSE(toI64.SetUInt64(u64{1} << 63));
    EXPECT_TRUE(toI64.SetUInt64((u64{1} << 63) - 1));
    EXPECT_EQ(wide, INT64_MAX);

    i8 tiny = 0;
    ValueRef toI8(kValueInt8, &tiny);
    EXPECT_TRUE(toI8.SetInt64(-128));
    EXPECT_FALSE(toI8.SetInt64(-129));
    EXPECT_FALSE(toI8.SetUInt8B(128));
    i16 out16;
    EXPECT_TRUE(toI8.GetInt16(out16));
    EXPECT_EQ(out16, -128);
    u64 out64;
    EXPECT_FALSE(toI8.GetUInt64(out64));

    // Kinds do not mix, and an unbound reference refuses everything.
    bool flag = false;
    ValueRef toBool(kValueBool, &flag);
    EXPECT_FALSE(toBool.SetUInt8(1));
    EXPECT_FALSE(toU8.SetBool(true));
    EXPECT_FALSE(toU8.SetString(StringA("x")));
    ValueRef unbound;
    EXPECT_FALSE(unbound.SetUInt8(1));
    EXPECT_FALSE(unbound.SetBool(true));
    EXPECT_EQ(unbound.CloneString(), nullptr);
    ValueRef oddCode(0x13, &word); // integer bit set, but not an integer code
    EXPECT_FALSE(oddCode.SetUInt8(1));
    EXPECT_FALSE(oddCode.GetUInt32(word));
}

TEST(ValueRange, GettersApplyTheSameRule)
{
    Value v;
    v.SetInt8(-1);
    u8 u;
    EXPECT_FALSE(v.GetUInt8(u));
    i64 s;
    EXPECT_TRUE(v.GetInt64(s));
    EXPECT_EQ(s, -1);

    v.SetUInt64(u64{1} << 63);
    EXPECT_FALSE(v.GetInt64(s));
    u64 big;
    EXPECT_TRUE(v.GetUInt64B(big));
    EXPECT_EQ(big, u64{1} << 63);

    v.SetInt16(-5);
    EXPECT_EQ(v.GetType(), kValueInt16);
    EXPECT_TRUE(v.GetInt64(s));
    EXPECT_EQ(s, -5);
    v.SetUInt8(7);
    EXPECT_EQ(v.GetType(), kValueUInt8);
    bool b;
    EXPECT_FALSE(v.GetBool(b));
    EXPECT_TRUE(v.SetZero());
    EXPECT_TRUE(v.GetUInt8(u));
    EXPECT_EQ(u, 0);
}

TEST(ValueStrings, OwnedStringLifetime)
{
    Value v;
    v.SetString(StringA("held"));
    EXPECT_EQ(v.GetType(), kValueString);
    // Storing the held string into itself copies before letting go of it.
    StringBase* held = nullptr;
    ASSERT_TRUE(v.GetStringRef(held));
    v.SetString(*held);
    ASSERT_TRUE(v.GetStringRef(held));
    EXPECT_EQ(held->Compare(StringA("held")), 0);

    std::unique_ptr<StringBase> copy(v.CloneString());
    ASSERT_NE(copy, nullptr);
    EXPECT_NE(copy.get(), held);
    EXPECT_EQ(copy->GetKind(), 1);

    // A new kind of content deletes the string (a leak fails the sanitizer run).
    v.SetBool(true);
    EXPECT_EQ(v.GetType(), kValueBool);
    EXPECT_FALSE(v.GetStringRef(held));
    v.SetString(StringW(W16("wide")));
    EXPECT_TRUE(v.SetZero());
    ASSERT_TRUE(v.GetStringRef(held));
    EXPECT_TRUE(held->IsEmpty());
    EXPECT_EQ(held->GetKind(), 2);
    v.Release();
    EXPECT_EQ(v.GetType(), kValueNone);
}

TEST(ValueAssign, ConvertsIntoTheDestination)
{
    Value text;
    text.SetString(StringA("path"));
    StringW bound;
    ValueRef toW(kValueString, &bound);
    EXPECT_TRUE(toW.AssignFrom(text));
    EXPECT_EQ(bound.GetLength(), 4);
    EXPECT_EQ(bound.GetWideCharAt(0), wchar16('p'));

    Value number;
    number.SetInt32(1000);
    u8 small = 1;
    ValueRef toU8(kValueUInt8, &small);
    EXPECT_FALSE(toU8.AssignFrom(number));
    EXPECT_EQ(small, 1);
    u16 mid = 0;
    ValueRef toU16(kValueUInt16, &mid);
    EXPECT_TRUE(toU16.AssignFrom(number));
    EXPECT_EQ(mid, 1000);

    // A Value takes on the source's type.
    Value copy;
    EXPECT_TRUE(copy.AssignFrom(toU16));
    EXPECT_EQ(copy.GetType(), kValueUInt16);
    EXPECT_FALSE(copy.AssignFrom(Value()));
}

TEST(ValueRecord, WrittenBytes)
{
    struct Case {
        void (*set)(Value&);
        Bytes bytes;
    };
    const Case cases[] = {
        {[](Value& v) { v.SetBool(true); }, {0x04, 0x40, 0xFF}},
        {[](Value& v) { v.SetBool(false); }, {0x04, 0x40, 0x00}},
        {[](Value& v) { v.SetUInt8(5); }, {0x00, 0x11, 0x05}},
        {[](Value& v) { v.SetInt16(-2); }, {0x01, 0x32, 0xFE, 0xFF}},
        {[](Value& v) { v.SetUInt32(0x01020304); }, {0x05, 0x14, 0x04, 0x03, 0x02, 0x01}},
        {[](Value& v) { v.SetInt64(-1); }, {0x0B, 0x38, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}},
        {[](Value& v) { v.SetString(StringA("A")); }, {0x08, 0x80, 0x81, 0x80, 0x01, 0x00, 'A'}},
        {[](Value& v) { v.SetString(StringW(W16("A"))); }, {0x08, 0x80, 0x92, 0x90, 0x02, 0x00, 'A', 0}},
    };
    for (const Case& c : cases) {
        Value v;
        c.set(v);
        MemoryStream stream;
        stream.Allocate(0, -1);
        EXPECT_TRUE(v.WriteTo(stream));
        EXPECT_EQ(Contents(stream), c.bytes);

        // And each reads back into a fresh value unchanged.
        stream.Seek(0);
        Value back;
        EXPECT_TRUE(back.ReadFrom(stream));
        EXPECT_EQ(back.GetType(), v.GetType());
    }
}

TEST(ValueRecord, TypesWithoutRecordWriteOnlyTheHeader)
{
    MemoryStream stream;
    stream.Allocate(0, -1);
    ValueRef unbound;
    EXPECT_FALSE(unbound.WriteTo(stream));
    Value child;
    child.SetChild(nullptr);
    EXPECT_FALSE(child.WriteTo(stream));
    EXPECT_EQ(Contents(stream), (Bytes{0x00, 0x00, 0x01, 0x01}));
}

TEST(ValueRecord, ReadingChecksHeaderAndRange)
{
    MemoryStream stream;
    Fill(stream, {0x04, 0x40, 0x01});
    Value v;
    EXPECT_TRUE(v.ReadFrom(stream));
    bool b = false;
    EXPECT_TRUE(v.GetBool(b) && b);

    const Bytes refused[] = {
        {0x05, 0x40, 0x01},             // check byte
        {0x00, 0x00},                   // none has no record
        {0x01, 0x01, 0x00},             // nor has a child pointer
        {0x02, 0x13, 0x00},             // integer bit without an integer width
        {0x03, 0x12, 0xE8},             // payload cut short
        {0x08, 0x80, 0x81, 0x80, 0x05}, // string record cut short
        {0x04},                         // header cut short
    };
    for (const Bytes& bytes : refused) {
        Fill(stream, bytes);
        Value fresh;
        EXPECT_FALSE(fresh.ReadFrom(stream));
        EXPECT_EQ(fresh.GetType(), kValueNone);
    }

    // 1000 does not fit a u8: the record is consumed, the variable kept.
    Fill(stream, {0x03, 0x12, 0xE8, 0x03});
    u8 small = 42;
    ValueRef toU8(kValueUInt8, &small);
    EXPECT_FALSE(toU8.ReadFrom(stream));
    EXPECT_EQ(small, 42);
    EXPECT_EQ(stream.GetPosition(), 4u);

    // Signed payloads are sign-extended to the destination's width.
    Fill(stream, {0x02, 0x31, 0xFF});
    i64 wide = 0;
    ValueRef toI64(kValueInt64, &wide);
    EXPECT_TRUE(toI64.ReadFrom(stream));
    EXPECT_EQ(wide, -1);
}

} // namespace
