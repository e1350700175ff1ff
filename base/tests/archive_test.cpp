#include <gtest/gtest.h>

#include <memory>

#include "base/archive.h"
#include "base/memory_stream.h"
#include "base/string_a.h"
#include "base/string_w.h"
#include "base/tests/record_bytes.h"

namespace {

const Bytes kVerRecord = {0x81, 0x85, 0x04, 0x00, 0x5F, 0x56, 0x45, 0x52};

class ArchiveTest : public RecordStreamTest {
protected:
    Archive archive{&stream};
};

TEST_F(ArchiveTest, StringRecordBytes)
{
    ASSERT_TRUE(Archive::WriteString(stream, StringA("_VER")));
    ASSERT_TRUE(Archive::WriteString(stream, StringA("")));
    // Wide text is 16-bit little-endian whatever the host's wchar_t.
    ASSERT_TRUE(Archive::WriteString(stream, StringW(W16("AB"))));
    EXPECT_EQ(Contents(stream), Concat({kVerRecord,
                                        {0x81, 0x81, 0x00, 0x00},
                                        {0x92, 0x96, 0x04, 0x00, 0x41, 0x00, 0x42, 0x00}}));

    stream.Seek(0);
    std::unique_ptr<StringBase> ver(Archive::ReadString(stream, nullptr));
    ASSERT_NE(ver, nullptr);
    EXPECT_EQ(ver->GetKind(), 1);
    EXPECT_EQ(ver->Compare(StringA("_VER")), 0);
    StringA empty("x");
    EXPECT_EQ(Archive::ReadString(stream, &empty), &empty);
    EXPECT_TRUE(empty.IsEmpty());
    // A wide record read into a narrow target is converted.
    StringA narrow;
    ASSERT_EQ(Archive::ReadString(stream, &narrow), &narrow);
    EXPECT_STREQ(narrow.CStr(), "AB");
}

TEST_F(ArchiveTest, OversizedStringIsNotWritten)
{
    StringA huge;
    huge.Assign(std::string(65536, 'x').c_str());
    EXPECT_FALSE(Archive::WriteString(stream, huge));
    EXPECT_EQ(stream.GetSize(), 0u);
    huge.Erase(0, 1);
    EXPECT_TRUE(Archive::WriteString(stream, huge));
    EXPECT_EQ(stream.GetSize(), 65539u);
}

TEST_F(ArchiveTest, DamagedStringRecordsAreRefused)
{
    const Bytes cases[] = {
        {0x81, 0x85, 0x04},                                   // header cut short
        {0x81, 0x84, 0x04, 0x00, 0x5F, 0x56, 0x45, 0x52},     // check byte altered
        {0x81, 0x85, 0x04, 0x00, 0x5F, 0x56},                 // text cut short
        {0x81, 0x81 ^ 0xFF ^ 0xFF, 0xFF, 0xFF, 0x41},         // length beyond the stream
        {0x92, 0x92 ^ 0x03, 0x03, 0x00, 0x41, 0x00, 0x42},    // wide text of odd length
        {0x91, 0x91 ^ 0x02, 0x02, 0x00, 0x41, 0x00},          // wide kind, narrow size
        {0x82, 0x82 ^ 0x01, 0x01, 0x00, 0x41},                // narrow kind, wide size
        {0x01, 0x01 ^ 0x01, 0x01, 0x00, 0x41},                // no character size
        {0x83, 0x83 ^ 0x01, 0x01, 0x00, 0x41},                // unknown kind
    };
    for (const Bytes& bytes : cases) {
        Load(bytes);
        StringA into("kept");
        EXPECT_EQ(Archive::ReadString(stream, nullptr), nullptr);
        stream.Seek(0);
        EXPECT_EQ(Archive::ReadString(stream, &into), nullptr);
        EXPECT_STREQ(into.CStr(), "kept");
    }
}

TEST_F(ArchiveTest, KeyedValueAndMarkerBytes)
{
    const u8 one = 1;
    ASSERT_TRUE(archive.WriteUInt8(&one, "_VER"));
    EXPECT_EQ(Contents(stream), Concat({{0xF8}, kVerRecord, {0x00, 0x01}}));

    stream.Free();
    stream.Allocate(0, -1);
    ASSERT_TRUE(archive.WriteMarker(StringA("_DEV"), Archive::kBlockOpen));
    const i32 minusTwo = -2;
    ASSERT_TRUE(archive.WriteInt32(&minusTwo, ""));
    const bool yes = true;
    ASSERT_TRUE(archive.WriteBool(&yes, ""));
    ASSERT_TRUE(archive.WriteMarker(StringA("_DEV"), Archive::kBlockClose));
    const Bytes dev = {0x81, 0x85, 0x04, 0x00, 0x5F, 0x44, 0x45, 0x56};
    const Bytes emptyKey = {0x81, 0x81, 0x00, 0x00};
    EXPECT_EQ(Contents(stream), Concat({{0xF0}, dev,
                                        {0xF8}, emptyKey, {0x43, 0xFE, 0xFF, 0xFF, 0xFF},
                                        {0xF8}, emptyKey, {0x40, 0x01},
                                        {0xFF}, dev}));
}

TEST_F(ArchiveTest, EveryKeyedTypeRoundTrips)
{
    const u8 a = 0xA5;
    const u16 b = 0xBEEF;
    const u32 c = 0xDEADBEEF;
    const u64 d = 0x0123456789ABCDEFull;
    const i8 e = -7;
    const i16 f = -30000;
    const i32 g = -2000000000;
    const i64 h = -(i64{1} << 62);
    const bool t = true;
    const u8 blob[5] = {1, 2, 3, 4, 5};
    ASSERT_TRUE(archive.WriteMarker("BLK", Archive::kBlockOpen));
    ASSERT_TRUE(archive.WriteUInt8(&a, "a") && archive.WriteUInt16(&b, "b") &&
                archive.WriteUInt32(&c, "c") && archive.WriteUInt64(&d, "d") &&
                archive.WriteInt8(&e, "e") && archive.WriteInt16(&f, "f") &&
                archive.WriteInt32(&g, "g") && archive.WriteInt64(&h, "h") &&
                archive.WriteBool(&t, "t") && archive.WriteStringValue(StringA("narrow"), "s") &&
                archive.WriteStringValue(StringW(W16("wide")), "w") &&
                archive.WriteBlob(blob, sizeof blob, "blob") && archive.WriteBlob(blob, 0, "none"));
    ASSERT_TRUE(archive.WriteMarker(StringA("BLK"), Archive::kBlockClose));

    stream.Seek(0);
    u8 ra;
    u16 rb;
    u32 rc;
    u64 rd;
    i8 re;
    i16 rf;
    i32 rg;
    i64 rh;
    bool rt = false;
    StringA rs;
    StringW rw;
    u8 rblob[5] = {};
    EXPECT_TRUE(archive.ReadMarker("BLK", Archive::kBlockOpen));
    EXPECT_TRUE(archive.ReadUInt8(&ra, "a") && archive.ReadUInt16(&rb, "b") &&
                archive.ReadUInt32(&rc, "c") && archive.ReadUInt64(&rd, "d") &&
                archive.ReadInt8(&re, "e") && archive.ReadInt16(&rf, "f") &&
                archive.ReadInt32(&rg, "g") && archive.ReadInt64(&rh, "h") &&
                archive.ReadBool(&rt, "t") && archive.ReadStringValue(rs, "s") &&
                archive.ReadStringValue(rw, "w") && archive.ReadBlob(rblob, 5, "blob") &&
                archive.ReadBlob(nullptr, 0, "none"));
    StringA closing;
    EXPECT_TRUE(archive.ReadMarker(StringA("ignored"), Archive::kBlockClose, &closing));
    EXPECT_STREQ(closing.CStr(), "BLK");
    EXPECT_EQ(stream.GetPosition(), stream.GetSize());
    EXPECT_EQ(ra, a);
    EXPECT_EQ(rb, b);
    EXPECT_EQ(rc, c);
    EXPECT_EQ(rd, d);
    EXPECT_EQ(re, e);
    EXPECT_EQ(rf, f);
    EXPECT_EQ(rg, g);
    EXPECT_EQ(rh, h);
    EXPECT_TRUE(rt);
    EXPECT_STREQ(rs.CStr(), "narrow");
    EXPECT_EQ(rw.Compare(StringA("wide")), 0);
    EXPECT_EQ(Bytes(rblob, rblob + 5), Bytes(blob, blob + 5));

    // A bool is stored like an Int8, so either reads the other.
    const u64 end = stream.GetPosition();
    ASSERT_TRUE(archive.WriteInt8(&e, "v"));
    stream.Seek(end);
    rt = false;
    EXPECT_TRUE(archive.ReadBool(&rt, "v"));
    EXPECT_TRUE(rt);
}

TEST_F(ArchiveTest, MismatchesFailAfterConsumingWhatWasRead)
{
    const u8 one = 1;
    ASSERT_TRUE(archive.WriteUInt8(&one, "_VER"));
    stream.Seek(0);
    u16 wide = 0x1234;
    EXPECT_FALSE(archive.ReadUInt16(&wide, "_VER"));
    EXPECT_EQ(stream.GetPosition(), 10u); // marker, key and type byte, not the payload
    EXPECT_EQ(wide, 0x1234);

    stream.Seek(0);
    u8 v;
    EXPECT_FALSE(archive.ReadUInt8(&v, "_VES"));
    stream.Seek(0);
    EXPECT_FALSE(archive.ReadUInt8(&v, StringW(W16("_VE"))));
    stream.Seek(1);
    EXPECT_FALSE(archive.ReadUInt8(&v, "_VER")); // no F8 byte here

    // A key record with its check byte altered.
    Bytes bytes = Contents(stream);
    bytes[2] ^= 0x01;
    Load(bytes);
    EXPECT_FALSE(archive.ReadUInt8(&v, "_VER"));

    // The payload cut short.
    bytes = Contents(stream);
    bytes[2] ^= 0x01;
    bytes.pop_back();
    Load(bytes);
    EXPECT_FALSE(archive.ReadUInt8(&v, "_VER"));

    // Markers check their byte and the block name.
    Load({});
    ASSERT_TRUE(archive.WriteMarker("_DEV", Archive::kBlockOpen));
    stream.Seek(0);
    EXPECT_FALSE(archive.ReadMarker("_DEV", Archive::kBlockClose));
    stream.Seek(0);
    EXPECT_FALSE(archive.ReadMarker("_DEVX", Archive::kBlockOpen));
    stream.Seek(0);
    EXPECT_TRUE(archive.ReadMarker(StringW(W16("_DEV")), Archive::kBlockOpen));
    EXPECT_FALSE(archive.ReadMarker("_DEV", Archive::kBlockOpen)); // stream ended
}

TEST_F(ArchiveTest, StringValueBytesAndWidths)
{
    ASSERT_TRUE(archive.WriteStringValue(StringA("AB"), ""));
    ASSERT_TRUE(archive.WriteStringValue(StringW(W16("AB")), ""));
    EXPECT_EQ(Contents(stream),
              Concat({{0xF8, 0x81, 0x81, 0x00, 0x00, 0x80, 0x03, 0x00, 0x00, 0x00, 'A', 'B', 0x00},
                      {0xF8, 0x81, 0x81, 0x00, 0x00, 0x81, 0x03, 0x00, 0x00, 0x00,
                       'A', 0, 'B', 0, 0, 0}}));
    stream.Seek(0);
    StringW wide;
    StringA narrow;
    EXPECT_TRUE(archive.ReadStringValue(wide, ""));
    EXPECT_EQ(wide.GetLength(), 2);
    EXPECT_EQ(wide.GetWideCharAt(1), wchar16('B'));
    EXPECT_TRUE(archive.ReadStringValue(narrow, ""));
    EXPECT_STREQ(narrow.CStr(), "AB");
}

TEST_F(ArchiveTest, DamagedStringValuesAreRefused)
{
    const Bytes key = {0xF8, 0x81, 0x81, 0x00, 0x00};
    const Bytes cases[] = {
        Concat({key, {0x80, 0x00, 0x00, 0x00, 0x00}}),                 // count 0
        Concat({key, {0x80, 0xFF, 0xFF, 0xFF, 0xFF, 'A', 0}}),         // count beyond the stream
        Concat({key, {0x81, 0x03, 0x00, 0x00, 0x00, 'A', 'B', 0}}),    // wide count beyond it
        Concat({key, {0x82, 0x01, 0x00, 0x00, 0x00, 0, 0, 0}}),        // 3-byte characters
        Concat({key, {0x80, 0x03, 0x00, 0x00, 0x00, 'A', 'B', 'C'}}),  // no terminator
        Concat({key, {0x80, 0x03, 0x00, 0x00, 0x00, 'A', 0, 0}}),      // embedded NUL
        Concat({key, {0x00, 0x03, 0x00, 0x00, 0x00, 'A', 'B', 0}}),    // not a string type
        Concat({key, {0x80, 0x03, 0x00}}),                             // count cut short
    };
    for (const Bytes& bytes : cases) {
        Load(bytes);
        StringA out;
        EXPECT_FALSE(archive.ReadStringValue(out, ""));
    }
}

TEST_F(ArchiveTest, BlobSizesAreChecked)
{
    const u8 twelve[12] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    EXPECT_FALSE(archive.WriteBlob(twelve, u64{1} << 32, "B"));
    EXPECT_EQ(stream.GetSize(), 0u);
    ASSERT_TRUE(archive.WriteBlob(twelve, sizeof twelve, "B"));
    EXPECT_EQ(Contents(stream)[6], Archive::kTypeBlob);

    u8 buffer[12] = {};
    stream.Seek(0);
    EXPECT_FALSE(archive.ReadBlob(buffer, 10, "B"));
    stream.Seek(0);
    EXPECT_FALSE(archive.ReadBlob(buffer, u64{1} << 32, "B"));
    EXPECT_EQ(stream.GetPosition(), 0u); // refused before reading

    // A blob cut short leaves the buffer untouched.
    Bytes bytes = Contents(stream);
    bytes.pop_back();
    Load(bytes);
    EXPECT_FALSE(archive.ReadBlob(buffer, 12, "B"));
    EXPECT_EQ(Bytes(buffer, buffer + 12), Bytes(12, 0));
}

TEST(ArchiveOwnership, DeletesAnOwnedStream)
{
    auto* owned = new MemoryStream();
    owned->Allocate(0, -1);
    { Archive archive(owned, true); }  // a leak here fails the sanitizer run

    Archive none;
    u8 v;
    EXPECT_FALSE(none.ReadUInt8(&v, "x"));
    EXPECT_FALSE(none.WriteUInt8(&v, "x"));
}

} // namespace
