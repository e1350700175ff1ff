// Ring buffer on top of MemoryStream: a sound channel's cycle-stamped
// register writes between the emulation thread that appends them and the
// sound timer that consumes them (the channel's lock guards it).
//
// The ring's capacity is the base's size; GetSize answers the bytes held and
// the position counts from the oldest byte. A full ring grows (unwrapping its
// content to the start) by the new bytes + a quarter of its capacity + 1 KiB.
#pragma once

#include "base/memory_stream.h"

class FifoStream : public MemoryStream {
public:
    FifoStream() = default;

    // Appends after the newest byte, growing a full ring; answers n, or 0
    // when growing fails.
    u64 Append(const void* data, u64 n);
    // Copies up to n of the oldest bytes; with consume they leave the ring.
    u64 Peek(void* out, u64 n, bool consume);
    // Drops the n oldest bytes (n < 0: all of them).
    void Discard(i64 n);
    // Unwraps the content to the start of a buffer of capacity fill + room
    // (room < 0 keeps the capacity and only unwraps).
    bool Reserve(i64 room);
    u64 GetFill() const { return fill_; }

    u64 GetSize() const override { return fill_; }
    // New capacity; held bytes beyond it are dropped.
    bool SetSize(u64 capacity) override;
    bool Seek(u64 position) override;
    // Reads from the position without consuming.
    u64 Read(void* buffer, u64 count) override;
    // Overwrites or extends from the position, in one contiguous piece.
    u64 Write(const void* buffer, u64 count) override;
    bool Allocate(u64 size, i64 growStep) override;
    bool Attach(void* buffer, u64 size) override;
    void Free() override;
    // The held bytes in order, unwrapped first when they run past the end.
    u8* GetBuffer() override;

private:
    bool Unwrap(u64 capacity);
    bool GrowFor(u64 need);
    // Ring offset of the byte distance bytes after the oldest one.
    u64 RingOffset(u64 distance) const;
    // n bytes out of or into the ring from offset at, wrapping at its end.
    void CopyOut(u8* dest, u64 at, u64 n) const;
    void CopyIn(u64 at, const u8* src, u64 n);

    u64 fill_ = 0;       // bytes held
    u64 readStart_ = 0;  // ring offset of the oldest byte
};
