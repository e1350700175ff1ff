// Owned lists of string copies in insertion order, with index access through
// a cached cursor so that walking by increasing or decreasing index costs one
// step per call.
//
// ObjectList: folder listings, console line lists, file-dialog extensions.
// TaggedObjectList<T>: the same, each entry carrying a value of type T that
// the owner reads and writes directly (console lines with their colour in a
// long long; event-bus timer records).
#pragma once

#include <iterator>
#include <list>
#include <memory>

#include "base/string_a.h"
#include "base/string_base.h"
#include "base/string_support.h"

class StreamInterface;

class ObjectListBase {
public:
    virtual ~ObjectListBase() = default;

    // Element at index, null outside 0..Count()-1.
    virtual StringBase* At(int index) = 0;
    // Appends a copy of s of the same width; answers its index.
    virtual int Add(const StringBase& s) = 0;
    virtual int Count() const = 0;
    // Deletes a range, clipped to the list as Substr clips a string; the
    // cursor then stands on the entry that followed it.
    virtual void RemoveRange(int start, int count) = 0;
    virtual void Clear() { RemoveRange(0, Count()); }
    virtual void Sort() = 0;

protected:
    ObjectListBase() = default;
    ObjectListBase(const ObjectListBase&) = delete;
    ObjectListBase& operator=(const ObjectListBase&) = delete;
};

struct NoTag {};

// The list and cursor shared by both kinds.
template <typename T>
class ObjectListCore : public ObjectListBase {
public:
    ~ObjectListCore() override = default;

    StringBase* At(int index) override {
        return SetCursor(index) ? cursor_->element.get() : nullptr;
    }

    // Positions the cursor on index without answering the element.
    bool SetCursor(int index) {
        if (index < 0 || index >= Count()) return false;
        if (cursorIndex_ < 0) {
            cursor_ = entries_.begin();
            cursorIndex_ = 0;
        }
        while (cursorIndex_ < index) { ++cursor_; ++cursorIndex_; }
        while (cursorIndex_ > index) { --cursor_; --cursorIndex_; }
        return true;
    }

    int Add(const StringBase& s) override {
        return AddOwned(s.Substr(0, s.GetLength()));
    }

    // Appends a new StringA copy of s (null = empty).
    int AddString(const char* s) { return AddOwned(new StringA(s)); }

    // Appends an element the list takes ownership of (may be null).
    int AddOwned(StringBase* element) {
        cursorIndex_ = -1;
        entries_.push_back(Entry{std::unique_ptr<StringBase>(element), T{}});
        return Count() - 1;
    }

    int Count() const override { return static_cast<int>(entries_.size()); }

    void RemoveRange(int start, int count) override {
        int first = 0;
        int n = 0;
        if (!ClipStringRange(Count(), start, count, first, n)) return;
        auto from = std::next(entries_.begin(), first);
        auto after = entries_.erase(from, std::next(from, n));
        if (after == entries_.end()) {
            cursorIndex_ = -1;
        } else {
            cursor_ = after;
            cursorIndex_ = first;
        }
    }

    void Clear() override {
        entries_.clear();
        cursorIndex_ = -1;
    }

    void Sort() override {}

protected:
    struct Entry {
        std::unique_ptr<StringBase> element;
        T tag;
    };
    using Entries = std::list<Entry>;

    Entry* EntryAt(int index) { return SetCursor(index) ? &*cursor_ : nullptr; }

    Entries entries_;
    typename Entries::iterator cursor_{};
    int cursorIndex_ = -1;  // -1: no cursor
};

class ObjectList : public ObjectListCore<NoTag> {
public:
    ObjectList() = default;

    // Stable, by CompareStringPointers (bytewise for narrow strings).
    void Sort() override;

    // Every element as narrow text followed by CR LF; false at a null
    // element or a short write.
    bool WriteLines(StreamInterface& stream);

    // Appends the stream's bytes from its position to its end as lines of
    // perLine items, each prefix + two lowercase hex digits + suffix +
    // separator. Format 1 is the only one. Answers the bytes converted, or -1.
    int AddHexDump(StreamInterface& stream, int format, int perLine, const StringA& separator,
                   const StringA& prefix, const StringA& suffix);
};

template <typename T>
class TaggedObjectList : public ObjectListCore<T> {
public:
    TaggedObjectList() = default;

    // Appends a copy of s with its tag; answers the index.
    int Add(const StringBase& s, const T& tag) {
        const int index = ObjectListCore<T>::Add(s);
        this->entries_.back().tag = tag;
        return index;
    }
    using ObjectListCore<T>::Add;

    int AddOwned(StringBase* element, const T& tag) {
        const int index = ObjectListCore<T>::AddOwned(element);
        this->entries_.back().tag = tag;
        return index;
    }
    using ObjectListCore<T>::AddOwned;

    // The tag of the entry at index (index must be within the count).
    T& TagAt(int index) { return this->EntryAt(index)->tag; }

    void RemoveFirst() { this->RemoveRange(0, 1); }
};
