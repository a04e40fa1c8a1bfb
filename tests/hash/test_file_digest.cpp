// The compute step shared by the window and corvanth-sum, and HashFile beneath it.

#include "HashTestSupport.h"
#include "hash/CRC.h"
#include "hash/DigHash.h"
#include "hash/FileDigest.h"

#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <unistd.h>

namespace {

using FileDigest = TTempFolderTest;

std::string RandomBytes(std::size_t length, unsigned seed) {
    std::mt19937 random(seed);
    std::string bytes(length, '\0');
    for (char& c : bytes)
        c = static_cast<char>(random());
    return bytes;
}

std::string CRCHex(const std::string& bytes) {
    char text[9];
    std::snprintf(text, sizeof text, "%08X",
                  CRCOfBuffer(7, bytes.data(), static_cast<uint32_t>(bytes.size())));
    return text;
}

TEST(AlgorithmIndex, ZeroToThreeAsTheyAreAnythingElseMD5) {
    const std::pair<int, TAlgorithm> rows[] = {{0, TAlgorithm::CRC32},  {1, TAlgorithm::SHA1},
                                               {2, TAlgorithm::SHA256}, {3, TAlgorithm::SHA512},
                                               {4, TAlgorithm::MD5},    {-1, TAlgorithm::MD5},
                                               {99, TAlgorithm::MD5}};
    for (const auto& [index, algorithm] : rows)
        EXPECT_EQ(AlgorithmOfIndex(index), algorithm) << index;
}

TEST(BufferDigest, EveryAlgorithm) {
    EXPECT_EQ(DigestOfBuffer(TAlgorithm::CRC32, "123456789", 9), "7DC08C09");
    EXPECT_EQ(DigestOfBuffer(TAlgorithm::CRC32, "", 0), "00000000");
    EXPECT_EQ(DigestOfBuffer(TAlgorithm::SHA1, "abc", 3),
              "A9993E364706816ABA3E25717850C26C9CD0D89D");
    EXPECT_EQ(DigestOfBuffer(TAlgorithm::MD5, "", 0), "D41D8CD98F00B204E9800998ECF8427E");
    const std::string bytes = RandomBytes(5000, 1);
    EXPECT_EQ(DigestOfBuffer(TAlgorithm::SHA256, bytes.data(), bytes.size()),
              OpenSSLHex(EVP_sha256(), bytes.data(), bytes.size()));
    EXPECT_EQ(DigestOfBuffer(TAlgorithm::SHA512, bytes.data(), bytes.size()),
              OpenSSLHex(EVP_sha512(), bytes.data(), bytes.size()));
}

TEST_F(FileDigest, FilesAgreeWithBuffersForEveryAlgorithm) {
    // Around the 8192-byte read chunk and the 2048-byte CRC request.
    for (const std::size_t length : {0, 1, 2048, 2049, 8191, 8192, 8193, 100000}) {
        const std::string bytes = RandomBytes(length, static_cast<unsigned>(length));
        const std::filesystem::path file = Write(std::to_string(length) + ".bin", bytes);
        for (int index = 0; index <= 4; ++index) {
            const TAlgorithm algorithm = AlgorithmOfIndex(index);
            EXPECT_EQ(DigestOfFile(algorithm, file),
                      DigestOfBuffer(algorithm, bytes.data(), length))
                << "algorithm " << index << ", " << length << " bytes";
        }
        EXPECT_EQ(DigestOfFile(TAlgorithm::CRC32, file), CRCHex(bytes));
        EXPECT_EQ(DigestOfFile(TAlgorithm::MD5, file),
                  OpenSSLHex(EVP_md5(), bytes.data(), bytes.size()));
    }
}

TEST_F(FileDigest, HashFileReadsWholeChunks) {
    class TCountingSink : public TProgressSink {
    public:
        void Report(int64_t, int64_t end, int64_t current) override {
            if (current < end)
                ++Chunks;
        }
        int Chunks = 0;
    };
    const struct {
        std::size_t Length;
        int Chunks;
    } rows[] = {{0, 0}, {8192, 1}, {8193, 2}};
    for (const auto& row : rows) {
        const std::string bytes = RandomBytes(row.Length, 3);
        TCountingSink sink;
        EXPECT_EQ(HashFile(THash_SHA1::Class(), Write("c", bytes), &TFormat_HEX::Class(), &sink),
                  OpenSSLHex(EVP_sha1(), bytes.data(), bytes.size()));
        EXPECT_EQ(sink.Chunks, row.Chunks) << row.Length;
    }
}

TEST_F(FileDigest, FailuresRaiseForEveryAlgorithm) {
    const std::filesystem::path missing = FDir / "missing";
    for (int index = 0; index <= 4; ++index) {
        const TAlgorithm algorithm = AlgorithmOfIndex(index);
        try {
            DigestOfFile(algorithm, missing);
            ADD_FAILURE() << "missing file hashed, algorithm " << index;
        } catch (const EFOpenError& e) {
            EXPECT_EQ(std::string(e.what()),
                      "Cannot open file \"" + missing.string() + "\". No such file or directory");
        }
        EXPECT_THROW(DigestOfFile(algorithm, FDir), EFOpenError) << index;
    }
}

TEST_F(FileDigest, AbandonedDigestsRaiseInsteadOfReturning) {
    const std::filesystem::path file = Write("big", RandomBytes(50000, 9));
    const std::filesystem::path empty = Write("empty", "");
    const std::atomic<bool> abandon{true};
    for (int index = 0; index <= 4; ++index) {
        EXPECT_THROW(DigestOfFile(AlgorithmOfIndex(index), file, &abandon), EDigestAbandoned)
            << index;
        EXPECT_THROW(DigestOfFile(AlgorithmOfIndex(index), empty, &abandon), EDigestAbandoned)
            << index;
    }
    const std::atomic<bool> goOn{false};
    EXPECT_EQ(DigestOfFile(TAlgorithm::SHA256, file, &goOn),
              DigestOfFile(TAlgorithm::SHA256, file));
}

} // namespace
