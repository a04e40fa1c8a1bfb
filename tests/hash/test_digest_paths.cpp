// Published vectors and differential checks against libcrypto, run once for every compression
// path this build and CPU offer, through the whole hash framework.

#include "HashTestSupport.h"
#include "hash/DigHash.h"
#include "hash/HashDispatch.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <random>

namespace {

struct TVector {
    std::string Message;
    std::string Digest;
};

const std::string TwoBlock56 = "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq";
const std::string TwoBlock112 = "abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmno"
                                "ijklmnopjklmnopqklmnopqrlmnopqrsmnopqrstnopqrstu";
const std::string MillionA(1000000, 'a');

struct TPathCase {
    std::string Algorithm;
    std::string Path;
    const TDigHashClass* Class;
    const EVP_MD* (*Reference)();
    std::function<std::unique_ptr<TCompressPathOverride>()> Select;
    std::vector<TVector> Vectors;
};

void PrintTo(const TPathCase& c, std::ostream* out) {
    *out << c.Algorithm << " " << c.Path;
}

std::vector<TVector> VectorsOf(const std::string& algorithm) {
    if (algorithm == "MD5")
        return {{"", "D41D8CD98F00B204E9800998ECF8427E"},
                {"a", "0CC175B9C0F1B6A831C399E269772661"},
                {"abc", "900150983CD24FB0D6963F7D28E17F72"},
                {"message digest", "F96B697D7CB7938D525A2F31AAF161D0"},
                {"abcdefghijklmnopqrstuvwxyz", "C3FCD3D76192E4007DFB496CCA67E13B"},
                {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
                 "D174AB98D277D9F5A5611C2C9F419D9F"},
                {"1234567890123456789012345678901234567890123456789012345678901234567890123456"
                 "7890",
                 "57EDF4A22BE3C955AC49DA2E2107B67A"}};
    if (algorithm == "SHA1")
        return {{"abc", "A9993E364706816ABA3E25717850C26C9CD0D89D"},
                {TwoBlock56, "84983E441C3BD26EBAAE4AA1F95129E5E54670F1"},
                {MillionA, "34AA973CD4C4DAA4F61EEB2BDBAD27316534016F"}};
    if (algorithm == "SHA256")
        return {{"abc", "BA7816BF8F01CFEA414140DE5DAE2223B00361A396177A9CB410FF61F20015AD"},
                {TwoBlock56, "248D6A61D20638B8E5C026930C3E6039A33CE45964FF2167F6ECEDD419DB06C1"},
                {MillionA, "CDC76E5C9914FB9281A1C7E284D73E67F1809A48A497200E046D39CCC7112CD0"}};
    if (algorithm == "SHA384")
        return {{"abc", "CB00753F45A35E8BB5A03D699AC65007272C32AB0EDED1631A8B605A43FF5BED8086072B"
                        "A1E7CC2358BAECA134C825A7"},
                {TwoBlock112, "09330C33F71147E83D192FC782CD1B4753111B173B3B05D22FA08086E3B0F712FC"
                              "C7C71A557E2DB966C3E9FA91746039"},
                {MillionA, "9D0E1809716474CB086E834E310A4A1CED149E9C00F248527972CEC5704C2A5B07B8B"
                           "3DC38ECC4EBAE97DDD87F3D8985"}};
    return {{"abc", "DDAF35A193617ABACC417349AE20413112E6FA4E89A97EA20A9EEEE64B55D39A2192992A274FC"
                    "1A836BA3C23A3FEEBBD454D4423643CE80E2A9AC94FA54CA49F"},
            {TwoBlock112, "8E959B75DAE313DA8CF4F72814FC143F8F7779C6EB9F7FA17299AEADB6889018501D28"
                          "9E4900F7E4331B99DEC4B5433AC7D329EEB6DD26545E96E55B874BE909"},
            {MillionA, "E718483D0CE769644E2E42C7BC15B4638E1F98B13B2044285632A803AFA973EBDE0FF2448"
                       "77EA60A4CB0432CE577C31BEB009C5C2C49AA2E4EADB217AD8CC09B"}};
}

std::vector<TPathCase> AllPathCases() {
    std::vector<TPathCase> cases;
    const struct {
        const char* Name;
        TCompressAlgorithm Algorithm;
        const TDigHashClass* Class;
        const EVP_MD* (*Reference)();
    } table32[] = {{"MD5", TCompressAlgorithm::MD5, &THash_MD5::Class(), EVP_md5},
                   {"SHA1", TCompressAlgorithm::SHA1, &THash_SHA1::Class(), EVP_sha1},
                   {"SHA256", TCompressAlgorithm::SHA256, &THash_SHA256::Class(), EVP_sha256}};
    for (const auto& row : table32)
        for (const TCompressPath32& path : CompressPaths32(row.Algorithm)) {
            const TCompressAlgorithm algorithm = row.Algorithm;
            const TCompress32 compress = path.Compress;
            cases.push_back(
                {row.Name, std::string(path.Name), row.Class, row.Reference,
                 [=] { return std::make_unique<TCompressPathOverride>(algorithm, compress); },
                 VectorsOf(row.Name)});
        }
    const struct {
        const char* Name;
        const TDigHashClass* Class;
        const EVP_MD* (*Reference)();
    } table64[] = {{"SHA384", &THash_SHA384::Class(), EVP_sha384},
                   {"SHA512", &THash_SHA512::Class(), EVP_sha512}};
    for (const auto& row : table64)
        for (const TCompressPath64& path : CompressPathsSHA512()) {
            const TCompress64 compress = path.Compress;
            cases.push_back({row.Name, std::string(path.Name), row.Class, row.Reference,
                             [=] { return std::make_unique<TCompressPathOverride>(compress); },
                             VectorsOf(row.Name)});
        }
    return cases;
}

// Feeds the message in runs whose lengths come from the generator.
std::string DigestInSplits(const TDigHashClass& hashClass, const std::string& message,
                           std::mt19937& random, std::size_t maxRun) {
    std::unique_ptr<TDigHash> hash = hashClass.Create();
    hash->StartDigest();
    std::size_t done = 0;
    while (done < message.size()) {
        const std::size_t run = std::min<std::size_t>(
            message.size() - done, std::uniform_int_distribution<std::size_t>(0, maxRun)(random));
        hash->Feed(message.data() + done, static_cast<int32_t>(run));
        done += run;
    }
    hash->FinishDigest();
    return hash->DigestText(&TFormat_HEX::Class());
}

class DigestPaths : public testing::TestWithParam<TPathCase> {};

TEST_P(DigestPaths, PublishedVectors) {
    const TPathCase& c = GetParam();
    const auto selected = c.Select();
    for (const TVector& v : c.Vectors)
        EXPECT_EQ(HashBuffer(*c.Class, v.Message.data(), static_cast<int32_t>(v.Message.size()),
                             &TFormat_HEX::Class()),
                  v.Digest)
            << "message of " << v.Message.size() << " bytes";
}

TEST_P(DigestPaths, AgreesWithLibcryptoOnRandomMessagesAndSplits) {
    const TPathCase& c = GetParam();
    const auto selected = c.Select();
    std::mt19937 random(20240611);
    std::uniform_int_distribution<int> byte(0, 255);
    for (int round = 0; round < 300; ++round) {
        // Mostly short messages around the block borders, some spanning many blocks.
        const std::size_t length =
            round % 10 == 0 ? std::uniform_int_distribution<std::size_t>(0, 70000)(random)
                            : std::uniform_int_distribution<std::size_t>(0, 400)(random);
        std::string message(length, '\0');
        for (char& ch : message)
            ch = static_cast<char>(byte(random));
        const std::size_t maxRun = round % 3 == 0 ? 7 : round % 3 == 1 ? 200 : 20000;
        ASSERT_EQ(DigestInSplits(*c.Class, message, random, maxRun),
                  OpenSSLHex(c.Reference(), message.data(), message.size()))
            << "length " << length << ", runs up to " << maxRun;
    }
}

INSTANTIATE_TEST_SUITE_P(Engine, DigestPaths, testing::ValuesIn(AllPathCases()),
                         [](const testing::TestParamInfo<TPathCase>& info) {
                             return info.param.Algorithm + "_" + info.param.Path;
                         });

// The first SHA has only the portable path; its descendant THash_SHA1 must not share its result.
TEST(DigestSHA0, PublishedVectors) {
    const TVector vectors[] = {{"abc", "0164B8A914CD2A5E74C4F7FF082C4D97F1EDF880"},
                               {TwoBlock56, "D2516EE1ACFA5BAF33DFC1C471E438449EF134C8"},
                               {MillionA, "3232AFFA48628A26653B5AAA44541FD90D690603"}};
    for (const TVector& v : vectors)
        EXPECT_EQ(HashBuffer(THash_SHA::Class(), v.Message.data(),
                             static_cast<int32_t>(v.Message.size()), &TFormat_HEX::Class()),
                  v.Digest);
}

} // namespace
