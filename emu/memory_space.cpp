// Memory space: allocation, block mapping and the accessors installed by the space itself.
#include "emu/memory_space.h"

#include <cstring>

#include "base/stream_interface.h"
#include "cpu/clock_interface.h"
#include "emu/system_base.h"

namespace {

// The bytes of one block; context is the block's first byte. A size that would run past
// the block is refused so that the caller splits it.
bool BlockRead(void* context, u32 address, i32 size, u8* buffer, bool)
{
    const u32 offset = address & kMemBlockMask;
    if (size != 1 && size != 2 && size != 4 && size != 6 && size != 8 && size != 10)
        return false;
    if (offset + static_cast<u32>(size) > kMemBlockSize)
        return false;
    std::memcpy(buffer, static_cast<const u8*>(context) + offset, static_cast<size_t>(size));
    return true;
}

bool BlockWrite(void* context, u32 address, i32 size, const u8* buffer)
{
    const u32 offset = address & kMemBlockMask;
    if (size != 1 && size != 2 && size != 4 && size != 8)
        return false;
    if (offset + static_cast<u32>(size) > kMemBlockSize)
        return false;
    std::memcpy(static_cast<u8*>(context) + offset, buffer, static_cast<size_t>(size));
    return true;
}

// The whole backing memory by address; context is its first byte. The space only reaches
// it with addresses whose access lies inside the memory.
bool WholeRead(void* context, u32 address, i32 size, u8* buffer, bool)
{
    if (size != 1 && size != 2 && size != 4 && size != 6 && size != 8 && size != 10)
        return false;
    std::memcpy(buffer, static_cast<const u8*>(context) + address, static_cast<size_t>(size));
    return true;
}

bool WholeWrite(void* context, u32 address, i32 size, const u8* buffer)
{
    if (size != 1 && size != 2 && size != 4 && size != 8)
        return false;
    std::memcpy(static_cast<u8*>(context) + address, buffer, static_cast<size_t>(size));
    return true;
}

// Past the end reads nothing and swallows writes; so does an unmapped block.
bool OutOfRangeRead(void*, u32, i32, u8*, bool) { return false; }
bool OutOfRangeWrite(void*, u32, i32, const u8*) { return true; }
bool UnmappedRead(void*, u32, i32, u8*, bool) { return false; }
bool UnmappedWrite(void*, u32, i32, const u8*) { return true; }

} // namespace

MemorySpace::MemorySpace()
{
    SetName("_MEM");
    ResetRecords();
}

MemorySpace::~MemorySpace()
{
    delete[] memory_;
    delete[] table_;
}

void MemorySpace::ResetRecords()
{
    outOfRangeRead_ = {nullptr, OutOfRangeRead, 0xFFFFFFFF};
    outOfRangeWrite_ = {nullptr, OutOfRangeWrite, 0xFFFFFFFF};
    unmappedRead_ = {nullptr, UnmappedRead, 0};
    unmappedWrite_ = {nullptr, UnmappedWrite, 0};
}

void MemorySpace::MakeDefaultEntry(u32 block)
{
    MemoryBlockEntry& e = table_[block];
    u8* first = memory_ + static_cast<size_t>(block) * kMemBlockSize;
    e.flags = kMemReadable | kMemWritable;
    e.readAlias = block;
    e.readContext = first;
    e.readHandler = BlockRead;
    e.writeContext = first;
    e.writeHandler = BlockWrite;
    e.writeAlias = block;
}

u32 MemorySpace::ClampCount(u32 first, u32 count) const
{
    if (first >= blockCount_)
        return 0;
    const u32 room = blockCount_ - first;
    return count < room ? count : room;
}

void MemorySpace::TellCpu(u32 block)
{
    if (!system_)
        return;
    if (ClockInterface* cpu = system_->GetMainCpu())
        cpu->OnMemoryBlockChanged(block);
}

void MemorySpace::Free()
{
    delete[] memory_;
    delete[] table_;
    memory_ = nullptr;
    table_ = nullptr;
    defaultValue_ = ~u64{0};
    size_ = 0;
    blockCount_ = 0;
    highest_ = 0;
    ResetRecords();
}

bool MemorySpace::Allocate(u32 size, u32 highest)
{
    const u64 rounded = (static_cast<u64>(size) + kMemBlockMask) & ~static_cast<u64>(kMemBlockMask);
    if (rounded > kMaxSize)
        return false;
    TellCpu(0xFFFFFFFF);
    Free();
    if (size == 0)
        return true;
    memory_ = new u8[rounded]();
    blockCount_ = static_cast<u32>(rounded >> kMemBlockShift);
    table_ = new MemoryBlockEntry[blockCount_];
    size_ = static_cast<u32>(rounded);
    highest_ = highest != 0 && highest < size_ ? highest : size_ - 1;
    for (u32 b = 0; b < blockCount_; ++b)
        MakeDefaultEntry(b);
    if (system_)
        system_->Connect(kConnectMemoryMap);
    return true;
}

bool MemorySpace::SetAccess(u32 mode, u32 first, u32 count)
{
    if (mode > 3)
        return false;
    const u32 n = ClampCount(first, count);
    for (u32 i = 0; i < n; ++i) {
        MemoryBlockEntry& e = table_[first + i];
        e.flags = (e.flags & ~(kMemReadable | kMemWritable)) | mode;
        TellCpu(first + i);
    }
    return n == count;
}

u32 MemorySpace::GetAccess(u32 block) const
{
    return block < blockCount_ ? table_[block].flags & (kMemReadable | kMemWritable) : 0;
}

bool MemorySpace::SetReadHandler(u32 first, u32 count, void* context, MemoryReadHandler handler,
                                 bool passRequested)
{
    const u32 n = ClampCount(first, count);
    for (u32 i = 0; i < n; ++i) {
        MemoryBlockEntry& e = table_[first + i];
        // Installing replaces the requested-address choice of an earlier handler; the
        // whole-memory accessor always wants the address inside the memory.
        e.flags &= ~kMemReadRequested;
        if (handler) {
            e.readContext = context;
            e.readHandler = handler;
            e.flags |= kMemReadHandler | (passRequested ? kMemReadRequested : 0);
        } else {
            e.readContext = memory_;
            e.readHandler = WholeRead;
            e.flags |= kMemReadHandler;
        }
        TellCpu(first + i);
    }
    return n == count;
}

bool MemorySpace::SetWriteHandler(u32 first, u32 count, void* context, MemoryWriteHandler handler,
                                  bool passRequested)
{
    // Unlike reads, a range running past the table still answers true.
    const u32 n = ClampCount(first, count);
    for (u32 i = 0; i < n; ++i) {
        MemoryBlockEntry& e = table_[first + i];
        const u32 before = e.flags;
        e.flags &= ~kMemWriteRequested;
        if (handler) {
            e.writeContext = context;
            e.writeHandler = handler;
            e.flags |= kMemWriteHandler | (passRequested ? kMemWriteRequested : 0);
        } else {
            e.writeContext = memory_;
            e.writeHandler = WholeWrite;
            e.flags |= kMemWriteHandler;
        }
        if (e.flags != before)
            TellCpu(first + i);
    }
    return true;
}

void MemorySpace::RemoveReadHandler(u32 first, u32 count, const void* context)
{
    const u32 n = ClampCount(first, count);
    for (u32 i = 0; i < n; ++i) {
        const u32 b = first + i;
        MemoryBlockEntry& e = table_[b];
        if (!(e.flags & kMemReadHandler) || e.readContext != context || e.readHandler == WholeRead)
            continue;
        const u32 source = (e.flags & kMemReadAlias) ? e.readAlias : b;
        e.flags &= ~(kMemReadHandler | kMemReadRequested);
        e.readHandler = BlockRead;
        e.readContext = memory_ + static_cast<size_t>(source) * kMemBlockSize;
        TellCpu(b);
    }
}

void MemorySpace::RemoveWriteHandler(u32 first, u32 count, const void* context)
{
    const u32 n = ClampCount(first, count);
    for (u32 i = 0; i < n; ++i) {
        const u32 b = first + i;
        MemoryBlockEntry& e = table_[b];
        if (!(e.flags & kMemWriteHandler) || e.writeContext != context || e.writeHandler == WholeWrite)
            continue;
        const u32 source = (e.flags & kMemWriteAlias) ? e.writeAlias : b;
        e.flags &= ~(kMemWriteHandler | kMemWriteRequested);
        e.writeHandler = BlockWrite;
        e.writeContext = memory_ + static_cast<size_t>(source) * kMemBlockSize;
        TellCpu(b);
    }
}

void MemorySpace::AliasRead(u32 first, u32 target, u32 count)
{
    if (first == target) {
        const u32 n = ClampCount(first, count);
        for (u32 i = 0; i < n; ++i) {
            const u32 b = first + i;
            MemoryBlockEntry& e = table_[b];
            e.flags &= ~kMemReadAlias;
            e.readAlias = b;
            if (e.readHandler == BlockRead)
                e.readContext = memory_ + static_cast<size_t>(b) * kMemBlockSize;
            TellCpu(b);
        }
        return;
    }
    const u32 n = ClampCount(target, ClampCount(first, count));
    for (u32 i = 0; i < n; ++i) {
        const u32 b = first + i;
        const u32 t = target + i;
        MemoryBlockEntry& e = table_[b];
        e.flags |= kMemReadAlias;
        e.readAlias = t;
        if (e.readHandler == BlockRead)
            e.readContext = memory_ + static_cast<size_t>(t) * kMemBlockSize;
        // The target is reached by the aliased address, which its own block accessor
        // would cut to an offset: serve it from the whole memory instead.
        MemoryBlockEntry& te = table_[t];
        if (te.readHandler == BlockRead) {
            te.readHandler = WholeRead;
            te.readContext = memory_;
            te.flags |= kMemReadHandler;
        }
        TellCpu(b);
        TellCpu(t);
    }
}

void MemorySpace::AliasWrite(u32 first, u32 target, u32 count)
{
    if (first == target) {
        const u32 n = ClampCount(first, count);
        for (u32 i = 0; i < n; ++i) {
            const u32 b = first + i;
            MemoryBlockEntry& e = table_[b];
            const u32 before = e.flags;
            e.flags &= ~kMemWriteAlias;
            e.writeAlias = b;
            if (e.writeHandler == BlockWrite)
                e.writeContext = memory_ + static_cast<size_t>(b) * kMemBlockSize;
            if (e.flags != before)
                TellCpu(b);
        }
        return;
    }
    const u32 n = ClampCount(target, ClampCount(first, count));
    for (u32 i = 0; i < n; ++i) {
        const u32 b = first + i;
        const u32 t = target + i;
        MemoryBlockEntry& e = table_[b];
        const u32 before = e.flags;
        e.flags |= kMemWriteAlias;
        e.writeAlias = t;
        if (e.writeHandler == BlockWrite)
            e.writeContext = memory_ + static_cast<size_t>(t) * kMemBlockSize;
        MemoryBlockEntry& te = table_[t];
        const u32 targetBefore = te.flags;
        if (te.writeHandler == BlockWrite) {
            te.writeHandler = WholeWrite;
            te.writeContext = memory_;
            te.flags |= kMemWriteHandler;
        }
        if (e.flags != before)
            TellCpu(b);
        if (te.flags != targetBefore)
            TellCpu(t);
    }
}

bool MemorySpace::SetBlockAttribute(bool saved, u32 first, u32 count)
{
    const u32 n = ClampCount(first, count);
    for (u32 i = 0; i < n; ++i) {
        MemoryBlockEntry& e = table_[first + i];
        e.flags = (e.flags & ~kMemSaveBits) | (saved ? kMemSaved : kMemNotSaved);
    }
    return n == count;
}

void MemorySpace::ResetBlocks(u32 first, u32 count)
{
    if (first < blockCount_)
        MapBuffer(first, count, memory_ + static_cast<size_t>(first) * kMemBlockSize);
}

void MemorySpace::MapBuffer(u32 first, u32 count, u8* buffer)
{
    if (!buffer)
        return;
    const u32 n = ClampCount(first, count);
    for (u32 i = 0; i < n; ++i) {
        const u32 b = first + i;
        MemoryBlockEntry& e = table_[b];
        u8* bytes = buffer + static_cast<size_t>(i) * kMemBlockSize;
        e.flags &= ~(kMemReadHandler | kMemWriteHandler | kMemReadRequested | kMemWriteRequested);
        e.readContext = bytes;
        e.readHandler = BlockRead;
        e.readAlias = b;
        e.writeContext = bytes;
        e.writeHandler = BlockWrite;
        e.writeAlias = b;
        TellCpu(b);
    }
}

void MemorySpace::SetSlowWrite(u32 first, u32 count, bool on)
{
    const u32 n = ClampCount(first, count);
    for (u32 i = 0; i < n; ++i) {
        MemoryBlockEntry& e = table_[first + i];
        e.flags = on ? e.flags | kMemWriteSlow : e.flags & ~kMemWriteSlow;
        TellCpu(first + i);
    }
}

bool MemorySpace::LoadFromStream(StreamInterface& stream, u32 address, i32 itemSize, u32 step)
{
    if (itemSize < 1 || itemSize > 8 || address >= size_)
        return false;
    const u64 item = static_cast<u64>(itemSize);
    for (u64 at = address; at + item <= size_; at += step) {
        if (stream.Read(memory_ + at, item) < item)
            break;
    }
    return true;
}

bool MemorySpace::Start(i32* rate)
{
    (void)rate;
    if (size_ != 0)
        std::memset(memory_, 0, size_);
    for (u32 b = 0; b < blockCount_; ++b)
        MakeDefaultEntry(b);
    ResetRecords();
    return true;
}

void MemorySpace::Stop() {}
