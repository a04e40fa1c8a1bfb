// The message schedule runs two blocks at a time in 256-bit registers (one block per 128-bit
// lane) while the scalar rounds of the previous pair run, so the two kinds of work overlap. The
// rounds take the schedule words with the constants already added.

#include "hash/HashFastPaths.h"

#include <immintrin.h>

namespace {

alignas(16) constexpr uint64_t K[80] = {
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

template <int N>
inline __m256i Ror(__m256i x) {
    return _mm256_or_si256(_mm256_srli_epi64(x, N), _mm256_slli_epi64(x, 64 - N));
}
inline __m256i SmallSigma0(__m256i x) {
    return _mm256_xor_si256(_mm256_xor_si256(Ror<1>(x), Ror<8>(x)), _mm256_srli_epi64(x, 7));
}
inline __m256i SmallSigma1(__m256i x) {
    return _mm256_xor_si256(_mm256_xor_si256(Ror<19>(x), Ror<61>(x)), _mm256_srli_epi64(x, 6));
}

// Two blocks' schedules: W[j] holds words 2j and 2j + 1 of the first block in its low lane and of
// the second in its high lane; WK the same plus the constants, as the rounds read them:
// WK[4 * (t / 2) + t % 2] for the first block, two further on for the second.
struct TSchedule {
    alignas(32) __m256i W[40];
    alignas(32) uint64_t WK[160];
};

struct TSchedulePair {
    const uint8_t* First;
    const uint8_t* Second;
    TSchedule* Into;
};

inline void ScheduleStep(const TSchedulePair& pair, int j) {
    TSchedule& s = *pair.Into;
    __m256i x;
    if (j < 8) {
        const __m256i order = _mm256_set_epi64x(0x08090A0B0C0D0E0FLL, 0x0001020304050607LL,
                                                0x08090A0B0C0D0E0FLL, 0x0001020304050607LL);
        x = _mm256_shuffle_epi8(
            _mm256_set_m128i(
                _mm_loadu_si128(reinterpret_cast<const __m128i*>(pair.Second + 16 * j)),
                _mm_loadu_si128(reinterpret_cast<const __m128i*>(pair.First + 16 * j))),
            order);
    } else {
        const __m256i w7 = _mm256_alignr_epi8(s.W[j - 3], s.W[j - 4], 8);
        const __m256i w15 = _mm256_alignr_epi8(s.W[j - 7], s.W[j - 8], 8);
        x = _mm256_add_epi64(_mm256_add_epi64(s.W[j - 8], SmallSigma1(s.W[j - 1])),
                             _mm256_add_epi64(w7, SmallSigma0(w15)));
    }
    s.W[j] = x;
    const __m256i k =
        _mm256_broadcastsi128_si256(_mm_load_si128(reinterpret_cast<const __m128i*>(K + 2 * j)));
    _mm256_store_si256(reinterpret_cast<__m256i*>(s.WK + 4 * j), _mm256_add_epi64(x, k));
}

inline uint64_t Rotr(uint64_t x, int n) {
    return (x >> n) | (x << (64 - n));
}

// Majority(a, b, c) = b ^ ((a ^ b) & (b ^ c)), and this round's a ^ b is the next one's b ^ c.
#define SHA512_ROUND(a, b, c, d, e, f, g, h, i)                                                    \
    do {                                                                                           \
        const uint64_t t1 = h + wk8[4 * ((i) / 2) + (i) % 2] + (g ^ (e & (f ^ g))) +               \
                            (Rotr(e, 14) ^ Rotr(e, 18) ^ Rotr(e, 41));                             \
        d += t1;                                                                                   \
        const uint64_t ab = a ^ b;                                                                 \
        h = t1 + (b ^ (ab & bc)) + (Rotr(a, 28) ^ Rotr(a, 34) ^ Rotr(a, 39));                      \
        bc = ab;                                                                                   \
    } while (0)

// The rounds of one block; with a next pair, two of its schedule steps after each eight rounds,
// from firstStep on.
inline void Rounds(uint64_t* state, const uint64_t* wk, const TSchedulePair* next, int firstStep) {
    uint64_t a = state[0], b = state[1], c = state[2], d = state[3];
    uint64_t e = state[4], f = state[5], g = state[6], h = state[7];
    uint64_t bc = b ^ c;
    for (int t = 0; t < 80; t += 8) {
        const uint64_t* wk8 = wk + 2 * t;
        SHA512_ROUND(a, b, c, d, e, f, g, h, 0);
        SHA512_ROUND(h, a, b, c, d, e, f, g, 1);
        SHA512_ROUND(g, h, a, b, c, d, e, f, 2);
        SHA512_ROUND(f, g, h, a, b, c, d, e, 3);
        SHA512_ROUND(e, f, g, h, a, b, c, d, 4);
        SHA512_ROUND(d, e, f, g, h, a, b, c, 5);
        SHA512_ROUND(c, d, e, f, g, h, a, b, 6);
        SHA512_ROUND(b, c, d, e, f, g, h, a, 7);
        if (next != nullptr) {
            ScheduleStep(*next, firstStep + t / 4);
            ScheduleStep(*next, firstStep + t / 4 + 1);
        }
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

#undef SHA512_ROUND

inline void CompressPairs(uint64_t* state, const uint8_t* blocks, std::size_t count) {
    if (count == 0)
        return;
    TSchedule schedules[2];
    // A lone last block is scheduled in both lanes; the second copy is not used.
    TSchedulePair pair{blocks, count >= 2 ? blocks + 128 : blocks, &schedules[0]};
    for (int j = 0; j < 40; ++j)
        ScheduleStep(pair, j);
    for (;;) {
        const TSchedule& current = *pair.Into;
        const std::size_t inPair = count >= 2 ? 2 : 1;
        count -= inPair;
        blocks += 128 * inPair;
        const TSchedulePair next{blocks, count >= 2 ? blocks + 128 : blocks,
                                 pair.Into == &schedules[0] ? &schedules[1] : &schedules[0]};
        // The second block's rounds carry the later half of the next schedule; a lone block
        // carries all of it.
        const TSchedulePair* ahead = count > 0 ? &next : nullptr;
        Rounds(state, current.WK, ahead, 0);
        if (inPair == 2)
            Rounds(state, current.WK + 2, ahead, 20);
        else if (ahead != nullptr)
            for (int j = 20; j < 40; ++j)
                ScheduleStep(next, j);
        if (count == 0)
            return;
        pair = next;
    }
}

} // namespace

void SHA512CompressAVX2(uint64_t* state, const uint8_t* blocks, std::size_t count) {
    CompressPairs(state, blocks, count);
}
