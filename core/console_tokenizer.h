// The debugger console's tokenizer: a typed line split into tokens, without tables.
//
// A class selector picks a character-class operation by the first character of each new
// token; the class grows the token one character at a time and reports its kind; a
// factory makes the token object of that kind; the TokenList owns the tokens. Index 0 of
// the list is the line's group token (one statement), 1, 2, ... the tokens in line order.
//
// Kinds and what makes them on the console:
//   2  white space (no token)              7  NumberToken: decimal digits
//   4  GroupToken: the statement           8  StringToken: "quoted", quotes included
//   5  DelimiterToken: , . or :            9  WordToken: a letter, then letters, digits, full stops
//   3, 6, 11: token classes nothing on the console produces; 10: no token class
// A newline, and any character that starts none of these (bytes above 127 included),
// stops the tokenizer at its position; so does a number or word longer than its 16-bit
// length field holds.
#pragma once

#include <list>
#include <memory>

#include "base/string_a.h"
#include "base/types.h"

class GroupToken;

class Token {
public:
    virtual ~Token() = default;
    virtual i32 Kind() const { return 0; }
    virtual GroupToken* Group() const = 0;
    virtual u32 Length() const = 0;
    virtual void SetLength(u32 length) = 0;
    virtual void SetGroup(GroupToken* group) = 0;

    i32 position = -1;  // index of the token's first character in the line
};

// A token of fixed kind whose length field is Width wide (SetLength keeps the bits that fit).
template <i32 K, typename Width>
class LeafToken : public Token {
public:
    i32 Kind() const override { return K; }
    GroupToken* Group() const override { return group_; }
    u32 Length() const override { return length_; }
    void SetLength(u32 length) override { length_ = static_cast<Width>(length); }
    void SetGroup(GroupToken* group) override { group_ = group; }

private:
    Width length_ = 0;
    GroupToken* group_ = nullptr;  // not owned
};

using Kind3Token = LeafToken<3, u8>;
using DelimiterToken = LeafToken<5, u8>;
using Kind6Token = LeafToken<6, u8>;
using NumberToken = LeafToken<7, u16>;
using StringToken = LeafToken<8, u32>;
using WordToken = LeafToken<9, u16>;
using Kind11Token = LeafToken<11, u32>;

class GroupToken : public Token {
public:
    explicit GroupToken(i32 groupIndex = -1) : index(groupIndex) {}
    i32 Kind() const override { return 4; }
    GroupToken* Group() const override { return const_cast<GroupToken*>(this); }
    u32 Length() const override { return length; }
    void SetLength(u32 value) override { length = value; }
    void SetGroup(GroupToken*) override {}
    virtual i32 Index() const { return index; }

    u32 length = 0;   // characters of the line the statement covers
    i32 index = -1;   // the statement's number in the line
};

// current: the character to accept, null for the end-of-line call (always refused);
// first: the token's first character; accepted: characters taken so far. True takes the
// character and writes the token's kind.
using CharClass = bool (*)(const char* current, const char* first, i32 accepted, i32* kind);
using ClassSelector = CharClass (*)(const char* first);
using TokenFactory = Token* (*)(i32 kind);

// The token of a kind (3 to 9 and 11; a GroupToken with index -1 for 4), else null.
Token* CreateToken(i32 kind);

class TokenList {
public:
    TokenList() = default;
    virtual ~TokenList() { Clear(); }
    TokenList(const TokenList&) = delete;
    TokenList& operator=(const TokenList&) = delete;

    // Appends the line's tokens. -1 when the whole line was taken (an empty line too),
    // else the position where tokenising stopped; 0 without a selector. A null factory
    // means CreateToken. Tokens made before a stop stay in the list.
    i32 Tokenize(const StringA& line, ClassSelector selector, TokenFactory factory);
    // Null for an index outside the list.
    Token* At(i32 index);
    i32 Count() const { return static_cast<i32>(tokens_.size()); }
    // The token's characters of line; false when there is no such token or its span
    // does not lie inside the line.
    bool GetTokenText(i32 index, const StringA& line, StringA& text);
    void Clear();

private:
    void Append(Token* token);

    std::list<std::unique_ptr<Token>> tokens_;
    // Where At last stopped; walks start from there.
    std::list<std::unique_ptr<Token>>::iterator cursor_;
    i32 cursorIndex_ = -1;
};

// The console's character classes.
namespace ConsoleTokenizer {
CharClass SelectClass(const char* first);
bool ClassNewline(const char* current, const char* first, i32 accepted, i32* kind);
bool ClassSpace(const char* current, const char* first, i32 accepted, i32* kind);
bool ClassDigit(const char* current, const char* first, i32 accepted, i32* kind);
bool ClassIdent(const char* current, const char* first, i32 accepted, i32* kind);
bool ClassDelimiter(const char* current, const char* first, i32 accepted, i32* kind);
bool ClassQuoted(const char* current, const char* first, i32 accepted, i32* kind);
}  // namespace ConsoleTokenizer
