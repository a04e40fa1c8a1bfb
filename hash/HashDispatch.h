#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

// The block compressions of the hash classes, one multi-block function per algorithm, with
// every implementation this build offers. The hash classes call the chosen one; the choice is
// made once, from the CPU's features.

using TCompress32 = void (*)(uint32_t* state, const uint8_t* blocks, std::size_t count);
using TCompress64 = void (*)(uint64_t* state, const uint8_t* blocks, std::size_t count);

enum class TCompressAlgorithm { MD5, SHA1, SHA256, SHA512 };

template <class Function>
struct TCompressPath {
    std::string_view Name;
    Function Compress;
    bool (*Usable)(); // none: usable on every CPU
};

using TCompressPath32 = TCompressPath<TCompress32>;
using TCompressPath64 = TCompressPath<TCompress64>;

// The paths of an algorithm that this CPU can run, the preferred one first and "portable"
// always present. SHA-512 has 64-bit state words; the others 32-bit ones.
std::span<const TCompressPath32> CompressPaths32(TCompressAlgorithm algorithm);
std::span<const TCompressPath64> CompressPathsSHA512();

// The compression the hash classes use now on this thread.
TCompress32 ActiveCompress32(TCompressAlgorithm algorithm);
TCompress64 ActiveCompressSHA512();

// While alive, hash objects on this thread compress with the given path instead of the chosen
// one, so that every path can be run through the whole framework.
class TCompressPathOverride {
public:
    TCompressPathOverride(TCompressAlgorithm algorithm, TCompress32 compress);
    explicit TCompressPathOverride(TCompress64 compress);
    ~TCompressPathOverride();
    TCompressPathOverride(const TCompressPathOverride&) = delete;
    TCompressPathOverride& operator=(const TCompressPathOverride&) = delete;

private:
    TCompressAlgorithm FAlgorithm;
    TCompress32 FPrevious32 = nullptr;
    TCompress64 FPrevious64 = nullptr;
};

// The portable compressions, always built.
void MD5CompressPortable(uint32_t* state, const uint8_t* blocks, std::size_t count);
void SHA0CompressPortable(uint32_t* state, const uint8_t* blocks, std::size_t count);
void SHA1CompressPortable(uint32_t* state, const uint8_t* blocks, std::size_t count);
void SHA256CompressPortable(uint32_t* state, const uint8_t* blocks, std::size_t count);
void SHA512CompressPortable(uint64_t* state, const uint8_t* blocks, std::size_t count);
