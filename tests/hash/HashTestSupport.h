#pragma once

#include "hash/DigFmt.h"
#include "hash/DigUtil.h"

#include <gtest/gtest.h>
#include <openssl/evp.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

inline std::string Hex(const void* data, std::size_t length) {
    return TFormat_HEX::FormatBytes(data, static_cast<int32_t>(length));
}

inline std::string Hex(const std::string& bytes) {
    return Hex(bytes.data(), bytes.size());
}

// The reference digest from libcrypto, in upper-case hexadecimal.
inline std::string OpenSSLHex(const EVP_MD* md, const void* data, std::size_t length) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int digestLength = 0;
    EVP_Digest(data, length, digest, &digestLength, md, nullptr);
    return Hex(digest, digestLength);
}

// Records every wipe while alive, checking that each wiped range really is zero.
class TWipeLog {
public:
    struct TRange {
        const uint8_t* Start;
        int64_t Length;
        bool AllZero;
        bool Covers(const void* start, int64_t length) const {
            const auto* p = static_cast<const uint8_t*>(start);
            return p >= Start && p + length <= Start + Length;
        }
    };

    TWipeLog() {
        Active() = this;
        SetWipeObserver(&Observe);
    }
    ~TWipeLog() {
        SetWipeObserver(nullptr);
        Active() = nullptr;
    }

    std::vector<TRange> Ranges;

    // The index of the first recorded range that covers the given one and was zero, or -1.
    int FindZeroed(const void* start, int64_t length) const {
        for (std::size_t i = 0; i < Ranges.size(); ++i)
            if (Ranges[i].AllZero && Ranges[i].Covers(start, length))
                return static_cast<int>(i);
        return -1;
    }

private:
    static TWipeLog*& Active() {
        static TWipeLog* active = nullptr;
        return active;
    }
    static void Observe(const void* buffer, int64_t length) {
        const auto* bytes = static_cast<const uint8_t*>(buffer);
        bool zero = true;
        for (int64_t i = 0; i < length; ++i)
            zero = zero && bytes[i] == 0;
        Active()->Ranges.push_back({bytes, length, zero});
    }
};

// A fresh folder per test for the files it writes.
class TTempFolderTest : public testing::Test {
protected:
    void SetUp() override {
        FDir = std::filesystem::temp_directory_path() /
               ("corvanth-hash-" + std::to_string(::getpid()));
        std::filesystem::create_directories(FDir);
    }
    void TearDown() override { std::filesystem::remove_all(FDir); }

    std::filesystem::path Write(const std::string& name, const std::string& content) {
        const std::filesystem::path path = FDir / name;
        std::ofstream(path, std::ios::binary) << content;
        return path;
    }

    std::filesystem::path FDir;
};
