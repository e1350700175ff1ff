// Memory space: the "_MEMS" state block.
//
//   F0 "_MEMS"
//   "VER"  u8   0
//   "MSZ"  u64  size of the backing memory
//   "MLM"  u64  highest address
//   per run n of saved blocks (a maximal stretch whose save bits are not "not saved" alone):
//     "MDT<n>"  bool true
//     "MDTS<n>" u64  first block in the low 32 bits, block count in the high 32 bits
//     "MDTA<n>" blob the run's bytes
//   "MDT<n+1>" bool false
//   FF "_MEMS"
// Only the backing memory is saved; the machine rebuilds the mapping at every start
// (a machine sized by its state, SetStateSized, also after a load).
#include "base/archive.h"
#include "base/string_a.h"
#include "emu/memory_space.h"
#include "emu/state_block.h"

namespace {

const char* const kBlock = "_MEMS";

StringA Key(const char* pattern, i32 n)
{
    StringA key;
    key.Format(pattern, n);
    return key;
}

} // namespace

bool MemorySpace::SaveState(Archive& archive)
{
    const u64 size = size_;
    const u64 highest = highest_;
    if (!StateBlock::Open(archive, kBlock) || !archive.WriteUInt64(&size, "MSZ") ||
        !archive.WriteUInt64(&highest, "MLM"))
        return false;
    i32 run = 0;
    u32 b = 0;
    while (b < blockCount_) {
        if ((table_[b].flags & kMemSaveBits) == kMemNotSaved) {
            ++b;
            continue;
        }
        const u32 first = b;
        while (b < blockCount_ && (table_[b].flags & kMemSaveBits) != kMemNotSaved)
            ++b;
        const u32 count = b - first;
        const bool more = true;
        const u64 span = static_cast<u64>(first) | (static_cast<u64>(count) << 32);
        if (!archive.WriteBool(&more, Key("MDT%ld", run)) || !archive.WriteUInt64(&span, Key("MDTS%ld", run)) ||
            !archive.WriteBlob(memory_ + static_cast<size_t>(first) * kMemBlockSize,
                               static_cast<u64>(count) * kMemBlockSize, Key("MDTA%ld", run)))
            return false;
        ++run;
    }
    const bool more = false;
    return archive.WriteBool(&more, Key("MDT%ld", run)) && StateBlock::Close(archive, kBlock);
}

bool MemorySpace::LoadState(Archive& archive, LoadContext)
{
    u64 size = 0;
    u64 highest = 0;
    if (!StateBlock::Enter(archive, kBlock) || !archive.ReadUInt64(&size, "MSZ") ||
        !archive.ReadUInt64(&highest, "MLM"))
        return false;
    // A saved size is always whole blocks and within what Allocate makes; anything else
    // is a damaged state, refused before any memory is touched.
    if (size > kMaxSize || (size & kMemBlockMask) != 0)
        return false;
    if (highest != 0 && highest >= size)
        return false;
    // Making the memory anew wipes the map, which most machines make only at their start
    // (and a state's configuration restarts the machine first, at the state's size).
    if (size != size_ || highest != highest_) {
        if ((memory_ && !stateSized_) || !Allocate(static_cast<u32>(size), static_cast<u32>(highest)))
            return false;
    }
    for (i32 run = 0;; ++run) {
        bool more = false;
        if (!archive.ReadBool(&more, Key("MDT%ld", run)))
            return false;
        if (!more)
            break;
        u64 span = 0;
        if (!archive.ReadUInt64(&span, Key("MDTS%ld", run)))
            return false;
        const u64 first = span & 0xFFFFFFFF;
        const u64 count = span >> 32;
        if (first >= blockCount_ || count < 1 || first + count > blockCount_)
            return false;
        for (u64 b = first; b < first + count; ++b) {
            if ((table_[b].flags & kMemSaveBits) == kMemNotSaved)
                return false;
        }
        if (!archive.ReadBlob(memory_ + first * kMemBlockSize, count * kMemBlockSize, Key("MDTA%ld", run)))
            return false;
        // Every run takes at least one block, so a table of n blocks holds at most n runs;
        // more would be a damaged state.
        if (run >= static_cast<i32>(blockCount_))
            return false;
    }
    return StateBlock::Leave(archive, kBlock);
}
