// Fixed-width integer names used throughout, and the 16-bit wide character.
//
// Text that reaches disk or the Win32 API is UTF-16: on Windows that is wchar_t
// itself, elsewhere wchar_t is 32 bits wide, so the portable build uses char16_t.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

using u8 = std::uint8_t;
using u16 = std::uint16_t;
using u32 = std::uint32_t;
using u64 = std::uint64_t;
using i8 = std::int8_t;
using i16 = std::int16_t;
using i32 = std::int32_t;
using i64 = std::int64_t;

using wchar16 = std::conditional_t<sizeof(wchar_t) == 2, wchar_t, char16_t>;
static_assert(sizeof(wchar16) == 2);
