// The console tokenizer and its character classes.
#include "core/console_tokenizer.h"

#include <iterator>

namespace {

// Characters are taken as unsigned bytes and only ASCII ones are classified: a byte
// above 127 starts no token (the C library's tests are undefined for negative chars and
// depend on the locale for the upper half).
u8 Byte(const char* c)
{
    return static_cast<u8>(*c);
}
bool IsDigit(u8 c)
{
    return c >= '0' && c <= '9';
}
bool IsLetter(u8 c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
bool IsSpace(u8 c)
{
    return c == ' ' || (c >= 9 && c <= 13);
}
bool IsDelimiter(u8 c)
{
    return c == ',' || c == '.' || c == ':';
}

} // namespace

Token* CreateToken(i32 kind)
{
    switch (kind) {
    case 3: return new Kind3Token;
    case 4: return new GroupToken(-1);
    case 5: return new DelimiterToken;
    case 6: return new Kind6Token;
    case 7: return new NumberToken;
    case 8: return new StringToken;
    case 9: return new WordToken;
    case 11: return new Kind11Token;
    default: return nullptr;
    }
}

namespace ConsoleTokenizer {

CharClass SelectClass(const char* first)
{
    if (!first)
        return nullptr;
    const u8 c = Byte(first);
    if (c == '\n')
        return ClassNewline;
    if (IsSpace(c))
        return ClassSpace;
    if (IsDigit(c))
        return ClassDigit;
    if (IsLetter(c))
        return ClassIdent;
    if (IsDelimiter(c))
        return ClassDelimiter;
    if (c == '"')
        return ClassQuoted;
    return nullptr;
}

bool ClassNewline(const char*, const char*, i32, i32*)
{
    return false;
}

bool ClassSpace(const char* current, const char*, i32, i32* kind)
{
    if (!current || !IsSpace(Byte(current)))
        return false;
    *kind = 2;
    return true;
}

bool ClassDigit(const char* current, const char*, i32, i32* kind)
{
    if (!current || !IsDigit(Byte(current)))
        return false;
    *kind = 7;
    return true;
}

// A full stop continues a word, so that a file name with its extension is one word.
bool ClassIdent(const char* current, const char*, i32, i32* kind)
{
    if (!current)
        return false;
    const u8 c = Byte(current);
    if (!IsLetter(c) && !IsDigit(c) && c != '.')
        return false;
    *kind = 9;
    return true;
}

bool ClassDelimiter(const char* current, const char*, i32 accepted, i32* kind)
{
    if (!current || accepted != 0)
        return false;
    *kind = 5;
    return true;
}

// Up to and including the closing quote; everything between, whatever it is.
bool ClassQuoted(const char* current, const char* first, i32 accepted, i32* kind)
{
    if (!current || (accepted >= 2 && first[accepted - 1] == '"'))
        return false;
    *kind = 8;
    return true;
}

}  // namespace ConsoleTokenizer

i32 TokenList::Tokenize(const StringA& line, ClassSelector selector, TokenFactory factory)
{
    const char* text = line.CStr();
    const i32 length = line.GetLength();
    if (text && length <= 0)
        return -1;
    if (!text || !selector)
        return 0;
    if (!factory)
        factory = CreateToken;

    auto group = std::make_unique<GroupToken>(0);
    group->position = 0;
    GroupToken* statement = group.get();
    i32 p = 0;
    while (p < length) {
        const CharClass grow = selector(text + p);
        if (!grow)
            return p;
        const i32 start = p;
        i32 accepted = 0;
        i32 kind = 0;
        while (grow(text + p, text + start, accepted, &kind)) {
            ++p;
            ++accepted;
            if (p >= length) {
                grow(nullptr, text + start, accepted, &kind);
                break;
            }
        }
        if (accepted == 0 || kind == 0)
            return start;
        if (kind == 2)
            continue;
        Token* token = factory(kind);
        if (!token)
            return start;
        token->position = start;
        token->SetLength(static_cast<u32>(accepted));
        if (token->Length() != static_cast<u32>(accepted)) {
            // Longer than its kind's length field holds: cut, it would read as another word.
            delete token;
            return start;
        }
        token->SetGroup(statement);
        if (group)
            Append(group.release());
        Append(token);
    }
    statement->length = static_cast<u32>(p - statement->position);
    return -1;
}

void TokenList::Append(Token* token)
{
    tokens_.emplace_back(token);
    cursorIndex_ = -1;
}

Token* TokenList::At(i32 index)
{
    if (index < 0 || index >= Count())
        return nullptr;
    if (cursorIndex_ < 0) {
        cursor_ = tokens_.begin();
        cursorIndex_ = 0;
    }
    std::advance(cursor_, index - cursorIndex_);
    cursorIndex_ = index;
    return cursor_->get();
}

bool TokenList::GetTokenText(i32 index, const StringA& line, StringA& text)
{
    const Token* token = At(index);
    if (!token || !line.CStr())
        return false;
    const i64 length = token->Length();
    if (length <= 0 || token->position < 0 || token->position + length > line.GetLength())
        return false;
    text.Assign(line.CStr() + token->position, static_cast<int>(length));
    return true;
}

void TokenList::Clear()
{
    cursorIndex_ = -1;
    tokens_.clear();
}
