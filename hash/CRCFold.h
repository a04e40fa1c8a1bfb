#pragma once

// Carry-less multiplication kernels for reflected kinds, one per CPU tier. Each runs the register
// over `count` bytes, a multiple of 16 and at least 16, and returns the new register. They read
// the folding constants that CRCPrepare stored in the record.

#include "hash/CRC.h"

#include <cstddef>
#include <cstdint>

// Built where the x86 tier files are (see hash/CMakeLists.txt).
#ifdef CORVANTH_X86_TIERS
#define CORVANTH_CRC_FOLD_X86 1
uint32_t CRCFoldClmul(const CRCState& state, uint32_t reg, const uint8_t* data, size_t count);
uint32_t CRCFoldVpclmul(const CRCState& state, uint32_t reg, const uint8_t* data, size_t count);
#endif
