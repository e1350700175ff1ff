#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "base/string_a.h"
#include "base/string_w.h"

namespace {

std::u16string U16(const StringBase& s) {
    const wchar16* w = s.GetWide();
    return std::u16string(w, w + s.GetLength());
}

TEST(StringA, NullPointersAreEmptyText) {
    StringA a(nullptr);
    EXPECT_TRUE(a.IsEmpty());
    a.Append(nullptr);
    EXPECT_TRUE(a.IsEmpty());
    a.Assign(nullptr, 5);
    EXPECT_TRUE(a.IsEmpty());
    a.Assign("abc", 0);
    EXPECT_TRUE(a.IsEmpty());
    EXPECT_EQ(a.CompareNarrow(nullptr), 0);
    a.Assign("abcdef", 3);
    EXPECT_STREQ(a.CStr(), "abc");
    a.Assign("ab", 10);  // a count beyond the terminator stops at it
    EXPECT_STREQ(a.CStr(), "ab");
}

TEST(StringA, WideCacheIsKeptUntilTheTextChanges) {
    StringA a("key");
    const wchar16* first = a.GetWide();
    EXPECT_EQ(first, a.GetWide());
    a.Append("s");
    EXPECT_EQ(U16(a), u"keys");
    const StringA copy(a);
    EXPECT_NE(copy.GetWide(), a.GetWide());
}

TEST(StringW, NarrowFormKeepsLowBytes) {
    const wchar16 text[] = {0x0141, u'x', 0};
    StringW w(text);
    EXPECT_STREQ(w.GetNarrow(), "Ax");
    StringA a;
    a.Assign(w);
    EXPECT_STREQ(a.CStr(), "Ax");
    // A character whose low byte is 0 ends the narrow text.
    const wchar16 stop[] = {u'a', 0x0100, u'b', 0};
    a.AssignWide(stop);
    EXPECT_STREQ(a.CStr(), "a");
    EXPECT_STREQ(StringW().GetNarrow(), "");
}

TEST(StringW, HighBytesWidenOneByOneWhenTheLocaleRefusesThem) {
    StringW w("caf\xE9");
    ASSERT_EQ(w.GetLength(), 4);
    EXPECT_EQ(w.GetWideCharAt(3), 0x00E9);
    EXPECT_STREQ(w.GetNarrow(), "caf\xE9");
    PathString p("C:\\d\xFCr\\x.rom");
    EXPECT_EQ(p.GetLength(), 12);
    StringA a("\xB0");
    EXPECT_EQ(a.GetWideCharAt(0), 0x00B0);
    EXPECT_EQ(a.GetWide()[0], 0x00B0);
}

TEST(StringW, FromNarrowCounts) {
    StringW w;
    w.FromNarrow("hello", 3);
    EXPECT_EQ(U16(w), u"hel");
    w.FromNarrow("hello", 0);
    EXPECT_TRUE(w.IsEmpty());
    w.FromNarrow("hi", 10);
    EXPECT_EQ(U16(w), u"hi");
    w.FromNarrow(nullptr);
    EXPECT_TRUE(w.IsEmpty());
}

TEST(StringRanges, SubstrClipsAndNeverThrows) {
    const StringA s("abcdef");
    auto sub = [&](int start, int count) {
        std::unique_ptr<StringBase> r(s.Substr(start, count));
        return std::string(r->GetNarrow());
    };
    EXPECT_EQ(sub(-2, 4), "ab");
    EXPECT_EQ(sub(2, 100), "cdef");
    EXPECT_EQ(sub(0, 0), "");
    EXPECT_EQ(sub(-5, 3), "");
    EXPECT_EQ(sub(6, 2), "");
    EXPECT_EQ(sub(100, 2), "");
    std::unique_ptr<StringBase> w(PathString("abcdef").Substr(100, 3));
    EXPECT_EQ(w->GetKind(), 2);
    EXPECT_TRUE(w->IsEmpty());
}

TEST(StringRanges, EraseClipsAndNeverThrows) {
    StringA a("abcdef");
    a.Erase(-1, 3);
    EXPECT_STREQ(a.CStr(), "cdef");
    a.Erase(2, 100);
    EXPECT_STREQ(a.CStr(), "cd");
    a.Erase(50, 1);
    a.Erase(2, 1);
    a.Erase(0, -1);
    EXPECT_STREQ(a.CStr(), "cd");
    StringW w("abc");
    w.Erase(3, 1);
    w.Erase(1, 1);
    EXPECT_EQ(U16(w), u"ac");
}

TEST(StringEdit, InsertAtStartMiddleAndEnd) {
    StringA a;
    a.Insert("mid", 4);
    EXPECT_STREQ(a.CStr(), "mid");
    a.Insert("<", 0);
    a.Insert(">", 99);
    a.InsertChar('-', 2);
    EXPECT_STREQ(a.CStr(), "<m-id>");
    StringW w("ac");
    w.InsertChar('b', 1);
    EXPECT_EQ(U16(w), u"abc");
}

TEST(StringEdit, TrimAndToUpper) {
    StringA a("   ");
    a.Trim();
    EXPECT_TRUE(a.IsEmpty());
    a = " a b ";
    a.Trim();
    EXPECT_STREQ(a.CStr(), "a b");
    StringW w(" \tx y\n");
    w.Trim();
    EXPECT_EQ(U16(w), u"x y");
    a = "Drive1.rom";
    a.ToUpper();
    EXPECT_STREQ(a.CStr(), "DRIVE1.ROM");
    w.ToUpper();
    EXPECT_EQ(U16(w), u"X Y");
}

TEST(StringSearch, FindAndReverseFind) {
    const StringA a("a\\b\\c");
    EXPECT_EQ(a.ReverseFind('\\', -1), 3);
    EXPECT_EQ(a.ReverseFind('\\', 3), 1);
    EXPECT_EQ(a.ReverseFind('\\', 1), -1);
    EXPECT_EQ(a.ReverseFind('\\', 99), 3);
    EXPECT_EQ(a.Find('\\'), 1);
    EXPECT_EQ(a.Find('\\', 2), 3);
    EXPECT_EQ(a.Find('\\', -4), 1);
    EXPECT_EQ(a.Find('z'), -1);
    const PathString p("C:/x/y.rom");
    EXPECT_EQ(p.ReverseFind('/'), 4);
    EXPECT_EQ(p.FindWide(u'.'), 6);
    EXPECT_EQ(StringA().ReverseFind('x'), -1);
}

TEST(StringCompare, OrderIsBytewiseAcrossWidths) {
    EXPECT_TRUE(StringA::Less("ab", "abc"));
    EXPECT_FALSE(StringA::Less("b", "abc"));
    EXPECT_FALSE(StringA::Less("abc", "abc"));
    EXPECT_TRUE(StringA::Less("B", "a"));
    EXPECT_TRUE(StringA::Less("a", "\xE9"));  // unsigned bytes
    EXPECT_TRUE(StringW::Less(StringW("ab"), StringW("abc")));
    const StringA a("abc");
    const StringW w("abd");
    EXPECT_LT(a.Compare(w), 0);
    EXPECT_GT(w.Compare(a), 0);
    EXPECT_EQ(a.Compare(StringW("abc")), 0);
    const StringBase& base = w;
    EXPECT_LT(a.Compare(base), 0);
    EXPECT_EQ(CompareStringPointers(nullptr, nullptr), 0);
    EXPECT_LT(CompareStringPointers(nullptr, &a), 0);
    EXPECT_GT(CompareStringPointers(&a, nullptr), 0);
}

TEST(StringCompare, TailEquals) {
    const StringA a("file.rom");
    EXPECT_TRUE(a.TailEquals(StringA(".rom"), 4));
    EXPECT_TRUE(a.TailEquals(PathString("x.ROM"), 0));
    EXPECT_FALSE(a.TailEquals(PathString("x.ROM"), 4));
    EXPECT_TRUE(a.TailEquals(PathString("x.rom"), 4));
    EXPECT_TRUE(PathString("a.dsk").TailEquals(PathString("b.dsk"), 4));
    EXPECT_FALSE(a.TailEquals(StringA("rom"), 5));
}

TEST(StringCopy, PathCloneAndAssignments) {
    PathString p("dir/file");
    std::unique_ptr<PathString> clone(p.Clone());
    EXPECT_EQ(clone->Compare(p), 0);
    std::unique_ptr<PathString> empty(p.CreateEmpty());
    EXPECT_TRUE(empty->IsEmpty());
    StringA a("x");
    a.Append(a);
    a.Append(static_cast<const StringBase&>(a));
    EXPECT_STREQ(a.CStr(), "xxxx");
    StringW w(W16("w"));
    w.Append(a);
    w.Append(static_cast<const StringBase&>(w));
    EXPECT_EQ(U16(w), u"wxxxxwxxxx");
    StringA moved(std::move(a));
    EXPECT_STREQ(moved.CStr(), "xxxx");
}

}  // namespace
