// Narrow (8-bit) string: names, keys, state tags, log lines.
#pragma once

#include <memory>
#include <string>

#include "base/string_base.h"

class StringA : public StringBase {
public:
    StringA() = default;
    StringA(const char* s);  // NOLINT: implicit on purpose, literals pass as keys
    StringA(const char* s, int count);
    // Copies the characters up to the first NUL; the cache is not shared.
    StringA(const StringA& o);
    StringA(StringA&& o) noexcept;
    StringA& operator=(const StringA& o);
    StringA& operator=(StringA&& o) noexcept;
    StringA& operator=(const char* s);
    ~StringA() override = default;

    int GetKind() const override { return 1; }
    const void* GetData() const override { return text_.c_str(); }
    int GetByteLength() const override { return static_cast<int>(text_.size()); }
    int GetCharSize() const override { return 1; }
    int GetLength() const override { return static_cast<int>(text_.size()); }
    StringA* Substr(int start, int count) const override;
    bool IsEmpty() const override { return text_.empty(); }
    void Clear() override;
    char GetCharAt(int index) const override;
    const char* GetNarrow() const override { return text_.c_str(); }
    void Assign(const char* s, int count = -1) override;
    void Append(const char* s) override;
    int CompareNarrow(const char* s) const override;
    wchar16 GetWideCharAt(int index) const override;
    const wchar16* GetWide() const override;
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

    const char* CStr() const { return text_.c_str(); }
    const std::string& Std() const { return text_; }

    // Bytewise order (memcmp, then the shorter first): the key order of every
    // dictionary, so settings and state keys never sort by locale.
    static bool Less(const StringA& a, const StringA& b);

private:
    void Changed() { wide_.reset(); }

    std::string text_;
    mutable std::unique_ptr<wchar16[]> wide_;  // cached GetWide form
};

// Comparator for ordered containers keyed by StringA.
struct StringALess {
    bool operator()(const StringA& a, const StringA& b) const { return StringA::Less(a, b); }
};
