#include "base/path_text.h"

#include <string>

#include "base/program_folders.h"

namespace {

bool IsSeparator(wchar16 c) { return c == W16('\\') || c == W16('/'); }

PathString Slice(const StringW& s, int start, int count) {
    PathString out;
    if (count > 0) out.AssignWide(s.Std().substr(start, count).c_str());
    return out;
}

}  // namespace

int LastSeparator(const StringW& path) {
    const int back = path.ReverseFindWide(W16('\\'));
    const int fwd = path.ReverseFindWide(W16('/'));
    return back > fwd ? back : fwd;
}

PathString JoinPath(const StringW& base, const StringW& folder, const StringW& name,
                    const StringW& extension) {
    PathString out(base);
    if (!folder.IsEmpty()) {
        out.Append(folder);
        out.Append(PathSeparator());
    }
    out.Append(name);
    if (!extension.IsEmpty()) {
        out.Append(".");
        out.Append(extension);
    }
    return out;
}

PathString GetFileNamePart(const StringW& path) {
    const int sep = LastSeparator(path);
    if (sep < 0) return PathString(path);
    return Slice(path, sep + 1, path.GetLength() - sep - 1);
}

PathString PathComponent(const StringW& path, int index) {
    if (index < 0) return PathString();
    const int length = path.GetLength();
    const wchar16* text = path.CStr();
    int start = 0;
    for (int component = 0;; ++component) {
        int end = start;
        while (end < length && !IsSeparator(text[end])) ++end;
        if (component == index) return Slice(path, start, end - start);
        if (end >= length) return PathString();
        start = end + 1;
    }
}

bool ParentFolder(PathString& path) {
    const PathString& sepText = PathSeparator();
    if (sepText.GetLength() != 1) return false;
    const wchar16 sep = sepText.GetWideCharAt(0);
    const int length = path.GetLength();
    const int p = path.ReverseFindWide(sep);
    if (p < 0) return false;
    if (p != length - 1) {
        path.Erase(p + 1, length - p - 1);
        return true;
    }
    const int q = path.ReverseFindWide(sep, p);
    const PathString last = Slice(path, q + 1, p - q - 1);
    if (last.CompareNarrow(".") == 0 || last.CompareNarrow("..") == 0) {
        path.Append("..");
        path.Append(sepText);
    } else {
        path.Erase(q + 1, length - q - 1);
    }
    return true;
}

StringA MessageText(const StringBase& text) {
    if (text.GetCharSize() == 1) return StringA(text.GetNarrow());
    std::string bytes;
    const int length = text.GetLength();
    for (int i = 0; i < length; ++i) {
        const wchar16 c = text.GetWideCharAt(i);
        bytes += c <= 0xFF ? static_cast<char>(c) : '?';
        // A character past U+FFFF is one, in two units.
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < length && text.GetWideCharAt(i + 1) >= 0xDC00 &&
            text.GetWideCharAt(i + 1) < 0xE000)
            ++i;
    }
    return StringA(bytes.c_str());
}
