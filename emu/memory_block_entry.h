// One 1 KB block of the memory space, as the CPU's fast path reads it.
//
// The memory space owns one table of these, one per 1024 bytes of backing memory; the CPU
// caches the table pointer (and the space's size and backing pointer) whenever it is
// connected with flag 0x02, and on every access does:
//
//   const MemoryBlockEntry& e = table[address >> 10];        // address below the cached size
//   if ((e.flags & kMemReadKindMask) == kMemReadDirect)      // plain RAM or ROM
//       value = static_cast<const u8*>(e.readContext)[address & kMemBlockMask];
//   else if ((e.flags & kMemReadKindMask) == kMemReadViaHandler)
//       ... e.readHandler(e.readContext, address, 1, &value, false), backing byte if refused
//   else
//       value = memory->Read8(address, false);               // aliases, unmapped, slow blocks
//
// and the write twin with kMemWriteKindMask / kMemWriteDirect. Everything unusual (aliases,
// unmapped blocks, handlers, blocks marked slow) carries a flag that leaves the direct test,
// so the common case is one table index, one mask and one compare.
#pragma once

#include "base/types.h"

// Handlers answer true when they handled the access. The value travels little-endian in
// the buffer; a read with peek set must not change the device (a debugger look).
using MemoryReadHandler = bool (*)(void* context, u32 address, i32 size, u8* buffer, bool peek);
using MemoryWriteHandler = bool (*)(void* context, u32 address, i32 size, const u8* buffer);

inline constexpr u32 kMemBlockShift = 10;
inline constexpr u32 kMemBlockSize = 1u << kMemBlockShift;
inline constexpr u32 kMemBlockMask = kMemBlockSize - 1;

// Flag bits of MemoryBlockEntry::flags.
inline constexpr u32 kMemReadable = 0x001;        // reads go through the entry's read side
inline constexpr u32 kMemWritable = 0x002;        // writes go through the entry's write side
inline constexpr u32 kMemReadHandler = 0x004;     // read side is a handler, not the block bytes
inline constexpr u32 kMemWriteHandler = 0x008;    // write side is a handler
inline constexpr u32 kMemReadAlias = 0x010;       // reads served by readAlias's mapping
inline constexpr u32 kMemWriteAlias = 0x020;      // writes served by writeAlias's mapping
inline constexpr u32 kMemReadSlow = 0x040;        // keep reads off the fast path
inline constexpr u32 kMemWriteSlow = 0x080;       // keep writes off the fast path
inline constexpr u32 kMemReadRequested = 0x100;   // handler reached by alias gets the CPU's address
inline constexpr u32 kMemWriteRequested = 0x200;  // the same for writes
inline constexpr u32 kMemSaved = 0x400;           // block belongs in saved states (the default)
inline constexpr u32 kMemNotSaved = 0x800;        // block is left out of saved states
inline constexpr u32 kMemSaveBits = kMemSaved | kMemNotSaved;

// Fast-path classification.
inline constexpr u32 kMemReadKindMask = kMemReadable | kMemReadHandler | kMemReadAlias | kMemReadSlow;    // 0x55
inline constexpr u32 kMemReadDirect = kMemReadable;                                                       // 0x01
inline constexpr u32 kMemReadViaHandler = kMemReadable | kMemReadHandler;                                 // 0x05
inline constexpr u32 kMemWriteKindMask = kMemWritable | kMemWriteHandler | kMemWriteAlias | kMemWriteSlow; // 0xAA
inline constexpr u32 kMemWriteDirect = kMemWritable;                                                      // 0x02

struct MemoryBlockEntry {
    u32 flags;
    u32 readAlias;                  // block whose mapping serves reads while kMemReadAlias is set
    void* readContext;              // direct: the block's first byte; handler: its context
    MemoryReadHandler readHandler;  // never null
    void* writeContext;             // as readContext, for writes
    MemoryWriteHandler writeHandler;// never null
    u32 writeAlias;                 // as readAlias, with kMemWriteAlias
};
