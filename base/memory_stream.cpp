#include "base/memory_stream.h"

#include <cstdint>
#include <cstring>
#include <new>

namespace {

// Small copies are the common case (archive fields): single loads and stores.
inline void CopyBytes(void* dest, const void* src, u64 n) {
    switch (n) {
    case 1: std::memcpy(dest, src, 1); break;
    case 2: std::memcpy(dest, src, 2); break;
    case 4: std::memcpy(dest, src, 4); break;
    case 8: std::memcpy(dest, src, 8); break;
    default: std::memcpy(dest, src, static_cast<size_t>(n)); break;
    }
}

// Sizes this host can allocate: below 2^63 (a negative size) and within size_t.
bool Allocatable(u64 size) {
    return size <= static_cast<u64>(INT64_MAX) && size <= static_cast<u64>(SIZE_MAX);
}

u8* NewBuffer(u64 size) {
    if (!Allocatable(size)) return nullptr;
    // Cleared so that streams built alike hold the same bytes.
    return new (std::nothrow) u8[static_cast<size_t>(size)]();
}

}  // namespace

MemoryStream::~MemoryStream() { MemoryStream::Free(); }

bool MemoryStream::Allocate(u64 size, i64 growStep) {
    if (buffer_ || (size == 0 && growStep == 0)) return false;
    if (!ReplaceBuffer(size ? size : 1024, 0)) return false;
    growStep_ = growStep;
    size_ = size;
    position_ = 0;
    return true;
}

bool MemoryStream::Attach(void* buffer, u64 size) {
    if (!buffer || buffer_ || !Allocatable(size)) return false;
    buffer_ = static_cast<u8*>(buffer);
    owned_ = false;
    growStep_ = 0;
    size_ = size;
    capacity_ = size;
    position_ = 0;
    return true;
}

void MemoryStream::Free() {
    if (owned_) delete[] buffer_;
    buffer_ = nullptr;
    owned_ = false;
    growStep_ = 0;
    size_ = 0;
    capacity_ = 0;
    position_ = 0;
}

u8* MemoryStream::GetBuffer() { return buffer_; }

bool MemoryStream::ReplaceBuffer(u64 capacity, u64 keep) {
    u8* buffer = NewBuffer(capacity);
    if (!buffer) return false;
    if (keep) std::memcpy(buffer, buffer_, static_cast<size_t>(keep));
    if (owned_) delete[] buffer_;
    buffer_ = buffer;
    owned_ = true;
    capacity_ = capacity;
    return true;
}

bool MemoryStream::GrowStep(u64 need) {
    if (growStep_ == 0) return false;
    u64 grow;
    if (growStep_ > 0) {
        grow = static_cast<u64>(growStep_);
    } else if (size_ <= 65535) {
        grow = 65536;
    } else if (size_ <= 1048576) {
        grow = size_ / 2;
    } else if (size_ <= 10485760) {
        grow = size_ / 3;
    } else {
        grow = size_ / 4;
    }
    if (grow < need) grow = need;
    if (grow > UINT64_MAX - size_) return false;
    return ReplaceBuffer(size_ + grow, size_);
}

bool MemoryStream::SetSize(u64 size) {
    if (size == size_) return true;
    if (growStep_ == 0) return false;
    if (!ReplaceBuffer(size ? size : 1024, size < size_ ? size : size_)) return false;
    size_ = size;
    if (position_ > size) position_ = size;
    return true;
}

bool MemoryStream::Seek(u64 position) {
    if (position > size_) return false;
    position_ = position;
    return true;
}

u64 MemoryStream::Read(void* buffer, u64 count) {
    if (position_ >= size_ || !buffer) return 0;
    const u64 available = size_ - position_;
    const u64 n = count < available ? count : available;
    CopyBytes(buffer, buffer_ + position_, n);
    position_ += n;
    return n;
}

u64 MemoryStream::Write(const void* buffer, u64 count) {
    if (!buffer || count == 0) return 0;
    if (count > UINT64_MAX - position_) count = UINT64_MAX - position_;
    u64 end = position_ + count;
    if (end > size_) {
        if (end > capacity_ && IsGrowable()) GrowStep(end - size_ + 1);
        if (end > capacity_) {
            if (position_ >= capacity_) return 0;
            end = capacity_;
            count = capacity_ - position_;
        }
        size_ = end;
    }
    CopyBytes(buffer_ + position_, buffer, count);
    position_ = end;
    return count;
}

// GetSize, not size_: a ring's end is its fill.
bool MemoryStream::SeekWithin(u64 offset) {
    const u64 end = GetSize();
    position_ = offset > end ? end : offset;
    return offset <= end;
}

u64 MemoryStream::ReadAt(void* buffer, u64 offset, u64 count) {
    return SeekWithin(offset) ? Read(buffer, count) : 0;
}

u64 MemoryStream::WriteAt(const void* buffer, u64 offset, u64 count) {
    return SeekWithin(offset) ? Write(buffer, count) : 0;
}
