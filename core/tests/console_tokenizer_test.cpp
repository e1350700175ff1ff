// The console tokenizer: what each line splits into, and where it stops.
#include <gtest/gtest.h>

#include <string>

#include "core/console_tokenizer.h"

namespace {

// "kind@position+length" per token after the group, blank-separated.
std::string Describe(TokenList& list)
{
    std::string out;
    for (i32 i = 1; i < list.Count(); ++i) {
        const Token* t = list.At(i);
        if (i > 1)
            out += ' ';
        out += std::to_string(t->Kind());
        out += '@';
        out += std::to_string(t->position);
        out += '+';
        out += std::to_string(t->Length());
    }
    return out;
}

} // namespace

TEST(ConsoleTokenizer, LinesSplitIntoTokensOrStopAtTheFirstIllegalCharacter)
{
    struct Case {
        std::string line;
        i32 result;
        std::string tokens;
    } cases[] = {
        {"", -1, ""},
        {"   \t ", -1, ""},
        {"DASM", -1, "9@0+4"},
        {" CLS", -1, "9@1+3"},
        {"MOUNT FDD0 GAME.ROM", -1, "9@0+5 9@6+4 9@11+8"},
        {"M 1.ROM", -1, "9@0+1 7@2+1 5@3+1 9@4+3"},
        {"M my-game.rom", 4, "9@0+1 9@2+2"},
        {"M \"my game.rom\"", -1, "9@0+1 8@2+13"},
        {"M \"\"", -1, "9@0+1 8@2+2"},
        {"M \"open end", -1, "9@0+1 8@2+9"},
        {"FDD0:x,y", -1, "9@0+4 5@4+1 9@5+1 5@6+1 9@7+1"},
        {"STEP\nCLS", 4, "9@0+4"},
        {"\n", 0, ""},
        {"CLS \xE9", 4, "9@0+3"},
        {"\xC3\xA9", 0, ""},
        {"M \"\xE9t\xE9\"", -1, "9@0+1 8@2+5"},
        {"5 STEP", -1, "7@0+1 9@2+4"},
        // A word or number fills its 16-bit length at most; one longer is no word.
        {std::string(65535, 'A'), -1, "9@0+65535"},
        {"STEP " + std::string(65536, 'A'), 5, "9@0+4"},
        {"CPU " + std::string(65537, '1'), 4, "9@0+3"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        TokenList list;
        EXPECT_EQ(list.Tokenize(StringA(c.line.c_str()), ConsoleTokenizer::SelectClass, nullptr), c.result);
        EXPECT_EQ(Describe(list), c.tokens);
        if (!c.tokens.empty()) {
            // The group comes first and covers what was consumed.
            ASSERT_NE(list.At(0), nullptr);
            EXPECT_EQ(list.At(0)->Kind(), 4);
            EXPECT_EQ(static_cast<GroupToken*>(list.At(0))->Index(), 0);
            EXPECT_EQ(list.At(1)->Group(), list.At(0));
        } else {
            EXPECT_EQ(list.Count(), 0);
        }
    }
}

TEST(ConsoleTokenizer, TokenTextIsCutFromTheLine)
{
    const StringA line(" MOUNT cart \"a b.rom\"");
    TokenList list;
    ASSERT_EQ(list.Tokenize(line, ConsoleTokenizer::SelectClass, nullptr), -1);
    ASSERT_EQ(list.Count(), 4);
    StringA text;
    const char* expected[] = {" MOUNT cart \"a b.rom\"", "MOUNT", "cart", "\"a b.rom\""};
    for (i32 i : {3, 1, 2, 0, 3}) {
        ASSERT_TRUE(list.GetTokenText(i, line, text));
        EXPECT_STREQ(text.CStr(), expected[i]);
    }
    EXPECT_FALSE(list.GetTokenText(4, line, text));
    EXPECT_FALSE(list.GetTokenText(-1, line, text));
    EXPECT_FALSE(list.GetTokenText(3, StringA("short"), text)) << "a span past the line's end";
    EXPECT_EQ(list.At(4), nullptr);
}
