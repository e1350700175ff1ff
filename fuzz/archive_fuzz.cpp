// The tagged archive's readers: a block holding one record of every kind, read back in
// the order written, each read tried whatever the one before answered.
#include <memory>

#include "base/archive.h"
#include "base/string_a.h"
#include "base/string_w.h"
#include "fuzz/fuzz_support.h"

namespace {

bool WriteAll(Archive& a)
{
    const u8 u8v = 0xA5;
    const u16 u16v = 0xBEEF;
    const u32 u32v = 0xDEADBEEF;
    const u64 u64v = 0x0123456789ABCDEFull;
    const i8 i8v = -5;
    const i16 i16v = -1234;
    const i32 i32v = -123456;
    const i64 i64v = -1234567890123ll;
    const bool flag = true;
    const u8 blob[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    return a.WriteMarker("_TEST", Archive::kBlockOpen) && a.WriteUInt8(&u8v, "U8") &&
           a.WriteUInt16(&u16v, "U16") && a.WriteUInt32(&u32v, "U32") && a.WriteUInt64(&u64v, "U64") &&
           a.WriteInt8(&i8v, "I8") && a.WriteInt16(&i16v, "I16") && a.WriteInt32(&i32v, "I32") &&
           a.WriteInt64(&i64v, "I64") && a.WriteBool(&flag, "B") &&
           a.WriteStringValue(StringA("narrow text"), "SA") && a.WriteStringValue(StringW("wide text"), "SW") &&
           a.WriteBlob(blob, sizeof(blob), "BLOB") && Archive::WriteString(*a.GetStream(), StringW("name")) &&
           a.WriteMarker("_TEST", Archive::kBlockClose);
}

void WriteSeeds(const std::filesystem::path& folder)
{
    MemoryStream stream;
    stream.Allocate(0, 1024);
    Archive archive(&stream);
    if (WriteAll(archive))
        fuzz::WriteSeed(folder, "records", fuzz::ContentOf(stream));
}

} // namespace

KUV_FUZZ_SEEDS(WriteSeeds)

extern "C" int LLVMFuzzerTestOneInput(const u8* data, size_t size)
{
    fuzz::InputStream stream(data, size);
    Archive a(&stream);
    u8 u8v;
    u16 u16v;
    u32 u32v;
    u64 u64v;
    i8 i8v;
    i16 i16v;
    i32 i32v;
    i64 i64v;
    bool flag;
    StringA name, narrow;
    StringW wide;
    u8 blob[16];
    a.ReadMarker("", Archive::kBlockOpen, &name);
    a.ReadUInt8(&u8v, "U8");
    a.ReadUInt16(&u16v, "U16");
    a.ReadUInt32(&u32v, "U32");
    a.ReadUInt64(&u64v, "U64");
    a.ReadInt8(&i8v, "I8");
    a.ReadInt16(&i16v, "I16");
    a.ReadInt32(&i32v, "I32");
    a.ReadInt64(&i64v, "I64");
    a.ReadBool(&flag, "B");
    a.ReadStringValue(narrow, "SA");
    a.ReadStringValue(wide, "SW");
    a.ReadBlob(blob, sizeof(blob), "BLOB");
    delete Archive::ReadString(stream, nullptr);
    a.ReadMarker("_TEST", Archive::kBlockClose);
    return 0;
}
