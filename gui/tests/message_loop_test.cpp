// The message loop ends on the quit message with its code, and on an error
// from the message fetch with -1 instead of spinning on it.
#include <gtest/gtest.h>

#include <vector>

#include "gui/message_loop.h"

namespace {

TEST(MessageLoopTest, EndsOnQuitAndOnError)
{
    const struct {
        std::vector<int> fetched;
        int exitCode;
        int dispatched;
    } cases[] = {{{1, 1, 0}, 7, 2}, {{1, -1, 1, 0}, -1, 1}, {{0}, 7, 0}};
    for (const auto& c : cases) {
        size_t next = 0;
        int dispatched = 0;
        const int code = RunMessageLoop([&] { return next < c.fetched.size() ? c.fetched[next++] : -1; },
                                        [&] { ++dispatched; }, [] { return 7; });
        EXPECT_EQ(code, c.exitCode);
        EXPECT_EQ(dispatched, c.dispatched);
    }
}

} // namespace
