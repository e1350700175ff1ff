#include "base/string_w.h"

#include <cstring>
#include <cwctype>

#include "base/string_a.h"
#include "base/string_support.h"

namespace {
size_t WideLength(const wchar16* s) {
    size_t n = 0;
    if (s) {
        while (s[n]) ++n;
    }
    return n;
}
}  // namespace

StringW::StringW(const char* s) { FromNarrow(s, -1); }

StringW::StringW(const StringA& s) { FromNarrow(s.CStr(), -1); }

StringW::StringW(const wchar16* s) { AssignWide(s); }

StringW::StringW(const StringW& o) : StringBase(o), text_(o.text_.c_str()) {}

StringW::StringW(StringW&& o) noexcept : text_(std::move(o.text_)) { o.Changed(); }

StringW& StringW::operator=(const StringW& o) {
    Assign(o);
    return *this;
}

StringW& StringW::operator=(StringW&& o) noexcept {
    if (this != &o) {
        text_ = std::move(o.text_);
        o.text_.clear();
        o.Changed();
        Changed();
    }
    return *this;
}

StringW& StringW::operator=(const char* s) {
    FromNarrow(s, -1);
    return *this;
}

StringW& StringW::operator=(const wchar16* s) {
    AssignWide(s);
    return *this;
}

void StringW::FromNarrow(const char* s, int count) {
    Changed();
    WideStdString wide = WidenText(s);
    if (count == 0 || wide.empty()) {
        text_.clear();
        return;
    }
    if (count > 0 && static_cast<size_t>(count) < wide.size()) wide.resize(static_cast<size_t>(count));
    text_ = std::move(wide);
}

StringW* StringW::Substr(int start, int count) const {
    StringW* out = new StringW();
    int first = 0;
    int n = 0;
    if (ClipStringRange(GetLength(), start, count, first, n)) out->text_.assign(text_, first, n);
    return out;
}

void StringW::Clear() {
    text_.clear();
    Changed();
}

char StringW::GetCharAt(int index) const {
    if (index < 0 || index >= GetLength()) return 0;
    return static_cast<char>(text_[index] & 0xFF);
}

const char* StringW::GetNarrow() const {
    if (text_.empty()) return "";
    if (!narrow_) {
        narrow_.reset(new char[text_.size() + 1]);
        for (size_t i = 0; i < text_.size(); ++i) narrow_[i] = static_cast<char>(text_[i] & 0xFF);
        narrow_[text_.size()] = 0;
    }
    return narrow_.get();
}

void StringW::Assign(const char* s, int count) { FromNarrow(s, count); }

void StringW::Append(const char* s) {
    if (!s || !*s) return;
    text_ += WidenText(s);
    Changed();
}

int StringW::CompareNarrow(const char* s) const {
    const WideStdString other = WidenText(s);
    return CompareUnits(text_.data(), text_.size(), other.data(), other.size());
}

wchar16 StringW::GetWideCharAt(int index) const {
    if (index < 0 || index >= GetLength()) return 0;
    return text_[index];
}

void StringW::AssignWide(const wchar16* s) {
    if (s != text_.c_str()) text_.assign(s ? s : W16(""), WideLength(s));
    Changed();
}

void StringW::AppendWide(const wchar16* s) {
    if (!s || !*s) return;
    text_.append(WideStdString(s, WideLength(s)));
    Changed();
}

int StringW::CompareWide(const wchar16* s) const {
    return CompareUnits(text_.data(), text_.size(), s ? s : W16(""), WideLength(s));
}

void StringW::Assign(const StringBase& o) {
    if (&o == this) return;
    AssignWide(o.GetWide());
}

void StringW::Append(const StringBase& o) { AppendWide(o.GetWide()); }

int StringW::Compare(const StringBase& o) const { return CompareWide(o.GetWide()); }

void StringW::Assign(const StringA& o) { FromNarrow(o.CStr(), -1); }

void StringW::Append(const StringA& o) { Append(o.CStr()); }

int StringW::Compare(const StringA& o) const { return CompareNarrow(o.CStr()); }

void StringW::Assign(const StringW& o) {
    if (&o == this) return;
    AssignWide(o.text_.c_str());
}

void StringW::Append(const StringW& o) { AppendWide(o.text_.c_str()); }

int StringW::Compare(const StringW& o) const {
    return CompareUnits(text_.data(), text_.size(), o.text_.data(), o.text_.size());
}

void StringW::Erase(int start, int count) {
    if (EraseStringRange(text_, start, count)) Changed();
}

void StringW::Trim() {
    TrimText(text_, [](wchar16 c) { return std::iswspace(static_cast<std::wint_t>(c)) != 0; });
    Changed();
}

void StringW::ToUpper() {
    for (wchar16& c : text_) c = static_cast<wchar16>(std::towupper(static_cast<std::wint_t>(c)));
    Changed();
}

bool StringW::Less(const StringW& a, const StringW& b) {
    return CompareUnits(a.text_.data(), a.text_.size(), b.text_.data(), b.text_.size()) < 0;
}

PathString* PathString::Clone() const { return new PathString(*this); }

PathString* PathString::CreateEmpty() const { return new PathString(); }
