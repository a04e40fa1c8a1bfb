#include "hash/CRCFold.h"
#include "hash/CRCFoldX86.h"

// GCC 12's AVX-512 headers fill "don't care" operands from a self-initialised variable, which
// its own flow analysis then reports at every use.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif

namespace {

inline __m512i Load512(const uint8_t* p) {
    return _mm512_loadu_si512(p);
}

inline __m512i Constants512(const uint64_t (&pair)[2]) {
    const __m512i v = _mm512_zextsi128_si512(Constants128(pair));
    return _mm512_shuffle_i64x2(v, v, 0x00);
}

// Every 128-bit lane moved forward by the distance of its constants, plus the next data.
inline __m512i Fold512(__m512i acc, __m512i k, __m512i data) {
    return _mm512_ternarylogic_epi64(_mm512_clmulepi64_epi128(acc, k, 0x00),
                                     _mm512_clmulepi64_epi128(acc, k, 0x11), data, 0x96);
}

// The four lanes folded onto the last one.
inline __m128i Narrow512(const CRCState& s, __m512i acc) {
    __m512i k = _mm512_setzero_si512();
    k = _mm512_inserti32x4(k, Constants128(s.Fold[2]), 0);
    k = _mm512_inserti32x4(k, Constants128(s.Fold[1]), 1);
    k = _mm512_inserti32x4(k, Constants128(s.Fold[0]), 2);
    const __m512i t = Fold512(acc, k, _mm512_maskz_mov_epi64(0xC0, acc));
    const __m512i halves = _mm512_xor_si512(t, _mm512_shuffle_i64x2(t, t, 0x4E));
    return _mm512_castsi512_si128(
        _mm512_xor_si512(halves, _mm512_shuffle_i64x2(halves, halves, 0xB1)));
}

} // namespace

// Four 64-byte accumulators; each 512-bit multiply folds four lanes at once.
uint32_t CRCFoldVpclmul(const CRCState& state, uint32_t reg, const uint8_t* data, size_t count) {
    const uint8_t* p = data;
    const __m128i first = _mm_cvtsi32_si128(static_cast<int>(reg));
    if (count < 64)
        return FinishBlocks(state, _mm_xor_si128(Load128(p), first), p + 16, count - 16);

    __m512i acc;
    if (count >= 256) {
        __m512i a0 = _mm512_xor_si512(Load512(p), _mm512_zextsi128_si512(first));
        __m512i a1 = Load512(p + 64);
        __m512i a2 = Load512(p + 128);
        __m512i a3 = Load512(p + 192);
        p += 256;
        count -= 256;
        const __m512i k16 = Constants512(state.Fold[15]);
        for (; count >= 256; p += 256, count -= 256) {
            a0 = Fold512(a0, k16, Load512(p));
            a1 = Fold512(a1, k16, Load512(p + 64));
            a2 = Fold512(a2, k16, Load512(p + 128));
            a3 = Fold512(a3, k16, Load512(p + 192));
        }
        acc = Fold512(a2, Constants512(state.Fold[3]),
                      Fold512(a1, Constants512(state.Fold[7]),
                              Fold512(a0, Constants512(state.Fold[11]), a3)));
    } else {
        acc = _mm512_xor_si512(Load512(p), _mm512_zextsi128_si512(first));
        p += 64;
        count -= 64;
    }

    const __m512i k4 = Constants512(state.Fold[3]);
    for (; count >= 64; p += 64, count -= 64)
        acc = Fold512(acc, k4, Load512(p));
    return FinishBlocks(state, Narrow512(state, acc), p, count);
}
