#pragma once

// 128-bit folding steps shared by the x86 kernels. Included only by files compiled for SSE4.1 and
// PCLMULQDQ; each includer gets its own copy built with its own instruction set.
//
// A 16-byte block in memory is a polynomial whose first bit has the highest degree; its low
// quadword holds the higher half. Multiplying a quadword by a bit-reversed 32-bit constant c with
// PCLMULQDQ yields the product times x^33, hence the constants x^(distance-33) modulo P.

#include "hash/CRC.h"

#include <cstddef>
#include <cstdint>
#include <immintrin.h>

namespace {

inline __m128i Load128(const uint8_t* p) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

inline __m128i Constants128(const uint64_t (&pair)[2]) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(pair));
}

// The block moved forward by the distance whose constants k holds.
inline __m128i Fold128(__m128i acc, __m128i k) {
    return _mm_xor_si128(_mm_clmulepi64_si128(acc, k, 0x00), _mm_clmulepi64_si128(acc, k, 0x11));
}

// The register after the message whose last 16 bytes acc holds (everything before them folded in).
inline uint32_t Reduce128(const CRCState& s, __m128i acc) {
    const __m128i low32 = _mm_setr_epi32(-1, 0, 0, 0);
    const __m128i reduce = Constants128(s.Reduce);
    const __m128i barrett = Constants128(s.Barrett);
    // 128 -> 96 bits: the high half times x^96.
    acc = _mm_xor_si128(_mm_srli_si128(acc, 8), _mm_clmulepi64_si128(acc, reduce, 0x00));
    // 96 -> 64 bits: the top 32 bits times x^64.
    acc = _mm_xor_si128(_mm_srli_si128(acc, 4),
                        _mm_clmulepi64_si128(_mm_and_si128(acc, low32), reduce, 0x10));
    // Barrett: quotient of the top 32 bits, then the remainder in bits 32..63.
    __m128i t = _mm_clmulepi64_si128(_mm_and_si128(acc, low32), barrett, 0x00);
    t = _mm_clmulepi64_si128(_mm_and_si128(t, low32), barrett, 0x10);
    return static_cast<uint32_t>(_mm_extract_epi32(_mm_xor_si128(acc, t), 1));
}

// Folds the remaining whole blocks into acc one at a time, then reduces.
inline uint32_t FinishBlocks(const CRCState& s, __m128i acc, const uint8_t* p, size_t count) {
    const __m128i k1 = Constants128(s.Fold[0]);
    for (; count >= 16; p += 16, count -= 16)
        acc = _mm_xor_si128(Fold128(acc, k1), Load128(p));
    return Reduce128(s, acc);
}

} // namespace
