// Abstract text string shared by the narrow StringA and the 16-bit StringW.
//
// Every operation is reachable through the base, so code can take a
// StringBase& and work on either width. Conversions between the widths:
//   narrow -> wide: mbstowcs in the current C locale; when the C library
//                   refuses the text (bytes >= 0x80 in the "C" locale) each
//                   byte is widened on its own, so a name never turns empty;
//   wide -> narrow: the low 8 bits of every character.
// A null C string is taken as the empty string everywhere.
//
// Formatting (Format, AppendFormat, FormatV) is printf-style with one
// deliberate difference so the same text comes out on 32-bit Windows and on
// 64-bit Linux: the 'l' length modifier of an integer conversion (%ld, %lu,
// %lx, %lX, %lo, %li) takes a 32-bit argument (i32/u32), as long is on
// Windows. 64-bit values use %lld/%llu/%llx. The Microsoft modifiers I32 and
// I64 are accepted too (32-bit and 64-bit arguments); a lone I means size_t.
// %ls and %lc take the platform's wchar_t, not wchar16: pass GetNarrow().
#pragma once

#include <cstdarg>
#include <stdexcept>

#include "base/types.h"

class StringA;
class StringW;

// Thrown when printf-style formatting fails (an encoding error).
class StringFormatError : public std::runtime_error {
public:
    StringFormatError() : std::runtime_error("string format failed") {}
};

class StringBase {
public:
    virtual ~StringBase() = default;

    // 1 for StringA, 2 for StringW and PathString; written into archives.
    virtual int GetKind() const = 0;
    virtual const void* GetData() const = 0;
    virtual int GetByteLength() const = 0;
    virtual int GetCharSize() const = 0;
    virtual int GetLength() const = 0;
    // New heap string of the same width (caller deletes). A negative start
    // counts from 0 with the range still ending at start + count - 1; the
    // range is cut at the end, and a start past the end gives an empty string.
    virtual StringBase* Substr(int start, int count) const = 0;
    virtual bool IsEmpty() const = 0;
    virtual void Clear() = 0;
    // Byte (or low byte of the character) at index; 0 outside the string.
    virtual char GetCharAt(int index) const = 0;
    // Narrow form; for StringW a cached copy valid until the next change.
    virtual const char* GetNarrow() const = 0;
    // count < 0 takes s up to its terminator; count 0 empties.
    virtual void Assign(const char* s, int count = -1) = 0;
    virtual void Append(const char* s) = 0;
    virtual void Insert(const char* s, int pos);
    virtual void InsertChar(char c, int pos);
    virtual int CompareNarrow(const char* s) const = 0;
    // Character at index as 16-bit; 0 outside the string.
    virtual wchar16 GetWideCharAt(int index) const = 0;
    // Wide form; for StringA a cached copy valid until the next change.
    virtual const wchar16* GetWide() const = 0;
    virtual void AssignWide(const wchar16* s) = 0;
    virtual void AppendWide(const wchar16* s) = 0;
    virtual int CompareWide(const wchar16* s) const = 0;
    virtual void Assign(const StringBase& o) = 0;
    virtual void Append(const StringBase& o) = 0;
    // Sign and zero only are meaningful.
    virtual int Compare(const StringBase& o) const = 0;
    // Whether the last count characters of both strings are equal.
    virtual bool TailEquals(const StringBase& o, int count) const;
    virtual void Assign(const StringA& o) = 0;
    virtual void Append(const StringA& o) = 0;
    virtual int Compare(const StringA& o) const = 0;
    virtual void Assign(const StringW& o) = 0;
    virtual void Append(const StringW& o) = 0;
    virtual int Compare(const StringW& o) const = 0;
    // Removes a range, clipped like Substr; a start past the end does nothing.
    virtual void Erase(int start, int count) = 0;
    virtual void Trim() = 0;
    virtual void ToUpper() = 0;

    // Appends formatted text (see the top of this file). Throws
    // StringFormatError when the C library cannot format.
    void FormatV(const char* fmt, va_list args);
    void Format(const char* fmt, ...);
    void AppendFormat(const char* fmt, ...);

    // First index >= max(start, 0) holding c, or -1.
    int Find(char c, int start = 0) const;
    int FindWide(wchar16 c, int start = 0) const;
    // Searches from limit - 1 down to 0; a negative limit or one past the
    // length searches the whole string. -1 when absent.
    int ReverseFind(char c, int limit = -1) const;
    int ReverseFindWide(wchar16 c, int limit = -1) const;

protected:
    StringBase() = default;
    StringBase(const StringBase&) = default;
    StringBase& operator=(const StringBase&) = default;
};

// Order of string pointers in lists: null first, two nulls equal, otherwise
// by Compare. Answers <0, 0 or >0.
int CompareStringPointers(const StringBase* a, const StringBase* b);
