#include "cli/StreamDigest.h"

#include "hash/CRC.h"
#include "hash/DigHash.h"

#include <cerrno>
#include <cstdint>
#include <memory>
#include <system_error>
#include <vector>

namespace {

// The CRC kind that the program calls "CRC32".
constexpr CRCKind CRC32Kind = 7;

const TDigHashClass& HashClassOf(TAlgorithm algorithm) {
    switch (algorithm) {
    case TAlgorithm::SHA1:
        return THash_SHA1::Class();
    case TAlgorithm::SHA256:
        return THash_SHA256::Class();
    case TAlgorithm::SHA512:
        return THash_SHA512::Class();
    default:
        return THash_MD5::Class();
    }
}

// A chunk buffer that is wiped when released, as the engine does with message bytes.
class TChunk {
public:
    TChunk() : Bytes(ChunkSize()) {}
    ~TChunk() { WipeBuffer(Bytes.data(), static_cast<int64_t>(Bytes.size())); }
    TChunk(const TChunk&) = delete;
    TChunk& operator=(const TChunk&) = delete;

    // The next run of bytes, 0 at the end; raises on a read error.
    int32_t ReadFrom(std::FILE* stream) {
        const std::size_t count = std::fread(Bytes.data(), 1, Bytes.size(), stream);
        if (count < Bytes.size() && std::ferror(stream))
            throw std::system_error(errno ? errno : EIO, std::generic_category());
        return static_cast<int32_t>(count);
    }

    const uint8_t* Data() const { return Bytes.data(); }

private:
    static std::size_t ChunkSize() {
        const int32_t size = StreamChunkSize;
        return size > 0 ? size : 8192;
    }

    std::vector<uint8_t> Bytes;
};

std::string HexOfCRC(uint32_t value) {
    char text[9];
    std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(value));
    return text;
}

} // namespace

std::string DigestOfStream(TAlgorithm algorithm, std::FILE* stream) {
    TChunk chunk;
    errno = 0;
    if (algorithm == TAlgorithm::CRC32) {
        CRCState state;
        CRCPrepareKind(state, CRC32Kind);
        uint32_t checksum = CRCFeed(state, nullptr, 0);
        while (const int32_t count = chunk.ReadFrom(stream))
            checksum = CRCFeed(state, chunk.Data(), static_cast<uint32_t>(count));
        return HexOfCRC(checksum);
    }
    std::unique_ptr<TDigHash> hash = HashClassOf(algorithm).Create();
    hash->StartDigest();
    while (const int32_t count = chunk.ReadFrom(stream))
        hash->Feed(chunk.Data(), count);
    hash->FinishDigest();
    return hash->DigestText(&TFormat_HEX::Class());
}
