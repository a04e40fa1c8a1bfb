#include "hash/HashDispatch.h"
#include "hash/SHA512Constants.h"

namespace {

inline uint64_t LoadBE64(const uint8_t* p) {
    uint64_t v = 0;
    for (int i = 0; i < 8; ++i)
        v = v << 8 | p[i];
    return v;
}

inline uint64_t Ror(uint64_t x, int n) {
    return (x >> n) | (x << (64 - n));
}

inline uint64_t BigSigma0(uint64_t x) {
    return Ror(x, 28) ^ Ror(x, 34) ^ Ror(x, 39);
}
inline uint64_t BigSigma1(uint64_t x) {
    return Ror(x, 14) ^ Ror(x, 18) ^ Ror(x, 41);
}
inline uint64_t SmallSigma0(uint64_t x) {
    return Ror(x, 1) ^ Ror(x, 8) ^ (x >> 7);
}
inline uint64_t SmallSigma1(uint64_t x) {
    return Ror(x, 19) ^ Ror(x, 61) ^ (x >> 6);
}
inline uint64_t Choose(uint64_t e, uint64_t f, uint64_t g) {
    return g ^ (e & (f ^ g));
}
inline uint64_t Majority(uint64_t a, uint64_t b, uint64_t c) {
    return (a & b) | (c & (a | b));
}

// The schedule rolls through sixteen words, each W[t] computed by the round that uses it.
#define LOADED(t) w[t]
#define NEXT(t)                                                                                    \
    (w[(t)&15] +=                                                                                  \
     SmallSigma1(w[((t) + 14) & 15]) + w[((t) + 9) & 15] + SmallSigma0(w[((t) + 1) & 15]))
#define ROUND(word, a, b, c, d, e, f, g, h, t)                                                     \
    do {                                                                                           \
        const uint64_t t1 = h + BigSigma1(e) + Choose(e, f, g) + SHA512K[t] + word(t);             \
        d += t1;                                                                                   \
        h = t1 + BigSigma0(a) + Majority(a, b, c);                                                 \
    } while (0)
#define EIGHT(word, t)                                                                             \
    ROUND(word, a, b, c, d, e, f, g, h, (t) + 0);                                                  \
    ROUND(word, h, a, b, c, d, e, f, g, (t) + 1);                                                  \
    ROUND(word, g, h, a, b, c, d, e, f, (t) + 2);                                                  \
    ROUND(word, f, g, h, a, b, c, d, e, (t) + 3);                                                  \
    ROUND(word, e, f, g, h, a, b, c, d, (t) + 4);                                                  \
    ROUND(word, d, e, f, g, h, a, b, c, (t) + 5);                                                  \
    ROUND(word, c, d, e, f, g, h, a, b, (t) + 6);                                                  \
    ROUND(word, b, c, d, e, f, g, h, a, (t) + 7)

} // namespace

void SHA512CompressPortable(uint64_t* state, const uint8_t* blocks, std::size_t count) {
    for (; count > 0; --count, blocks += 128) {
        uint64_t w[16];
        for (int t = 0; t < 16; ++t)
            w[t] = LoadBE64(blocks + 8 * t);
        uint64_t a = state[0], b = state[1], c = state[2], d = state[3];
        uint64_t e = state[4], f = state[5], g = state[6], h = state[7];

        // Ten passes of eight written-out rounds.
        EIGHT(LOADED, 0);
        EIGHT(LOADED, 8);
        for (int t = 16; t < 80; t += 8) {
            EIGHT(NEXT, t);
        }

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
