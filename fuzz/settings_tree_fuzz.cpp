// The settings tree file: a node with a value of every type, and children read through
// a child loader into nodes of the same shape (as the machine settings reach their
// devices), nested as deep as the file goes.
#include <memory>

#include "base/dictionary.h"
#include "base/string_a.h"
#include "base/string_w.h"
#include "base/value.h"
#include "fuzz/fuzz_support.h"

namespace {

constexpr char kHead[] = "KUVINI";

struct Settings {
    u8 u8v = 1;
    u16 u16v = 2;
    u32 u32v = 3;
    u64 u64v = 4;
    i8 i8v = -1;
    i16 i16v = -2;
    i32 i32v = -3;
    i64 i64v = -4;
    bool flag = true;
    StringA narrow{"narrow"};
    StringW wide{"wide"};

    void BindTo(Dictionary& d)
    {
        d.BindUInt8("u8", &u8v);
        d.BindBool("flag", &flag);
        d.BindString("narrow", &narrow);
        d.BindString("wide", &wide);
        const std::pair<const char*, std::pair<i32, void*>> others[] = {
            {"u16", {kValueUInt16, &u16v}}, {"u32", {kValueUInt32, &u32v}}, {"u64", {kValueUInt64, &u64v}},
            {"i8", {kValueInt8, &i8v}},     {"i16", {kValueInt16, &i16v}}, {"i32", {kValueInt32, &i32v}},
            {"i64", {kValueInt64, &i64v}},
        };
        for (const auto& [key, binding] : others) {
            if (ValueRef* ref = d.NewBinding(key))
                ref->Bind(binding.first, binding.second);
        }
    }
};

bool LoadChild(void*, StreamInterface& stream, const StringA&, bool& changed)
{
    Settings settings;
    Dictionary node;
    settings.BindTo(node);
    node.SetChildLoader(&LoadChild);
    return node.LoadEx(stream, changed);
}

void WriteSeeds(const std::filesystem::path& folder)
{
    Settings settings, inner;
    Dictionary root;
    settings.BindTo(root);
    auto child = std::make_unique<Dictionary>();
    inner.BindTo(*child);
    if (root.AddChild("device", child.get()))
        child.release();
    MemoryStream stream;
    stream.Allocate(0, 1024);
    if (root.Save(stream, kHead))
        fuzz::WriteSeed(folder, "tree", fuzz::ContentOf(stream));
}

} // namespace

KUV_FUZZ_SEEDS(WriteSeeds)

extern "C" int LLVMFuzzerTestOneInput(const u8* data, size_t size)
{
    fuzz::InputStream stream(data, size);
    Settings settings;
    Dictionary root;
    settings.BindTo(root);
    root.SetChildLoader(&LoadChild);
    root.Load(stream, kHead);
    return 0;
}
