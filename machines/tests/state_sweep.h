// Sweeps of single changes over a machine's saved state: every bit of every value byte,
// one at a time, each loaded into a started machine and checked by state_check.
//
// The full sweep (KUV_FULL_SWEEP set in the environment, as the optimised tree's test
// does) takes every change; elsewhere every stride-th one (an odd stride, so the bit moves
// on from byte to byte), so that a sanitizer tree covers each value in seconds.
#pragma once

#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "base/archive.h"
#include "machines/tests/state_check.h"

namespace state_sweep {

using state_check::Bytes;

// Where a state's bytes lie in its records. The walk stops at anything it cannot follow.
struct Layout {
    std::vector<std::pair<size_t, size_t>> values;  // value bytes (and small blobs'): first, end
    std::vector<size_t> bulk;                       // the bytes of larger blobs (memories, frame data)
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
        size_t next = at + 5 + le(at + 3, 2) * (((s[at + 1] >> 4) & 7) + 1);
        if ((marker != Archive::kKeyedValue && marker != Archive::kBlockOpen && marker != Archive::kBlockClose) ||
            next >= s.size())
            break;
        if (marker == Archive::kKeyedValue) {
            const u8 type = s[next++];
            size_t first = next, end = next + (type & 0x0F) + 1;
            if ((type & 0xC0) == Archive::kTypeBlob) {
                first = next + 4;
                end = first + le(next, 4);
            } else if ((type & 0xC0) == Archive::kTypeString) {
                end = next + 4 + le(next, 4) * ((type & 1) + 1);  // a count of characters with the terminator
            }
            if (end - first <= kLargestValue)
                layout.values.push_back({first, std::min(end, s.size())});
            for (size_t i = first; end - first > kLargestValue && i < end && i < s.size(); ++i)
                layout.bulk.push_back(i);
            next = end;
        }
        at = next;
    }
    return layout;
}

// A byte's offset and the bits changed there.
using Change = std::pair<size_t, u8>;

inline constexpr size_t kBulkStride = 4099;  // the machine takes memories as they are

inline bool FullSweep()
{
    const char* full = std::getenv("KUV_FULL_SWEEP");
    return full && *full && std::strcmp(full, "0") != 0;
}

// Every bit of every value byte, and one bit of every kBulkStride-th bulk byte; every
// sampleStride-th of them when the sweep is not the full one.
inline std::vector<Change> Changes(const Layout& layout, bool full, size_t sampleStride)
{
    std::vector<Change> all;
    for (const auto& [first, end] : layout.values) {
        for (size_t i = first; i < end; ++i) {
            for (int bit = 0; bit < 8; ++bit)
                all.push_back({i, static_cast<u8>(1u << bit)});
        }
    }
    for (size_t n = 0; n < layout.bulk.size(); n += kBulkStride)
        all.push_back({layout.bulk[n], static_cast<u8>(1u << (n % 8))});
    if (full)
        return all;
    std::vector<Change> sample;
    for (size_t n = 0; n < all.size(); n += sampleStride)
        sample.push_back(all[n]);
    return sample;
}

// Loads each change of good into machine (started, of the kind fresh makes); the first
// fault found, "" when every change was refused cleanly or ran.
inline std::string Sweep(Computer& machine, const Bytes& good, const std::vector<Change>& changes,
                         const state_check::FreshLoad& fresh)
{
    // One copy for all the changes, each undone after its load (a load only reads it).
    Bytes bad = good;
    for (const auto& [at, bits] : changes) {
        bad[at] ^= bits;
        const std::string fault = state_check::CheckStateLoad(machine, bad.data(), bad.size(), fresh);
        bad[at] ^= bits;
        if (!fault.empty())
            return "byte " + std::to_string(at) + " changed by " + std::to_string(bits) + ": " + fault;
    }
    return "";
}

} // namespace state_sweep
