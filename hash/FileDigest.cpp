#include "hash/FileDigest.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

namespace {

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

std::string CRCText(uint32_t crc) {
    char text[9];
    std::snprintf(text, sizeof text, "%08X", crc);
    return text;
}

bool Abandoned(const std::atomic<bool>* abandon) {
    return abandon != nullptr && abandon->load(std::memory_order_relaxed);
}

class TAbandonSink final : public TProgressSink {
public:
    explicit TAbandonSink(const std::atomic<bool>* abandon) : FAbandon(abandon) {}
    void Report(int64_t, int64_t, int64_t) override {
        if (Abandoned(FAbandon))
            throw EDigestAbandoned();
    }

private:
    const std::atomic<bool>* FAbandon;
};

// The CRC engine's reader over a file, opened shared like HashFile's. Each request is exactly
// what remains of the size, up to 2048 bytes, so a file that shrank or a failed read raises an
// error instead of ending the checksum early with a checksum of part of the file.
class TCRCFileReader {
public:
    TCRCFileReader(const std::filesystem::path& fileName, const std::atomic<bool>* abandon)
        : CurrentStream(fileName), FAbandon(abandon) {}

    uint64_t Size() { return static_cast<uint64_t>(CurrentStream.Size()); }

    uint32_t ReadChunk(uint8_t* buffer, uint32_t count) {
        if (Abandoned(FAbandon))
            throw EDigestAbandoned();
        CurrentStream.ReadBuffer(buffer, count);
        return count;
    }
    uint32_t operator()(uint8_t* buffer, uint32_t count) { return ReadChunk(buffer, count); }

private:
    TFileStream CurrentStream;
    const std::atomic<bool>* FAbandon;
};

} // namespace

TAlgorithm AlgorithmOfIndex(int index) {
    return index >= 0 && index <= 3 ? static_cast<TAlgorithm>(index) : TAlgorithm::MD5;
}

EDigestAbandoned::EDigestAbandoned() : std::runtime_error("Digest abandoned") {}

TIncrementalDigest::TIncrementalDigest(TAlgorithm algorithm) : FAlgorithm(algorithm) {
    if (algorithm == TAlgorithm::CRC32) {
        CRCPrepareKind(FCRC, CRC32Kind);
        FChecksum = CRCFeed(FCRC, nullptr, 0);
    } else {
        FHash = HashClassOf(algorithm).Create();
        FHash->StartDigest();
    }
}

void TIncrementalDigest::Feed(const void* data, std::size_t length) {
    // The engine counts in 32 bits per call; larger runs go in pieces.
    constexpr std::size_t Piece = std::size_t{1} << 30;
    const auto* bytes = static_cast<const uint8_t*>(data);
    for (std::size_t done = 0; done < length; done += Piece) {
        const std::size_t count = std::min(Piece, length - done);
        if (FHash)
            FHash->Feed(bytes + done, static_cast<int32_t>(count));
        else
            FChecksum = CRCFeed(FCRC, bytes + done, static_cast<uint32_t>(count));
    }
}

std::string TIncrementalDigest::Finish() {
    if (!FHash)
        return CRCText(FChecksum);
    FHash->FinishDigest();
    return FHash->DigestText(&TFormat_HEX::Class());
}

std::string DigestOfBuffer(TAlgorithm algorithm, const void* data, std::size_t length) {
    if (length <= INT32_MAX) {
        if (algorithm == TAlgorithm::CRC32)
            return CRCText(CRCOfBuffer(CRC32Kind, data, static_cast<uint32_t>(length)));
        return HashBuffer(HashClassOf(algorithm), data, static_cast<int32_t>(length),
                          &TFormat_HEX::Class());
    }
    TIncrementalDigest digest(algorithm);
    digest.Feed(data, length);
    return digest.Finish();
}

std::string DigestOfFile(TAlgorithm algorithm, const std::filesystem::path& fileName,
                         const std::atomic<bool>* abandon) {
    if (algorithm != TAlgorithm::CRC32) {
        TAbandonSink sink(abandon);
        return HashFile(HashClassOf(algorithm), fileName, &TFormat_HEX::Class(),
                        abandon != nullptr ? &sink : nullptr);
    }
    TCRCFileReader reader(fileName, abandon);
    return CRCText(CRCOfReader(CRC32Kind, reader.Size(), reader));
}
