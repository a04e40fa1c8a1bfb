#pragma once

#include <cstddef>
#include <cstdint>

// The CPU-specific compressions, each in a file compiled for its instruction set. Call one only
// when CpuFeatures() reports what it needs (noted beside it).

// Built where the x86 tier files are (see hash/CMakeLists.txt).
#ifdef CORVANTH_X86_TIERS
#define CORVANTH_X86_FAST_PATHS 1

// SHA, SSSE3, SSE4.1
void SHA1CompressSHANI(uint32_t* state, const uint8_t* blocks, std::size_t count);
void SHA256CompressSHANI(uint32_t* state, const uint8_t* blocks, std::size_t count);

// AVX2, BMI2: the message schedule in vector registers, the rounds with three-operand rotations.
void SHA512CompressAVX2(uint64_t* state, const uint8_t* blocks, std::size_t count);

// BMI2 (BMI1's and-not): the round functions reshaped for the shortest dependency chain.
void MD5CompressBMI2(uint32_t* state, const uint8_t* blocks, std::size_t count);
#endif
