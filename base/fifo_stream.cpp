#include "base/fifo_stream.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

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
        const u64 keep = std::min(fill_, capacity);
        // An outside buffer keeps its size.
        ok = !(buffer_ && !owned_) && ReplaceBuffer(capacity ? capacity : 1, keep);
        if (ok) {
            size_ = capacity;
            fill_ = keep;
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

u64 FifoStream::RingOffset(u64 distance) const {
    const u64 at = readStart_ + distance;
    return at >= size_ ? at - size_ : at;
}

void FifoStream::CopyOut(u8* dest, u64 at, u64 n) const {
    const u64 first = std::min(n, size_ - at);
    std::memcpy(dest, buffer_ + at, static_cast<size_t>(first));
    if (first < n) std::memcpy(dest + first, buffer_, static_cast<size_t>(n - first));
}

void FifoStream::CopyIn(u64 at, const u8* src, u64 n) {
    const u64 first = std::min(n, size_ - at);
    std::memcpy(buffer_ + at, src, static_cast<size_t>(first));
    if (first < n) std::memcpy(buffer_, src + first, static_cast<size_t>(n - first));
}

u64 FifoStream::Append(const void* data, u64 n) {
    if (!data || n == 0) return 0;
    if (n > UINT64_MAX - fill_ || !GrowFor(fill_ + n)) return 0;
    CopyIn(RingOffset(fill_), static_cast<const u8*>(data), n);
    fill_ += n;
    return n;
}

u64 FifoStream::Peek(void* out, u64 n, bool consume) {
    if (!out) return 0;
    if (n > fill_) n = fill_;
    if (n == 0) return 0;
    CopyOut(static_cast<u8*>(out), readStart_, n);
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
    CopyOut(static_cast<u8*>(buffer), RingOffset(position_), n);
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

u8* FifoStream::GetBuffer() {
    if (readStart_ + fill_ > size_) Unwrap(size_);
    return buffer_ ? buffer_ + readStart_ : nullptr;
}
