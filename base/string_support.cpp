#include "base/string_support.h"

#include <cstring>
#include <cwchar>
#include <memory>

WideStdString WidenText(const char* s) {
    WideStdString out;
    if (!s || !*s) return out;
    const size_t n = std::strlen(s);
    std::unique_ptr<wchar_t[]> buffer(new wchar_t[n + 1]);
    std::mbstate_t state{};
    const char* src = s;
    const size_t r = std::mbsrtowcs(buffer.get(), &src, n + 1, &state);
    if (r == 0 || r == static_cast<size_t>(-1)) {
        out.reserve(n);
        for (size_t i = 0; i < n; ++i) out.push_back(static_cast<wchar16>(static_cast<u8>(s[i])));
        return out;
    }
    out.reserve(r);
    for (size_t i = 0; i < r; ++i) {
        const u32 c = static_cast<u32>(buffer[i]);
        if (c > 0xFFFF && c <= 0x10FFFF) {
            out.push_back(static_cast<wchar16>(0xD800 + ((c - 0x10000) >> 10)));
            out.push_back(static_cast<wchar16>(0xDC00 + ((c - 0x10000) & 0x3FF)));
        } else {
            out.push_back(static_cast<wchar16>(c));
        }
    }
    return out;
}

wchar16 WidenByte(char c) {
    wchar_t wc = 0;
    std::mbstate_t state{};
    const size_t r = std::mbrtowc(&wc, &c, 1, &state);
    const u32 code = static_cast<u32>(wc);
    bool fits = true;
    if constexpr (sizeof(wchar_t) > 2) fits = code <= 0xFFFFu;
    if (r == 1 && fits) return static_cast<wchar16>(code);
    return static_cast<wchar16>(static_cast<u8>(c));
}

bool ClipStringRange(int length, int start, int count, int& first, int& n) {
    if (count <= 0) return false;
    const i64 last = static_cast<i64>(start) + count - 1;
    if (last < 0) return false;
    const i64 from = start < 0 ? 0 : start;
    if (from >= length) return false;
    const i64 to = last < length ? last : length - 1;
    first = static_cast<int>(from);
    n = static_cast<int>(to - from + 1);
    return true;
}
