#include "hash/DigHash.h"

#include "hash/HashDispatch.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr const char* NotInitialized = "Hash must be initialized";
constexpr const char* TooManyBits = "Hash function have to many bits processed";

template <class T>
std::unique_ptr<TDigHash> Create() {
    return std::make_unique<T>();
}

const TDigHashClass MD5Class{{"THash_MD5"}, 16, 64, Create<THash_MD5>};
const TDigHashClass SHAClass{{"THash_SHA"}, 20, 64, Create<THash_SHA>};
const TDigHashClass SHA1Class{{"THash_SHA1"}, 20, 64, Create<THash_SHA1>};
const TDigHashClass SHA256Class{{"THash_SHA256"}, 32, 64, Create<THash_SHA256>};
const TDigHashClass SHA384Class{{"THash_SHA384"}, 48, 128, Create<THash_SHA384>};
const TDigHashClass SHA512Class{{"THash_SHA512"}, 64, 128, Create<THash_SHA512>};

void StoreLE32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<uint8_t>(v >> (8 * i));
}

void StoreBE32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<uint8_t>(v >> (24 - 8 * i));
}

} // namespace

// TDigHash

TDigHash::~TDigHash() {
    ReleaseBlockBuffer();
}

void TDigHash::ReleaseBlockBuffer() {
    WipeBuffer(BlockBuffer.get(), BlockBufferLength);
    BlockBuffer.reset();
    BlockBufferLength = 0;
}

void TDigHash::StartDigest() {
    BlockFill = 0;
    const int32_t length = BlockLength();
    if (!BlockBuffer || BlockBufferLength != length) {
        ReleaseBlockBuffer();
        BlockBuffer = std::make_unique<uint8_t[]>(static_cast<std::size_t>(length));
    }
    BlockBufferLength = length;
    std::memset(BlockBuffer.get(), 0, static_cast<std::size_t>(length));
    std::fill(std::begin(BitCount), std::end(BitCount), 0u);
    ResetState();
}

void TDigHash::CountBits(int32_t length) {
    uint32_t sum[8];
    uint64_t carry = static_cast<uint64_t>(length) * 8;
    for (int i = 0; i < 8; ++i) {
        carry += BitCount[i];
        sum[i] = static_cast<uint32_t>(carry);
        carry >>= 32;
    }
    if (carry != 0)
        throw EDigException(TooManyBits);
    std::copy(std::begin(sum), std::end(sum), BitCount);
}

void TDigHash::Feed(const void* data, int32_t length) {
    if (length <= 0)
        return;
    if (!BlockBuffer)
        throw EDigException(NotInitialized);
    CountBits(length);
    const auto* bytes = static_cast<const uint8_t*>(data);
    if (BlockFill > 0) {
        const int32_t room = BlockBufferLength - BlockFill;
        if (room > length) {
            std::memcpy(BlockBuffer.get() + BlockFill, bytes, static_cast<std::size_t>(length));
            BlockFill += length;
            return;
        }
        std::memcpy(BlockBuffer.get() + BlockFill, bytes, static_cast<std::size_t>(room));
        Compress(BlockBuffer.get());
        bytes += room;
        length -= room;
    }
    // Whole blocks are compressed where they lie in the caller's memory.
    const int32_t blocks = length / BlockBufferLength;
    if (blocks > 0) {
        CompressBlocks(bytes, static_cast<std::size_t>(blocks));
        bytes += blocks * BlockBufferLength;
        length -= blocks * BlockBufferLength;
    }
    std::memcpy(BlockBuffer.get(), bytes, static_cast<std::size_t>(length));
    BlockFill = length;
}

void TDigHash::FinishDigest() {
    if (!BlockBuffer)
        throw EDigException(NotInitialized);
    PadAndClose();
    ReleaseBlockBuffer();
}

std::string TDigHash::DigestText(const TDigFormatClass* format) {
    return ToText(format, DigestBytes(), DigestLength());
}

void TDigHash::CompressBlocks(const uint8_t* blocks, std::size_t count) {
    for (; count > 0; --count, blocks += BlockBufferLength)
        Compress(blocks);
}

void TDigHash::PadToLengthField(int32_t lengthFieldSize) {
    if (FPaddingByte == 0)
        FPaddingByte = 0x80;
    uint8_t* buffer = BlockBuffer.get();
    buffer[BlockFill++] = FPaddingByte;
    if (BlockFill > BlockBufferLength - lengthFieldSize) {
        std::memset(buffer + BlockFill, 0, static_cast<std::size_t>(BlockBufferLength - BlockFill));
        Compress(buffer);
        BlockFill = 0;
    }
    std::memset(buffer + BlockFill, 0, static_cast<std::size_t>(BlockBufferLength - BlockFill));
}

// THashBaseMD4

THashBaseMD4::~THashBaseMD4() {
    WipeBuffer(State, sizeof State);
}

uint8_t* THashBaseMD4::DigestBytes() {
    return reinterpret_cast<uint8_t*>(State);
}

void THashBaseMD4::ResetState() {
    State[0] = 0x67452301u;
    State[1] = 0xEFCDAB89u;
    State[2] = 0x98BADCFEu;
    State[3] = 0x10325476u;
    State[4] = 0xC3D2E1F0u;
}

void THashBaseMD4::PadAndClose() {
    if (BitCount[2] != 0 || BitCount[3] != 0)
        throw EDigException(TooManyBits);
    PadToLengthField(8);
    uint8_t* lengthField = BlockBuffer.get() + BlockBufferLength - 8;
    StoreLE32(lengthField, BitCount[0]);
    StoreLE32(lengthField + 4, BitCount[1]);
    Compress(BlockBuffer.get());
}

// THash_MD5

const TDigHashClass& THash_MD5::Class() {
    return MD5Class;
}
const TDigHashClass& THash_MD5::HashClass() const {
    return MD5Class;
}

void THash_MD5::Compress(const uint8_t* block) {
    CompressBlocks(block, 1);
}

void THash_MD5::CompressBlocks(const uint8_t* blocks, std::size_t count) {
    ActiveCompress32(TCompressAlgorithm::MD5)(State, blocks, count);
}

// THash_SHA, THash_SHA1

const TDigHashClass& THash_SHA::Class() {
    return SHAClass;
}
const TDigHashClass& THash_SHA::HashClass() const {
    return SHAClass;
}
const TDigHashClass& THash_SHA1::Class() {
    return SHA1Class;
}
const TDigHashClass& THash_SHA1::HashClass() const {
    return SHA1Class;
}

void THash_SHA::Compress(const uint8_t* block) {
    CompressBlocks(block, 1);
}

void THash_SHA::CompressBlocks(const uint8_t* blocks, std::size_t count) {
    // Only the exact class computes the first SHA; every descendant gets SHA-1's schedule.
    if (&HashClass() == &SHAClass)
        SHA0CompressPortable(State, blocks, count);
    else
        ActiveCompress32(TCompressAlgorithm::SHA1)(State, blocks, count);
}

void THash_SHA::PadAndClose() {
    if (BitCount[2] != 0 || BitCount[3] != 0)
        throw EDigException(TooManyBits);
    PadToLengthField(8);
    uint8_t* lengthField = BlockBuffer.get() + BlockBufferLength - 8;
    StoreBE32(lengthField, BitCount[1]);
    StoreBE32(lengthField + 4, BitCount[0]);
    Compress(BlockBuffer.get());
    ByteSwapArray32(State, State, 10);
}

// THash_SHA256

const TDigHashClass& THash_SHA256::Class() {
    return SHA256Class;
}
const TDigHashClass& THash_SHA256::HashClass() const {
    return SHA256Class;
}

void THash_SHA256::Compress(const uint8_t* block) {
    CompressBlocks(block, 1);
}

void THash_SHA256::CompressBlocks(const uint8_t* blocks, std::size_t count) {
    ActiveCompress32(TCompressAlgorithm::SHA256)(State, blocks, count);
}

void THash_SHA256::ResetState() {
    static constexpr uint32_t Initial[8] = {0x6A09E667u, 0xBB67AE85u, 0x3C6EF372u, 0xA54FF53Au,
                                            0x510E527Fu, 0x9B05688Cu, 0x1F83D9ABu, 0x5BE0CD19u};
    std::copy(std::begin(Initial), std::end(Initial), State);
}

// THash_SHA384, THash_SHA512

THash_SHA384::~THash_SHA384() {
    WipeBuffer(State, sizeof State);
}

const TDigHashClass& THash_SHA384::Class() {
    return SHA384Class;
}
const TDigHashClass& THash_SHA384::HashClass() const {
    return SHA384Class;
}
const TDigHashClass& THash_SHA512::Class() {
    return SHA512Class;
}
const TDigHashClass& THash_SHA512::HashClass() const {
    return SHA512Class;
}

uint8_t* THash_SHA384::DigestBytes() {
    return reinterpret_cast<uint8_t*>(State);
}

void THash_SHA384::Compress(const uint8_t* block) {
    CompressBlocks(block, 1);
}

void THash_SHA384::CompressBlocks(const uint8_t* blocks, std::size_t count) {
    ActiveCompressSHA512()(State, blocks, count);
}

void THash_SHA384::ResetState() {
    static constexpr uint64_t Initial[8] = {
        0xCBBB9D5DC1059ED8u, 0x629A292A367CD507u, 0x9159015A3070DD17u, 0x152FECD8F70E5939u,
        0x67332667FFC00B31u, 0x8EB44A8768581511u, 0xDB0C2E0D64F98FA7u, 0x47B5481DBEFA4FA4u};
    std::copy(std::begin(Initial), std::end(Initial), State);
}

void THash_SHA512::ResetState() {
    static constexpr uint64_t Initial[8] = {
        0x6A09E667F3BCC908u, 0xBB67AE8584CAA73Bu, 0x3C6EF372FE94F82Bu, 0xA54FF53A5F1D36F1u,
        0x510E527FADE682D1u, 0x9B05688C2B3E6C1Fu, 0x1F83D9ABFB41BD6Bu, 0x5BE0CD19137E2179u};
    std::copy(std::begin(Initial), std::end(Initial), State);
}

void THash_SHA384::PadAndClose() {
    PadToLengthField(16);
    uint8_t* lengthField = BlockBuffer.get() + BlockBufferLength - 16;
    for (int word = 0; word < 4; ++word)
        StoreBE32(lengthField + 4 * word, BitCount[3 - word]);
    Compress(BlockBuffer.get());
    ByteSwapArray64(State, State, 8);
}

// Class-level operations

std::string HashBuffer(const TDigHashClass& hashClass, const void* data, int32_t length,
                       const TDigFormatClass* format) {
    std::unique_ptr<TDigHash> hash = hashClass.Create();
    hash->StartDigest();
    hash->Feed(data, length);
    hash->FinishDigest();
    return hash->DigestText(format);
}

std::string HashStream(const TDigHashClass& hashClass, TStream& stream, int64_t size,
                       const TDigFormatClass* format, TProgressSink* sink) {
    std::unique_ptr<TDigHash> hash;
    std::string buffer;
    // Known once the stream has been asked; the final report goes out on every road.
    int64_t start = 0;
    int64_t end = 0;
    // Cleanup runs on both roads out; the final report must not replace an error in flight.
    auto cleanUp = [&] {
        hash.reset();
        WipeByteString(buffer);
    };
    std::string result;
    try {
        hash = hashClass.Create();
        hash->StartDigest();
        int32_t expected = StreamChunkSize.load(std::memory_order_relaxed);
        while (expected <= 0 && !StreamChunkSize.compare_exchange_weak(expected, 8192))
            ;
        if (size < 0) {
            stream.Seek(0);
            size = stream.Size();
            start = 0;
        } else {
            start = stream.Position();
        }
        int64_t chunk = StreamChunkSize.load(std::memory_order_relaxed);
        const int64_t blockLength = hashClass.BlockLength;
        if (chunk % blockLength != 0)
            chunk += blockLength - chunk % blockLength;
        // Feed counts in 32 bits: a chunk rounded up past that would be fed as nothing.
        if (chunk > INT32_MAX)
            chunk -= blockLength;
        end = start + size;

        buffer.resize(static_cast<std::size_t>(std::min(chunk, size)));
        int64_t position = start;
        while (size > 0) {
            if (sink != nullptr)
                sink->Report(start, end, position);
            const int64_t n = std::min(static_cast<int64_t>(buffer.size()), size);
            stream.ReadBuffer(buffer.data(), n);
            hash->Feed(buffer.data(), static_cast<int32_t>(n));
            size -= n;
            position += n;
        }
        hash->FinishDigest();
        result = hash->DigestText(format);
    } catch (...) {
        cleanUp();
        if (sink != nullptr) {
            try {
                sink->Report(start, end, end);
            } catch (...) {
            }
        }
        throw;
    }
    cleanUp();
    if (sink != nullptr)
        sink->Report(start, end, end);
    return result;
}

std::string HashFile(const TDigHashClass& hashClass, const std::filesystem::path& fileName,
                     const TDigFormatClass* format, TProgressSink* sink) {
    TFileStream stream(fileName);
    return HashStream(hashClass, stream, stream.Size(), format, sink);
}
