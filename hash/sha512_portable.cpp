#include "hash/HashDispatch.h"

namespace {

constexpr uint64_t K[80] = {
    0x428A2F98D728AE22u, 0x7137449123EF65CDu, 0xB5C0FBCFEC4D3B2Fu, 0xE9B5DBA58189DBBCu,
    0x3956C25BF348B538u, 0x59F111F1B605D019u, 0x923F82A4AF194F9Bu, 0xAB1C5ED5DA6D8118u,
    0xD807AA98A3030242u, 0x12835B0145706FBEu, 0x243185BE4EE4B28Cu, 0x550C7DC3D5FFB4E2u,
    0x72BE5D74F27B896Fu, 0x80DEB1FE3B1696B1u, 0x9BDC06A725C71235u, 0xC19BF174CF692694u,
    0xE49B69C19EF14AD2u, 0xEFBE4786384F25E3u, 0x0FC19DC68B8CD5B5u, 0x240CA1CC77AC9C65u,
    0x2DE92C6F592B0275u, 0x4A7484AA6EA6E483u, 0x5CB0A9DCBD41FBD4u, 0x76F988DA831153B5u,
    0x983E5152EE66DFABu, 0xA831C66D2DB43210u, 0xB00327C898FB213Fu, 0xBF597FC7BEEF0EE4u,
    0xC6E00BF33DA88FC2u, 0xD5A79147930AA725u, 0x06CA6351E003826Fu, 0x142929670A0E6E70u,
    0x27B70A8546D22FFCu, 0x2E1B21385C26C926u, 0x4D2C6DFC5AC42AEDu, 0x53380D139D95B3DFu,
    0x650A73548BAF63DEu, 0x766A0ABB3C77B2A8u, 0x81C2C92E47EDAEE6u, 0x92722C851482353Bu,
    0xA2BFE8A14CF10364u, 0xA81A664BBC423001u, 0xC24B8B70D0F89791u, 0xC76C51A30654BE30u,
    0xD192E819D6EF5218u, 0xD69906245565A910u, 0xF40E35855771202Au, 0x106AA07032BBD1B8u,
    0x19A4C116B8D2D0C8u, 0x1E376C085141AB53u, 0x2748774CDF8EEB99u, 0x34B0BCB5E19B48A8u,
    0x391C0CB3C5C95A63u, 0x4ED8AA4AE3418ACBu, 0x5B9CCA4F7763E373u, 0x682E6FF3D6B2B8A3u,
    0x748F82EE5DEFB2FCu, 0x78A5636F43172F60u, 0x84C87814A1F0AB72u, 0x8CC702081A6439ECu,
    0x90BEFFFA23631E28u, 0xA4506CEBDE82BDE9u, 0xBEF9A3F7B2C67915u, 0xC67178F2E372532Bu,
    0xCA273ECEEA26619Cu, 0xD186B8C721C0C207u, 0xEADA7DD6CDE0EB1Eu, 0xF57D4F7FEE6ED178u,
    0x06F067AA72176FBAu, 0x0A637DC5A2C898A6u, 0x113F9804BEF90DAEu, 0x1B710B35131C471Bu,
    0x28DB77F523047D84u, 0x32CAAB7B40C72493u, 0x3C9EBE0A15C9BEBCu, 0x431D67C49C100D4Cu,
    0x4CC5D4BECB3E42B6u, 0x597F299CFC657E2Au, 0x5FCB6FAB3AD6FAECu, 0x6C44198C4A475817u};

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
        const uint64_t t1 = h + BigSigma1(e) + Choose(e, f, g) + K[t] + word(t);                   \
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
