#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/dictionary.h"
#include "base/memory_stream.h"
#include "base/string_a.h"
#include "base/string_w.h"
#include "base/tests/record_bytes.h"

namespace {

const Bytes kHead = {'K', 'U', 'V', 'I', 'N', 'I'};
const Bytes kNodeStart = {0x00, 0x00, 0x00, 0x00};

Bytes Name(const char* text)
{
    const Bytes chars(text, text + std::char_traits<char>::length(text));
    const u8 n = static_cast<u8>(chars.size());
    return Concat({{0x81, static_cast<u8>(0x81 ^ n), n, 0x00}, chars});
}

Bytes U8Entry(const char* key, u8 value)
{
    return Concat({{0x01}, Name(key), {0x00, 0x11, value}});
}

class DictionaryTest : public RecordStreamTest {};

TEST_F(DictionaryTest, EmptyFileBytes)
{
    Dictionary dict;
    ASSERT_TRUE(dict.Save(stream, "KUVINI"));
    EXPECT_EQ(Contents(stream), Concat({kHead, kNodeStart, {0xFF}}));
    stream.Seek(0);
    EXPECT_TRUE(dict.Load(stream, "KUVINI"));
    EXPECT_EQ(stream.GetPosition(), 11u);
}

TEST_F(DictionaryTest, NestedFileBytesInKeyOrder)
{
    u8 a = 5, upper = 1, lower = 2;
    bool flag = true;
    StringW path(W16("p"));
    Dictionary root;
    ASSERT_NE(root.BindUInt8("b", &lower), nullptr);
    ASSERT_NE(root.BindUInt8("B", &upper), nullptr);
    ASSERT_NE(root.BindUInt8("A", &a), nullptr);
    auto* device = new Dictionary();
    device->BindBool("On", &flag);
    auto* unit = new Dictionary();
    unit->BindString("Path", &path);
    ASSERT_TRUE(device->AddChild("Unit", unit));
    ASSERT_TRUE(root.AddChild("CPU", device));
    // A name that is taken is refused and stays with the caller.
    Dictionary clash;
    EXPECT_FALSE(root.AddChild("CPU", &clash));

    ASSERT_TRUE(root.Save(stream, "KUVINI"));
    const Bytes expected = Concat({
        kHead, kNodeStart,
        U8Entry("A", 5), U8Entry("B", 1), U8Entry("b", 2), // bytewise: A < B < b
        {0x80}, Name("CPU"), kNodeStart,
        {0x01}, Name("On"), {0x04, 0x40, 0xFF},
        {0x80}, Name("Unit"), kNodeStart,
        {0x01}, Name("Path"), {0x08, 0x80, 0x92, 0x90, 0x02, 0x00, 'p', 0x00},
        {0xFF},
        {0xFF},
        {0xFF},
    });
    EXPECT_EQ(Contents(stream), expected);
}

TEST_F(DictionaryTest, BindingsKeepTheFirst)
{
    u8 first = 1, second = 2;
    Dictionary dict;
    ValueRef* binding = dict.BindUInt8("X", &first);
    ASSERT_NE(binding, nullptr);
    EXPECT_EQ(dict.BindUInt8("X", &second), nullptr);
    EXPECT_EQ(dict.NewBinding("X"), nullptr);
    EXPECT_EQ(dict.BindBool("Y", nullptr), nullptr);
    EXPECT_EQ(dict.FindValue("X"), binding);
    EXPECT_EQ(dict.FindValue("Y"), nullptr);

    Load(Concat({kNodeStart, U8Entry("X", 9), {0xFF}}));
    EXPECT_TRUE(dict.Load(stream));
    EXPECT_EQ(first, 9);
    EXPECT_EQ(second, 2);
}

TEST_F(DictionaryTest, LoadAssignsWhatFitsAndDropsTheRest)
{
    u8 small = 7;
    i32 number = 0;
    Dictionary dict;
    dict.BindUInt8("S", &small);
    dict.NewBinding("N")->Bind(kValueInt32, &number);
    // The second header word asks to skip three bytes.
    Load(Concat({{0x00, 0x00, 0x03, 0x00, 0xEE, 0xEE, 0xEE},
                 {0x01}, Name("S"), {0x03, 0x12, 0x2C, 0x01}, // 300 does not fit a u8
                 U8Entry("Unknown", 1),
                 {0x01}, Name("N"), {0x01, 0x32, 0xFE, 0xFF},
                 {0xFF}}));
    EXPECT_TRUE(dict.Load(stream));
    EXPECT_EQ(small, 7);
    EXPECT_EQ(number, -2);
}

TEST_F(DictionaryTest, DamagedFilesAreRefused)
{
    const Bytes good = Concat({kHead, kNodeStart, U8Entry("A", 1), U8Entry("B", 2), {0xFF}});
    const Bytes cases[] = {
        Concat({{'K', 'U', 'V', 'I', 'N', 'X'}, kNodeStart, {0xFF}}), // wrong head
        Concat({kHead, {0x01, 0x00, 0x00, 0x00}, {0xFF}}),            // first word not 0
        Concat({kHead, {0x00, 0x00, 0x10, 0x00}, {0xFF}}),            // skip beyond the end
        Concat({kHead, kNodeStart, {0x02}, {0xFF}}),                  // unknown tag
        Concat({kHead, kNodeStart}),                                  // no end tag
        Bytes(good.begin(), good.end() - 3),                          // cut inside a record
        Concat({kHead, kNodeStart, {0x01}, Name("A"), {0x01, 0x11, 0x05}, {0xFF}}), // check
        Concat({kHead, kNodeStart, {0x80}, Name("C"), {0x00, 0x00}}),               // child cut
    };
    for (const Bytes& bytes : cases) {
        u8 a = 0, b = 0;
        Dictionary dict;
        dict.BindUInt8("A", &a);
        dict.BindUInt8("B", &b);
        Load(bytes);
        EXPECT_FALSE(dict.Load(stream, "KUVINI"));
    }

    // Values read before the cut stay assigned.
    u8 a = 0, b = 0;
    Dictionary dict;
    dict.BindUInt8("A", &a);
    dict.BindUInt8("B", &b);
    Load(Bytes(good.begin(), good.end() - 3));
    EXPECT_FALSE(dict.Load(stream, "KUVINI"));
    EXPECT_EQ(a, 1);
    EXPECT_EQ(b, 0);
}

// Records the hook calls of one load.
struct HookLog {
    std::vector<std::string> calls;
    u8 childValue = 0;
    bool failLoader = false;

    static bool Loader(void* context, StreamInterface& stream, const StringA& name, bool& changed)
    {
        auto* log = static_cast<HookLog*>(context);
        log->calls.push_back("load " + name.Std());
        if (log->failLoader) {
            u8 junk[3];
            stream.Read(junk, sizeof junk); // consumed, then given back
            return false;
        }
        Dictionary child;
        child.BindUInt8("V", &log->childValue);
        return child.LoadEx(stream, changed);
    }
    static bool Notifier(void* context, const StringA* name)
    {
        static_cast<HookLog*>(context)->calls.push_back(name ? "done " + name->Std() : "values");
        return true;
    }
};

TEST_F(DictionaryTest, HooksSeeChildrenInFileOrder)
{
    const Bytes file = Concat({kNodeStart, U8Entry("A", 1),
                               {0x80}, Name("One"), kNodeStart, U8Entry("V", 3), {0xFF},
                               U8Entry("B", 2),
                               {0x80}, Name("Two"), kNodeStart,
                               {0x80}, Name("Deep"), kNodeStart, {0xFF}, {0xFF},
                               {0xFF}});
    for (bool failLoader : {false, true}) {
        HookLog log;
        log.failLoader = failLoader;
        u8 a = 0, b = 0;
        Dictionary dict;
        dict.BindUInt8("A", &a);
        dict.BindUInt8("B", &b);
        dict.SetHookContext(&log);
        dict.SetChildLoader(&HookLog::Loader);
        dict.SetLoadNotifier(&HookLog::Notifier);
        Load(file);
        EXPECT_TRUE(dict.Load(stream));
        EXPECT_EQ(stream.GetPosition(), stream.GetSize());
        EXPECT_EQ(a, 1);
        EXPECT_EQ(b, 2); // read normally after a skipped child
        EXPECT_EQ(log.childValue, failLoader ? 0 : 3);
        EXPECT_EQ(log.calls, (std::vector<std::string>{"values", "load One", "done One",
                                                       "load Two", "done Two"}));
    }

    // Without children the notifier hears of the values at the end.
    HookLog log;
    Dictionary dict;
    dict.SetHookContext(&log);
    dict.SetLoadNotifier(&HookLog::Notifier);
    Load(Concat({kNodeStart, U8Entry("A", 1), {0xFF}}));
    EXPECT_TRUE(dict.Load(stream));
    EXPECT_EQ(log.calls, std::vector<std::string>{"values"});
}

TEST_F(DictionaryTest, LoadExReportsChanges)
{
    u8 a = 5;
    bool flag = true;
    StringA name("cpu");
    Dictionary dict;
    dict.BindUInt8("A", &a);
    dict.BindBool("F", &flag);
    dict.BindString("N", &name);
    ASSERT_TRUE(dict.Save(stream));

    stream.Seek(0);
    bool changed = false;
    EXPECT_TRUE(dict.LoadEx(stream, changed));
    EXPECT_FALSE(changed);

    name.Assign("vdp");
    stream.Seek(0);
    EXPECT_TRUE(dict.LoadEx(stream, changed));
    EXPECT_TRUE(changed);
    EXPECT_STREQ(name.CStr(), "cpu");

    // A record of another kind cannot be compared: changed, though the binding refuses it.
    Load(Concat({kNodeStart, {0x01}, Name("F"), {0x00, 0x11, 0x01}, {0xFF}}));
    changed = false;
    EXPECT_TRUE(dict.LoadEx(stream, changed));
    EXPECT_TRUE(changed);
    EXPECT_TRUE(flag);
}

TEST_F(DictionaryTest, UnboundBindingFailsTheSave)
{
    Dictionary dict;
    ASSERT_NE(dict.NewBinding("X"), nullptr);
    EXPECT_FALSE(dict.Save(stream));
}

Bytes Nested(int depth)
{
    Bytes bytes;
    for (int i = 0; i < depth; ++i) {
        bytes.insert(bytes.end(), kNodeStart.begin(), kNodeStart.end());
        if (i + 1 < depth) {
            const Bytes child = Concat({{0x80}, Name("c")});
            bytes.insert(bytes.end(), child.begin(), child.end());
        }
    }
    bytes.insert(bytes.end(), static_cast<size_t>(depth), 0xFF);
    return bytes;
}

bool LoadNested(StreamInterface& stream, const StringA& /*name*/, bool& changed);

bool NestedLoader(void*, StreamInterface& stream, const StringA& name, bool& changed)
{
    return LoadNested(stream, name, changed);
}

bool LoadNested(StreamInterface& stream, const StringA&, bool& changed)
{
    Dictionary child;
    child.SetChildLoader(&NestedLoader);
    return child.LoadEx(stream, changed);
}

TEST_F(DictionaryTest, NestingIsCapped)
{
    Load(Nested(Dictionary::kMaxDepth));
    EXPECT_TRUE(SkipDictionaryNode(stream));
    EXPECT_EQ(stream.GetPosition(), stream.GetSize());

    Load(Nested(Dictionary::kMaxDepth + 1));
    EXPECT_FALSE(SkipDictionaryNode(stream));

    // Counted across owners' child loaders too, and far too deep a file is refused
    // without exhausting the stack.
    Load(Nested(Dictionary::kMaxDepth + 1));
    bool changed = false;
    EXPECT_FALSE(LoadNested(stream, "", changed));
    Load(Nested(100000));
    EXPECT_FALSE(LoadNested(stream, "", changed));

    // The count unwinds: a normal file still loads afterwards.
    Load(Nested(3));
    EXPECT_TRUE(LoadNested(stream, "", changed));
}

} // namespace
