// A growable in-memory stream with an archive over it, for state round trips.
#pragma once

#include <vector>

#include "base/archive.h"
#include "base/memory_stream.h"
#include "base/types.h"

struct ArchiveBuffer {
    MemoryStream stream;
    Archive archive{&stream};

    ArchiveBuffer() { stream.Allocate(0, -1); }

    // Back to the start, for reading what was written.
    void Rewind() { stream.Seek(0); }

    std::vector<u8> Bytes()
    {
        const u8* data = stream.GetBuffer();
        return std::vector<u8>(data, data + stream.GetSize());
    }
};
