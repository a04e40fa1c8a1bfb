#include "hash/HashDispatch.h"

namespace {

inline uint32_t LoadBE32(const uint8_t* p) {
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | uint32_t(p[3]);
}

inline uint32_t Rol(uint32_t x, int n) {
    return (x << n) | (x >> (32 - n));
}

#define SHA_F1(b, c, d) ((d) ^ ((b) & ((c) ^ (d))))
#define SHA_F2(b, c, d) ((b) ^ (c) ^ (d))
#define SHA_F3(b, c, d) (((b) & (c)) | ((d) & ((b) | (c))))
#define SHA_STEP(f, k, a, b, c, d, e, t)                                                           \
    e += Rol(a, 5) + f(b, c, d) + k + w[t];                                                        \
    b = Rol(b, 30)
#define SHA_FIVE(f, k, t)                                                                          \
    SHA_STEP(f, k, a, b, c, d, e, t);                                                              \
    SHA_STEP(f, k, e, a, b, c, d, t + 1);                                                          \
    SHA_STEP(f, k, d, e, a, b, c, t + 2);                                                          \
    SHA_STEP(f, k, c, d, e, a, b, t + 3);                                                          \
    SHA_STEP(f, k, b, c, d, e, a, t + 4)

// The first SHA and SHA-1 differ only in the one-bit rotation of the message schedule.
template <bool RotateSchedule>
void Compress(uint32_t* state, const uint8_t* blocks, std::size_t count) {
    for (; count > 0; --count, blocks += 64) {
        uint32_t w[80];
        for (int t = 0; t < 16; ++t)
            w[t] = LoadBE32(blocks + 4 * t);
        for (int t = 16; t < 80; ++t) {
            const uint32_t x = w[t - 3] ^ w[t - 8] ^ w[t - 14] ^ w[t - 16];
            w[t] = RotateSchedule ? Rol(x, 1) : x;
        }
        uint32_t a = state[0], b = state[1], c = state[2], d = state[3], e = state[4];

        SHA_FIVE(SHA_F1, 0x5A827999u, 0);
        SHA_FIVE(SHA_F1, 0x5A827999u, 5);
        SHA_FIVE(SHA_F1, 0x5A827999u, 10);
        SHA_FIVE(SHA_F1, 0x5A827999u, 15);
        SHA_FIVE(SHA_F2, 0x6ED9EBA1u, 20);
        SHA_FIVE(SHA_F2, 0x6ED9EBA1u, 25);
        SHA_FIVE(SHA_F2, 0x6ED9EBA1u, 30);
        SHA_FIVE(SHA_F2, 0x6ED9EBA1u, 35);
        SHA_FIVE(SHA_F3, 0x8F1BBCDCu, 40);
        SHA_FIVE(SHA_F3, 0x8F1BBCDCu, 45);
        SHA_FIVE(SHA_F3, 0x8F1BBCDCu, 50);
        SHA_FIVE(SHA_F3, 0x8F1BBCDCu, 55);
        SHA_FIVE(SHA_F2, 0xCA62C1D6u, 60);
        SHA_FIVE(SHA_F2, 0xCA62C1D6u, 65);
        SHA_FIVE(SHA_F2, 0xCA62C1D6u, 70);
        SHA_FIVE(SHA_F2, 0xCA62C1D6u, 75);

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
