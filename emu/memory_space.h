// Service "_MEM": the CPU's address space in blocks of 1 KB.
//
// One backing memory (a multiple of 1024 bytes, possibly larger than the CPU's space) and
// one MemoryBlockEntry per block of it. Each entry says, for reads and writes apart,
// whether the block is reachable, whether its bytes are served straight from memory or by
// a device handler, and whether it borrows the mapping of another block (an alias, one
// level deep). A machine with banked memory keeps every bank in the backing memory and
// aliases the CPU-visible blocks onto the selected banks.
//
// What the CPU relies on (see memory_block_entry.h): on Connect with flag 0x02 it copies
// GetHighestAddress() + 1, GetMemory() and GetBlockTable(); addresses at or past that
// size, and every block that is not plainly direct, go through Read8 / Write8 here. A CPU
// that keeps its own copy of what the table maps compares GetMapVersion() with the value
// it copied at.
// Allocate asks the system to Connect with 0x02 so that the copy is never stale.
//
// Fall-backs: a refused read of a mapped block yields the backing byte, an unmapped one
// the default value 0xFF; writes nobody takes are dropped. Wider reads and writes that are
// refused or cross a block edge split into byte accesses, low part first.
//
// Saved state "_MEMS": only the backing memory, in runs of saved blocks; the mapping is
// rebuilt by the machine at every start, so a state of another size is refused unless
// the machine lays its map out from the state (SetStateSized).
#pragma once

#include "base/types.h"
#include "emu/component.h"
#include "emu/memory_block_entry.h"

class Archive;
class StreamInterface;
class SystemBase;

// Holds what the CPU reads directly; its only virtual operation is the destructor.
class MemorySpaceBase {
public:
    virtual ~MemorySpaceBase() = default;

    u32 GetSize() const { return size_; }                 // bytes of backing memory
    u32 GetBlockCount() const { return blockCount_; }
    u32 GetHighestAddress() const { return highest_; }    // last address inside memory
    u8* GetMemory() const { return memory_; }
    MemoryBlockEntry* GetBlockTable() const { return table_; }
    // Moves on whenever an entry of the block table changes (or the table is made anew),
    // so that a CPU keeping a copy of what the table maps can tell that it is stale.
    const u32* GetMapVersion() const { return &mapVersion_; }

protected:
    u32 mapVersion_ = 0;     // +1 a map change; wraps: readers compare it after every device call
    u32 size_ = 0;
    u32 blockCount_ = 0;
    u32 highest_ = 0;
    u8* memory_ = nullptr;
    MemoryBlockEntry* table_ = nullptr;
};

class MemorySpace final : public MemorySpaceBase, public Component {
public:
    // Larger backing memories are refused (by Allocate and by a saved state).
    static constexpr u32 kMaxSize = 64u << 20;

    MemorySpace();
    ~MemorySpace() override;

    MemorySpace(const MemorySpace&) = delete;
    MemorySpace& operator=(const MemorySpace&) = delete;

    // Set by the system base while the machine runs; mapping changes are reported to it.
    void SetSystem(SystemBase* system) { system_ = system; }
    SystemBase* GetSystem() const { return system_; }

    // --- access (memory_space_access.cpp) ---
    u8 Read8(u32 address, bool peek);
    u16 Read16(u32 address, bool peek);
    u32 Read32(u32 address, bool peek);
    void Write8(u32 address, u8 value);
    void Write16(u32 address, u16 value);
    void Write32(u32 address, u32 value);
    // A mask of 0 means the highest address; the run wraps at the mask.
    bool ReadBlock(u32 address, u8* buffer, u32 count, u32 mask);
    bool WriteBlock(u32 address, const u8* buffer, u32 count, u32 mask);
    bool WriteBlockFromStream(u32 address, StreamInterface& stream, u32 count, u32 mask);
    bool CopyBlock(u32 source, u32 destination, u32 count, u32 mask);

    // --- set-up and mapping (memory_space.cpp); block numbers are address / 1024 ---
    // Makes a new zeroed backing memory of size bytes rounded up to whole blocks, every
    // block plain read-write. highest 0 (or not below the size) means size - 1.
    bool Allocate(u32 size, u32 highest);
    void Free();
    // mode: 0 none, 1 read, 2 write, 3 both.
    bool SetAccess(u32 mode, u32 first, u32 count);
    u32 GetAccess(u32 block) const;
    // A null handler serves the blocks from the whole backing memory by address.
    // passRequested: a handler reached through an alias gets the CPU's address.
    bool SetReadHandler(u32 first, u32 count, void* context, MemoryReadHandler handler, bool passRequested);
    bool SetWriteHandler(u32 first, u32 count, void* context, MemoryWriteHandler handler, bool passRequested);
    // Blocks whose handler is still the one installed with context go back to their own
    // bytes (a binding withdrawn while the machine runs); the range is clamped.
    void RemoveReadHandler(u32 first, u32 count, const void* context);
    void RemoveWriteHandler(u32 first, u32 count, const void* context);
    // Blocks first.. take their reads (writes) from target..; first == target removes it.
    void AliasRead(u32 first, u32 target, u32 count);
    void AliasWrite(u32 first, u32 target, u32 count);
    bool SetBlockAttribute(bool saved, u32 first, u32 count);
    // Back to each block's own bytes, keeping access, alias and save bits.
    void ResetBlocks(u32 first, u32 count);
    // Serves the blocks from consecutive 1 KB pieces of an outside buffer (not saved).
    void MapBuffer(u32 first, u32 count, u8* buffer);
    void SetSlowWrite(u32 first, u32 count, bool on);
    // Reads items of itemSize bytes straight into the backing memory, address += step.
    bool LoadFromStream(StreamInterface& stream, u32 address, i32 itemSize, u32 step);

    // Whether a loaded state may make the memory anew at its own size and limit, which
    // resets every mapping: only for a machine whose devices lay the map out again from
    // the state (a cartridge area sized by the saved cartridges). Otherwise a state of
    // another size or limit is refused, unless the space holds no memory yet. Kept
    // across starts; off at construction.
    void SetStateSized(bool on) { stateSized_ = on; }

    // --- component operations ---
    bool Start(i32* rate) override;
    void Stop() override;
    // memory_space_state.cpp
    bool SaveState(Archive& archive) override;
    bool LoadState(Archive& archive, LoadContext context) override;

private:
    struct ReadAccess {
        void* context;
        MemoryReadHandler handler;
        u32 alias;
    };
    struct WriteAccess {
        void* context;
        MemoryWriteHandler handler;
        u32 alias;
    };

    void ResetRecords();
    void MakeDefaultEntry(u32 block);
    // Clamps [first, first + count) to the table; answers the number of blocks inside.
    u32 ClampCount(u32 first, u32 count) const;
    // After every change of an entry: moves the map version on and tells the main CPU.
    void TellCpu(u32 block);
    u8* BlockBytes(u32 block) const { return memory_ + static_cast<size_t>(block) * kMemBlockSize; }

    // The mapping operations, for one side (reads or writes) of the entries.
    template <class Side>
    u32 InstallHandler(u32 first, u32 count, void* context, typename Side::Handler handler, bool passRequested);
    template <class Side>
    void RemoveHandler(u32 first, u32 count, const void* context);
    template <class Side>
    void Alias(u32 first, u32 target, u32 count);

    // Dispatch of one access of size bytes; false when nothing took it (the caller falls
    // back or splits).
    bool DispatchRead(u32 address, i32 size, u8* buffer, bool peek, bool fallBack);
    bool DispatchWrite(u32 address, i32 size, const u8* buffer, bool fallBack);

    u64 defaultValue_ = ~u64{0};
    ReadAccess outOfRangeRead_{};
    WriteAccess outOfRangeWrite_{};
    ReadAccess unmappedRead_{};
    WriteAccess unmappedWrite_{};
    SystemBase* system_ = nullptr;
    bool stateSized_ = false;
};
