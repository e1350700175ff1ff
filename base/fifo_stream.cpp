#include "base/fifo_stream.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>

// The ring's capacity is the base's size_ field; the base's capacity_ is what
// is allocated behind it (never less).

bool FifoStream::Allocate(u64 size, i64 growStep) {
    if (!MemoryStream::Allocate(size, growStep)) return false;
    size_ = capacity_;  // a size of 0 gives the 1 KiB allocated
    fill_ = 0;
    readStart_ = 0;
    return true;
}

bool FifoStream::Attach(void* buffer, u64 size) {
    if (!MemoryStream::Attach(buffer, size)) return false;
    fill_ = 0;
    readStart_ = 0;
    return true;
}

void FifoStream::Free() {
    MemoryStream::Free();
    fill_ = 0;
    readStart_ = 0;
}

bool FifoStream::Unwrap(u64 capacity) {
    if (readStart_ != 0) {
        // Oldest byte to offset 0; the held bytes then run 0 .. fill - 1.
        std::rotate(buffer_, buffer_ + readStart_, buffer_ + size_);
        readStart_ = 0;
    }
    bool ok = true;
    if (capacity != size_) {
        if (buffer_ && !owned_) {
            ok = false;  // an outside buffer keeps its size
        } else if (capacity > static_cast<u64>(INT64_MAX) || capacity > static_cast<u64>(SIZE_MAX)) {
            ok = false;
        } else {
            const u64 allocation = capacity ? capacity : 1;
            u8* buffer = new (std::nothrow) u8[static_cast<size_t>(allocation)]();
            if (!buffer) {
                ok = false;
            } else {
                const u64 keep = std::min(fill_, capacity);
                if (keep) std::memcpy(buffer, buffer_, static_cast<size_t>(keep));
                delete[] buffer_;
                buffer_ = buffer;
                owned_ = true;
                capacity_ = allocation;
                size_ = capacity;
                fill_ = keep;
            }
        }
    }
    if (position_ > fill_) position_ = fill_;
    return ok;
}

bool FifoStream::GrowFor(u64 need) {
    if (need <= size_) return true;
    const u64 extra = size_ / 4 + 1024;
    if (need > UINT64_MAX - extra) return false;
    return Unwrap(need + extra);
}

bool FifoStream::Reserve(i64 room) {
    if (room < 0) return Unwrap(size_);
    if (static_cast<u64>(room) > UINT64_MAX - fill_) return false;
    return Unwrap(fill_ + static_cast<u64>(room));
}

u64 FifoStream::Append(const void* data, u64 n) {
    if (!data || n == 0) return 0;
    if (n > UINT64_MAX - fill_ || !GrowFor(fill_ + n)) return 0;
    const u8* src = static_cast<const u8*>(data);
    u64 at = readStart_ + fill_;
    if (at >= size_) at -= size_;
    const u64 first = std::min(n, size_ - at);
    std::memcpy(buffer_ + at, src, static_cast<size_t>(first));
    if (first < n) std::memcpy(buffer_, src + first, static_cast<size_t>(n - first));
    fill_ += n;
    return n;
}

u64 FifoStream::Peek(void* out, u64 n, bool consume) {
    if (!out) return 0;
    if (n > fill_) n = fill_;
    if (n == 0) return 0;
    u8* dest = static_cast<u8*>(out);
    const u64 first = std::min(n, size_ - readStart_);
    std::memcpy(dest, buffer_ + readStart_, static_cast<size_t>(first));
    if (first < n) std::memcpy(dest + first, buffer_, static_cast<size_t>(n - first));
    if (consume) Discard(static_cast<i64>(n));
    return n;
}

void FifoStream::Discard(i64 n) {
    const u64 count = (n < 0 || static_cast<u64>(n) > fill_) ? fill_ : static_cast<u64>(n);
    readStart_ += count;
    if (readStart_ >= size_) readStart_ -= size_;
    fill_ -= count;
    if (fill_ == 0) readStart_ = 0;
    // The position keeps pointing at the same byte, or the oldest one.
    position_ = position_ > count ? position_ - count : 0;
}

bool FifoStream::SetSize(u64 capacity) { return Unwrap(capacity); }

bool FifoStream::Seek(u64 position) {
    if (position > fill_) return false;
    position_ = position;
    return true;
}

u64 FifoStream::Read(void* buffer, u64 count) {
    if (!buffer || position_ >= fill_) return 0;
    const u64 n = std::min(count, fill_ - position_);
    if (n == 0) return 0;
    u8* dest = static_cast<u8*>(buffer);
    u64 at = readStart_ + position_;
    if (at >= size_) at -= size_;
    const u64 first = std::min(n, size_ - at);
    std::memcpy(dest, buffer_ + at, static_cast<size_t>(first));
    if (first < n) std::memcpy(dest + first, buffer_, static_cast<size_t>(n - first));
    position_ += n;
    return n;
}

u64 FifoStream::Write(const void* buffer, u64 count) {
    if (!buffer || count == 0) return 0;
    if (count > UINT64_MAX - position_) return 0;
    if (!GrowFor(position_ + count)) {
        // No room to grow: write what fits.
        if (position_ >= size_) return 0;
        count = size_ - position_;
    }
    if (readStart_ + position_ + count > size_) Unwrap(size_);
    std::memcpy(buffer_ + readStart_ + position_, buffer, static_cast<size_t>(count));
    position_ += count;
    if (position_ > fill_) fill_ = position_;
    return count;
}

u64 FifoStream::ReadAt(void* buffer, u64 offset, u64 count) {
    position_ = std::min(offset, fill_);
    return Read(buffer, count);
}

u64 FifoStream::WriteAt(const void* buffer, u64 offset, u64 count) {
    if (offset > fill_) {
        position_ = fill_;
        return 0;
    }
    position_ = offset;
    return Write(buffer, count);
}

u8* FifoStream::GetBuffer() {
    if (readStart_ + fill_ > size_) Unwrap(size_);
    return buffer_ ? buffer_ + readStart_ : nullptr;
}
