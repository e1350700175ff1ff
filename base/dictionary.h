// Dictionary: the key/value tree through which settings are bound, saved and loaded.
//
// Owners build one just before a load or save, bind their variables (ValueRef), run the
// load or the save, and delete it; it never outlives the variables it is bound to.
//
// Settings tree file: an optional raw head text ("KUVINI" for every settings file), one
// node, an optional raw tail text. A node is
//   u16 0, u16 skip count (written 0; a reader skips that many bytes),
//   values   01, key string record, value record   (in key order)
//   children 80, name string record, child node    (in name order)
//   FF
// A reader accepts the tags in any order. Keys sort bytewise (StringA::Less), so files are
// identical whatever the host's locale.
//
// A reader refuses nodes nested deeper than kMaxDepth (counted per thread across child
// loaders), so a hostile file cannot exhaust the stack.
#pragma once

#include <map>
#include <memory>

#include "base/string_a.h"
#include "base/types.h"
#include "base/value.h"

class StreamInterface;

class Dictionary {
public:
    static constexpr int kMaxDepth = 64;

    // Reads the child node named name itself, from the stream standing just after the
    // name. Answering false (or consuming nothing) lets the dictionary skip the node.
    using ChildLoader = bool (*)(void* context, StreamInterface& stream, const StringA& name,
                                 bool& changed);
    // Called with null once per node when its values are over (before the first child, or
    // at the end when there is none), then with each child's name after it was consumed.
    // False fails the load.
    using LoadNotifier = bool (*)(void* context, const StringA* childName);

    using ValueMap = std::map<StringA, std::unique_ptr<ValueInterface>, StringALess>;
    using ChildMap = std::map<StringA, std::unique_ptr<Dictionary>, StringALess>;

    Dictionary() = default;
    virtual ~Dictionary() = default;

    Dictionary(const Dictionary&) = delete;
    Dictionary& operator=(const Dictionary&) = delete;

    // Binding: each inserts a new ValueRef under key and answers it, or answers null and
    // changes nothing when key already has a value (the first binding stays) or target is
    // null.
    ValueRef* BindString(const StringA& key, StringBase* target);
    ValueRef* BindBool(const StringA& key, bool* target);
    ValueRef* BindUInt8(const StringA& key, u8* target);
    // A switch kept in a byte (menu items toggle bytes) and stored as a bool setting, 0 or 1.
    ValueRef* BindFlag(const StringA& key, u8* target);
    // base[0] to base[count - 1], each a switch of flags[i].
    void BindFlags(const char* base, u8* flags, i32 count);
    // An unbound ValueRef; the caller binds it (ValueRef::Bind) to a variable of any type.
    ValueRef* NewBinding(const StringA& key);

    // Takes ownership of child and answers true, or answers false and takes nothing when
    // name is taken (the caller then deletes its child).
    bool AddChild(const StringA& name, Dictionary* child);

    ValueInterface* FindValue(const StringA& key) const;
    Dictionary* FindChild(const StringA& name) const;
    bool IsEmpty() const { return values_.empty() && children_.empty(); }
    const ValueMap& Values() const { return values_; }
    const ChildMap& Children() const { return children_; }

    void SetHookContext(void* context) { hookContext_ = context; }
    void SetChildLoader(ChildLoader loader) { childLoader_ = loader; }
    void SetLoadNotifier(LoadNotifier notifier) { loadNotifier_ = notifier; }

    // Writes head text (when not null or empty), the node with its children, tail text.
    // A failed save leaves what was written in the stream.
    bool Save(StreamInterface& stream, const char* head = nullptr,
              const char* tail = nullptr) const;
    // Reads one node and assigns its values to the matching entries. Unknown keys and
    // values a binding refuses are dropped without failing; children reach their owners
    // only through the child loader and are skipped otherwise. No rollback on failure.
    bool Load(StreamInterface& stream, const char* head = nullptr, const char* tail = nullptr);
    // Load that also sets changed (never clears it) when a record for a matching entry
    // differs from its current content or cannot be compared with it.
    bool LoadEx(StreamInterface& stream, bool& changed, const char* head = nullptr,
                const char* tail = nullptr);

private:
    ValueRef* Bind(const StringA& key, i32 type, void* target);
    bool SaveNode(StreamInterface& stream) const;
    bool LoadNode(StreamInterface& stream, bool& changed, bool tracked, const char* tail);
    bool ReadEntryValue(StreamInterface& stream, bool& changed, bool tracked);
    bool ReadEntryChild(StreamInterface& stream, bool& changed, bool& firstChild);

    ValueMap values_;
    ChildMap children_;
    ChildLoader childLoader_ = nullptr;
    void* hookContext_ = nullptr;
    LoadNotifier loadNotifier_ = nullptr;
};

// Consumes one node (the stream standing just after the child's name); true when it was
// well-formed.
bool SkipDictionaryNode(StreamInterface& stream);
