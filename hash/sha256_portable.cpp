#include "hash/HashDispatch.h"

namespace {

inline uint32_t LoadBE32(const uint8_t* p) {
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | uint32_t(p[3]);
}

inline uint32_t Ror(uint32_t x, int n) {
    return (x >> n) | (x << (32 - n));
}

inline uint32_t BigSigma0(uint32_t x) {
    return Ror(x, 2) ^ Ror(x, 13) ^ Ror(x, 22);
}
inline uint32_t BigSigma1(uint32_t x) {
    return Ror(x, 6) ^ Ror(x, 11) ^ Ror(x, 25);
}
inline uint32_t SmallSigma0(uint32_t x) {
    return Ror(x, 7) ^ Ror(x, 18) ^ (x >> 3);
}
inline uint32_t SmallSigma1(uint32_t x) {
    return Ror(x, 17) ^ Ror(x, 19) ^ (x >> 10);
}
inline uint32_t Choose(uint32_t e, uint32_t f, uint32_t g) {
    return g ^ (e & (f ^ g));
}
inline uint32_t Majority(uint32_t a, uint32_t b, uint32_t c) {
    return (a & b) | (c & (a | b));
}

// Sixteen-word rolling schedule: W[t] for t >= 16 overwrites W[t - 16].
#define SCHEDULE(t)                                                                                \
    (w[(t)&15] += SmallSigma1(w[((t)-2) & 15]) + w[((t)-7) & 15] + SmallSigma0(w[((t)-15) & 15]))
#define ROUND(a, b, c, d, e, f, g, h, k, word)                                                     \
    do {                                                                                           \
        const uint32_t t1 = h + BigSigma1(e) + Choose(e, f, g) + k + (word);                       \
        d += t1;                                                                                   \
        h = t1 + BigSigma0(a) + Majority(a, b, c);                                                 \
    } while (0)
#define EIGHT_FIRST(t, k0, k1, k2, k3, k4, k5, k6, k7)                                             \
    ROUND(a, b, c, d, e, f, g, h, k0, w[(t) + 0]);                                                 \
    ROUND(h, a, b, c, d, e, f, g, k1, w[(t) + 1]);                                                 \
    ROUND(g, h, a, b, c, d, e, f, k2, w[(t) + 2]);                                                 \
    ROUND(f, g, h, a, b, c, d, e, k3, w[(t) + 3]);                                                 \
    ROUND(e, f, g, h, a, b, c, d, k4, w[(t) + 4]);                                                 \
    ROUND(d, e, f, g, h, a, b, c, k5, w[(t) + 5]);                                                 \
    ROUND(c, d, e, f, g, h, a, b, k6, w[(t) + 6]);                                                 \
    ROUND(b, c, d, e, f, g, h, a, k7, w[(t) + 7])
#define EIGHT_LATER(t, k0, k1, k2, k3, k4, k5, k6, k7)                                             \
    ROUND(a, b, c, d, e, f, g, h, k0, SCHEDULE((t) + 0));                                          \
    ROUND(h, a, b, c, d, e, f, g, k1, SCHEDULE((t) + 1));                                          \
    ROUND(g, h, a, b, c, d, e, f, k2, SCHEDULE((t) + 2));                                          \
    ROUND(f, g, h, a, b, c, d, e, k3, SCHEDULE((t) + 3));                                          \
    ROUND(e, f, g, h, a, b, c, d, k4, SCHEDULE((t) + 4));                                          \
    ROUND(d, e, f, g, h, a, b, c, k5, SCHEDULE((t) + 5));                                          \
    ROUND(c, d, e, f, g, h, a, b, k6, SCHEDULE((t) + 6));                                          \
    ROUND(b, c, d, e, f, g, h, a, k7, SCHEDULE((t) + 7))

} // namespace

void SHA256CompressPortable(uint32_t* state, const uint8_t* blocks, std::size_t count) {
    for (; count > 0; --count, blocks += 64) {
        uint32_t w[16];
        for (int t = 0; t < 16; ++t)
            w[t] = LoadBE32(blocks + 4 * t);
        uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
        uint32_t e = state[4], f = state[5], g = state[6], h = state[7];

        EIGHT_FIRST(0, 0x428A2F98u, 0x71374491u, 0xB5C0FBCFu, 0xE9B5DBA5u, 0x3956C25Bu, 0x59F111F1u,
                    0x923F82A4u, 0xAB1C5ED5u);
        EIGHT_FIRST(8, 0xD807AA98u, 0x12835B01u, 0x243185BEu, 0x550C7DC3u, 0x72BE5D74u, 0x80DEB1FEu,
                    0x9BDC06A7u, 0xC19BF174u);
        EIGHT_LATER(16, 0xE49B69C1u, 0xEFBE4786u, 0x0FC19DC6u, 0x240CA1CCu, 0x2DE92C6Fu,
                    0x4A7484AAu, 0x5CB0A9DCu, 0x76F988DAu);
        EIGHT_LATER(24, 0x983E5152u, 0xA831C66Du, 0xB00327C8u, 0xBF597FC7u, 0xC6E00BF3u,
                    0xD5A79147u, 0x06CA6351u, 0x14292967u);
        EIGHT_LATER(32, 0x27B70A85u, 0x2E1B2138u, 0x4D2C6DFCu, 0x53380D13u, 0x650A7354u,
                    0x766A0ABBu, 0x81C2C92Eu, 0x92722C85u);
        EIGHT_LATER(40, 0xA2BFE8A1u, 0xA81A664Bu, 0xC24B8B70u, 0xC76C51A3u, 0xD192E819u,
                    0xD6990624u, 0xF40E3585u, 0x106AA070u);
        EIGHT_LATER(48, 0x19A4C116u, 0x1E376C08u, 0x2748774Cu, 0x34B0BCB5u, 0x391C0CB3u,
                    0x4ED8AA4Au, 0x5B9CCA4Fu, 0x682E6FF3u);
        EIGHT_LATER(56, 0x748F82EEu, 0x78A5636Fu, 0x84C87814u, 0x8CC70208u, 0x90BEFFFAu,
                    0xA4506CEBu, 0xBEF9A3F7u, 0xC67178F2u);

        state[0] += a;
        state[1] += b;
        state[2] += c;
        state[3] += d;
        state[4] += e;
        state[5] += f;
        state[6] += g;
        state[7] += h;
    }
}
