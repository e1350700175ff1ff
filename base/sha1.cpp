#include "base/sha1.h"

#include <cstring>

namespace {

inline u32 Rotl(u32 v, int n) { return (v << n) | (v >> (32 - n)); }

void Block(u32 h[5], const u8* p) {
    u32 w[80];
    for (int i = 0; i < 16; ++i) {
        w[i] = (static_cast<u32>(p[4 * i]) << 24) | (static_cast<u32>(p[4 * i + 1]) << 16) |
               (static_cast<u32>(p[4 * i + 2]) << 8) | p[4 * i + 3];
    }
    for (int i = 16; i < 80; ++i) w[i] = Rotl(w[i - 3] ^ w[i - 8] ^ w[i - 14] ^ w[i - 16], 1);
    u32 a = h[0], b = h[1], c = h[2], d = h[3], e = h[4];
    for (int i = 0; i < 80; ++i) {
        u32 f, k;
        if (i < 20) {
            f = (b & c) | (~b & d);
            k = 0x5A827999;
        } else if (i < 40) {
            f = b ^ c ^ d;
            k = 0x6ED9EBA1;
        } else if (i < 60) {
            f = (b & c) | (b & d) | (c & d);
            k = 0x8F1BBCDC;
        } else {
            f = b ^ c ^ d;
            k = 0xCA62C1D6;
        }
        const u32 t = Rotl(a, 5) + f + e + k + w[i];
        e = d;
        d = c;
        c = Rotl(b, 30);
        b = a;
        a = t;
    }
    h[0] += a;
    h[1] += b;
    h[2] += c;
    h[3] += d;
    h[4] += e;
}

}  // namespace

void Sha1(const void* data, u32 size, u32& h0, u32& h1, u32& h2, u32& h3, u32& h4) {
    u32 h[5] = {0x67452301, 0xEFCDAB89, 0x98BADCFE, 0x10325476, 0xC3D2E1F0};
    const u8* p = static_cast<const u8*>(data);
    if (!p) size = 0;
    u32 left = size;
    while (left >= 64) {
        Block(h, p);
        p += 64;
        left -= 64;
    }
    // The tail, the 0x80 marker and the 64-bit bit length fill one or two
    // final blocks.
    u8 tail[128] = {};
    if (left) std::memcpy(tail, p, left);
    tail[left] = 0x80;
    const u32 blocks = left < 56 ? 1 : 2;
    const u64 bits = static_cast<u64>(size) * 8;
    u8* length = tail + blocks * 64 - 8;
    for (int i = 0; i < 8; ++i) length[i] = static_cast<u8>(bits >> (56 - 8 * i));
    for (u32 i = 0; i < blocks; ++i) Block(h, tail + 64 * i);
    h0 = h[0];
    h1 = h[1];
    h2 = h[2];
    h3 = h[3];
    h4 = h[4];
}
