// Wide string of 16-bit characters (window text), and PathString for
// file-system paths.
//
// A character is always 16 bits (wchar16): wchar_t on Windows, so GetWide()
// goes straight to the wide Win32 API; char16_t elsewhere, so the bytes in
// archives and settings files are the same on both platforms. Write wide
// literals with W16("text").
#pragma once

#include <memory>
#include <string>

#include "base/string_base.h"

#ifdef _WIN32
#define W16(s) L##s
#else
#define W16(s) u##s
#endif

using WideStdString = std::basic_string<wchar16>;

class StringW : public StringBase {
public:
    StringW() = default;
    // Through FromNarrow with count -1.
    StringW(const char* s);  // NOLINT: implicit on purpose
    StringW(const StringA& s);  // NOLINT
    StringW(const wchar16* s);  // NOLINT
    // Copies the characters up to the first NUL; the cache is not shared.
    StringW(const StringW& o);
    StringW(StringW&& o) noexcept;
    StringW& operator=(const StringW& o);
    StringW& operator=(StringW&& o) noexcept;
    StringW& operator=(const char* s);
    StringW& operator=(const wchar16* s);
    ~StringW() override = default;

    int GetKind() const override { return 2; }
    const void* GetData() const override { return text_.c_str(); }
    int GetByteLength() const override { return static_cast<int>(text_.size()) * 2; }
    int GetCharSize() const override { return 2; }
    int GetLength() const override { return static_cast<int>(text_.size()); }
    StringW* Substr(int start, int count) const override;
    bool IsEmpty() const override { return text_.empty(); }
    void Clear() override;
    char GetCharAt(int index) const override;
    const char* GetNarrow() const override;
    void Assign(const char* s, int count = -1) override;
    void Append(const char* s) override;
    int CompareNarrow(const char* s) const override;
    wchar16 GetWideCharAt(int index) const override;
    const wchar16* GetWide() const override { return text_.c_str(); }
    void AssignWide(const wchar16* s) override;
    void AppendWide(const wchar16* s) override;
    int CompareWide(const wchar16* s) const override;
    void Assign(const StringBase& o) override;
    void Append(const StringBase& o) override;
    int Compare(const StringBase& o) const override;
    void Assign(const StringA& o) override;
    void Append(const StringA& o) override;
    int Compare(const StringA& o) const override;
    void Assign(const StringW& o) override;
    void Append(const StringW& o) override;
    int Compare(const StringW& o) const override;
    void Erase(int start, int count) override;
    void Trim() override;
    void ToUpper() override;

    // Narrow text through mbstowcs (bytewise when refused); count < 0 takes
    // the converted text up to its end, 0 empties.
    void FromNarrow(const char* s, int count = -1);

    const wchar16* CStr() const { return text_.c_str(); }
    const WideStdString& Std() const { return text_; }

    // Order by 16-bit units, the shorter first on a common prefix.
    static bool Less(const StringW& a, const StringW& b);

protected:
    void Changed() { narrow_.reset(); }

    WideStdString text_;
    mutable std::unique_ptr<char[]> narrow_;  // cached GetNarrow form
};

// A StringW that names a file or folder. Clone and CreateEmpty let code
// holding a path through the base make another path of the same class.
class PathString : public StringW {
public:
    PathString() = default;
    PathString(const char* s) : StringW(s) {}  // NOLINT
    PathString(const wchar16* s) : StringW(s) {}  // NOLINT
    PathString(const StringA& s) : StringW(s) {}  // NOLINT
    PathString(const StringW& s) : StringW(s) {}  // NOLINT
    PathString(const PathString& o) = default;
    PathString(PathString&& o) noexcept = default;
    PathString& operator=(const PathString& o) = default;
    PathString& operator=(PathString&& o) noexcept = default;
    PathString& operator=(const char* s) { StringW::operator=(s); return *this; }
    PathString& operator=(const wchar16* s) { StringW::operator=(s); return *this; }

    virtual PathString* Clone() const;
    virtual PathString* CreateEmpty() const;
};
