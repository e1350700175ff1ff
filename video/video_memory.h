// Video memory: a chip's memory as a byte buffer, read and written by offset.
//
// With line tracking on, every write invalidates the lines drawn on the display surface,
// so that only lines whose source may have changed are drawn again. The memory can also
// be exposed to the CPU through an address window (a "MEMORY" parameter), which nothing
// in the shipped machines binds.
//
// "_VIDP" block (after the "_DEV" chunk), keys in order:
//   "VER" u8 0, "MSZ" i32 size in bytes, "MSK" i32 address mask,
//   "MEM" blob of MSZ bytes (only when MSZ > 0)
#pragma once

#include <memory>

#include "base/types.h"
#include "emu/device.h"

class VideoMemory : public Device {
public:
    VideoMemory();
    ~VideoMemory() override;

    // Device::Start, then a fresh zeroed buffer of size bytes (none for size 0).
    bool Start(i32* rate) override;
    void Stop() override;
    // The "_DEV" chunk, then "_VIDP" (video_memory_state.cpp).
    bool SaveState(Archive& archive) override;
    bool LoadState(Archive& archive, LoadContext context) override;
    // With 0x80 (parameters applied or a state loaded) an enabled window takes its base.
    bool Connect(u32 flags) override;

    // buffer[offset] = value; with line tracking the surface's drawn lines go stale.
    virtual bool WriteByte(u8* buffer, i32 offset, u8 value);
    // *out = buffer[offset]; a peek changes nothing here either.
    virtual bool ReadByte(const u8* buffer, i32 offset, u8* out, bool peek);

    // Memory handlers of the window (context: the device); size 1 only.
    static bool WindowWrite(void* context, u32 address, i32 size, const u8* value);
    static bool WindowRead(void* context, u32 address, i32 size, u8* out, bool peek);

    // Size in KB and address mask for the next Start; refused while running.
    bool SetSize(i32 kilobytes, u32 mask);
    // Offers the memory at baseKB .. baseKB + lengthKB - 1 as the "MEMORY" parameter; a
    // length of 0 or less withdraws it. flag is kept for the caller and not used.
    bool SetWindow(i32 baseKB, i32 lengthKB, bool enabled, u8 flag);

    u8* GetBuffer() const { return buffer_.get(); }
    i32 GetSize() const { return size_; }
    u32 GetAddressMask() const { return mask_; }
    u32 GetBaseAddress() const { return static_cast<u32>(baseAddress_); }
    bool IsLineTracking() const { return lineTracking_ != 0; }
    void SetLineTracking(bool on) { lineTracking_ = on ? 1 : 0; }

protected:
    // Offset of an address seen through the window or by ReadMemory / WriteMemory.
    u32 OffsetOf(u32 address) const { return (address - static_cast<u32>(baseAddress_)) & mask_; }
    void FreeBuffer() { buffer_.reset(); }
    // A zeroed buffer of size_ bytes (none for 0); false when it cannot be had.
    bool AllocateBuffer();

    u8 windowEnabled_ = 0;   // the memory window is in use
    u64 windowBase_ = 0;     // window start in KB
    u64 windowLength_ = 0;   // window length in KB
    u64 baseAddress_ = 0;    // subtracted from addresses (low 32 bits take part)
    i32 size_ = 0;           // bytes
    u32 mask_ = 0xFFFFFFFF;  // ANDed into every offset derived from an address
    u8 lineTracking_ = 0;    // writes invalidate the surface's drawn lines
    bool windowConnected_ = false;
    std::unique_ptr<u8[]> buffer_;
};
