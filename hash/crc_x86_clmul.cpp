#include "hash/CRCFold.h"
#include "hash/CRCFoldX86.h"

// Eight independent 16-byte lanes hide the multiplier's latency.
uint32_t CRCFoldClmul(const CRCState& state, uint32_t reg, const uint8_t* data, size_t count) {
    const uint8_t* p = data;
    if (count < 128) {
        const __m128i acc = _mm_xor_si128(Load128(p), _mm_cvtsi32_si128(static_cast<int>(reg)));
        return FinishBlocks(state, acc, p + 16, count - 16);
    }

    __m128i a[8];
    for (int i = 0; i < 8; ++i)
        a[i] = Load128(p + 16 * i);
    a[0] = _mm_xor_si128(a[0], _mm_cvtsi32_si128(static_cast<int>(reg)));
    p += 128;
    count -= 128;

    const __m128i k8 = Constants128(state.Fold[7]);
    for (; count >= 128; p += 128, count -= 128) {
        for (int i = 0; i < 8; ++i)
            a[i] = _mm_xor_si128(Fold128(a[i], k8), Load128(p + 16 * i));
    }

    // Lane i lies 7 - i blocks before the last one.
    __m128i acc = a[7];
    for (int i = 0; i < 7; ++i)
        acc = _mm_xor_si128(acc, Fold128(a[i], Constants128(state.Fold[6 - i])));
    return FinishBlocks(state, acc, p, count);
}
