// Every way of running the CRC register gives the byte-wise register exactly, for the predefined
// kinds and for arbitrary parameters, at any length, alignment and split.

#include "hash/CRC.h"
#include "hash/CRCPaths.h"
#include "hash/CpuFeatures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

namespace {

struct TParams {
    uint32_t Polynomial, Width, InitValue, FinalXor, Reflected;
};

std::vector<TParams> ParameterSets() {
    std::vector<TParams> sets;
    for (const auto& row : CRCKindTable)
        sets.push_back({row[0], row[1], row[2], row[3], row[4]});
    // Random parameters, with initial values that spill above the width: the paths must agree
    // on every bit of the register, not just on the masked result.
    std::mt19937 rng(11);
    for (int i = 0; i < 6; ++i)
        sets.push_back({static_cast<uint32_t>(rng()), 32, static_cast<uint32_t>(rng()),
                        static_cast<uint32_t>(rng()), 1});
    for (uint32_t width : {8u, 9u, 15u, 17u, 23u, 31u, 32u}) {
        for (uint32_t reflected : {0u, 1u})
            sets.push_back({static_cast<uint32_t>(rng()), width, static_cast<uint32_t>(rng()),
                            static_cast<uint32_t>(rng()), reflected});
    }
    return sets;
}

std::string Describe(const TParams& p) {
    char text[96];
    std::snprintf(text, sizeof text, "poly %08X width %u init %08X reflected %u", p.Polynomial,
                  p.Width, p.InitValue, p.Reflected);
    return text;
}

CRCState Prepared(const TParams& p) {
    CRCState state;
    EXPECT_TRUE(CRCPrepare(state, p.Polynomial, p.Width, p.InitValue, p.FinalXor, p.Reflected));
    return state;
}

uint32_t Reference(CRCState state, const uint8_t* data, size_t n) {
    CRCPaths()[0].Feed(state, data, n);
    return state.Register;
}

std::vector<size_t> Lengths() {
    std::vector<size_t> lengths;
    for (size_t n = 0; n <= 300; ++n)
        lengths.push_back(n);
    std::mt19937 rng(12);
    for (int i = 0; i < 40; ++i)
        lengths.push_back(rng() % 5000);
    for (size_t n : {4095u, 4096u, 4097u, 65536u + 13u})
        lengths.push_back(n);
    return lengths;
}

TEST(CRCPaths, ReferenceIsByteWise) {
    ASSERT_GE(CRCPaths().size(), 2u);
    EXPECT_STREQ(CRCPaths()[0].Name, "bytewise");
}

TEST(CRCPaths, EveryPathMatchesTheByteWiseRegister) {
    std::mt19937 rng(13);
    const std::vector<size_t> lengths = Lengths();
    std::vector<uint8_t> buffer(65536 + 13 + 64);
    for (auto& b : buffer)
        b = static_cast<uint8_t>(rng());

    for (const TParams& params : ParameterSets()) {
        const CRCState fresh = Prepared(params);
        for (size_t n : lengths) {
            const uint8_t* data = buffer.data() + rng() % 64;
            const uint32_t expected = Reference(fresh, data, n);
            for (const TCRCPath& path : CRCPaths().subspan(1)) {
                CRCState state = fresh;
                path.Feed(state, data, n);
                ASSERT_EQ(state.Register, expected)
                    << path.Name << ", " << Describe(params) << ", length " << n;
            }
        }
    }
}

TEST(CRCPaths, EveryPathMatchesAcrossSplits) {
    std::mt19937 rng(14);
    std::vector<uint8_t> data(20000);
    for (auto& b : data)
        b = static_cast<uint8_t>(rng());

    for (const TParams& params : ParameterSets()) {
        const CRCState fresh = Prepared(params);
        for (const TCRCPath& path : CRCPaths().subspan(1)) {
            CRCState state = fresh;
            CRCState reference = fresh;
            size_t fed = 0;
            while (fed < data.size()) {
                size_t piece = rng() % 4 == 0 ? rng() % 5000 : rng() % 100;
                piece = std::min(piece, data.size() - fed);
                path.Feed(state, data.data() + fed, piece);
                CRCPaths()[0].Feed(reference, data.data() + fed, piece);
                fed += piece;
                ASSERT_EQ(state.Register, reference.Register)
                    << path.Name << ", " << Describe(params) << ", after " << fed;
            }
        }
    }
}

TEST(CRCPaths, PortableSwitchLeavesOnlyTablePaths) {
    if (!PortableRequested(std::getenv("CORVANTH_PORTABLE")))
        GTEST_SKIP() << "fast paths enabled in this run";
    ASSERT_EQ(CRCPaths().size(), 2u);
    EXPECT_STREQ(CRCActivePath().Name, "slice8");
}

TEST(CpuFeatures, PortableSwitchValues) {
    struct TCase {
        const char* Value;
        bool Portable;
    } cases[] = {{nullptr, false}, {"", false}, {"0", false}, {"1", true}, {"yes", true}};
    for (const TCase& c : cases)
        EXPECT_EQ(PortableRequested(c.Value), c.Portable) << (c.Value ? c.Value : "(unset)");
}

} // namespace
