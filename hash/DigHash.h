#pragma once

#include "hash/DigFmt.h"
#include "hash/DigStream.h"
#include "hash/DigUtil.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

class TDigHash;

// A hash class as a value: its name, its lengths and its virtual constructor.
struct TDigHashClass : TDigClass {
    int32_t DigestLength;
    int32_t BlockLength;
    std::unique_ptr<TDigHash> (*Create)();
};

// Told where a stream digest stands: before each chunk, and once at the end.
class TProgressSink {
public:
    virtual ~TProgressSink() = default;
    virtual void Report(int64_t start, int64_t end, int64_t current) = 0;
};

// The read chunk of HashStream; set to 8192 when found not positive.
inline std::atomic<int32_t> StreamChunkSize{8192};

// Abstract hash: start, feed any runs of bytes, finish, then read the digest.
class TDigHash : public TDigObject {
public:
    ~TDigHash() override;

    virtual const TDigHashClass& HashClass() const = 0;
    int32_t DigestLength() const { return HashClass().DigestLength; }
    int32_t BlockLength() const { return HashClass().BlockLength; }

    void StartDigest();
    void Feed(const void* data, int32_t length);
    void FinishDigest();
    virtual uint8_t* DigestBytes() = 0;
    std::string DigestText(const TDigFormatClass* format = nullptr);

    // The first byte of the end padding; 0 means the standard 0x80, which is stored on finish.
    uint8_t PaddingByte() const { return FPaddingByte; }
    void SetPaddingByte(uint8_t value) { FPaddingByte = value; }

protected:
    TDigHash() = default;

    virtual void Compress(const uint8_t* block) = 0;
    // Compresses count whole blocks lying one after another; the same as count Compress calls.
    virtual void CompressBlocks(const uint8_t* blocks, std::size_t count);
    virtual void ResetState() = 0;
    virtual void PadAndClose() = 0;

    // Adds 8 * length to BitCount; raises when the 256-bit counter would overflow.
    void CountBits(int32_t length);
    // Appends the padding byte and zeros up to the last lengthFieldSize bytes of BlockBuffer,
    // compressing a block first when the length field no longer fits.
    void PadToLengthField(int32_t lengthFieldSize);

    uint32_t BitCount[8] = {}; // 256-bit count of bits fed, least significant word first
    std::unique_ptr<uint8_t[]> BlockBuffer;
    int32_t BlockBufferLength = 0;
    int32_t BlockFill = 0;
    uint8_t FPaddingByte = 0;

private:
    void ReleaseBlockBuffer();
};

// Hashes with 64-byte blocks and 32-bit state words; a little-endian length field.
class THashBaseMD4 : public TDigHash {
public:
    ~THashBaseMD4() override;
    uint8_t* DigestBytes() override;

protected:
    void ResetState() override;
    void PadAndClose() override;

    uint32_t State[10] = {};
};

class THash_MD5 : public THashBaseMD4 {
public:
    static const TDigHashClass& Class();
    const TDigHashClass& HashClass() const override;

protected:
    void Compress(const uint8_t* block) override;
    void CompressBlocks(const uint8_t* blocks, std::size_t count) override;
};

// The first Secure Hash Algorithm; its descendant THash_SHA1 adds the schedule's rotation.
class THash_SHA : public THashBaseMD4 {
public:
    static const TDigHashClass& Class();
    const TDigHashClass& HashClass() const override;

protected:
    void Compress(const uint8_t* block) override;
    void CompressBlocks(const uint8_t* blocks, std::size_t count) override;
    void PadAndClose() override;
};

class THash_SHA1 : public THash_SHA {
public:
    static const TDigHashClass& Class();
    const TDigHashClass& HashClass() const override;
};

class THash_SHA256 : public THash_SHA {
public:
    static const TDigHashClass& Class();
    const TDigHashClass& HashClass() const override;

protected:
    void Compress(const uint8_t* block) override;
    void CompressBlocks(const uint8_t* blocks, std::size_t count) override;
    void ResetState() override;
};

// 128-byte blocks, 64-bit state words, a 128-bit big-endian length field.
class THash_SHA384 : public TDigHash {
public:
    ~THash_SHA384() override;
    static const TDigHashClass& Class();
    const TDigHashClass& HashClass() const override;
    uint8_t* DigestBytes() override;

protected:
    void Compress(const uint8_t* block) override;
    void CompressBlocks(const uint8_t* blocks, std::size_t count) override;
    void ResetState() override;
    void PadAndClose() override;

    uint64_t State[8] = {};
};

class THash_SHA512 : public THash_SHA384 {
public:
    static const TDigHashClass& Class();
    const TDigHashClass& HashClass() const override;

protected:
    void ResetState() override;
};

// Class-level operations: each creates its own object and releases it, also on an error.
std::string HashBuffer(const TDigHashClass& hashClass, const void* data, int32_t length,
                       const TDigFormatClass* format);
// A negative size hashes the whole stream from position 0.
std::string HashStream(const TDigHashClass& hashClass, TStream& stream, int64_t size,
                       const TDigFormatClass* format, TProgressSink* sink);
std::string HashFile(const TDigHashClass& hashClass, const std::filesystem::path& fileName,
                     const TDigFormatClass* format, TProgressSink* sink);
