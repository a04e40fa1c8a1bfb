// The CRC unit's contract, on the path this run uses (fast, or portable under CORVANTH_PORTABLE).

#include "hash/CRC.h"
#include "hash/CRCPaths.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

uint32_t OfText(CRCKind kind, const std::string& text) {
    return CRCOfBuffer(kind, text.data(), static_cast<uint32_t>(text.size()));
}

std::vector<uint8_t> RandomBytes(size_t n, uint32_t seed) {
    std::mt19937 rng(seed);
    std::vector<uint8_t> data(n);
    for (auto& b : data)
        b = static_cast<uint8_t>(rng());
    return data;
}

// Serves `data` in pieces of at most `piece` bytes and records every request.
struct TRecordingReader {
    const std::vector<uint8_t>& Data;
    uint32_t Piece;
    size_t Position = 0;
    std::vector<uint32_t> Requests{};

    uint32_t operator()(uint8_t* buffer, uint32_t wanted) {
        Requests.push_back(wanted);
        size_t n = std::min<size_t>({wanted, Piece, Data.size() - Position});
        if (n != 0)
            std::memcpy(buffer, Data.data() + Position, n);
        Position += n;
        return static_cast<uint32_t>(n);
    }
};

TEST(CRC, CheckValueOfEveryKind) {
    const uint32_t check[10] = {0x07,   0x391,    0xC61,      0xBB3D,     0xE5CC,
                                0x0C73, 0x21CF02, 0x7DC08C09, 0xCBF43926, 0x340BC6D9};
    for (CRCKind kind = 0; kind < 10; ++kind)
        EXPECT_EQ(OfText(kind, "123456789"), check[kind]) << "kind " << int(kind);
}

TEST(CRC, KnownTexts) {
    struct TCase {
        CRCKind Kind;
        const char* Text;
        uint32_t Expected;
    } cases[] = {
        {7, "", 0x00000000},          {7, "a", 0x0AFF043A}, {7, "abc", 0x55129B27},
        {7, "123456789", 0x7DC08C09}, {8, "a", 0xE8B7BE43}, {8, "123456789", 0xCBF43926},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(OfText(c.Kind, c.Text), c.Expected) << int(c.Kind) << " \"" << c.Text << '"';
}

TEST(CRC, NoBytesLeaveTheRegister) {
    CRCState state;
    ASSERT_TRUE(CRCPrepareKind(state, 7));
    EXPECT_EQ(CRCFeed(state, "abc", 3), 0x55129B27u);
    EXPECT_EQ(CRCFeed(state, nullptr, 5), 0x55129B27u);
    EXPECT_EQ(CRCFeed(state, "x", 0), 0x55129B27u);
}

TEST(CRC, PrepareRefusesWidthsOutsideEightToThirtyTwo) {
    for (uint32_t width : {0u, 7u, 33u, 64u}) {
        CRCState state;
        std::memset(&state, 0xA5, sizeof state);
        const CRCState before = state;
        EXPECT_FALSE(CRCPrepare(state, 0x07, width, 0, 0, 0)) << width;
        EXPECT_EQ(std::memcmp(&state, &before, sizeof state), 0) << width;
    }
    CRCState state;
    std::memset(&state, 0xA5, sizeof state);
    const CRCState before = state;
    EXPECT_FALSE(CRCPrepareKind(state, 10));
    EXPECT_EQ(std::memcmp(&state, &before, sizeof state), 0);
    EXPECT_EQ(CRCOfBuffer(200, "abc", 3), 0u);

    for (uint32_t width : {8u, 32u}) {
        EXPECT_TRUE(CRCPrepare(state, 0x07, width, 0, 0, 0)) << width;
        EXPECT_EQ(state.Width, width);
    }
}

// Every intermediate result is the checksum of the bytes so far, however the data is split.
TEST(CRC, AnySplitGivesThePrefixChecksums) {
    const auto data = RandomBytes(6000, 1);
    std::mt19937 rng(2);
    for (CRCKind kind = 0; kind < 10; ++kind) {
        for (int round = 0; round < 4; ++round) {
            CRCState state;
            ASSERT_TRUE(CRCPrepareKind(state, kind));
            size_t fed = 0;
            while (fed < data.size()) {
                // Mostly small pieces, now and then a long one that takes the fast path.
                size_t piece = rng() % 8 == 0 ? rng() % 3000 : rng() % 40;
                piece = std::min(piece, data.size() - fed);
                const uint32_t result =
                    CRCFeed(state, data.data() + fed, static_cast<uint32_t>(piece));
                fed += piece;
                ASSERT_EQ(result, CRCOfBuffer(kind, data.data(), static_cast<uint32_t>(fed)))
                    << "kind " << int(kind) << " after " << fed;
            }
        }
    }
}

TEST(CRC, ReaderRequestsAtMost2048Bytes) {
    struct TCase {
        size_t Total;
        std::vector<uint32_t> Requests{};
    } cases[] = {
        {0, {0}}, {1, {1}}, {2048, {2048}}, {2049, {2048, 1}}, {5000, {2048, 2048, 904}},
    };
    for (const TCase& c : cases) {
        const auto data = RandomBytes(c.Total, 3);
        TRecordingReader reader{data, 2048};
        EXPECT_EQ(CRCOfReader(7, c.Total, reader),
                  CRCOfBuffer(7, data.data(), static_cast<uint32_t>(c.Total)))
            << c.Total;
        EXPECT_EQ(reader.Requests, c.Requests) << c.Total;
    }
}

TEST(CRC, ShortAndStoppingReaders) {
    const auto data = RandomBytes(10000, 4);
    const uint32_t whole = CRCOfBuffer(8, data.data(), 10000);

    // Short deliveries are asked again for the rest.
    TRecordingReader hundreds{data, 100};
    EXPECT_EQ(CRCOfReader(8, data.size(), hundreds), whole);
    ASSERT_EQ(hundreds.Requests.size(), 100u);
    EXPECT_EQ(hundreds.Requests[1], 2048u);
    EXPECT_EQ(hundreds.Requests[99], 100u);

    // A reader that runs dry early yields the checksum of what it delivered.
    const std::vector<uint8_t> first(data.begin(), data.begin() + 3000);
    TRecordingReader stopping{first, 2048};
    EXPECT_EQ(CRCOfReader(8, data.size(), stopping), CRCOfBuffer(8, first.data(), 3000));
    EXPECT_EQ(stopping.Requests, (std::vector<uint32_t>{2048, 2048, 2048}));
}

// A reader claiming more than it was asked for must not push the engine past its buffer or make
// the remaining count wrap around.
TEST(CRC, ReaderOverclaimIsCappedAtTheRequest) {
    const auto data = RandomBytes(100, 5);
    int calls = 0;
    auto liar = [&](uint8_t* buffer, uint32_t wanted) -> uint32_t {
        ++calls;
        std::memcpy(buffer, data.data(), wanted);
        return wanted + 10;
    };
    EXPECT_EQ(CRCOfReader(7, 100, liar), CRCOfBuffer(7, data.data(), 100));
    EXPECT_EQ(calls, 1);
}

// Kind 9 computed bit by bit, and its register algebra: running a register r over data d gives
// r * x^(8 len d) + (d run from a zero register), modulo the polynomial, in bit-reversed form.
constexpr uint32_t Kind9Reversed = 0xEDB88320;

uint32_t BitwiseKind9(uint32_t reg, const uint8_t* data, size_t n) {
    for (size_t i = 0; i < n; ++i) {
        reg ^= data[i];
        for (int bit = 0; bit < 8; ++bit)
            reg = (reg & 1) ? (reg >> 1) ^ Kind9Reversed : reg >> 1;
    }
    return reg;
}

uint32_t MultiplyKind9(uint32_t a, uint32_t b) {
    uint32_t product = 0;
    for (uint32_t m = 0x80000000u; m != 0; m >>= 1) {
        if (a & m)
            product ^= b;
        b = (b & 1) ? (b >> 1) ^ Kind9Reversed : b >> 1;
    }
    return product;
}

uint32_t PowerOfXKind9(uint64_t exponent) {
    uint32_t result = 0x80000000u, square = 0x40000000u; // 1 and x
    for (; exponent != 0; exponent >>= 1, square = MultiplyKind9(square, square))
        if (exponent & 1)
            result = MultiplyKind9(result, square);
    return result;
}

// Past 4 GiB nothing is truncated to 32 bits: every byte is asked for, counted and hashed.
TEST(CRC, TotalAboveFourGiB) {
#if !defined(__OPTIMIZE__)
    if (std::string(CRCActivePath().Name) == "slice8")
        GTEST_SKIP() << "4 GiB through the table path takes too long unoptimised";
#endif
    constexpr size_t Period = size_t{1} << 20;
    constexpr uint64_t Total = (uint64_t{1} << 32) + 3;
    const std::vector<uint8_t> pattern = RandomBytes(Period, 6);

    uint64_t position = 0;
    uint64_t calls = 0;
    uint32_t lastWanted = 0;
    auto reader = [&](uint8_t* buffer, uint32_t wanted) -> uint32_t {
        // Requests of 2048 never straddle the end of the period.
        std::memcpy(buffer, pattern.data() + position % Period, wanted);
        position += wanted;
        ++calls;
        lastWanted = wanted;
        return wanted;
    };
    const uint32_t result = CRCOfReader(9, Total, reader);
    EXPECT_EQ(position, Total);
    EXPECT_EQ(calls, (uint64_t{1} << 32) / 2048 + 1);
    EXPECT_EQ(lastWanted, 3u);

    const uint32_t periodPower = PowerOfXKind9(8 * uint64_t{Period});
    const uint32_t periodFromZero = BitwiseKind9(0, pattern.data(), Period);
    uint32_t expected = 0xFFFFFFFF;
    for (uint64_t i = 0; i < Total / Period; ++i)
        expected = MultiplyKind9(expected, periodPower) ^ periodFromZero;
    expected = BitwiseKind9(expected, pattern.data(), Total % Period);
    EXPECT_EQ(result, expected);
}

} // namespace
