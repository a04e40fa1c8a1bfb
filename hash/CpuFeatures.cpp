#include "hash/CpuFeatures.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#define CORVANTH_X86_GCC 1
#elif defined(_M_X64) || defined(_M_IX86)
#include <immintrin.h>
#include <intrin.h>
#define CORVANTH_X86_MSVC 1
#endif

namespace {

struct TCpuidRegs {
    uint32_t EAX = 0, EBX = 0, ECX = 0, EDX = 0;
};

#if defined(CORVANTH_X86_GCC)
TCpuidRegs Cpuid(uint32_t leaf, uint32_t subleaf) {
    TCpuidRegs r;
    if (!__get_cpuid_count(leaf, subleaf, &r.EAX, &r.EBX, &r.ECX, &r.EDX))
        return TCpuidRegs{};
    return r;
}

// Only called once the CPU reports OSXSAVE, so the instruction exists.
uint64_t Xgetbv0() {
    uint32_t lo = 0, hi = 0;
    __asm__ volatile("xgetbv" : "=a"(lo), "=d"(hi) : "c"(0));
    return (static_cast<uint64_t>(hi) << 32) | lo;
}
#elif defined(CORVANTH_X86_MSVC)
TCpuidRegs Cpuid(uint32_t leaf, uint32_t subleaf) {
    int max[4];
    __cpuidex(max, static_cast<int>(leaf & 0x80000000u), 0);
    if (static_cast<uint32_t>(max[0]) < leaf)
        return TCpuidRegs{};
    int v[4];
    __cpuidex(v, static_cast<int>(leaf), static_cast<int>(subleaf));
    return {static_cast<uint32_t>(v[0]), static_cast<uint32_t>(v[1]), static_cast<uint32_t>(v[2]),
            static_cast<uint32_t>(v[3])};
}

uint64_t Xgetbv0() {
    return _xgetbv(0);
}
#endif

bool Bit(uint32_t value, int bit) {
    return (value >> bit) & 1u;
}

TCpuFeatures Detect() {
    TCpuFeatures f{};
#if defined(CORVANTH_X86_GCC) || defined(CORVANTH_X86_MSVC)
    const TCpuidRegs l1 = Cpuid(1, 0);
    const TCpuidRegs l7 = Cpuid(7, 0);

    // The vector registers are usable only when the OS saves them on a context switch.
    uint64_t xcr0 = 0;
    if (Bit(l1.ECX, 27))
        xcr0 = Xgetbv0();
    const bool osYmm = (xcr0 & 0x06) == 0x06;
    const bool osZmm = osYmm && (xcr0 & 0xE0) == 0xE0;

    f.SSE41 = Bit(l1.ECX, 19);
    f.SSSE3 = Bit(l1.ECX, 9);
    f.PCLMUL = Bit(l1.ECX, 1);
    f.SHA = Bit(l7.EBX, 29);
    f.BMI2 = Bit(l7.EBX, 3) && Bit(l7.EBX, 8);
    f.AVX2 = osYmm && Bit(l1.ECX, 28) && Bit(l7.EBX, 5);
    f.VPCLMUL = osYmm && Bit(l1.ECX, 28) && Bit(l7.ECX, 10);
    f.AVX512 = osZmm && Bit(l7.EBX, 16) && Bit(l7.EBX, 17) && Bit(l7.EBX, 30) && Bit(l7.EBX, 31);
#endif
    return f;
}

} // namespace

bool PortableRequested(const char* value) {
    return value != nullptr && value[0] != '\0' && std::strcmp(value, "0") != 0;
}

const TCpuFeatures& CpuFeatures() {
    static const TCpuFeatures features =
        PortableRequested(std::getenv("CORVANTH_PORTABLE")) ? TCpuFeatures{} : Detect();
    return features;
}
