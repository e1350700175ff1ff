// printf into a string. The format is first made portable (see
// string_base.h): log lines and state keys carry "%ld" patterns with 32-bit
// arguments, which must read the same on 32-bit Windows (long = 32 bits) and
// 64-bit Linux (long = 64 bits).
#include <cstdio>
#include <cstring>
#include <exception>
#include <memory>
#include <string>
#include <string_view>

#include "base/string_base.h"

namespace {

bool IsIntegerConversion(char c) {
    return std::strchr("diouxX", c) != nullptr && c != 0;
}

// Rewrites the length modifiers of integer conversions: l -> none (32-bit
// argument), I32 -> none, I64 -> ll, I -> z. Answers fmt itself when nothing
// needs rewriting, else the rewritten text kept in storage.
const char* PortableFormat(const char* fmt, std::string& storage) {
    if (!std::strpbrk(fmt, "lI")) return fmt;  // the common case: nothing to rewrite
    bool changed = false;
    std::string out;
    const char* p = fmt;
    while (*p) {
        if (*p != '%') {
            out.push_back(*p++);
            continue;
        }
        out.push_back(*p++);
        if (*p == '%') {
            out.push_back(*p++);
            continue;
        }
        while (*p && std::strchr("-+ #0'", *p)) out.push_back(*p++);
        while (*p == '*' || (*p >= '0' && *p <= '9')) out.push_back(*p++);
        if (*p == '.') {
            out.push_back(*p++);
            while (*p == '*' || (*p >= '0' && *p <= '9')) out.push_back(*p++);
        }
        const char* lengthStart = p;
        if (p[0] == 'I' && ((p[1] == '3' && p[2] == '2') || (p[1] == '6' && p[2] == '4'))) {
            p += 3;
        } else if (p[0] == 'I') {
            p += 1;
        } else {
            while (*p && std::strchr("hlLqjzt", *p)) ++p;
        }
        const std::string_view length(lengthStart, static_cast<size_t>(p - lengthStart));
        const char conversion = *p;
        std::string_view replacement = length;
        if (IsIntegerConversion(conversion)) {
            if (length == "l" || length == "I32") {
                replacement = {};
            } else if (length == "I64") {
                replacement = "ll";
            } else if (length == "I") {
                replacement = "z";
            }
        } else if (!length.empty() && length[0] == 'I') {
            replacement = {};
        }
        if (replacement != length) changed = true;
        out.append(replacement.data(), replacement.size());
        if (*p) out.push_back(*p++);
    }
    if (!changed) return fmt;
    storage = std::move(out);
    return storage.c_str();
}

int FormatInto(char* buffer, size_t size, const char* fmt, va_list args) {
    va_list copy;
    va_copy(copy, args);
#ifdef __MINGW32__
    // The C99 formatter, not msvcrt's: %lld, %zu and a length answer for a
    // result that does not fit.
    const int r = __mingw_vsnprintf(buffer, size, fmt, copy);
#else
    const int r = std::vsnprintf(buffer, size, fmt, copy);
#endif
    va_end(copy);
    return r;
}

}  // namespace

void StringBase::FormatV(const char* fmt, va_list args) {
    if (!fmt) return;
    std::string storage;
    const char* format = PortableFormat(fmt, storage);

    // Most results are short: a stack buffer, the heap only beyond it.
    char stack[1024];
    const int r = FormatInto(stack, 1023, format, args);
    if (r < 0) throw StringFormatError();
    if (r <= 1022) {
        stack[1023] = 0;
        Append(stack);
        return;
    }
    const size_t size = r >= 2048 ? static_cast<size_t>(r) + 1 : 2048;
    std::unique_ptr<char[]> heap(new char[size]);
    const int r2 = FormatInto(heap.get(), size, format, args);
    if (r2 != r) throw StringFormatError();
    heap[size - 1] = 0;
    Append(heap.get());
}

namespace {

// FormatV with its failure held back, so that the variadic caller reaches its
// va_end before the exception goes on.
std::exception_ptr FormatHeld(StringBase& text, const char* fmt, va_list args) {
    try {
        text.FormatV(fmt, args);
    } catch (...) {
        return std::current_exception();
    }
    return nullptr;
}

}  // namespace

void StringBase::Format(const char* fmt, ...) {
    Clear();
    va_list args;
    va_start(args, fmt);
    const std::exception_ptr failure = FormatHeld(*this, fmt, args);
    va_end(args);
    if (failure) std::rethrow_exception(failure);
}

void StringBase::AppendFormat(const char* fmt, ...) {
    va_list args;
    va_start(args, fmt);
    const std::exception_ptr failure = FormatHeld(*this, fmt, args);
    va_end(args);
    if (failure) std::rethrow_exception(failure);
}
