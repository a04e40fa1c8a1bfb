// Every compression path against the portable one, called directly: all block counts up to a
// few pairs (SHA-512's path schedules two blocks at once and the next pair ahead) and every
// misalignment of the message within a word.

#include "hash/HashDispatch.h"

#include <gtest/gtest.h>

#include <array>
#include <random>
#include <vector>

namespace {

std::vector<uint8_t> RandomBytes(std::size_t count) {
    std::mt19937 random(77);
    std::vector<uint8_t> bytes(count);
    for (uint8_t& b : bytes)
        b = static_cast<uint8_t>(random());
    return bytes;
}

template <class Word, class Path>
void ExpectSameAsPortable(const Path& path, void (*portable)(Word*, const uint8_t*, std::size_t),
                          std::size_t blockLength) {
    constexpr std::size_t MaxBlocks = 9;
    const std::vector<uint8_t> message = RandomBytes(MaxBlocks * blockLength + 8);
    std::array<Word, 8> start;
    for (std::size_t i = 0; i < start.size(); ++i)
        start[i] = static_cast<Word>(0x0123456789ABCDEFull * (i + 1));
    for (std::size_t offset = 0; offset < 8; ++offset)
        for (std::size_t count = 0; count <= MaxBlocks; ++count) {
            std::array<Word, 8> expected = start, actual = start;
            portable(expected.data(), message.data() + offset, count);
            path.Compress(actual.data(), message.data() + offset, count);
            EXPECT_EQ(actual, expected)
                << path.Name << ", " << count << " blocks at offset " << offset;
        }
}

TEST(CompressPaths, EveryPathMatchesPortableForAnyCountAndAlignment) {
    const std::pair<TCompressAlgorithm, void (*)(uint32_t*, const uint8_t*, std::size_t)> rows[] = {
        {TCompressAlgorithm::MD5, MD5CompressPortable},
        {TCompressAlgorithm::SHA1, SHA1CompressPortable},
        {TCompressAlgorithm::SHA256, SHA256CompressPortable}};
    for (const auto& [algorithm, portable] : rows)
        for (const TCompressPath32& path : CompressPaths32(algorithm))
            ExpectSameAsPortable(path, portable, 64);
    for (const TCompressPath64& path : CompressPathsSHA512())
        ExpectSameAsPortable(path, SHA512CompressPortable, 128);
}

} // namespace
