#pragma once

// The interchangeable ways of running a CRC register over bytes. Every path gives the register
// that the byte-wise loop gives, so tests and benchmarks can take them one by one.

#include "hash/CRC.h"

#include <cstddef>
#include <cstdint>
#include <span>

struct TCRCPath {
    const char* Name;
    // Runs state.Register over the bytes; count may be 0.
    void (*Feed)(CRCState& state, const uint8_t* data, size_t count);
};

// The paths this machine can run, the byte-wise reference first and the fastest last.
std::span<const TCRCPath> CRCPaths();

// The path CRCFeed uses, chosen once: the last of CRCPaths().
const TCRCPath& CRCActivePath();
