#include "hash/HashFastPaths.h"

#include <immintrin.h>

namespace {

inline __m128i LoadSwapped(const uint8_t* p, __m128i order) {
    return _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), order);
}

} // namespace

// Message words are kept in four registers, M[g % 4] holding words 4g..4g+3 of the schedule;
// each is extended a few groups ahead of its use so the schedule instructions overlap the rounds.
// The loops are unrolled completely, so every index is a constant and M stays in registers.

void SHA1CompressSHANI(uint32_t* state, const uint8_t* blocks, std::size_t count) {
    const __m128i order = _mm_set_epi64x(0x0001020304050607LL, 0x08090A0B0C0D0E0FLL);
    __m128i abcd =
        _mm_shuffle_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(state)), 0x1B);
    __m128i e0 = _mm_set_epi32(static_cast<int>(state[4]), 0, 0, 0);
    for (; count > 0; --count, blocks += 64) {
        const __m128i abcdSaved = abcd;
        const __m128i eSaved = e0;
        __m128i m[4];
        __m128i e[2] = {e0, _mm_setzero_si128()};
#pragma GCC unroll 20
        for (int g = 0; g < 20; ++g) {
            if (g < 4)
                m[g] = LoadSwapped(blocks + 16 * g, order);
            e[g % 2] = g == 0 ? _mm_add_epi32(e[0], m[0]) : _mm_sha1nexte_epu32(e[g % 2], m[g % 4]);
            e[(g + 1) % 2] = abcd;
            if (g >= 3 && g <= 18)
                m[(g + 1) % 4] = _mm_sha1msg2_epu32(m[(g + 1) % 4], m[g % 4]);
            switch (g / 5) {
            case 0:
                abcd = _mm_sha1rnds4_epu32(abcd, e[g % 2], 0);
                break;
            case 1:
                abcd = _mm_sha1rnds4_epu32(abcd, e[g % 2], 1);
                break;
            case 2:
                abcd = _mm_sha1rnds4_epu32(abcd, e[g % 2], 2);
                break;
            default:
                abcd = _mm_sha1rnds4_epu32(abcd, e[g % 2], 3);
                break;
            }
            if (g >= 1 && g <= 16)
                m[(g - 1) % 4] = _mm_sha1msg1_epu32(m[(g - 1) % 4], m[g % 4]);
            if (g >= 2 && g <= 17)
                m[(g - 2) % 4] = _mm_xor_si128(m[(g - 2) % 4], m[g % 4]);
        }
        e0 = _mm_sha1nexte_epu32(e[0], eSaved);
        abcd = _mm_add_epi32(abcd, abcdSaved);
    }
    _mm_storeu_si128(reinterpret_cast<__m128i*>(state), _mm_shuffle_epi32(abcd, 0x1B));
    state[4] = static_cast<uint32_t>(_mm_extract_epi32(e0, 3));
}

namespace {

alignas(16) constexpr uint32_t K256[64] = {
    0x428A2F98u, 0x71374491u, 0xB5C0FBCFu, 0xE9B5DBA5u, 0x3956C25Bu, 0x59F111F1u, 0x923F82A4u,
    0xAB1C5ED5u, 0xD807AA98u, 0x12835B01u, 0x243185BEu, 0x550C7DC3u, 0x72BE5D74u, 0x80DEB1FEu,
    0x9BDC06A7u, 0xC19BF174u, 0xE49B69C1u, 0xEFBE4786u, 0x0FC19DC6u, 0x240CA1CCu, 0x2DE92C6Fu,
    0x4A7484AAu, 0x5CB0A9DCu, 0x76F988DAu, 0x983E5152u, 0xA831C66Du, 0xB00327C8u, 0xBF597FC7u,
    0xC6E00BF3u, 0xD5A79147u, 0x06CA6351u, 0x14292967u, 0x27B70A85u, 0x2E1B2138u, 0x4D2C6DFCu,
    0x53380D13u, 0x650A7354u, 0x766A0ABBu, 0x81C2C92Eu, 0x92722C85u, 0xA2BFE8A1u, 0xA81A664Bu,
    0xC24B8B70u, 0xC76C51A3u, 0xD192E819u, 0xD6990624u, 0xF40E3585u, 0x106AA070u, 0x19A4C116u,
    0x1E376C08u, 0x2748774Cu, 0x34B0BCB5u, 0x391C0CB3u, 0x4ED8AA4Au, 0x5B9CCA4Fu, 0x682E6FF3u,
    0x748F82EEu, 0x78A5636Fu, 0x84C87814u, 0x8CC70208u, 0x90BEFFFAu, 0xA4506CEBu, 0xBEF9A3F7u,
    0xC67178F2u};

} // namespace

void SHA256CompressSHANI(uint32_t* state, const uint8_t* blocks, std::size_t count) {
    const __m128i order = _mm_set_epi64x(0x0C0D0E0F08090A0BLL, 0x0405060700010203LL);
    // The round instructions want the state as ABEF and CDGH.
    const __m128i abcd =
        _mm_shuffle_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(state)), 0xB1);
    const __m128i efgh =
        _mm_shuffle_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(state + 4)), 0x1B);
    __m128i abef = _mm_alignr_epi8(abcd, efgh, 8);
    __m128i cdgh = _mm_blend_epi16(efgh, abcd, 0xF0);
    for (; count > 0; --count, blocks += 64) {
        const __m128i abefSaved = abef;
        const __m128i cdghSaved = cdgh;
        __m128i m[4];
#pragma GCC unroll 16
        for (int g = 0; g < 16; ++g) {
            if (g < 4)
                m[g] = LoadSwapped(blocks + 16 * g, order);
            __m128i wk = _mm_add_epi32(
                m[g % 4], _mm_load_si128(reinterpret_cast<const __m128i*>(K256 + 4 * g)));
            cdgh = _mm_sha256rnds2_epu32(cdgh, abef, wk);
            if (g >= 3 && g <= 14) {
                const __m128i next =
                    _mm_add_epi32(m[(g + 1) % 4], _mm_alignr_epi8(m[g % 4], m[(g + 3) % 4], 4));
                m[(g + 1) % 4] = _mm_sha256msg2_epu32(next, m[g % 4]);
            }
            abef = _mm_sha256rnds2_epu32(abef, cdgh, _mm_shuffle_epi32(wk, 0x0E));
            if (g >= 1 && g <= 12)
                m[(g - 1) % 4] = _mm_sha256msg1_epu32(m[(g - 1) % 4], m[g % 4]);
        }
        abef = _mm_add_epi32(abef, abefSaved);
        cdgh = _mm_add_epi32(cdgh, cdghSaved);
    }
    const __m128i feba = _mm_shuffle_epi32(abef, 0x1B);
    const __m128i dchg = _mm_shuffle_epi32(cdgh, 0xB1);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(state), _mm_blend_epi16(feba, dchg, 0xF0));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(state + 4), _mm_alignr_epi8(dchg, feba, 8));
}
