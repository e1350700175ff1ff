// Integers at their mathematical value, as sign and magnitude, so that the range rule of
// typed values compares any unsigned width with any signed one without overflow.
#pragma once

#include <limits>
#include <type_traits>

#include "base/types.h"

struct ValueNumber {
    bool negative = false;
    u64 magnitude = 0;
};

template <class T>
constexpr ValueNumber ToValueNumber(T v)
{
    static_assert(std::is_integral_v<T>);
    if constexpr (std::is_signed_v<T>) {
        if (v < 0)
            return {true, 0 - static_cast<u64>(static_cast<i64>(v))};
    }
    return {false, static_cast<u64>(v)};
}

// Whether n is representable in T.
template <class T>
constexpr bool FitsIn(ValueNumber n)
{
    if constexpr (std::is_signed_v<T>) {
        const u64 max = static_cast<u64>(std::numeric_limits<T>::max());
        return n.negative ? n.magnitude <= max + 1 : n.magnitude <= max;
    } else {
        return !n.negative && n.magnitude <= std::numeric_limits<T>::max();
    }
}

// n as T; only meaningful when FitsIn<T>(n).
template <class T>
constexpr T FromValueNumber(ValueNumber n)
{
    return static_cast<T>(n.negative ? 0 - n.magnitude : n.magnitude);
}

template <class T>
constexpr bool ExtractValueNumber(ValueNumber n, T& out)
{
    if (!FitsIn<T>(n))
        return false;
    out = FromValueNumber<T>(n);
    return true;
}

constexpr bool IsIntegerTypeCode(i32 type)
{
    switch (type) {
    case 0x11: case 0x12: case 0x14: case 0x18:
    case 0x31: case 0x32: case 0x34: case 0x38:
        return true;
    default:
        return false;
    }
}

static_assert(FitsIn<u8>(ToValueNumber(255)) && !FitsIn<u8>(ToValueNumber(256)));
static_assert(!FitsIn<u32>(ToValueNumber(-1)) && FitsIn<i64>(ToValueNumber(-1)));
static_assert(FitsIn<i8>(ToValueNumber(-128)) && !FitsIn<i8>(ToValueNumber(-129)));
static_assert(!FitsIn<i64>(ToValueNumber(u64{1} << 63)));
static_assert(FitsIn<i64>(ToValueNumber(std::numeric_limits<i64>::min())));
static_assert(FromValueNumber<i64>(ToValueNumber(std::numeric_limits<i64>::min())) ==
              std::numeric_limits<i64>::min());
