#include "base/string_base.h"

#include <cstring>
#include <memory>

#include "base/string_a.h"
#include "base/string_support.h"
#include "base/string_w.h"

void StringBase::Insert(const char* s, int pos) {
    if (!s) return;
    if (IsEmpty()) {
        Assign(s, -1);
        return;
    }
    const int length = GetLength();
    if (pos >= length) {
        Append(s);
        return;
    }
    if (pos < 0) pos = 0;
    std::unique_ptr<StringBase> tail(Substr(pos, length - pos));
    Erase(pos, length - pos);
    Append(s);
    Append(*tail);
}

void StringBase::InsertChar(char c, int pos) {
    const char s[2] = {c, 0};
    Insert(s, pos);
}

bool StringBase::TailEquals(const StringBase& o, int count) const {
    if (count <= 0) return true;
    const int la = GetLength();
    const int lb = o.GetLength();
    if (count > la || count > lb) {
        // Not both long enough: equal only when the whole strings are.
        return la == lb && Compare(o) == 0;
    }
    if (GetCharSize() == 1 && o.GetCharSize() == 1) {
        return std::memcmp(GetNarrow() + la - count, o.GetNarrow() + lb - count, count) == 0;
    }
    if (GetCharSize() == 2 && o.GetCharSize() == 2) {
        return std::memcmp(GetWide() + la - count, o.GetWide() + lb - count, count * sizeof(wchar16)) == 0;
    }
    std::unique_ptr<StringBase> a(Substr(la - count, count));
    std::unique_ptr<StringBase> b(o.Substr(lb - count, count));
    if (!a || !b) return false;
    return a->Compare(*b) == 0;
}

int StringBase::Find(char c, int start) const {
    if (start < 0) start = 0;
    const int length = GetLength();
    if (GetCharSize() == 1) {
        const char* p = GetNarrow();
        for (int i = start; i < length; ++i) {
            if (p[i] == c) return i;
        }
        return -1;
    }
    return FindWide(WidenByte(c), start);
}

int StringBase::FindWide(wchar16 c, int start) const {
    if (start < 0) start = 0;
    const int length = GetLength();
    const wchar16* p = GetWide();
    for (int i = start; i < length; ++i) {
        if (p[i] == c) return i;
    }
    return -1;
}

namespace {
int ReverseStart(int length, int limit) {
    return (limit < 0 || limit > length) ? length - 1 : limit - 1;
}
}  // namespace

int StringBase::ReverseFind(char c, int limit) const {
    const int length = GetLength();
    if (length == 0) return -1;
    if (GetCharSize() != 1) return ReverseFindWide(WidenByte(c), limit);
    const char* p = GetNarrow();
    for (int i = ReverseStart(length, limit); i >= 0; --i) {
        if (p[i] == c) return i;
    }
    return -1;
}

int StringBase::ReverseFindWide(wchar16 c, int limit) const {
    const int length = GetLength();
    if (length == 0) return -1;
    const wchar16* p = GetWide();
    for (int i = ReverseStart(length, limit); i >= 0; --i) {
        if (p[i] == c) return i;
    }
    return -1;
}

int CompareStringPointers(const StringBase* a, const StringBase* b) {
    if (!a) return b ? -1 : 0;
    if (!b) return 1;
    const int r = a->Compare(*b);
    return r < 0 ? -1 : (r > 0 ? 1 : 0);
}
