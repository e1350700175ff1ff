#include "base/string_a.h"

#include <cctype>
#include <cstring>

#include "base/string_support.h"
#include "base/string_w.h"

namespace {
// Bytes of s up to the first NUL whose low byte is 0 (wide to narrow keeps
// each character's low 8 bits).
void AppendLowBytes(std::string& out, const wchar16* s) {
    if (!s) return;
    for (; *s && (*s & 0xFF) != 0; ++s) out.push_back(static_cast<char>(*s & 0xFF));
}
}  // namespace

StringA::StringA(const char* s) { Assign(s, -1); }

StringA::StringA(const char* s, int count) { Assign(s, count); }

StringA::StringA(const StringA& o) : StringBase(o), text_(o.text_.c_str()) {}

StringA::StringA(StringA&& o) noexcept : text_(std::move(o.text_)) { o.Changed(); }

StringA& StringA::operator=(const StringA& o) {
    Assign(o);
    return *this;
}

StringA& StringA::operator=(StringA&& o) noexcept {
    if (this != &o) {
        text_ = std::move(o.text_);
        o.text_.clear();
        o.Changed();
        Changed();
    }
    return *this;
}

StringA& StringA::operator=(const char* s) {
    Assign(s, -1);
    return *this;
}

StringA* StringA::Substr(int start, int count) const {
    int first = 0;
    int n = 0;
    if (!ClipStringRange(GetLength(), start, count, first, n)) return new StringA();
    return new StringA(text_.c_str() + first, n);
}

void StringA::Clear() {
    text_.clear();
    Changed();
}

char StringA::GetCharAt(int index) const {
    if (index < 0 || index >= GetLength()) return 0;
    return text_[index];
}

void StringA::Assign(const char* s, int count) {
    Changed();
    if (!s || count == 0) {
        text_.clear();
        return;
    }
    const size_t n = count < 0 ? std::strlen(s) : strnlen(s, static_cast<size_t>(count));
    // s may point into this string's own text; std::string copes with that.
    text_.assign(s, n);
}

void StringA::Append(const char* s) {
    if (!s || !*s) return;
    Changed();
    text_.append(s);
}

int StringA::CompareNarrow(const char* s) const {
    if (!s) s = "";
    return CompareUnits(text_.data(), text_.size(), s, std::strlen(s));
}

wchar16 StringA::GetWideCharAt(int index) const {
    if (index < 0 || index >= GetLength()) return 0;
    return WidenByte(text_[index]);
}

const wchar16* StringA::GetWide() const {
    if (!wide_) {
        const WideStdString wide = WidenText(text_.c_str());
        wide_.reset(new wchar16[wide.size() + 1]);
        std::memcpy(wide_.get(), wide.c_str(), (wide.size() + 1) * sizeof(wchar16));
    }
    return wide_.get();
}

void StringA::AssignWide(const wchar16* s) {
    std::string out;
    AppendLowBytes(out, s);
    text_ = std::move(out);
    Changed();
}

void StringA::AppendWide(const wchar16* s) {
    AppendLowBytes(text_, s);
    Changed();
}

int StringA::CompareWide(const wchar16* s) const {
    const StringW other(s);
    return -other.Compare(*this);
}

void StringA::Assign(const StringBase& o) { Assign(o.GetNarrow(), -1); }

void StringA::Append(const StringBase& o) { Append(o.GetNarrow()); }

int StringA::Compare(const StringBase& o) const { return -o.Compare(*this); }

void StringA::Assign(const StringA& o) {
    if (&o == this) return;
    text_.assign(o.text_.c_str());
    Changed();
}

void StringA::Append(const StringA& o) {
    text_.append(o.text_);
    Changed();
}

int StringA::Compare(const StringA& o) const {
    return CompareUnits(text_.data(), text_.size(), o.text_.data(), o.text_.size());
}

void StringA::Assign(const StringW& o) { AssignWide(o.GetWide()); }

void StringA::Append(const StringW& o) { AppendWide(o.GetWide()); }

int StringA::Compare(const StringW& o) const { return CompareWide(o.GetWide()); }

void StringA::Erase(int start, int count) {
    if (EraseStringRange(text_, start, count)) Changed();
}

void StringA::Trim() {
    TrimText(text_, [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; });
    Changed();
}

void StringA::ToUpper() {
    for (char& c : text_) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    Changed();
}

bool StringA::Less(const StringA& a, const StringA& b) {
    return CompareUnits(a.text_.data(), a.text_.size(), b.text_.data(), b.text_.size()) < 0;
}
