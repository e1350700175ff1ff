#include "base/archive.h"

#include <bit>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "base/stream_interface.h"
#include "base/string_a.h"
#include "base/string_w.h"

// Payloads are written as the value's own bytes; both hosts are little-endian, which keeps
// the files identical between them.
static_assert(std::endian::native == std::endian::little);
static_assert(sizeof(bool) == 1);

namespace {

constexpr u64 kMaxRecordLength = 0xFFFF;
constexpr int kMaxCharSize = 8;

// Bytes between the position and the end: the bound for every length read from a stream.
u64 Remaining(StreamInterface& stream)
{
    const u64 size = stream.GetSize();
    const u64 position = stream.GetPosition();
    return position < size ? size - position : 0;
}

} // namespace

Archive::Archive(StreamInterface* stream, bool ownsStream) : stream_(stream), ownsStream_(ownsStream)
{
}

Archive::~Archive()
{
    if (ownsStream_)
        delete stream_;
}

bool Archive::WriteString(StreamInterface& stream, const StringBase& text)
{
    const int byteLength = text.GetByteLength();
    const int charSize = text.GetCharSize();
    if (byteLength < 0 || static_cast<u64>(byteLength) > kMaxRecordLength || charSize < 1 ||
        charSize > kMaxCharSize)
        return false;
    const u8 lo = static_cast<u8>(byteLength);
    const u8 hi = static_cast<u8>(byteLength >> 8);
    const u8 type = static_cast<u8>((text.GetKind() & 0x0F) | 0x80 | ((charSize - 1) << 4));
    const u8 header[4] = {type, static_cast<u8>(type ^ lo ^ hi), lo, hi};
    return WriteExactly(stream, header, sizeof header) &&
           WriteExactly(stream, text.GetData(), static_cast<u64>(byteLength));
}

StringBase* Archive::ReadString(StreamInterface& stream, StringBase* into)
{
    u8 header[4];
    if (!ReadExactly(stream, header, sizeof header))
        return nullptr;
    const u8 type = header[0];
    if (header[1] != (type ^ header[2] ^ header[3]))
        return nullptr;
    const int kind = type & 0x0F;
    const int charSize = (type & 0x80) ? ((type >> 4) & 0x07) + 1 : 0;
    const u64 length = header[2] | (static_cast<u64>(header[3]) << 8);
    if (length > Remaining(stream))
        return nullptr;

    try {
        if (kind == 1 && charSize == 1) {
            std::string text(static_cast<size_t>(length), '\0');
            if (!ReadExactly(stream, text.data(), length))
                return nullptr;
            if (into) {
                into->Assign(text.c_str(), -1);
                return into;
            }
            return new StringA(text.c_str());
        }
        if (kind == 2 && charSize == 2 && length % 2 == 0) {
            // One extra unit stays zero as the terminator.
            std::vector<wchar16> text(static_cast<size_t>(length / 2) + 1, 0);
            if (!ReadExactly(stream, text.data(), length))
                return nullptr;
            if (into) {
                into->AssignWide(text.data());
                return into;
            }
            auto* made = new StringW();
            made->AssignWide(text.data());
            return made;
        }
    } catch (const std::bad_alloc&) {
    }
    return nullptr;
}

bool Archive::WriteMarker(const StringBase& name, u8 marker)
{
    return stream_ && WriteExactly(*stream_, &marker, 1) && WriteString(*stream_, name);
}

bool Archive::ReadMarker(const StringBase& expectedName, u8 marker, StringBase* nameOut)
{
    u8 byte;
    if (!stream_ || !ReadExactly(*stream_, &byte, 1) || byte != marker)
        return false;
    if (nameOut)
        return ReadString(*stream_, nameOut) != nullptr;
    return ReadName(expectedName);
}

bool Archive::ReadName(const StringBase& expectedName)
{
    if (!stream_)
        return false;
    std::unique_ptr<StringBase> name(ReadString(*stream_, nullptr));
    return name && expectedName.Compare(*name) == 0;
}

bool Archive::WriteKeyed(const StringBase& key, u8 type, const void* payload, u64 size)
{
    const u8 tag = kKeyedValue;
    return stream_ && WriteExactly(*stream_, &tag, 1) && WriteString(*stream_, key) &&
           WriteExactly(*stream_, &type, 1) && WriteExactly(*stream_, payload, size);
}

bool Archive::ReadKeyHeader(const StringBase& key, u8* type)
{
    u8 tag;
    return stream_ && ReadExactly(*stream_, &tag, 1) && tag == kKeyedValue && ReadName(key) &&
           ReadExactly(*stream_, type, 1);
}

bool Archive::ReadFixed(const StringBase& key, u8 type, void* payload, u64 size)
{
    u8 stored;
    return ReadKeyHeader(key, &stored) && stored == type && ReadExactly(*stream_, payload, size);
}

bool Archive::WriteUInt8(const u8* value, const StringBase& key)
{
    return WriteKeyed(key, kTypeUInt8, value, 1);
}
bool Archive::WriteUInt16(const u16* value, const StringBase& key)
{
    return WriteKeyed(key, kTypeUInt16, value, 2);
}
bool Archive::WriteUInt32(const u32* value, const StringBase& key)
{
    return WriteKeyed(key, kTypeUInt32, value, 4);
}
bool Archive::WriteUInt64(const u64* value, const StringBase& key)
{
    return WriteKeyed(key, kTypeUInt64, value, 8);
}
bool Archive::WriteInt8(const i8* value, const StringBase& key)
{
    return WriteKeyed(key, kTypeInt8, value, 1);
}
bool Archive::WriteInt16(const i16* value, const StringBase& key)
{
    return WriteKeyed(key, kTypeInt16, value, 2);
}
bool Archive::WriteInt32(const i32* value, const StringBase& key)
{
    return WriteKeyed(key, kTypeInt32, value, 4);
}
bool Archive::WriteInt64(const i64* value, const StringBase& key)
{
    return WriteKeyed(key, kTypeInt64, value, 8);
}
bool Archive::WriteBool(const bool* value, const StringBase& key)
{
    const u8 byte = *value ? 1 : 0;
    return WriteKeyed(key, kTypeBool, &byte, 1);
}

bool Archive::ReadUInt8(u8* value, const StringBase& key)
{
    return ReadFixed(key, kTypeUInt8, value, 1);
}
bool Archive::ReadUInt16(u16* value, const StringBase& key)
{
    return ReadFixed(key, kTypeUInt16, value, 2);
}
bool Archive::ReadUInt32(u32* value, const StringBase& key)
{
    return ReadFixed(key, kTypeUInt32, value, 4);
}
bool Archive::ReadUInt64(u64* value, const StringBase& key)
{
    return ReadFixed(key, kTypeUInt64, value, 8);
}
bool Archive::ReadInt8(i8* value, const StringBase& key)
{
    return ReadFixed(key, kTypeInt8, value, 1);
}
bool Archive::ReadInt16(i16* value, const StringBase& key)
{
    return ReadFixed(key, kTypeInt16, value, 2);
}
bool Archive::ReadInt32(i32* value, const StringBase& key)
{
    return ReadFixed(key, kTypeInt32, value, 4);
}
bool Archive::ReadInt64(i64* value, const StringBase& key)
{
    return ReadFixed(key, kTypeInt64, value, 8);
}
bool Archive::ReadBool(bool* value, const StringBase& key)
{
    u8 byte;
    if (!ReadFixed(key, kTypeBool, &byte, 1))
        return false;
    *value = byte != 0;
    return true;
}

bool Archive::WriteStringValue(const StringBase& value, const StringBase& key)
{
    const int charSize = value.GetCharSize();
    const int byteLength = value.GetByteLength();
    if (charSize < 1 || charSize > 2 || byteLength < 0)
        return false;
    const u32 count = static_cast<u32>(value.GetLength()) + 1;
    const u8 type = static_cast<u8>(kTypeString | (charSize - 1));
    const u8 terminator[2] = {0, 0};
    return WriteKeyed(key, type, &count, 4) &&
           WriteExactly(*stream_, value.GetData(), static_cast<u64>(byteLength)) &&
           WriteExactly(*stream_, terminator, static_cast<u64>(charSize));
}

bool Archive::ReadStringValue(StringBase& value, const StringBase& key)
{
    u8 type;
    u32 count;
    if (!ReadKeyHeader(key, &type) || !(type & kTypeString) || !ReadExactly(*stream_, &count, 4) ||
        count == 0)
        return false;
    // Only the widths the string classes have; anything else is a damaged record.
    const int charSize = (type & 0x7F) + 1;
    if (charSize != 1 && charSize != 2)
        return false;
    const u64 bytes = static_cast<u64>(count) * static_cast<u64>(charSize);
    if (bytes > Remaining(*stream_))
        return false;
    try {
        if (charSize == 1) {
            std::string text(static_cast<size_t>(count), '\0');
            if (!ReadExactly(*stream_, text.data(), bytes) || text.back() != '\0')
                return false;
            value.Assign(text.c_str(), -1);
        } else {
            std::vector<wchar16> text(static_cast<size_t>(count), 0);
            if (!ReadExactly(*stream_, text.data(), bytes) || text.back() != 0)
                return false;
            value.AssignWide(text.data());
        }
    } catch (const std::bad_alloc&) {
        return false;
    }
    return static_cast<u64>(value.GetLength()) == static_cast<u64>(count) - 1;
}

bool Archive::WriteBlob(const void* data, u64 size, const StringBase& key)
{
    if (size > 0xFFFFFFFFu)
        return false;
    const u32 stored = static_cast<u32>(size);
    return WriteKeyed(key, kTypeBlob, &stored, 4) && WriteExactly(*stream_, data, size);
}

bool Archive::ReadBlob(void* buffer, u64 expectedSize, const StringBase& key)
{
    if (expectedSize > 0xFFFFFFFFu)
        return false;
    u32 stored;
    // Checking what the stream holds first keeps a truncated blob out of the buffer.
    return ReadFixed(key, kTypeBlob, &stored, 4) && stored == expectedSize &&
           expectedSize <= Remaining(*stream_) && ReadExactly(*stream_, buffer, expectedSize);
}
