// Helpers shared by the string classes: width conversions and range clipping.
#pragma once

#include <string>

#include "base/types.h"

using WideStdString = std::basic_string<wchar16>;

// Narrow to 16-bit through the C library's multibyte conversion in the
// current locale. Text it refuses (bytes >= 0x80 in the "C" locale) is
// widened byte by byte instead, so that no name or path turns empty; a 32-bit
// wchar_t character beyond 0xFFFF becomes a UTF-16 surrogate pair.
WideStdString WidenText(const char* s);
// One byte through the multibyte conversion, the byte itself when refused.
wchar16 WidenByte(char c);

// Clips the range start .. start + count - 1 to a string of length chars.
// A negative start counts from 0 with the end unchanged. False when nothing
// of the range lies inside the string.
bool ClipStringRange(int length, int start, int count, int& first, int& n);

// Erases the range, clipped as above, from text; false when nothing of it
// lies inside.
template <typename Text>
bool EraseStringRange(Text& text, int start, int count) {
    int first = 0;
    int n = 0;
    if (!ClipStringRange(static_cast<int>(text.size()), start, count, first, n)) return false;
    text.erase(static_cast<size_t>(first), static_cast<size_t>(n));
    return true;
}

// Cuts the characters for which isSpace holds from both ends of text.
template <typename Text, typename IsSpace>
void TrimText(Text& text, IsSpace isSpace) {
    size_t end = text.size();
    while (end > 0 && isSpace(text[end - 1])) --end;
    size_t begin = 0;
    while (begin < end && isSpace(text[begin])) ++begin;
    text.erase(end);
    text.erase(0, begin);
}

// Three-way compare of two runs of units: the common prefix first, then the
// shorter first. Answers -1, 0 or 1.
template <typename Unit>
int CompareUnits(const Unit* a, size_t na, const Unit* b, size_t nb) {
    const size_t n = na < nb ? na : nb;
    for (size_t i = 0; i < n; ++i) {
        using U = std::make_unsigned_t<Unit>;
        const U x = static_cast<U>(a[i]);
        const U y = static_cast<U>(b[i]);
        if (x != y) return x < y ? -1 : 1;
    }
    if (na == nb) return 0;
    return na < nb ? -1 : 1;
}
