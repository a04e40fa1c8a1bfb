#pragma once

#include <QString>

#include <chrono>
#include <cstdint>

// The record of one row of the file list: the file's path, its processing status and, for each
// algorithm, whether its digest is wanted and the digest once computed.
struct TCVNInfo {
    static constexpr uint8_t StatusWaiting = 0;
    static constexpr uint8_t StatusCalculating = 1;
    static constexpr uint8_t StatusDone = 2;
    // The last attempt could not read the file; tried again later.
    static constexpr uint8_t StatusFailed = 3;

    QString FileName;
    uint8_t Status = StatusWaiting;
    bool CRC32Wanted = false;
    QString CRC32Digest;
    bool SHA1Wanted = false;
    QString SHA1Digest;
    bool SHA256Wanted = false;
    QString SHA256Digest;
    bool SHA512Wanted = false;
    QString SHA512Digest;
    bool MD5Wanted = false;
    QString MD5Digest;

    // Failed attempts in a row, and when the row may be tried again.
    int Failures = 0;
    std::chrono::steady_clock::time_point RetryAt;

    // By algorithm index: 0 CRC32, 1 SHA-1, 2 SHA-256, 3 SHA-512, anything else MD5.
    bool& Wanted(int index);
    QString& Digest(int index);

    // The lowest algorithm index whose digest is wanted and still missing, or -1.
    int FirstMissing();
};

// Waiting while a wanted digest is missing, else Done; a row being calculated keeps its status.
void RefreshInfoStatus(TCVNInfo& info);
