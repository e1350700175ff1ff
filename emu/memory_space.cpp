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

// The read and the write half of a block entry: the mapping operations are written once
// for both.
struct ReadSide {
    using Handler = MemoryReadHandler;
    static constexpr u32 kHandlerBit = kMemReadHandler;
    static constexpr u32 kRequestedBit = kMemReadRequested;
    static constexpr u32 kAliasBit = kMemReadAlias;
    static constexpr Handler kBlock = BlockRead;
    static constexpr Handler kWhole = WholeRead;
    static void*& Context(MemoryBlockEntry& e) { return e.readContext; }
    static Handler& HandlerOf(MemoryBlockEntry& e) { return e.readHandler; }
    static u32& AliasOf(MemoryBlockEntry& e) { return e.readAlias; }
};

struct WriteSide {
    using Handler = MemoryWriteHandler;
    static constexpr u32 kHandlerBit = kMemWriteHandler;
    static constexpr u32 kRequestedBit = kMemWriteRequested;
    static constexpr u32 kAliasBit = kMemWriteAlias;
    static constexpr Handler kBlock = BlockWrite;
    static constexpr Handler kWhole = WholeWrite;
    static void*& Context(MemoryBlockEntry& e) { return e.writeContext; }
    static Handler& HandlerOf(MemoryBlockEntry& e) { return e.writeHandler; }
    static u32& AliasOf(MemoryBlockEntry& e) { return e.writeAlias; }
};

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
    ++mapVersion_;
    MemoryBlockEntry& e = table_[block];
    u8* first = BlockBytes(block);
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
    ++mapVersion_;
    if (!system_)
        return;
    if (ClockInterface* cpu = system_->GetMainCpu())
        cpu->OnMemoryBlockChanged(block);
}

void MemorySpace::Free()
{
    ++mapVersion_;
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

template <class Side>
u32 MemorySpace::InstallHandler(u32 first, u32 count, void* context, typename Side::Handler handler,
                                bool passRequested)
{
    const u32 n = ClampCount(first, count);
    for (u32 i = 0; i < n; ++i) {
        MemoryBlockEntry& e = table_[first + i];
        // Installing replaces the requested-address choice of an earlier handler; the
        // whole-memory accessor always wants the address inside the memory.
        e.flags &= ~Side::kRequestedBit;
        e.flags |= Side::kHandlerBit | (handler && passRequested ? Side::kRequestedBit : 0);
        Side::Context(e) = handler ? context : memory_;
        Side::HandlerOf(e) = handler ? handler : Side::kWhole;
        TellCpu(first + i);
    }
    return n;
}

template <class Side>
void MemorySpace::RemoveHandler(u32 first, u32 count, const void* context)
{
    const u32 n = ClampCount(first, count);
    for (u32 i = 0; i < n; ++i) {
        const u32 b = first + i;
        MemoryBlockEntry& e = table_[b];
        if (!(e.flags & Side::kHandlerBit) || Side::Context(e) != context || Side::HandlerOf(e) == Side::kWhole)
            continue;
        const u32 source = (e.flags & Side::kAliasBit) ? Side::AliasOf(e) : b;
        e.flags &= ~(Side::kHandlerBit | Side::kRequestedBit);
        Side::HandlerOf(e) = Side::kBlock;
        Side::Context(e) = BlockBytes(source);
        TellCpu(b);
    }
}

template <class Side>
void MemorySpace::Alias(u32 first, u32 target, u32 count)
{
    if (first == target) {
        const u32 n = ClampCount(first, count);
        for (u32 i = 0; i < n; ++i) {
            const u32 b = first + i;
            MemoryBlockEntry& e = table_[b];
            e.flags &= ~Side::kAliasBit;
            Side::AliasOf(e) = b;
            if (Side::HandlerOf(e) == Side::kBlock)
                Side::Context(e) = BlockBytes(b);
            TellCpu(b);
        }
        return;
    }
    const u32 n = ClampCount(target, ClampCount(first, count));
    for (u32 i = 0; i < n; ++i) {
        const u32 b = first + i;
        const u32 t = target + i;
        MemoryBlockEntry& e = table_[b];
        e.flags |= Side::kAliasBit;
        Side::AliasOf(e) = t;
        if (Side::HandlerOf(e) == Side::kBlock)
            Side::Context(e) = BlockBytes(t);
        // The target is reached by the aliased address, which its own block accessor
        // would cut to an offset: serve it from the whole memory instead.
        MemoryBlockEntry& te = table_[t];
        if (Side::HandlerOf(te) == Side::kBlock) {
            Side::HandlerOf(te) = Side::kWhole;
            Side::Context(te) = memory_;
            te.flags |= Side::kHandlerBit;
        }
        TellCpu(b);
        TellCpu(t);
    }
}

bool MemorySpace::SetReadHandler(u32 first, u32 count, void* context, MemoryReadHandler handler,
                                 bool passRequested)
{
    return InstallHandler<ReadSide>(first, count, context, handler, passRequested) == count;
}

bool MemorySpace::SetWriteHandler(u32 first, u32 count, void* context, MemoryWriteHandler handler,
                                  bool passRequested)
{
    // Unlike reads, a range running past the table still answers true.
    InstallHandler<WriteSide>(first, count, context, handler, passRequested);
    return true;
}

void MemorySpace::RemoveReadHandler(u32 first, u32 count, const void* context)
{
    RemoveHandler<ReadSide>(first, count, context);
}

void MemorySpace::RemoveWriteHandler(u32 first, u32 count, const void* context)
{
    RemoveHandler<WriteSide>(first, count, context);
}

void MemorySpace::AliasRead(u32 first, u32 target, u32 count)
{
    Alias<ReadSide>(first, target, count);
}

void MemorySpace::AliasWrite(u32 first, u32 target, u32 count)
{
    Alias<WriteSide>(first, target, count);
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
        MapBuffer(first, count, BlockBytes(first));
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
