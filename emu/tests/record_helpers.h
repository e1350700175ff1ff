// Byte-level helpers for the component, device and parameter tests.
#pragma once

#include <cstring>
#include <initializer_list>
#include <vector>

#include "base/archive.h"
#include "base/memory_stream.h"
#include "base/types.h"

using ByteVec = std::vector<u8>;

// A narrow string record: type, check, u16 length, the characters.
inline ByteVec NarrowRecord(const char* text)
{
    const u16 n = static_cast<u16>(std::strlen(text));
    const u8 lo = static_cast<u8>(n & 0xFF), hi = static_cast<u8>(n >> 8);
    ByteVec out(4u + n);
    out[0] = 0x81;
    out[1] = static_cast<u8>(0x81 ^ lo ^ hi);
    out[2] = lo;
    out[3] = hi;
    std::memcpy(out.data() + 4, text, n);
    return out;
}

inline ByteVec Cat(std::initializer_list<ByteVec> parts)
{
    ByteVec all;
    for (const ByteVec& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

inline ByteVec Marker(u8 marker, const char* name)
{
    return Cat({{marker}, NarrowRecord(name)});
}

// Keyed value: F8, the key, the type byte, the payload.
inline ByteVec Keyed(const char* key, u8 type, ByteVec payload)
{
    return Cat({{0xF8}, NarrowRecord(key), {type}, payload});
}

// A growable stream with an archive over it.
struct StateBuffer {
    MemoryStream stream;
    Archive archive{&stream};

    StateBuffer() { stream.Allocate(0, -1); }
    explicit StateBuffer(const ByteVec& bytes)
    {
        stream.Allocate(0, -1);
        if (!bytes.empty())
            stream.Write(bytes.data(), bytes.size());
        stream.Seek(0);
    }

    void Rewind() { stream.Seek(0); }
    ByteVec Bytes()
    {
        const u8* data = stream.GetBuffer();
        return data != nullptr ? ByteVec(data, data + stream.GetSize()) : ByteVec();
    }
};
