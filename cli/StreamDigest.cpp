#include "cli/StreamDigest.h"

#include "hash/DigUtil.h"

#include <cerrno>
#include <cstdint>
#include <memory>
#include <system_error>
#include <vector>

namespace {

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

} // namespace

std::string DigestOfStream(TAlgorithm algorithm, std::FILE* stream) {
    TChunk chunk;
    errno = 0;
    TIncrementalDigest digest(algorithm);
    while (const int32_t count = chunk.ReadFrom(stream))
        digest.Feed(chunk.Data(), static_cast<std::size_t>(count));
    return digest.Finish();
}
