// Memory space: the slow path of CPU accesses (everything the fast path leaves here) and
// the block copies.
#include "base/stream_interface.h"
#include "emu/little_endian.h"
#include "emu/memory_space.h"

// One access of size bytes at an address below the size. With fallBack (byte accesses)
// a refusal ends in the backing byte or the default value and the answer is always true;
// without it (wider accesses) any refusal, a self-alias or an alias of an alias answers
// false and the caller splits.
bool MemorySpace::DispatchRead(u32 address, i32 size, u8* buffer, bool peek, bool fallBack)
{
    const u32 block = address >> kMemBlockShift;
    const MemoryBlockEntry& e = table_[block];
    u32 kind = e.flags & (kMemReadable | kMemReadAlias);
    if (kind & kMemReadAlias) {
        const u32 a = e.readAlias;
        if (a == block || a >= blockCount_) {
            if (!fallBack)
                return false;
            kind &= ~kMemReadAlias;
        } else {
            const u32 aliased = (a << kMemBlockShift) | (address & kMemBlockMask);
            const MemoryBlockEntry& t = table_[a];
            const bool targetIsAlias = (t.flags & kMemReadAlias) != 0;
            if (targetIsAlias && !fallBack)
                return false;
            if (t.flags & kMemReadable) {
                // An alias of an alias is not followed: the target's own handler serves it.
                const bool requested = !targetIsAlias && (t.flags & kMemReadRequested);
                if (t.readHandler(t.readContext, requested ? address : aliased, size, buffer, peek))
                    return true;
                if (!fallBack)
                    return false;
                buffer[0] = memory_[aliased];
                return true;
            }
            if (unmappedRead_.handler(unmappedRead_.context, aliased, size, buffer, peek))
                return true;
            if (!fallBack)
                return false;
            buffer[0] = static_cast<u8>(defaultValue_);
            return true;
        }
    }
    if (kind == kMemReadable) {
        if (e.readHandler(e.readContext, address, size, buffer, peek))
            return true;
        if (!fallBack)
            return false;
        buffer[0] = memory_[address];
        return true;
    }
    if (unmappedRead_.handler(unmappedRead_.context, address, size, buffer, peek))
        return true;
    if (!fallBack)
        return false;
    buffer[0] = static_cast<u8>(defaultValue_);
    return true;
}

bool MemorySpace::DispatchWrite(u32 address, i32 size, const u8* buffer, bool fallBack)
{
    const u32 block = address >> kMemBlockShift;
    const MemoryBlockEntry& e = table_[block];
    u32 kind = e.flags & (kMemWritable | kMemWriteAlias);
    if (kind & kMemWriteAlias) {
        const u32 a = e.writeAlias;
        if (a == block || a >= blockCount_) {
            if (!fallBack)
                return false;
            kind &= ~kMemWriteAlias;
        } else {
            const u32 aliased = (a << kMemBlockShift) | (address & kMemBlockMask);
            const MemoryBlockEntry& t = table_[a];
            const bool targetIsAlias = (t.flags & kMemWriteAlias) != 0;
            if (targetIsAlias && !fallBack)
                return false;
            if (t.flags & kMemWritable) {
                const bool requested = !targetIsAlias && (t.flags & kMemWriteRequested);
                if (t.writeHandler(t.writeContext, requested ? address : aliased, size, buffer))
                    return true;
                if (!fallBack)
                    return false;
                memory_[aliased] = buffer[0];
                return true;
            }
            const bool taken = unmappedWrite_.handler(unmappedWrite_.context, aliased, size, buffer);
            return taken || fallBack;
        }
    }
    if (kind == kMemWritable) {
        if (e.writeHandler(e.writeContext, address, size, buffer))
            return true;
        if (!fallBack)
            return false;
        memory_[address] = buffer[0];
        return true;
    }
    const bool taken = unmappedWrite_.handler(unmappedWrite_.context, address, size, buffer);
    return taken || fallBack;
}

u8 MemorySpace::Read8(u32 address, bool peek)
{
    u8 b = 0;
    if (address >= size_) {
        if (outOfRangeRead_.handler(outOfRangeRead_.context, address, 1, &b, peek))
            return b;
        return static_cast<u8>(defaultValue_);
    }
    DispatchRead(address, 1, &b, peek, true);
    return b;
}

u16 MemorySpace::Read16(u32 address, bool peek)
{
    u8 b[2];
    if ((address & kMemBlockMask) != kMemBlockMask) {
        if (static_cast<u64>(address) + 1 >= size_) {
            if (outOfRangeRead_.handler(outOfRangeRead_.context, address, 2, b, peek))
                return LoadLe16(b);
        } else if (DispatchRead(address, 2, b, peek, false)) {
            return LoadLe16(b);
        }
    }
    const u8 lo = Read8(address, peek);
    return static_cast<u16>(lo | (Read8(address + 1, peek) << 8));
}

u32 MemorySpace::Read32(u32 address, bool peek)
{
    u8 b[4];
    if ((address & kMemBlockMask) <= kMemBlockSize - 4) {
        if (static_cast<u64>(address) + 3 >= size_) {
            if (outOfRangeRead_.handler(outOfRangeRead_.context, address, 4, b, peek))
                return LoadLe32(b);
        } else if (DispatchRead(address, 4, b, peek, false)) {
            return LoadLe32(b);
        }
    }
    const u32 lo = Read16(address, peek);
    return lo | (static_cast<u32>(Read16(address + 2, peek)) << 16);
}

void MemorySpace::Write8(u32 address, u8 value)
{
    if (address >= size_) {
        outOfRangeWrite_.handler(outOfRangeWrite_.context, address, 1, &value);
        return;
    }
    DispatchWrite(address, 1, &value, true);
}

void MemorySpace::Write16(u32 address, u16 value)
{
    u8 b[2];
    StoreLe16(b, value);
    if ((address & kMemBlockMask) != kMemBlockMask) {
        if (static_cast<u64>(address) + 1 >= size_) {
            if (outOfRangeWrite_.handler(outOfRangeWrite_.context, address, 2, b))
                return;
        } else if (DispatchWrite(address, 2, b, false)) {
            return;
        }
    }
    Write8(address, b[0]);
    Write8(address + 1, b[1]);
}

void MemorySpace::Write32(u32 address, u32 value)
{
    u8 b[4];
    StoreLe32(b, value);
    if ((address & kMemBlockMask) <= kMemBlockSize - 4) {
        if (static_cast<u64>(address) + 3 >= size_) {
            if (outOfRangeWrite_.handler(outOfRangeWrite_.context, address, 4, b))
                return;
        } else if (DispatchWrite(address, 4, b, false)) {
            return;
        }
    }
    Write16(address, static_cast<u16>(value));
    Write16(address + 2, static_cast<u16>(value >> 16));
}

bool MemorySpace::ReadBlock(u32 address, u8* buffer, u32 count, u32 mask)
{
    if (mask == 0)
        mask = highest_;
    for (u32 i = 0; i < count; ++i)
        buffer[i] = Read8((address + i) & mask, false);
    return true;
}

bool MemorySpace::WriteBlock(u32 address, const u8* buffer, u32 count, u32 mask)
{
    if (mask == 0)
        mask = highest_;
    for (u32 i = 0; i < count; ++i)
        Write8((address + i) & mask, buffer[i]);
    return true;
}

bool MemorySpace::WriteBlockFromStream(u32 address, StreamInterface& stream, u32 count, u32 mask)
{
    if (mask == 0)
        mask = highest_;
    for (u32 i = 0; i < count; ++i) {
        u8 b;
        if (stream.Read(&b, 1) != 1)
            return false;
        Write8((address + i) & mask, b);
    }
    return true;
}

bool MemorySpace::CopyBlock(u32 source, u32 destination, u32 count, u32 mask)
{
    if (mask == 0)
        mask = highest_;
    for (u32 i = 0; i < count; ++i)
        Write8((destination + i) & mask, Read8((source + i) & mask, false));
    return true;
}
