// Abstract byte stream: every byte the system stores or reloads passes
// through it (archives, settings files, images, drive images, sound logs).
//
// Counts, sizes and positions are unsigned 64-bit; Read and Write answer the
// number of bytes actually moved and callers compare it with what they asked.
#pragma once

#include "base/types.h"

class StreamInterface {
public:
    virtual ~StreamInterface() = default;

    virtual bool IsOpen() const = 0;
    virtual bool IsGrowable() const = 0;  // writing past the end enlarges it
    virtual bool IsSeekable() const = 0;
    virtual bool CanRead() const = 0;
    virtual bool CanWrite() const = 0;
    virtual u64 GetSize() const = 0;
    virtual bool SetSize(u64 size) = 0;
    virtual u64 GetPosition() const = 0;
    virtual bool Seek(u64 position) = 0;  // absolute, from the start
    virtual u64 Read(void* buffer, u64 count) = 0;
    virtual u64 Write(const void* buffer, u64 count) = 0;
    // Seek, then Read or Write; 0 when the seek fails.
    virtual u64 ReadAt(void* buffer, u64 offset, u64 count);
    virtual u64 WriteAt(const void* buffer, u64 offset, u64 count);

protected:
    StreamInterface() = default;
    StreamInterface(const StreamInterface&) = delete;
    StreamInterface& operator=(const StreamInterface&) = delete;
};

// Whole transfers, for the record formats: true only when all size bytes
// moved (at once for 0, without calling the stream).
bool ReadExactly(StreamInterface& stream, void* data, u64 size);
bool WriteExactly(StreamInterface& stream, const void* data, u64 size);
// The characters of text, without terminator or header (the magic of a settings file);
// true only when all were written. Null or "" writes nothing and is true.
bool WriteRawText(StreamInterface& stream, const char* text);
