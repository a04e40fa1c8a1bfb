#include "hash/HashDispatch.h"

#include "hash/CpuFeatures.h"
#include "hash/HashFastPaths.h"

#include <vector>

namespace {

// Every implementation per algorithm, in order of preference; a fast path goes before the
// portable one together with the test of the CPU feature it needs.
#ifdef CORVANTH_X86_FAST_PATHS
bool HasSHANI() {
    const TCpuFeatures& f = CpuFeatures();
    return f.SHA && f.SSSE3 && f.SSE41;
}
bool HasAVX2BMI2() {
    return CpuFeatures().AVX2 && CpuFeatures().BMI2;
}
bool HasBMI2() {
    return CpuFeatures().BMI2;
}

constexpr TCompressPath32 AllMD5[] = {{"bmi2", MD5CompressBMI2, HasBMI2},
                                      {"portable", MD5CompressPortable, nullptr}};
constexpr TCompressPath32 AllSHA1[] = {{"shani", SHA1CompressSHANI, HasSHANI},
                                       {"portable", SHA1CompressPortable, nullptr}};
constexpr TCompressPath32 AllSHA256[] = {{"shani", SHA256CompressSHANI, HasSHANI},
                                         {"portable", SHA256CompressPortable, nullptr}};
constexpr TCompressPath64 AllSHA512[] = {{"avx2", SHA512CompressAVX2, HasAVX2BMI2},
                                         {"portable", SHA512CompressPortable, nullptr}};
#else
constexpr TCompressPath32 AllMD5[] = {{"portable", MD5CompressPortable, nullptr}};
constexpr TCompressPath32 AllSHA1[] = {{"portable", SHA1CompressPortable, nullptr}};
constexpr TCompressPath32 AllSHA256[] = {{"portable", SHA256CompressPortable, nullptr}};
constexpr TCompressPath64 AllSHA512[] = {{"portable", SHA512CompressPortable, nullptr}};
#endif

template <class Path, std::size_t N>
std::vector<Path> UsablePaths(const Path (&all)[N]) {
    std::vector<Path> usable;
    for (const Path& path : all)
        if (path.Usable == nullptr || path.Usable())
            usable.push_back(path);
    return usable;
}

struct TPathTables {
    std::vector<TCompressPath32> MD5 = UsablePaths(AllMD5);
    std::vector<TCompressPath32> SHA1 = UsablePaths(AllSHA1);
    std::vector<TCompressPath32> SHA256 = UsablePaths(AllSHA256);
    std::vector<TCompressPath64> SHA512 = UsablePaths(AllSHA512);
};

const TPathTables& Tables() {
    static const TPathTables tables;
    return tables;
}

struct TChosen {
    TCompress32 Chosen32[4]; // indexed by TCompressAlgorithm; SHA-512's slot stays empty
    TCompress64 ChosenSHA512;
};

const TChosen& Chosen() {
    static const TChosen chosen{{Tables().MD5.front().Compress, Tables().SHA1.front().Compress,
                                 Tables().SHA256.front().Compress, nullptr},
                                Tables().SHA512.front().Compress};
    return chosen;
}

thread_local TCompress32 Override32[4] = {};
thread_local TCompress64 OverrideSHA512 = nullptr;

std::size_t Index32(TCompressAlgorithm algorithm) {
    return static_cast<std::size_t>(algorithm);
}

} // namespace

std::span<const TCompressPath32> CompressPaths32(TCompressAlgorithm algorithm) {
    switch (algorithm) {
    case TCompressAlgorithm::MD5:
        return Tables().MD5;
    case TCompressAlgorithm::SHA1:
        return Tables().SHA1;
    case TCompressAlgorithm::SHA256:
        return Tables().SHA256;
    case TCompressAlgorithm::SHA512:
        break;
    }
    return {};
}

std::span<const TCompressPath64> CompressPathsSHA512() {
    return Tables().SHA512;
}

TCompress32 ActiveCompress32(TCompressAlgorithm algorithm) {
    const std::size_t i = Index32(algorithm);
    if (TCompress32 chosen = Override32[i])
        return chosen;
    return Chosen().Chosen32[i];
}

TCompress64 ActiveCompressSHA512() {
    if (OverrideSHA512 != nullptr)
        return OverrideSHA512;
    return Chosen().ChosenSHA512;
}

TCompressPathOverride::TCompressPathOverride(TCompressAlgorithm algorithm, TCompress32 compress)
    : FAlgorithm(algorithm), FPrevious32(Override32[Index32(algorithm)]) {
    Override32[Index32(algorithm)] = compress;
}

TCompressPathOverride::TCompressPathOverride(TCompress64 compress)
    : FAlgorithm(TCompressAlgorithm::SHA512), FPrevious64(OverrideSHA512) {
    OverrideSHA512 = compress;
}

TCompressPathOverride::~TCompressPathOverride() {
    if (FAlgorithm == TCompressAlgorithm::SHA512)
        OverrideSHA512 = FPrevious64;
    else
        Override32[Index32(FAlgorithm)] = FPrevious32;
}
