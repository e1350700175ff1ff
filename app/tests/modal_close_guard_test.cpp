#include <gtest/gtest.h>

#include <string>

#include "app/modal_close_guard.h"

// Steps: '(' a dialog opens, ')' one returns, 'c' a close is asked for. The answers:
// for 'c' "y" (closes now) or "n" (put off), for ')' "C" (close now) or "-".
TEST(ModalCloseGuardTest, CloseWaitsForTheLastDialog)
{
    const struct {
        const char* steps;
        const char* answers;
    } cases[] = {
        {"c", "y"},
        {"()c", "-y"},
        {"(c)", "nC"},
        {"(cc)", "nnC"},
        {"((c))", "n-C"},
        {"(c)()", "nC-"},   // the note is used up by the first return
        {"(c)(c)", "nCnC"},
        {")c", "-y"},       // a stray return leaves the count at zero
    };
    for (const auto& c : cases) {
        ModalCloseGuard guard;
        std::string answers;
        for (const char* s = c.steps; *s; ++s) {
            if (*s == '(')
                guard.Enter();
            else if (*s == ')')
                answers += guard.Leave() ? 'C' : '-';
            else
                answers += guard.AllowClose() ? 'y' : 'n';
        }
        EXPECT_EQ(answers, c.answers) << c.steps;
        EXPECT_FALSE(guard.InDialog()) << c.steps;
    }
}
