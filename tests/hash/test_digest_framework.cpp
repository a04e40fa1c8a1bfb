// The life cycle, buffering, bit counting, padding and wiping of the hash framework.

#include "HashTestSupport.h"
#include "hash/DigHash.h"
#include "hash/HashDispatch.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

const char* const NotInitialized = "Hash must be initialized";
const char* const TooManyBits = "Hash function have to many bits processed";

// Opens the protected fields to the tests.
template <class Base>
class TOpen : public Base {
public:
    using Base::BitCount;
    const uint8_t* Buffer() const { return this->BlockBuffer.get(); }
};

template <class F>
void ExpectDigError(F&& action, const char* text) {
    try {
        action();
        ADD_FAILURE() << "expected \"" << text << "\"";
    } catch (const EDigException& e) {
        EXPECT_STREQ(e.what(), text);
    }
}

std::string Finish(TDigHash& hash) {
    hash.FinishDigest();
    return hash.DigestText(&TFormat_HEX::Class());
}

TEST(DigestFramework, ClassDescriptors) {
    const struct {
        const TDigHashClass* Class;
        const char* Short;
        int32_t DigestLength, BlockLength;
    } rows[] = {
        {&THash_MD5::Class(), "MD5", 16, 64},        {&THash_SHA::Class(), "SHA", 20, 64},
        {&THash_SHA1::Class(), "SHA1", 20, 64},      {&THash_SHA256::Class(), "SHA256", 32, 64},
        {&THash_SHA384::Class(), "SHA384", 48, 128}, {&THash_SHA512::Class(), "SHA512", 64, 128}};
    for (const auto& row : rows) {
        EXPECT_EQ(StrippedClassName(row.Class), row.Short);
        const std::unique_ptr<TDigHash> hash = row.Class->Create();
        EXPECT_EQ(&hash->HashClass(), row.Class);
        EXPECT_EQ(hash->DigestLength(), row.DigestLength) << row.Short;
        EXPECT_EQ(hash->BlockLength(), row.BlockLength) << row.Short;
    }
    EXPECT_EQ(StrippedClassName(nullptr), "");
    const TDigClass noUnderscore{"TPlain"};
    EXPECT_EQ(StrippedClassName(&noUnderscore), "TPlain");
}

TEST(DigestFramework, LifeCycleErrors) {
    THash_MD5 hash;
    const char byte = 'a';
    // Nothing to feed is no error, even before the start.
    EXPECT_NO_THROW(hash.Feed(&byte, 0));
    EXPECT_NO_THROW(hash.Feed(nullptr, -5));
    ExpectDigError([&] { hash.Feed(&byte, 1); }, NotInitialized);
    ExpectDigError([&] { hash.FinishDigest(); }, NotInitialized);

    hash.StartDigest();
    hash.Feed("abc", 3);
    EXPECT_EQ(Finish(hash), "900150983CD24FB0D6963F7D28E17F72");
    ExpectDigError([&] { hash.Feed(&byte, 1); }, NotInitialized);
    ExpectDigError([&] { hash.FinishDigest(); }, NotInitialized);
    // The digest stays readable after the errors, and the object can be reused.
    EXPECT_EQ(hash.DigestText(&TFormat_HEX::Class()), "900150983CD24FB0D6963F7D28E17F72");
    hash.StartDigest();
    hash.Feed("abc", 3);
    EXPECT_EQ(Finish(hash), "900150983CD24FB0D6963F7D28E17F72");
    // Restarting in the middle of a digest drops what was fed.
    hash.StartDigest();
    hash.Feed("xyz", 3);
    hash.StartDigest();
    EXPECT_EQ(Finish(hash), "D41D8CD98F00B204E9800998ECF8427E");
}

TEST(DigestFramework, DigestTextWithoutFormatIsTheRawDigest) {
    THash_SHA1 hash;
    hash.StartDigest();
    hash.Feed("abc", 3);
    hash.FinishDigest();
    EXPECT_EQ(Hex(hash.DigestText()), "A9993E364706816ABA3E25717850C26C9CD0D89D");
    EXPECT_EQ(HashBuffer(THash_MD5::Class(), "abc", 0, nullptr).size(), 16u);
}

TEST(DigestFramework, PaddingByte) {
    THash_MD5 standard;
    EXPECT_EQ(standard.PaddingByte(), 0);
    standard.StartDigest();
    standard.Feed("abc", 3);
    EXPECT_EQ(Finish(standard), "900150983CD24FB0D6963F7D28E17F72");
    EXPECT_EQ(standard.PaddingByte(), 0x80);

    for (const TDigHashClass* hashClass :
         {&THash_MD5::Class(), &THash_SHA256::Class(), &THash_SHA512::Class()}) {
        const std::unique_ptr<TDigHash> odd = hashClass->Create();
        odd->SetPaddingByte(0x01);
        odd->StartDigest();
        odd->Feed("abc", 3);
        EXPECT_NE(Finish(*odd), HashBuffer(*hashClass, "abc", 3, &TFormat_HEX::Class()));
        EXPECT_EQ(odd->PaddingByte(), 0x01);
    }
}

// Counts the blocks that reach a compression function, passing them on to the portable one.
int64_t Blocks32 = 0;
int64_t Blocks64 = 0;
void Counting32(uint32_t* state, const uint8_t* blocks, std::size_t count) {
    Blocks32 += static_cast<int64_t>(count);
    MD5CompressPortable(state, blocks, count);
}
void Counting64(uint64_t* state, const uint8_t* blocks, std::size_t count) {
    Blocks64 += static_cast<int64_t>(count);
    SHA512CompressPortable(state, blocks, count);
}

TEST(DigestFramework, BlockBordersOfPadding) {
    const TCompressPathOverride md5(TCompressAlgorithm::MD5, Counting32);
    const TCompressPathOverride sha512(Counting64);
    const struct {
        const TDigHashClass* Class;
        int32_t Length;
        int64_t BlocksByFeed, BlocksInAll;
    } rows[] = {{&THash_MD5::Class(), 0, 0, 1},      {&THash_MD5::Class(), 55, 0, 1},
                {&THash_MD5::Class(), 56, 0, 2},     {&THash_MD5::Class(), 63, 0, 2},
                {&THash_MD5::Class(), 64, 1, 2},     {&THash_MD5::Class(), 119, 1, 2},
                {&THash_MD5::Class(), 120, 1, 3},    {&THash_SHA512::Class(), 111, 0, 1},
                {&THash_SHA512::Class(), 112, 0, 2}, {&THash_SHA512::Class(), 128, 1, 2},
                {&THash_SHA512::Class(), 239, 1, 2}, {&THash_SHA512::Class(), 240, 1, 3}};
    const std::string message(240, 'q');
    for (const auto& row : rows) {
        int64_t& counter = row.Class == &THash_MD5::Class() ? Blocks32 : Blocks64;
        counter = 0;
        const std::unique_ptr<TDigHash> hash = row.Class->Create();
        hash->StartDigest();
        hash->Feed(message.data(), row.Length);
        EXPECT_EQ(counter, row.BlocksByFeed) << StrippedClassName(row.Class) << " " << row.Length;
        const std::string digest = Finish(*hash);
        EXPECT_EQ(counter, row.BlocksInAll) << StrippedClassName(row.Class) << " " << row.Length;
        EXPECT_EQ(digest, OpenSSLHex(row.Class == &THash_MD5::Class() ? EVP_md5() : EVP_sha512(),
                                     message.data(), static_cast<std::size_t>(row.Length)));
    }
}

TEST(DigestFramework, BitCountCarriesThroughAllWords) {
    TOpen<THash_SHA512> hash;
    hash.StartDigest();
    hash.BitCount[0] = 0xFFFFFFF8u;
    hash.BitCount[1] = 0xFFFFFFFFu;
    hash.Feed("ab", 2);
    EXPECT_EQ(hash.BitCount[0], 8u);
    EXPECT_EQ(hash.BitCount[1], 0u);
    EXPECT_EQ(hash.BitCount[2], 1u);
    // Counts of 2^64 bits and more are fine for the 128-byte-block classes.
    EXPECT_NO_THROW(hash.FinishDigest());
}

template <class T>
void ExpectCloseFailsFrom2To64Bits() {
    TOpen<T> hash;
    hash.StartDigest();
    hash.BitCount[2] = 1;
    ExpectDigError([&] { hash.FinishDigest(); }, TooManyBits);
}

template <class T>
void ExpectCounterOverflowFails() {
    TOpen<T> hash;
    hash.StartDigest();
    std::fill(std::begin(hash.BitCount), std::end(hash.BitCount), 0xFFFFFFFFu);
    hash.BitCount[0] = 0xFFFFFFF0u;
    EXPECT_NO_THROW(hash.Feed("a", 1));
    ExpectDigError([&] { hash.Feed("a", 1); }, TooManyBits);
}

TEST(DigestFramework, TooManyBits) {
    // 2^64 bits or more cannot be closed by the classes with a 64-bit length field.
    ExpectCloseFailsFrom2To64Bits<THash_MD5>();
    ExpectCloseFailsFrom2To64Bits<THash_SHA>();
    ExpectCloseFailsFrom2To64Bits<THash_SHA1>();
    ExpectCloseFailsFrom2To64Bits<THash_SHA256>();
    // The 256-bit counter itself overflows.
    ExpectCounterOverflowFails<THash_MD5>();
    ExpectCounterOverflowFails<THash_SHA512>();
}

TEST(DigestFramework, WipeBuffer) {
    TWipeLog log;
    unsigned char buffer[40];
    std::memset(buffer, 0x5C, sizeof buffer);
    WipeBuffer(buffer + 4, 32);
    EXPECT_EQ(buffer[3], 0x5C);
    EXPECT_EQ(buffer[36], 0x5C);
    ASSERT_EQ(log.Ranges.size(), 1u);
    EXPECT_TRUE(log.Ranges[0].AllZero);
    EXPECT_EQ(log.Ranges[0].Start, buffer + 4);
    EXPECT_EQ(log.Ranges[0].Length, 32);
    WipeBuffer(buffer, 0);
    WipeBuffer(buffer, -1);
    EXPECT_EQ(log.Ranges.size(), 1u);

    std::string secret(100, 's');
    const char* storage = secret.data();
    WipeByteString(secret);
    EXPECT_TRUE(secret.empty());
    ASSERT_EQ(log.Ranges.size(), 2u);
    EXPECT_TRUE(log.Ranges[1].AllZero);
    EXPECT_TRUE(log.Ranges[1].Covers(storage, 100));

    // A short string keeps its bytes inside the variable itself: they must not stay there.
    std::string shortSecret(10, 's');
    const char* inside = shortSecret.data();
    WipeByteString(shortSecret);
    EXPECT_TRUE(shortSecret.empty());
    EXPECT_EQ(std::string(inside, 10), std::string(10, '\0'));
}

// An object released in the middle of a digest: digest bytes, block buffer, then the object.
template <class T>
void ExpectWipedOnRelease() {
    std::unique_ptr<TOpen<T>> hash = std::make_unique<TOpen<T>>();
    hash->StartDigest();
    hash->Feed("some secret text that stays in the block buffer", 48);
    const void* object = hash.get();
    const void* digest = hash->DigestBytes();
    const int32_t digestLength = hash->DigestLength();
    const uint8_t* buffer = hash->Buffer();
    const int32_t bufferLength = hash->BlockLength();
    const std::string name = StrippedClassName(&T::Class());
    TWipeLog log;
    std::unique_ptr<TDigHash> released = std::move(hash);
    released.reset();
    const int digestWipe = log.FindZeroed(digest, digestLength);
    const int bufferWipe = log.FindZeroed(buffer, bufferLength);
    const int objectWipe = log.FindZeroed(object, sizeof(TOpen<T>));
    EXPECT_GE(digestWipe, 0) << name;
    EXPECT_GT(bufferWipe, digestWipe) << name;
    EXPECT_GT(objectWipe, bufferWipe) << name;
    EXPECT_EQ(log.Ranges.at(static_cast<std::size_t>(objectWipe)).Start, object) << name;
}

TEST(DigestFramework, ReleasedObjectsAreWiped) {
    ExpectWipedOnRelease<THash_MD5>();
    ExpectWipedOnRelease<THash_SHA1>();
    ExpectWipedOnRelease<THash_SHA256>();
    ExpectWipedOnRelease<THash_SHA512>();

    // A finished object no longer has a block buffer; its digest is wiped on release.
    std::unique_ptr<TDigHash> hash = THash_SHA256::Class().Create();
    hash->StartDigest();
    hash->Feed("abc", 3);
    hash->FinishDigest();
    const void* digest = hash->DigestBytes();
    TWipeLog log;
    hash.reset();
    EXPECT_GE(log.FindZeroed(digest, 32), 0);
}

TEST(DigestFramework, ByteSwaps) {
    EXPECT_EQ(ByteSwap32(0x11223344u), 0x44332211u);
    uint32_t words[3] = {0x01020304u, 0xA0B0C0D0u, 0};
    ByteSwapArray32(words, words, 2);
    EXPECT_EQ(words[0], 0x04030201u);
    EXPECT_EQ(words[1], 0xD0C0B0A0u);
    uint64_t wide[2] = {0x0102030405060708u, 0};
    uint64_t swapped[2] = {7, 7};
    ByteSwapArray64(wide, swapped, 1);
    EXPECT_EQ(swapped[0], 0x0807060504030201u);
    EXPECT_EQ(swapped[1], 7u);
    ByteSwapArray32(words, words, 0);
    EXPECT_EQ(words[0], 0x04030201u);
}

} // namespace
