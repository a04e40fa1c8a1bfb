// The message schedule runs two blocks at a time in 256-bit registers (one block per 128-bit
// lane) while the scalar rounds of the previous pair run, so the two kinds of work overlap. The
// rounds take the schedule words with the constants already added. The rounds are assembly, a
// loop of eight rounds with the next pair's schedule steps spread among them: the state needs
// eight of the sixteen registers for all 80 rounds, and compiled code either spilled it or ran
// each round about a cycle longer.

#include "hash/HashFastPaths.h"
#include "hash/SHA512Constants.h"

#include <cstddef>
#include <immintrin.h>

namespace {

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
    const __m256i k = _mm256_broadcastsi128_si256(
        _mm_load_si128(reinterpret_cast<const __m128i*>(SHA512K + 2 * j)));
    _mm256_store_si256(reinterpret_cast<__m256i*>(s.WK + 4 * j), _mm256_add_epi64(x, k));
}

// One round in AT&T syntax on named operands. Ch(e, f, g) = ((f ^ g) & e) ^ g; Majority(a, b, c)
// = b ^ ((a ^ b) & (b ^ c)), and this round's a ^ b, built in register bo, is the next round's
// b ^ c, so bi and bo swap from round to round.
#define SHA512_ROUND(a, b, c, d, e, f, g, h, bi, bo, off)                                          \
    "add " off "(%[wk]), %[" #h "]\n\t"                                                            \
    "mov %[" #f "], %[t1]\n\t"                                                                     \
    "rorx $14, %[" #e "], %[t0]\n\t"                                                               \
    "xor %[" #g "], %[t1]\n\t"                                                                     \
    "and %[" #e "], %[t1]\n\t"                                                                     \
    "xor %[" #g "], %[t1]\n\t"                                                                     \
    "add %[t1], %[" #h "]\n\t"                                                                     \
    "rorx $18, %[" #e "], %[t1]\n\t"                                                               \
    "xor %[t1], %[t0]\n\t"                                                                         \
    "rorx $41, %[" #e "], %[t1]\n\t"                                                               \
    "xor %[t1], %[t0]\n\t"                                                                         \
    "add %[t0], %[" #h "]\n\t"                                                                     \
    "add %[" #h "], %[" #d "]\n\t"                                                                 \
    "mov %[" #a "], %[" #bo "]\n\t"                                                                \
    "xor %[" #b "], %[" #bo "]\n\t"                                                                \
    "and %[" #bo "], %[" #bi "]\n\t"                                                               \
    "xor %[" #b "], %[" #bi "]\n\t"                                                                \
    "add %[" #bi "], %[" #h "]\n\t"                                                                \
    "rorx $28, %[" #a "], %[t0]\n\t"                                                               \
    "rorx $34, %[" #a "], %[t1]\n\t"                                                               \
    "xor %[t1], %[t0]\n\t"                                                                         \
    "rorx $39, %[" #a "], %[t1]\n\t"                                                               \
    "xor %[t1], %[t0]\n\t"                                                                         \
    "add %[t0], %[" #h "]\n\t"

// Small sigma 1 of the words in ymm0 into ymm1 and small sigma 0 of those in ymm0 into ymm2.
#define SHA512_SIGMA1                                                                              \
    "vpsrlq $19, %%ymm0, %%ymm1\n\t"                                                               \
    "vpsllq $45, %%ymm0, %%ymm2\n\t"                                                               \
    "vpxor %%ymm2, %%ymm1, %%ymm1\n\t"                                                             \
    "vpsrlq $61, %%ymm0, %%ymm2\n\t"                                                               \
    "vpxor %%ymm2, %%ymm1, %%ymm1\n\t"                                                             \
    "vpsllq $3, %%ymm0, %%ymm2\n\t"                                                                \
    "vpxor %%ymm2, %%ymm1, %%ymm1\n\t"                                                             \
    "vpsrlq $6, %%ymm0, %%ymm2\n\t"                                                                \
    "vpxor %%ymm2, %%ymm1, %%ymm1\n\t"
#define SHA512_SIGMA0                                                                              \
    "vpsrlq $1, %%ymm0, %%ymm2\n\t"                                                                \
    "vpsllq $63, %%ymm0, %%ymm3\n\t"                                                               \
    "vpxor %%ymm3, %%ymm2, %%ymm2\n\t"                                                             \
    "vpsrlq $8, %%ymm0, %%ymm3\n\t"                                                                \
    "vpxor %%ymm3, %%ymm2, %%ymm2\n\t"                                                             \
    "vpsllq $56, %%ymm0, %%ymm3\n\t"                                                               \
    "vpxor %%ymm3, %%ymm2, %%ymm2\n\t"                                                             \
    "vpsrlq $7, %%ymm0, %%ymm3\n\t"                                                                \
    "vpxor %%ymm3, %%ymm2, %%ymm2\n\t"

// One schedule step of the next pair in ymm0-ymm3, in four parts to spread among the rounds: at
// is the byte offset of the pair of words being made (W[j]) from ws, kat that of their constants
// from the pointer held in memory at k (no register is left for it; t0 is free between rounds).
// The words plus constants go to WK, a fixed distance beyond W.
#define SHA512_STEP_1(at) "vmovdqu " at "-32(%[ws]), %%ymm0\n\t" SHA512_SIGMA1
#define SHA512_STEP_2(at)                                                                          \
    "vmovdqu " at "-224(%[ws]), %%ymm0\n\t"                                                        \
    "vpalignr $8, " at "-256(%[ws]), %%ymm0, %%ymm0\n\t" SHA512_SIGMA0                             \
    "vpaddq %%ymm2, %%ymm1, %%ymm1\n\t"
#define SHA512_STEP_3(at)                                                                          \
    "vpaddq " at "-256(%[ws]), %%ymm1, %%ymm1\n\t"                                                 \
    "vmovdqu " at "-96(%[ws]), %%ymm0\n\t"                                                         \
    "vpalignr $8, " at "-128(%[ws]), %%ymm0, %%ymm0\n\t"                                           \
    "vpaddq %%ymm0, %%ymm1, %%ymm1\n\t"                                                            \
    "vmovdqu %%ymm1, " at "(%[ws])\n\t"
#define SHA512_STEP_4(at, kat)                                                                     \
    "mov %[k], %[t0]\n\t"                                                                          \
    "vbroadcasti128 " kat "(%[t0]), %%ymm0\n\t"                                                    \
    "vpaddq %%ymm0, %%ymm1, %%ymm1\n\t"                                                            \
    "vmovdqu %%ymm1, " at "+1280(%[ws])\n\t"

// Eight rounds at wk with s0-s7 after each; bc is back in register x after them, and the state
// names are back on their registers, so the eight rounds can loop.
#define SHA512_GROUP_WITH(s0, s1, s2, s3, s4, s5, s6, s7)                                          \
    SHA512_ROUND(a, b, c, d, e, f, g, h, x, y, "0")                                                \
    s0 SHA512_ROUND(h, a, b, c, d, e, f, g, y, x, "8") s1 SHA512_ROUND(g, h, a, b, c, d, e, f, x,  \
                                                                       y, "32") s2                 \
    SHA512_ROUND(f, g, h, a, b, c, d, e, y, x, "40") s3                                            \
    SHA512_ROUND(e, f, g, h, a, b, c, d, x, y, "64") s4                                            \
    SHA512_ROUND(d, e, f, g, h, a, b, c, y, x, "72") s5                                            \
    SHA512_ROUND(c, d, e, f, g, h, a, b, x, y, "96") s6                                            \
    SHA512_ROUND(b, c, d, e, f, g, h, a, y, x, "104") s7

#define SHA512_STATE_OPERANDS                                                                      \
    [a] "+r"(a), [b] "+r"(b), [c] "+r"(c), [d] "+r"(d), [e] "+r"(e), [f] "+r"(f), [g] "+r"(g),     \
        [h] "+r"(h), [x] "+r"(bc), [y] "=&r"(spare), [t0] "=&r"(t0), [t1] "=&r"(t1)

// The 80 rounds of one block, eight to a pass of a loop, with the state in registers throughout;
// the first StepGroups passes also make two schedule steps each of the next pair, whose first
// words are at ws and first constants at k. Unrolled, the code was far larger than the decoded-op
// cache, and its speed then depended on where the linker happened to place it.
template <int StepGroups>
__attribute__((noinline)) void Rounds(uint64_t* state, const uint64_t* wk,
                                      [[maybe_unused]] uint8_t* ws,
                                      [[maybe_unused]] const uint64_t* k) {
    static_assert(offsetof(TSchedule, WK) - offsetof(TSchedule, W) == 1280);
    uint64_t a = state[0], b = state[1], c = state[2], d = state[3];
    uint64_t e = state[4], f = state[5], g = state[6], h = state[7];
    uint64_t bc = b ^ c;
    uint64_t spare, t0, t1;
    if constexpr (StepGroups > 0) {
        const uint64_t* const stepsEnd = wk + 16 * StepGroups;
        asm(".p2align 6\n"
            "1:\n\t" SHA512_GROUP_WITH(SHA512_STEP_1("0"), SHA512_STEP_2("0"), SHA512_STEP_3("0"),
                                       SHA512_STEP_4("0", "0"), SHA512_STEP_1("32"),
                                       SHA512_STEP_2("32"), SHA512_STEP_3("32"),
                                       SHA512_STEP_4("32", "16")) "add $128, %[wk]\n\t"
                                                                  "add $64, %[ws]\n\t"
                                                                  "addq $32, %[k]\n\t"
                                                                  "cmp %[end], %[wk]\n\t"
                                                                  "jne 1b\n\t"
            : SHA512_STATE_OPERANDS, [wk] "+r"(wk), [ws] "+r"(ws), [k] "+m"(k)
            : [end] "m"(stepsEnd)
            : "xmm0", "xmm1", "xmm2", "xmm3", "memory", "cc");
    }
    if constexpr (StepGroups < 10) {
        const uint64_t* const last = wk + 16 * (10 - StepGroups);
        asm(".p2align 6\n"
            "1:\n\t" SHA512_GROUP_WITH("", "", "", "", "", "", "", "") "add $128, %[wk]\n\t"
                                                                       "cmp %[end], %[wk]\n\t"
                                                                       "jne 1b\n\t"
            : SHA512_STATE_OPERANDS, [wk] "+r"(wk)
            : [end] "m"(last)
            : "memory", "cc");
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

#undef SHA512_STATE_OPERANDS
#undef SHA512_GROUP_WITH
#undef SHA512_STEP_1
#undef SHA512_STEP_2
#undef SHA512_STEP_3
#undef SHA512_STEP_4
#undef SHA512_SIGMA1
#undef SHA512_SIGMA0
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
        // The first block's rounds carry steps 8-27 of the next schedule, the second block's the
        // rest; after a lone block the rest is done on its own.
        TSchedule* ahead = count > 0 ? next.Into : nullptr;
        if (ahead != nullptr)
            for (int j = 0; j < 8; ++j)
                ScheduleStep(next, j);
        if (ahead == nullptr) {
            Rounds<0>(state, current.WK, nullptr, nullptr);
            if (inPair == 2)
                Rounds<0>(state, current.WK + 2, nullptr, nullptr);
        } else {
            uint8_t* words = reinterpret_cast<uint8_t*>(ahead->W);
            Rounds<10>(state, current.WK, words + 32 * 8, SHA512K + 2 * 8);
            if (inPair == 2)
                Rounds<6>(state, current.WK + 2, words + 32 * 28, SHA512K + 2 * 28);
            else
                for (int j = 28; j < 40; ++j)
                    ScheduleStep(next, j);
        }
        if (count == 0)
            return;
        pair = next;
    }
}

} // namespace

void SHA512CompressAVX2(uint64_t* state, const uint8_t* blocks, std::size_t count) {
    CompressPairs(state, blocks, count);
}
