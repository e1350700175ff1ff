#include <gtest/gtest.h>

#include <string>

#include "base/string_a.h"
#include "base/string_w.h"

namespace {

TEST(StringFormat, LongModifierTakesThirtyTwoBitsOnEveryPlatform) {
    StringA s;
    s.Format("DVEVT%ld", static_cast<i32>(3));
    EXPECT_STREQ(s.CStr(), "DVEVT3");
    s.Format("%ld|%lu|%lx|%lX|%.1ld|%5li", static_cast<i32>(-5), static_cast<u32>(0xFFFFFFFF),
             static_cast<u32>(0xBEEF), static_cast<u32>(0xBEEF), static_cast<i32>(0), static_cast<i32>(42));
    EXPECT_STREQ(s.CStr(), "-5|4294967295|beef|BEEF|0|   42");
    s.Format("%s[%ld]", "TraceWriteREG", static_cast<i32>(7));
    EXPECT_STREQ(s.CStr(), "TraceWriteREG[7]");
}

TEST(StringFormat, SixtyFourBitAndMicrosoftModifiers) {
    StringA s;
    s.Format("%lld %llu %llx", static_cast<i64>(-1234567890123LL), static_cast<u64>(0xFFFFFFFFFFFFFFFFULL),
             static_cast<u64>(0x123456789ABCULL));
    EXPECT_STREQ(s.CStr(), "-1234567890123 18446744073709551615 123456789abc");
    s.Format("%.2I32x|%I64d|%Iu|%zu", 10u, static_cast<i64>(1) << 40, static_cast<size_t>(9), static_cast<size_t>(12));
    EXPECT_STREQ(s.CStr(), "0a|1099511627776|9|12");
    s.Format("100%% %%ld %c %5.2f", 'x', 1.5);
    EXPECT_STREQ(s.CStr(), "100% %ld x  1.50");
}

TEST(StringFormat, AppendAndNullFormat) {
    StringA s("a");
    s.AppendFormat("%d", 1);
    s.AppendFormat(nullptr);
    EXPECT_STREQ(s.CStr(), "a1");
    s.Format(nullptr);
    EXPECT_TRUE(s.IsEmpty());
    StringW w;
    w.Format("%s=%ld", "FREQ", static_cast<i32>(3579545));
    EXPECT_STREQ(w.GetNarrow(), "FREQ=3579545");
    EXPECT_EQ(w.GetKind(), 2);
}

TEST(StringFormat, ResultsAroundTheStackBufferAndBeyond) {
    for (int n : {1022, 1023, 1024, 2047, 2048, 5000, 300000}) {
        const std::string text(static_cast<size_t>(n), 'q');
        StringA s("<");
        s.AppendFormat("%s>", text.c_str());
        ASSERT_EQ(s.GetLength(), n + 2) << n;
        EXPECT_EQ(s.GetCharAt(n + 1), '>');
        EXPECT_EQ(s.GetCharAt(n), 'q');
    }
}

// A conversion the C library refuses (a wide character with no narrow form in
// the "C" locale) throws out of both variadic forms; Format has emptied the
// text first, AppendFormat keeps what was there.
TEST(StringFormat, EncodingErrorThrowsFromBothForms) {
#ifdef _WIN32
    GTEST_SKIP() << "the MinGW formatter substitutes what it cannot convert";
#endif
    const wchar_t unmappable[] = {static_cast<wchar_t>(0x4E2D), 0};
    StringA s("kept");
    EXPECT_THROW(s.AppendFormat("%ls", unmappable), StringFormatError);
    EXPECT_STREQ(s.CStr(), "kept");
    EXPECT_THROW(s.Format("%ls", unmappable), StringFormatError);
    EXPECT_TRUE(s.IsEmpty());
}

}  // namespace
