// Stream over a buffer in memory: save states held in memory, machine
// configuration snapshots, images.
//
// The buffer is either owned (Allocate) or an outside one (Attach, never
// grows). Grow step: 0 never grows, > 0 grows by at least that many bytes,
// < 0 grows by a share of the current size (64 KiB up to 64 KiB of content,
// then 1/2 up to 1 MiB, 1/3 up to 10 MiB, 1/4 beyond).
#pragma once

#include "base/stream_interface.h"

class MemoryStream : public StreamInterface {
public:
    MemoryStream() = default;
    ~MemoryStream() override;

    bool IsOpen() const override { return buffer_ != nullptr; }
    bool IsGrowable() const override { return growStep_ != 0; }
    bool IsSeekable() const override { return true; }
    bool CanRead() const override { return true; }
    bool CanWrite() const override { return true; }
    u64 GetSize() const override { return size_; }
    // Reallocates an owned growable buffer to size (1024 bytes when 0),
    // keeping the common prefix; false when refused.
    bool SetSize(u64 size) override;
    u64 GetPosition() const override { return position_; }
    bool Seek(u64 position) override;  // fails past the size
    u64 Read(void* buffer, u64 count) override;
    // Past the capacity a growable stream grows first; otherwise the write is
    // cut at the capacity.
    u64 Write(const void* buffer, u64 count) override;
    // An offset past GetSize() moves the position there and answers 0.
    u64 ReadAt(void* buffer, u64 offset, u64 count) override;
    u64 WriteAt(const void* buffer, u64 offset, u64 count) override;

    // Enlarges the buffer by at least need bytes by the grow-step rule.
    virtual bool GrowStep(u64 need);
    // Owned buffer of size bytes of content (capacity 1024 when size is 0;
    // the bytes are not cleared). Fails when a buffer is present or when
    // both size and grow step are 0.
    virtual bool Allocate(u64 size, i64 growStep);
    // Uses an outside buffer of size bytes: never grows, never freed here.
    virtual bool Attach(void* buffer, u64 size);
    virtual void Free();
    virtual u8* GetBuffer();

    u64 GetCapacity() const { return capacity_; }

protected:
    // Puts a new owned buffer of capacity bytes (cleared) in place of the present
    // one, keeping its first keep bytes; false, changing nothing, when refused.
    bool ReplaceBuffer(u64 capacity, u64 keep);

    u8* buffer_ = nullptr;
    bool owned_ = false;
    i64 growStep_ = 0;
    u64 size_ = 0;      // bytes of content
    u64 capacity_ = 0;  // bytes allocated
    u64 position_ = 0;

private:
    bool SeekWithin(u64 offset);
};
