// CPU base memory accessors: the direct block path and its fall-backs.
#include <cstring>

#include "cpu/cpu_base.h"
#include "emu/memory_space.h"

namespace {

// Read kinds of the flags byte: a fetch also leaves blocks marked read-slow (0x55), a
// data read only tests readable, handler and alias (0x15).
constexpr u32 kFetchMask = kMemReadKindMask;
constexpr u32 kDataMask = kMemReadable | kMemReadHandler | kMemReadAlias;

} // namespace

u8 CpuBase::SlowRead8(u32 address, bool peek)
{
    return memory_ ? memory_->Read8(address, peek) : 0xFF;
}

void CpuBase::SlowWrite8(u32 address, u8 value)
{
    if (memory_)
        memory_->Write8(address, value);
}

u8 CpuBase::ReadNonDirect(u32 address, u32 kindMask, bool peek)
{
    if (address < memSize_) {
        const MemoryBlockEntry& e = blocks_[address >> kMemBlockShift];
        if ((e.flags & kindMask) == kMemReadViaHandler) {
            u8 value = 0;
            if (!e.readHandler(e.readContext, address, 1, &value, peek))
                value = ram_[address];
            return value;
        }
    }
    return SlowRead8(address, peek);
}

void CpuBase::WriteNonDirect(u32 address, u8 value)
{
    if (address < memSize_) {
        const MemoryBlockEntry& e = blocks_[address >> kMemBlockShift];
        if ((e.flags & kMemWriteKindMask) == (kMemWritable | kMemWriteHandler)) {
            if (!e.writeHandler(e.writeContext, address, 1, &value))
                ram_[address] = value;
            return;
        }
    }
    SlowWrite8(address, value);
}

// One byte at a masked address: the direct path, else the handler or the memory space.
// A raised abort flag makes the access answer false; its value is then not to be used.
bool CpuBase::ReadByte(u32 address, u32 kindMask, bool peek, u8* out)
{
    if (address < memSize_) {
        const MemoryBlockEntry& e = blocks_[address >> kMemBlockShift];
        if ((e.flags & kindMask) == kMemReadDirect) {
            *out = static_cast<const u8*>(e.readContext)[address & kMemBlockMask];
            return true;
        }
    }
    *out = ReadNonDirect(address, kindMask, peek);
    return !abort_;
}

template <typename T>
static bool MultiByteDirect(const MemoryBlockEntry* blocks, u32 memSize, u32 a, u32 mask, u32 kind, bool write,
                            T* value)
{
    constexpr u32 n = sizeof(T);
    if (a >= memSize || memSize - a < n || (a & kMemBlockMask) > kMemBlockSize - n)
        return false;
    const MemoryBlockEntry& e = blocks[a >> kMemBlockShift];
    if ((e.flags & mask) != kind)
        return false;
    if (write)
        std::memcpy(static_cast<u8*>(e.writeContext) + (a & kMemBlockMask), value, n);
    else
        std::memcpy(value, static_cast<const u8*>(e.readContext) + (a & kMemBlockMask), n);
    return true;
}

// Fetches, reads and peeks differ only in the kind mask and the peek flag: one block
// read directly when it can be, else byte by byte, low byte first.
template <typename T>
bool CpuBase::ReadSized(u32 address, u32 kindMask, bool peek, T* value)
{
    const u32 a = address & addressMask_;
    constexpr u32 n = sizeof(T);
    if (n > 1 && MultiByteDirect(blocks_, memSize_, a, kindMask, kMemReadDirect, false, value))
        return true;
    u64 v = 0;
    for (u32 i = 0; i < n; ++i) {
        u8 b;
        if (!ReadByte((a + i) & addressMask_, kindMask, peek, &b))
            return false;
        v |= static_cast<u64>(b) << (8 * i);
    }
    *value = static_cast<T>(v);
    return true;
}

template <typename T>
bool CpuBase::FetchFast(u32 address, T* value, u32* counter)
{
    if (!ReadSized(address, kFetchMask, false, value))
        return false;
    if (counter)
        *counter += sizeof(T);
    return true;
}

template <typename T>
bool CpuBase::ReadFast(u32 address, T* value)
{
    return ReadSized(address, kDataMask, false, value);
}

template <typename T>
bool CpuBase::PeekFast(u32 address, T* value)
{
    return ReadSized(address, kDataMask, true, value);
}

template <typename T>
bool CpuBase::WriteFast(u32 address, T value)
{
    const u32 a = address & addressMask_;
    constexpr u32 n = sizeof(T);
    if (n > 1 && MultiByteDirect(blocks_, memSize_, a, kMemWriteKindMask, kMemWriteDirect, true, &value))
        return true;
    for (u32 i = 0; i < n; ++i) {
        const u32 m = (a + i) & addressMask_;
        const u8 b = static_cast<u8>(static_cast<u64>(value) >> (8 * i));
        bool direct = false;
        if (m < memSize_) {
            const MemoryBlockEntry& e = blocks_[m >> kMemBlockShift];
            if ((e.flags & kMemWriteKindMask) == kMemWriteDirect) {
                static_cast<u8*>(e.writeContext)[m & kMemBlockMask] = b;
                direct = true;
            }
        }
        if (!direct) {
            WriteNonDirect(m, b);
            if (abort_)
                return false;
        }
    }
    return true;
}

// The plain family has no direct path: every byte goes through the memory space.
template <typename T>
bool CpuBase::FetchPlain(u32 address, T* value, u32* counter)
{
    if (!ReadPlain(address, value))
        return false;
    if (counter)
        *counter += sizeof(T);
    return true;
}

template <typename T>
bool CpuBase::ReadSlow(u32 address, bool peek, T* value)
{
    const u32 a = address & addressMask_;
    u64 v = 0;
    for (u32 i = 0; i < sizeof(T); ++i) {
        v |= static_cast<u64>(SlowRead8((a + i) & addressMask_, peek)) << (8 * i);
        if (abort_)
            return false;
    }
    *value = static_cast<T>(v);
    return true;
}

template <typename T>
bool CpuBase::ReadPlain(u32 address, T* value)
{
    return ReadSlow(address, false, value);
}

template <typename T>
bool CpuBase::PeekPlain(u32 address, T* value)
{
    return ReadSlow(address, true, value);
}

// Every byte is stored; the answer tells whether the access was stopped on the way.
template <typename T>
bool CpuBase::WritePlain(u32 address, T value)
{
    const u32 a = address & addressMask_;
    for (u32 i = 0; i < sizeof(T); ++i)
        SlowWrite8((a + i) & addressMask_, static_cast<u8>(static_cast<u64>(value) >> (8 * i)));
    return !abort_;
}

bool CpuBase::PeekFetch(u32 address, u8* value)
{
    return ReadByte(address & addressMask_, kFetchMask, true, value);
}

bool CpuBase::PeekFetchWord(u32 address, u16* value)
{
    return ReadSized(address, kFetchMask, true, value);
}

#define KUV_CPU_ACCESS(T) \
    template bool CpuBase::FetchFast<T>(u32, T*, u32*); \
    template bool CpuBase::ReadFast<T>(u32, T*); \
    template bool CpuBase::PeekFast<T>(u32, T*); \
    template bool CpuBase::WriteFast<T>(u32, T); \
    template bool CpuBase::FetchPlain<T>(u32, T*, u32*); \
    template bool CpuBase::ReadPlain<T>(u32, T*); \
    template bool CpuBase::PeekPlain<T>(u32, T*); \
    template bool CpuBase::WritePlain<T>(u32, T);
KUV_CPU_ACCESS(u8)
KUV_CPU_ACCESS(u16)
KUV_CPU_ACCESS(u32)
KUV_CPU_ACCESS(u64)
#undef KUV_CPU_ACCESS
