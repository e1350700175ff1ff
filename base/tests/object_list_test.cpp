#include <gtest/gtest.h>

#include <string>

#include "base/memory_stream.h"
#include "base/object_list.h"
#include "base/string_w.h"

namespace {

std::string Text(StringBase* s) { return s ? s->GetNarrow() : "<null>"; }

ObjectList& Fill(ObjectList& list, std::initializer_list<const char*> items) {
    for (const char* item : items) list.Add(StringA(item));
    return list;
}

TEST(ObjectList, IndexAccessInAnyOrder) {
    ObjectList list;
    Fill(list, {"a", "b", "c", "d", "e"});
    EXPECT_EQ(list.At(-1), nullptr);
    EXPECT_EQ(list.At(5), nullptr);
    EXPECT_EQ(Text(list.At(4)), "e");
    EXPECT_EQ(Text(list.At(0)), "a");
    EXPECT_EQ(Text(list.At(3)), "d");
    EXPECT_EQ(Text(list.At(2)), "c");
    EXPECT_FALSE(list.SetCursor(7));
    EXPECT_EQ(list.AddString("f"), 5);
    EXPECT_EQ(Text(list.At(5)), "f");
    EXPECT_EQ(list.AddString(nullptr), 6);
    EXPECT_EQ(Text(list.At(6)), "");
}

TEST(ObjectList, AddKeepsTheWidthOfItsSource) {
    ObjectList list;
    list.Add(PathString("x.rom"));
    list.Add(StringA("n"));
    EXPECT_EQ(list.At(0)->GetKind(), 2);
    EXPECT_EQ(list.At(1)->GetKind(), 1);
}

TEST(ObjectList, RemoveRangeClipsAndLeavesTheCursorAfterIt) {
    ObjectList list;
    Fill(list, {"a", "b", "c", "d", "e"});
    list.At(4);
    list.RemoveRange(1, 2);
    EXPECT_EQ(list.Count(), 3);
    EXPECT_EQ(Text(list.At(1)), "d");
    EXPECT_EQ(Text(list.At(2)), "e");
    list.RemoveRange(-1, 2);  // removes index 0 only
    EXPECT_EQ(Text(list.At(0)), "d");
    list.RemoveRange(5, 1);
    list.RemoveRange(0, 0);
    list.RemoveRange(1, 100);
    EXPECT_EQ(list.Count(), 1);
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.At(0), nullptr);
}

TEST(ObjectList, SortIsBytewiseAndStable) {
    ObjectList list;
    Fill(list, {"B", "a", "A"});
    list.AddOwned(nullptr);
    list.Sort();
    EXPECT_EQ(Text(list.At(0)), "<null>");
    EXPECT_EQ(Text(list.At(1)), "A");
    EXPECT_EQ(Text(list.At(2)), "B");
    EXPECT_EQ(Text(list.At(3)), "a");
    ObjectList mixed;
    mixed.Add(StringA("k"));
    mixed.Add(PathString("k"));
    mixed.Add(StringA("j"));
    mixed.Sort();
    EXPECT_EQ(mixed.At(1)->GetKind(), 1);  // equal keys keep their order
    EXPECT_EQ(mixed.At(2)->GetKind(), 2);
}

TEST(ObjectList, WriteLinesEndsEveryLineWithCrLf) {
    ObjectList list;
    list.Add(StringA("one"));
    list.Add(PathString("two"));
    MemoryStream out;
    ASSERT_TRUE(out.Allocate(0, -1));
    ASSERT_TRUE(list.WriteLines(out));
    EXPECT_EQ(std::string(reinterpret_cast<char*>(out.GetBuffer()), out.GetSize()), "one\r\ntwo\r\n");
    list.AddOwned(nullptr);
    EXPECT_FALSE(list.WriteLines(out));
    u8 tiny[4];
    MemoryStream full;
    full.Attach(tiny, sizeof(tiny));
    EXPECT_FALSE(list.WriteLines(full));
}

TEST(ObjectList, HexDumpLines) {
    const u8 bytes[3] = {0x01, 0x02, 0xAB};
    MemoryStream in;
    in.Attach(const_cast<u8*>(bytes), sizeof(bytes));
    ObjectList list;
    EXPECT_EQ(list.AddHexDump(in, 1, 2, StringA(", "), StringA("0x"), StringA("")), 3);
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(Text(list.At(0)), "0x01, 0x02, ");
    EXPECT_EQ(Text(list.At(1)), "0xab, ");
    in.Seek(0);
    EXPECT_EQ(list.AddHexDump(in, 2, 2, StringA(""), StringA(""), StringA("")), -1);
    EXPECT_EQ(list.AddHexDump(in, 1, 0, StringA(""), StringA(""), StringA("")), -1);
    EXPECT_EQ(list.AddHexDump(in, 1, 8, StringA(" "), StringA(""), StringA("h")), 3);
    EXPECT_EQ(Text(list.At(2)), "01h 02h abh ");
}

TEST(TaggedObjectList, EntriesCarryTheirTags) {
    TaggedObjectList<long long> lines;
    lines.Add(StringA("plain"));
    lines.Add(StringA("error"), 0xFFFF3C3CLL);
    EXPECT_EQ(lines.TagAt(0), 0);
    EXPECT_EQ(lines.TagAt(1), 0xFFFF3C3CLL);
    lines.TagAt(0) = 7;
    lines.RemoveFirst();
    EXPECT_EQ(lines.Count(), 1);
    EXPECT_EQ(Text(lines.At(0)), "error");
    EXPECT_EQ(lines.TagAt(0), 0xFFFF3C3CLL);
    lines.Clear();
    EXPECT_EQ(lines.Count(), 0);
}

}  // namespace
