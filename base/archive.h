// Tagged binary archive: the record stream in which components save their state.
//
// A flat sequence of self-describing records, read back strictly in the order written:
//   block open   F0, string record of the block name
//   block close  FF, string record of the same name
//   keyed value  F8, string record of the key, type byte, payload (little-endian)
// There is no header, index or block length, so a reader cannot skip what it does not
// expect: any other key, type, marker or name makes that read answer false.
//
// String record: type byte (bits 0-3 kind: 1 narrow, 2 wide; bit 7 set; bits 4-6 the
// character size - 1), check byte (type ^ len.lo ^ len.hi), u16 byte length, the
// characters without terminator. Wide text is always stored as 16-bit units so the bytes
// are the same on every host. "_VER" narrow: 81 85 04 00 5F 56 45 52.
//
// Every length and count read from a stream is checked against what the stream still
// holds before anything is allocated: a damaged or hostile file is refused, never
// trusted.
#pragma once

#include "base/string_a.h"
#include "base/types.h"

class StreamInterface;

class Archive {
public:
    static constexpr u8 kBlockOpen = 0xF0;
    static constexpr u8 kBlockClose = 0xFF;
    static constexpr u8 kKeyedValue = 0xF8;

    // Type bytes of keyed values: width - 1 in the low bits, 0x40 for signed. A bool is
    // stored exactly like an Int8.
    static constexpr u8 kTypeUInt8 = 0x00;
    static constexpr u8 kTypeUInt16 = 0x01;
    static constexpr u8 kTypeUInt32 = 0x03;
    static constexpr u8 kTypeUInt64 = 0x07;
    static constexpr u8 kTypeInt8 = 0x40;
    static constexpr u8 kTypeInt16 = 0x41;
    static constexpr u8 kTypeInt32 = 0x43;
    static constexpr u8 kTypeInt64 = 0x47;
    static constexpr u8 kTypeBool = 0x40;
    static constexpr u8 kTypeString = 0x80; // OR character size - 1
    static constexpr u8 kTypeBlob = 0xC0;

    Archive() = default;
    // With ownsStream set the archive deletes the stream when it is destroyed.
    explicit Archive(StreamInterface* stream, bool ownsStream = false);
    virtual ~Archive();

    Archive(const Archive&) = delete;
    Archive& operator=(const Archive&) = delete;

    StreamInterface* GetStream() const { return stream_; }

    // String records, also used by the typed value records and the settings tree file.
    static bool WriteString(StreamInterface& stream, const StringBase& text);
    // With into given the text is assigned to it (converted to its width) and into is
    // answered; with into null a new StringA or StringW (by the recorded kind) is made,
    // which the caller deletes. Null on any fault.
    static StringBase* ReadString(StreamInterface& stream, StringBase* into);

    // Block markers: the marker byte (kBlockOpen or kBlockClose), then the name's record.
    bool WriteMarker(const StringBase& name, u8 marker);
    // With nameOut given the block name is read into it and not compared; otherwise it
    // must equal expectedName.
    bool ReadMarker(const StringBase& expectedName, u8 marker, StringBase* nameOut = nullptr);
    // Reads one string record and answers whether it equals expectedName.
    bool ReadName(const StringBase& expectedName);

    // Keyed values: F8, the key, the type byte, the payload.
    bool WriteUInt8(const u8* value, const StringBase& key);
    bool WriteUInt16(const u16* value, const StringBase& key);
    bool WriteUInt32(const u32* value, const StringBase& key);
    bool WriteUInt64(const u64* value, const StringBase& key);
    bool WriteInt8(const i8* value, const StringBase& key);
    bool WriteInt16(const i16* value, const StringBase& key);
    bool WriteInt32(const i32* value, const StringBase& key);
    bool WriteInt64(const i64* value, const StringBase& key);
    bool WriteBool(const bool* value, const StringBase& key);
    // u32 character count including the terminator, then the characters (narrow bytes or
    // 16-bit units) and the terminator.
    bool WriteStringValue(const StringBase& value, const StringBase& key);
    // u32 byte count, then the bytes; sizes of 2^32 or more are refused.
    bool WriteBlob(const void* data, u64 size, const StringBase& key);

    // Readers check the F8 byte, the key and the type, then read the payload. A failure
    // leaves the stream where it stopped (a reader that fails is a load that is over).
    bool ReadUInt8(u8* value, const StringBase& key);
    bool ReadUInt16(u16* value, const StringBase& key);
    bool ReadUInt32(u32* value, const StringBase& key);
    bool ReadUInt64(u64* value, const StringBase& key);
    bool ReadInt8(i8* value, const StringBase& key);
    bool ReadInt16(i16* value, const StringBase& key);
    bool ReadInt32(i32* value, const StringBase& key);
    bool ReadInt64(i64* value, const StringBase& key);
    bool ReadBool(bool* value, const StringBase& key);
    // Fails unless the text read has exactly count - 1 characters (no embedded NUL).
    bool ReadStringValue(StringBase& value, const StringBase& key);
    // The stored size must equal expectedSize exactly.
    bool ReadBlob(void* buffer, u64 expectedSize, const StringBase& key);

    // Keys and block names are most often literals.
    bool WriteMarker(const char* name, u8 marker) { return WriteMarker(StringA(name), marker); }
    bool ReadMarker(const char* expectedName, u8 marker, StringBase* nameOut = nullptr)
    {
        return ReadMarker(StringA(expectedName), marker, nameOut);
    }
    bool ReadName(const char* expectedName) { return ReadName(StringA(expectedName)); }
    bool WriteUInt8(const u8* value, const char* key) { return WriteUInt8(value, StringA(key)); }
    bool WriteUInt16(const u16* value, const char* key) { return WriteUInt16(value, StringA(key)); }
    bool WriteUInt32(const u32* value, const char* key) { return WriteUInt32(value, StringA(key)); }
    bool WriteUInt64(const u64* value, const char* key) { return WriteUInt64(value, StringA(key)); }
    bool WriteInt8(const i8* value, const char* key) { return WriteInt8(value, StringA(key)); }
    bool WriteInt16(const i16* value, const char* key) { return WriteInt16(value, StringA(key)); }
    bool WriteInt32(const i32* value, const char* key) { return WriteInt32(value, StringA(key)); }
    bool WriteInt64(const i64* value, const char* key) { return WriteInt64(value, StringA(key)); }
    bool WriteBool(const bool* value, const char* key) { return WriteBool(value, StringA(key)); }
    bool ReadUInt8(u8* value, const char* key) { return ReadUInt8(value, StringA(key)); }
    bool ReadUInt16(u16* value, const char* key) { return ReadUInt16(value, StringA(key)); }
    bool ReadUInt32(u32* value, const char* key) { return ReadUInt32(value, StringA(key)); }
    bool ReadUInt64(u64* value, const char* key) { return ReadUInt64(value, StringA(key)); }
    bool ReadInt8(i8* value, const char* key) { return ReadInt8(value, StringA(key)); }
    bool ReadInt16(i16* value, const char* key) { return ReadInt16(value, StringA(key)); }
    bool ReadInt32(i32* value, const char* key) { return ReadInt32(value, StringA(key)); }
    bool ReadInt64(i64* value, const char* key) { return ReadInt64(value, StringA(key)); }
    bool ReadBool(bool* value, const char* key) { return ReadBool(value, StringA(key)); }
    bool WriteStringValue(const StringBase& value, const char* key)
    {
        return WriteStringValue(value, StringA(key));
    }
    bool ReadStringValue(StringBase& value, const char* key)
    {
        return ReadStringValue(value, StringA(key));
    }
    bool WriteBlob(const void* data, u64 size, const char* key)
    {
        return WriteBlob(data, size, StringA(key));
    }
    bool ReadBlob(void* buffer, u64 expectedSize, const char* key)
    {
        return ReadBlob(buffer, expectedSize, StringA(key));
    }

private:
    bool WriteKeyed(const StringBase& key, u8 type, const void* payload, u64 size);
    bool ReadKeyHeader(const StringBase& key, u8* type);
    bool ReadFixed(const StringBase& key, u8 type, void* payload, u64 size);

    StreamInterface* stream_ = nullptr;
    bool ownsStream_ = false;
};
