// Sweeps of single changes over a machine's saved state, each loaded into a started machine
// and checked by state_check. A value's changes: every bit of every byte flipped; every
// byte set to 0x00, 0xFF, 0x80, 0x7F and two random bytes; the whole value (an integer of
// 2, 4 or 8 bytes, a blob of those sizes, a string's count) set to 0, all ones, the top bit
// alone, all but the top bit and three random values; another small blob filled with 0x00,
// 0xFF or random bytes, and each of its 32-bit words changed as an integer. A change that
// leaves the bytes as they are is left out; the random ones come from a fixed seed, so that
// a fault found is found again.
//
// The full sweep (KUV_FULL_SWEEP set, as the optimised tree's test does) takes every change;
// elsewhere each value gets one change of each sort, rotating from value to value, so that
// a sanitizer tree reaches every value in seconds.
#pragma once

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "base/archive.h"
#include "machines/tests/state_check.h"

namespace state_sweep {

using state_check::Bytes;

// A keyed value's bytes in the state: first to end; whole is the width of the integer at
// first that the value is as a whole (0 for a blob of another size).
struct Value {
    size_t first = 0, end = 0;
    size_t whole = 0;
    std::string key;
};

// Where a state's bytes lie in its records. The walk stops at anything it cannot follow.
struct Layout {
    std::vector<Value> values;  // values and small blobs
    std::vector<size_t> bulk;   // the bytes of larger blobs (memories, frame data)
};

// Blobs up to this size are values (timer and event records, sound tables, the aspect).
inline constexpr size_t kLargestValue = 64;

inline Layout Walk(const Bytes& s)
{
    Layout layout;
    const auto le = [&](size_t at, int n) {
        u64 v = 0;
        for (int i = 0; i < n && at + i < s.size(); ++i)
            v |= static_cast<u64>(s[at + i]) << (8 * i);
        return static_cast<size_t>(v);
    };
    for (size_t at = 0; at + 4 < s.size();) {
        // A marker, then a string record: type, check, u16 length, the characters.
        const u8 marker = s[at];
        const size_t charSize = ((s[at + 1] >> 4) & 7) + 1;
        size_t next = at + 5 + le(at + 3, 2) * charSize;
        if ((marker != Archive::kKeyedValue && marker != Archive::kBlockOpen && marker != Archive::kBlockClose) ||
            next >= s.size())
            break;
        if (marker == Archive::kKeyedValue) {
            std::string key;
            for (size_t i = at + 5; i < next; i += charSize)
                key += static_cast<char>(s[i]);
            const u8 type = s[next++];
            Value value{next, next + (type & 0x0F) + 1, size_t{(type & 0x0F) + 1u}, key};
            if ((type & 0xC0) == Archive::kTypeBlob) {
                value.first = next + 4;
                value.end = value.first + le(next, 4);
                const size_t n = value.end - value.first;
                value.whole = n == 1 || n == 2 || n == 4 || n == 8 ? n : 0;
            } else if ((type & 0xC0) == Archive::kTypeString) {
                // A count of characters with the terminator, then the characters.
                value.end = next + 4 + le(next, 4) * ((type & 1) + 1);
                value.whole = 4;
            }
            if (value.end - value.first <= kLargestValue) {
                value.end = std::min(value.end, s.size());
                layout.values.push_back(value);
            }
            for (size_t i = value.first; value.end - value.first > kLargestValue && i < value.end && i < s.size(); ++i)
                layout.bulk.push_back(i);
            next = value.end;
        }
        at = next;
    }
    return layout;
}

// One change: the bits of pattern flipped in the byte at, or width bytes from at set to
// pattern (little-endian, repeated every eight bytes in a longer blob).
struct Change {
    size_t at = 0;
    size_t width = 1;
    u64 pattern = 0;
    bool flip = false;
};

inline constexpr size_t kBulkStride = 4099;  // the machine takes memories as they are

inline bool FullSweep()
{
    const char* full = std::getenv("KUV_FULL_SWEEP");
    return full && *full && std::strcmp(full, "0") != 0;
}

// A fixed sequence (splitmix64), the same on every host; each value draws from its own,
// so that a path's length in the state does not move the others.
struct Random {
    u64 state;
    explicit Random(u64 n) : state(0x4B55564D53583031ull + n * 0x2545F4914F6CDD1Dull) {}
    u64 Next()
    {
        u64 z = (state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
};

inline void Apply(u8* bytes, const Change& c)
{
    if (c.flip) {
        bytes[c.at] ^= static_cast<u8>(c.pattern);
        return;
    }
    for (size_t i = 0; i < c.width; ++i)
        bytes[c.at + i] = static_cast<u8>(c.pattern >> (8 * (i % 8)));
}

// Whether c leaves good as it is.
inline bool Unchanged(const Bytes& good, const Change& c)
{
    for (size_t i = 0; i < c.width; ++i) {
        if (c.flip ? (c.pattern & 0xFF) != 0 : good[c.at + i] != static_cast<u8>(c.pattern >> (8 * (i % 8))))
            return false;
    }
    return true;
}

// The changes of one value, by sort.
struct ValueChanges {
    std::vector<Change> bits, bytes, whole;
};

inline ValueChanges ChangesOf(const Bytes& good, const Value& v, Random& random)
{
    ValueChanges out;
    const auto add = [&](std::vector<Change>& to, const Change& c) {
        if (!Unchanged(good, c))
            to.push_back(c);
    };
    for (size_t i = v.first; i < v.end; ++i) {
        for (int bit = 0; bit < 8; ++bit)
            out.bits.push_back({i, 1, 1u << bit, true});
        const u64 r1 = random.Next(), r2 = random.Next();
        for (const u64 b : {u64{0x00}, u64{0xFF}, u64{0x80}, u64{0x7F}, r1 & 0xFF, r2 & 0xFF})
            add(out.bytes, {i, 1, b, false});
    }
    const auto integer = [&](size_t at, size_t width) {
        const u64 ones = width == 8 ? ~u64{0} : (u64{1} << (8 * width)) - 1;
        const u64 top = u64{1} << (8 * width - 1);
        const u64 r1 = random.Next(), r2 = random.Next(), r3 = random.Next();
        for (const u64 w : {u64{0}, ones, top, ones & ~top, r1 & ones, r2 & ones, r3 & ones})
            add(out.whole, {at, width, w, false});
    };
    if (v.whole > 1) {
        integer(v.first, v.whole);
    } else if (v.whole == 0 && v.end > v.first) {
        const u64 r1 = random.Next(), r2 = random.Next(), r3 = random.Next();
        for (const u64 w : {u64{0}, ~u64{0}, r1, r2, r3})
            add(out.whole, {v.first, v.end - v.first, w, false});
        // The blobs of that size here are records of 32-bit fields.
        for (size_t at = v.first; (v.end - v.first) % 4 == 0 && at < v.end; at += 4)
            integer(at, 4);
    }
    return out;
}

// Every change of every value and one bit of every kBulkStride-th bulk byte. Outside the
// full sweep, of each value one change of each sort: the n-th value takes the n-th of its
// changes of that sort (counted round), so the bit, the byte and the kind move on from
// value to value.
inline std::vector<Change> Changes(const Bytes& good, const Layout& layout, bool full)
{
    std::vector<Change> all;
    for (size_t n = 0; n < layout.values.size(); ++n) {
        Random random(n);
        const ValueChanges of = ChangesOf(good, layout.values[n], random);
        for (const std::vector<Change>* sort : {&of.bits, &of.bytes, &of.whole}) {
            if (full)
                all.insert(all.end(), sort->begin(), sort->end());
            else if (!sort->empty())
                all.push_back((*sort)[n % sort->size()]);
        }
    }
    for (size_t n = 0; n < layout.bulk.size(); n += kBulkStride)
        all.push_back({layout.bulk[n], 1, 1u << (n % 8), true});
    return all;
}

// How many of the layout's values the changes reach.
inline size_t ValuesReached(const Layout& layout, const std::vector<Change>& changes)
{
    size_t reached = 0;
    for (const Value& v : layout.values) {
        reached += std::any_of(changes.begin(), changes.end(),
                               [&](const Change& c) { return c.at >= v.first && c.at < v.end; });
    }
    return reached;
}

inline std::string Describe(const Layout& layout, const Change& c)
{
    std::string key = "a memory";
    for (const Value& v : layout.values) {
        if (c.at >= v.first && c.at < v.end)
            key = "\"" + v.key + "\" (bytes " + std::to_string(v.first) + " to " + std::to_string(v.end - 1) + ")";
    }
    const std::string pattern = std::to_string(c.pattern);
    if (c.flip)
        return "byte " + std::to_string(c.at) + " of " + key + " flipped by " + pattern;
    return std::to_string(c.width) + " bytes from " + std::to_string(c.at) + " of " + key + " set to " + pattern;
}

// Loads each change of good into machine (started, of the kind fresh makes); the faults
// found, one a line, "" when every change was refused cleanly or ran. After a fault the
// machine takes good again and the sweep goes on, up to kMostFaults.
inline constexpr size_t kMostFaults = 12;

inline std::string Sweep(Computer& machine, const Bytes& good, const Layout& layout,
                         const std::vector<Change>& changes, const state_check::FreshLoad& fresh)
{
    // One copy for all the changes, each undone after its load (a load only reads it).
    Bytes bad = good;
    std::string faults;
    size_t found = 0;
    for (const Change& c : changes) {
        Apply(bad.data(), c);
        const std::string fault = state_check::CheckStateLoad(machine, bad.data(), bad.size(), fresh);
        std::memcpy(&bad[c.at], &good[c.at], c.width);
        if (fault.empty())
            continue;
        faults += Describe(layout, c) + ": " + fault + "\n";
        if (++found == kMostFaults || !state_check::Load(machine, good.data(), good.size()))
            break;
    }
    return faults;
}

} // namespace state_sweep
