// Little-endian words in byte buffers: multi-byte accesses on the emulated buses and the
// fixed records inside saved states are little-endian on every host.
#pragma once

#include "base/types.h"

inline constexpr u16 LoadLe16(const u8* p)
{
    return static_cast<u16>(p[0] | (p[1] << 8));
}

inline constexpr u32 LoadLe32(const u8* p)
{
    return static_cast<u32>(p[0]) | (static_cast<u32>(p[1]) << 8) | (static_cast<u32>(p[2]) << 16) |
           (static_cast<u32>(p[3]) << 24);
}

inline constexpr u64 LoadLe64(const u8* p)
{
    return static_cast<u64>(LoadLe32(p)) | (static_cast<u64>(LoadLe32(p + 4)) << 32);
}

inline constexpr void StoreLe16(u8* p, u16 v)
{
    p[0] = static_cast<u8>(v);
    p[1] = static_cast<u8>(v >> 8);
}

inline constexpr void StoreLe32(u8* p, u32 v)
{
    StoreLe16(p, static_cast<u16>(v));
    StoreLe16(p + 2, static_cast<u16>(v >> 16));
}

inline constexpr void StoreLe64(u8* p, u64 v)
{
    StoreLe32(p, static_cast<u32>(v));
    StoreLe32(p + 4, static_cast<u32>(v >> 32));
}
