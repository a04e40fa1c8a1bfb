#pragma once

#include "hash/CRC.h"
#include "hash/DigHash.h"

#include <atomic>
#include <cstddef>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>

// The compute step that the window and corvanth-sum share.

enum class TAlgorithm { CRC32 = 0, SHA1 = 1, SHA256 = 2, SHA512 = 3, MD5 = 4 };

// Indexes 0 to 3 as they are; anything else is MD5.
TAlgorithm AlgorithmOfIndex(int index);

// Raised by DigestOfFile when its abandon flag was set.
class EDigestAbandoned : public std::runtime_error {
public:
    EDigestAbandoned();
};

// The same digest fed run by run, for input whose size is not known beforehand (standard input,
// pipes); the result equals DigestOfBuffer's over the concatenated runs.
class TIncrementalDigest {
public:
    explicit TIncrementalDigest(TAlgorithm algorithm);
    void Feed(const void* data, std::size_t length);
    // Upper-case hexadecimal; call once.
    std::string Finish();

private:
    TAlgorithm FAlgorithm;
    CRCState FCRC;
    uint32_t FChecksum = 0;
    std::unique_ptr<TDigHash> FHash;
};

// Upper-case hexadecimal; 8 digits for CRC32.
std::string DigestOfBuffer(TAlgorithm algorithm, const void* data, std::size_t length);

// Upper-case hexadecimal of the whole file. Raises on any failure (cannot open, read error, the
// file shrank) and EDigestAbandoned once *abandon is true, checked at least once per read chunk;
// never returns a digest of part of the file.
std::string DigestOfFile(TAlgorithm algorithm, const std::filesystem::path& fileName,
                         const std::atomic<bool>* abandon = nullptr);
