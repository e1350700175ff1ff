#include "base/dictionary.h"

#include <cstring>
#include <vector>

#include "base/archive.h"
#include "base/stream_interface.h"
#include "base/string_a.h"

namespace {

constexpr u8 kTagValue = 0x01;
constexpr u8 kTagChild = 0x80;
constexpr u8 kTagEnd = 0xFF;

// Nodes being read on this thread. Counted here rather than passed down because child
// nodes are read through the owners' child loaders, each with a dictionary of its own.
thread_local int tDepth = 0;

class DepthGuard {
public:
    DepthGuard() { ++tDepth; }
    ~DepthGuard() { --tDepth; }
    DepthGuard(const DepthGuard&) = delete;
    DepthGuard& operator=(const DepthGuard&) = delete;
    bool TooDeep() const { return tDepth > Dictionary::kMaxDepth; }
};

bool WriteByte(StreamInterface& stream, u8 byte)
{
    return stream.Write(&byte, 1) == 1;
}

// A raw text at the head or tail of a file must be there byte for byte.
bool ExpectText(StreamInterface& stream, const char* text)
{
    if (!text || !*text)
        return true;
    const size_t n = std::strlen(text);
    std::vector<char> read(n);
    return stream.Read(read.data(), n) == n && std::memcmp(read.data(), text, n) == 0;
}

bool ReadU16(StreamInterface& stream, u16& value)
{
    u8 bytes[2];
    if (stream.Read(bytes, 2) != 2)
        return false;
    value = static_cast<u16>(bytes[0] | (bytes[1] << 8));
    return true;
}

template <class T>
bool Same(bool (ValueInterface::*get)(T&) const, const ValueInterface& a, const ValueInterface& b)
{
    T x, y;
    return (a.*get)(x) && (b.*get)(y) && x == y;
}

// Whether an entry holds what a record just read holds, compared by the entry's type.
bool EntryEquals(const ValueInterface& entry, const Value& read)
{
    const i32 type = entry.GetType();
    switch (type) {
    case kValueUInt8: case kValueUInt16: case kValueUInt32: case kValueUInt64:
        return Same<u64>(&ValueInterface::GetUInt64B, entry, read);
    case kValueInt8: case kValueInt16: case kValueInt32: case kValueInt64:
        return Same<i64>(&ValueInterface::GetInt64, entry, read);
    case kValueBool:
        return read.GetType() == kValueBool && Same<bool>(&ValueInterface::GetBool, entry, read);
    case kValueString: {
        StringBase* held = nullptr;
        StringBase* loaded = nullptr;
        if (read.GetType() != kValueString || !entry.GetStringRef(held) ||
            !read.GetStringRef(loaded))
            return false;
        return held == loaded || held->Compare(*loaded) == 0;
    }
    case kValueChild:
        return Same<void*>(&ValueInterface::GetChild, entry, read);
    case kValueNone:
        return read.GetType() == kValueNone;
    default:
        return false;
    }
}

} // namespace

ValueRef* Dictionary::Bind(const StringA& key, i32 type, void* target)
{
    ValueRef* binding = target ? NewBinding(key) : nullptr;
    if (binding)
        binding->Bind(type, target);
    return binding;
}

ValueRef* Dictionary::BindString(const StringA& key, StringBase* target)
{
    return Bind(key, kValueString, target);
}

ValueRef* Dictionary::BindBool(const StringA& key, bool* target)
{
    return Bind(key, kValueBool, target);
}

ValueRef* Dictionary::BindFlag(const StringA& key, u8* target)
{
    return Bind(key, kValueBool, target);
}

void Dictionary::BindFlags(const char* base, u8* flags, i32 count)
{
    StringA key;
    for (i32 i = 0; i < count; ++i) {
        key.Format("%s[%ld]", base, i);
        BindFlag(key, &flags[i]);
    }
}

ValueRef* Dictionary::BindUInt8(const StringA& key, u8* target)
{
    return Bind(key, kValueUInt8, target);
}

ValueRef* Dictionary::NewBinding(const StringA& key)
{
    if (values_.count(key))
        return nullptr;
    auto binding = std::make_unique<ValueRef>();
    ValueRef* result = binding.get();
    values_.emplace(key, std::move(binding));
    return result;
}

bool Dictionary::AddChild(const StringA& name, Dictionary* child)
{
    if (!child || child == this)
        return false;
    auto [it, inserted] = children_.try_emplace(name);
    if (!inserted)
        return false;
    it->second.reset(child);
    return true;
}

ValueInterface* Dictionary::FindValue(const StringA& key) const
{
    auto it = values_.find(key);
    return it == values_.end() ? nullptr : it->second.get();
}

Dictionary* Dictionary::FindChild(const StringA& name) const
{
    auto it = children_.find(name);
    return it == children_.end() ? nullptr : it->second.get();
}

bool Dictionary::Save(StreamInterface& stream, const char* head, const char* tail) const
{
    return WriteRawText(stream, head) && SaveNode(stream) && WriteRawText(stream, tail);
}

bool Dictionary::SaveNode(StreamInterface& stream) const
{
    const u8 header[4] = {0, 0, 0, 0};
    if (!WriteExactly(stream, header, sizeof header))
        return false;
    for (const auto& [key, value] : values_) {
        if (!WriteByte(stream, kTagValue) || !Archive::WriteString(stream, key) || !value ||
            !value->WriteTo(stream))
            return false;
    }
    for (const auto& [name, child] : children_) {
        if (!WriteByte(stream, kTagChild) || !Archive::WriteString(stream, name) || !child ||
            !child->SaveNode(stream))
            return false;
    }
    return WriteByte(stream, kTagEnd);
}

bool Dictionary::Load(StreamInterface& stream, const char* head, const char* tail)
{
    bool scratch = false;
    return ExpectText(stream, head) && LoadNode(stream, scratch, false, tail);
}

bool Dictionary::LoadEx(StreamInterface& stream, bool& changed, const char* head, const char* tail)
{
    return ExpectText(stream, head) && LoadNode(stream, changed, true, tail);
}

bool Dictionary::LoadNode(StreamInterface& stream, bool& changed, bool tracked, const char* tail)
{
    DepthGuard depth;
    if (depth.TooDeep())
        return false;

    u16 word;
    if (!ReadU16(stream, word) || word != 0)
        return false;
    u16 skip;
    if (!ReadU16(stream, skip))
        return false;
    if (skip != 0 && !stream.Seek(stream.GetPosition() + skip))
        return false;

    bool noChildYet = true;
    for (;;) {
        u8 tag;
        if (stream.Read(&tag, 1) != 1)
            return false;
        switch (tag) {
        case kTagValue:
            if (!ReadEntryValue(stream, changed, tracked))
                return false;
            break;
        case kTagChild:
            if (!ReadEntryChild(stream, changed, noChildYet))
                return false;
            break;
        case kTagEnd:
            if (!ExpectText(stream, tail))
                return false;
            if (noChildYet && loadNotifier_)
                return loadNotifier_(hookContext_, nullptr);
            return true;
        default:
            return false;
        }
    }
}

bool Dictionary::ReadEntryValue(StreamInterface& stream, bool& changed, bool tracked)
{
    StringA key;
    Value read;
    if (!Archive::ReadString(stream, &key) || !read.ReadFrom(stream))
        return false;
    auto it = values_.find(key);
    if (it == values_.end() || !it->second)
        return true;
    ValueInterface& entry = *it->second;
    if (tracked && !EntryEquals(entry, read))
        changed = true;
    // A value the binding refuses leaves the variable as it was; the load goes on.
    entry.AssignFrom(read);
    return true;
}

bool Dictionary::ReadEntryChild(StreamInterface& stream, bool& changed, bool& noChildYet)
{
    if (noChildYet) {
        noChildYet = false;
        if (loadNotifier_ && !loadNotifier_(hookContext_, nullptr))
            return false;
    }
    StringA name;
    if (!Archive::ReadString(stream, &name))
        return false;
    const u64 start = stream.GetPosition();
    if (childLoader_ && !childLoader_(hookContext_, stream, name, changed)) {
        if (!stream.Seek(start))
            return false;
    }
    if (stream.GetPosition() == start && !SkipDictionaryNode(stream))
        return false;
    return !loadNotifier_ || loadNotifier_(hookContext_, &name);
}

bool SkipDictionaryNode(StreamInterface& stream)
{
    Dictionary discard;
    return discard.Load(stream);
}
