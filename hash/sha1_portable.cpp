#include "hash/HashDispatch.h"

namespace {

inline uint32_t LoadBE32(const uint8_t* p) {
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | uint32_t(p[3]);
}

inline uint32_t Rol(uint32_t x, int n) {
    return (x << n) | (x >> (32 - n));
}

// The first SHA and SHA-1 differ only in the one-bit rotation of the message schedule.
template <bool RotateSchedule>
inline uint32_t Scheduled(uint32_t x) {
    return RotateSchedule ? Rol(x, 1) : x;
}

#define SHA_F1(b, c, d) ((d) ^ ((b) & ((c) ^ (d))))
#define SHA_F2(b, c, d) ((b) ^ (c) ^ (d))
#define SHA_F3(b, c, d) (((b) & (c)) | ((d) & ((b) | (c))))

// The schedule rolls through sixteen words, each W[t] computed by the step that uses it: a
// separate 80-word schedule loop ahead of the steps runs several times slower.
#define SHA_LOADED(t) w[t]
#define SHA_NEXT(t)                                                                                \
    (w[(t)&15] = Scheduled<RotateSchedule>(w[((t) + 13) & 15] ^ w[((t) + 8) & 15] ^                \
                                           w[((t) + 2) & 15] ^ w[(t)&15]))
#define SHA_STEP(f, k, word, a, b, c, d, e, t)                                                     \
    e += Rol(a, 5) + f(b, c, d) + k + word(t);                                                     \
    b = Rol(b, 30)
#define SHA_FIVE(f, k, word, t)                                                                    \
    SHA_STEP(f, k, word, a, b, c, d, e, t);                                                        \
    SHA_STEP(f, k, word, e, a, b, c, d, t + 1);                                                    \
    SHA_STEP(f, k, word, d, e, a, b, c, t + 2);                                                    \
    SHA_STEP(f, k, word, c, d, e, a, b, t + 3);                                                    \
    SHA_STEP(f, k, word, b, c, d, e, a, t + 4)

template <bool RotateSchedule>
void Compress(uint32_t* state, const uint8_t* blocks, std::size_t count) {
    constexpr uint32_t K1 = 0x5A827999u, K2 = 0x6ED9EBA1u, K3 = 0x8F1BBCDCu, K4 = 0xCA62C1D6u;
    for (; count > 0; --count, blocks += 64) {
        uint32_t w[16];
        for (int t = 0; t < 16; ++t)
            w[t] = LoadBE32(blocks + 4 * t);
        uint32_t a = state[0], b = state[1], c = state[2], d = state[3], e = state[4];

        SHA_FIVE(SHA_F1, K1, SHA_LOADED, 0);
        SHA_FIVE(SHA_F1, K1, SHA_LOADED, 5);
        SHA_FIVE(SHA_F1, K1, SHA_LOADED, 10);
        SHA_STEP(SHA_F1, K1, SHA_LOADED, a, b, c, d, e, 15);
        SHA_STEP(SHA_F1, K1, SHA_NEXT, e, a, b, c, d, 16);
        SHA_STEP(SHA_F1, K1, SHA_NEXT, d, e, a, b, c, 17);
        SHA_STEP(SHA_F1, K1, SHA_NEXT, c, d, e, a, b, 18);
        SHA_STEP(SHA_F1, K1, SHA_NEXT, b, c, d, e, a, 19);
        SHA_FIVE(SHA_F2, K2, SHA_NEXT, 20);
        SHA_FIVE(SHA_F2, K2, SHA_NEXT, 25);
        SHA_FIVE(SHA_F2, K2, SHA_NEXT, 30);
        SHA_FIVE(SHA_F2, K2, SHA_NEXT, 35);
        SHA_FIVE(SHA_F3, K3, SHA_NEXT, 40);
        SHA_FIVE(SHA_F3, K3, SHA_NEXT, 45);
        SHA_FIVE(SHA_F3, K3, SHA_NEXT, 50);
        SHA_FIVE(SHA_F3, K3, SHA_NEXT, 55);
        SHA_FIVE(SHA_F2, K4, SHA_NEXT, 60);
        SHA_FIVE(SHA_F2, K4, SHA_NEXT, 65);
        SHA_FIVE(SHA_F2, K4, SHA_NEXT, 70);
        SHA_FIVE(SHA_F2, K4, SHA_NEXT, 75);

        state[0] += a;
        state[1] += b;
        state[2] += c;
        state[3] += d;
        state[4] += e;
    }
}

} // namespace

void SHA0CompressPortable(uint32_t* state, const uint8_t* blocks, std::size_t count) {
    Compress<false>(state, blocks, count);
}

void SHA1CompressPortable(uint32_t* state, const uint8_t* blocks, std::size_t count) {
    Compress<true>(state, blocks, count);
}
