// Byte-level helpers for the format tests: build a stream from literal bytes and read back
// everything a writer produced, and a fixture around one such stream.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

#include "base/memory_stream.h"
#include "base/types.h"

using Bytes = std::vector<u8>;

// Makes the stream a growable one holding just bytes, positioned at the start.
inline void Fill(MemoryStream& stream, const Bytes& bytes)
{
    stream.Free();
    stream.Allocate(0, -1);
    if (!bytes.empty())
        stream.Write(bytes.data(), bytes.size());
    stream.Seek(0);
}

inline Bytes Contents(MemoryStream& stream)
{
    const u8* data = stream.GetBuffer();
    return data ? Bytes(data, data + stream.GetSize()) : Bytes();
}

inline Bytes Concat(std::initializer_list<Bytes> parts)
{
    Bytes all;
    for (const Bytes& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

// One growable stream that a test writes to, or loads with bytes to read.
class RecordStreamTest : public ::testing::Test {
protected:
    void SetUp() override { stream.Allocate(0, -1); }
    void Load(const Bytes& bytes) { Fill(stream, bytes); }

    MemoryStream stream;
};
