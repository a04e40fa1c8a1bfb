#include "hash/DigStream.h"

#include "hash/DigUtil.h"
#include "hash/ReadAhead.h"

#include <algorithm>
#include <cstring>
#include <system_error>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

std::string NameText(const std::filesystem::path& fileName) {
    std::error_code ignored;
    std::filesystem::path expanded = std::filesystem::absolute(fileName, ignored);
    if (expanded.empty())
        expanded = fileName;
    const std::u8string text = expanded.u8string();
    return std::string(text.begin(), text.end());
}

std::string SystemText(int code) {
    return std::system_category().message(code);
}

} // namespace

EFOpenError::EFOpenError(const std::filesystem::path& fileName, const std::string& systemText)
    : EStreamError("Cannot open file \"" + NameText(fileName) + "\". " + systemText) {}

EReadError::EReadError() : EStreamError("Stream read error") {}

void TStream::ReadBuffer(void* buffer, int64_t count) {
    auto* bytes = static_cast<uint8_t*>(buffer);
    while (count > 0) {
        const int64_t n = Read(bytes, count);
        if (n <= 0)
            throw EReadError();
        bytes += n;
        count -= n;
    }
}

#ifdef _WIN32

TFileStream::TFileStream(const std::filesystem::path& fileName) {
    FHandle = CreateFileW(fileName.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                          nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (FHandle == INVALID_HANDLE_VALUE)
        throw EFOpenError(fileName, SystemText(static_cast<int>(GetLastError())));
}

TFileStream::~TFileStream() {
    FReadAhead.reset();
    WipeBuffer(FBuffer.get(), FBufferCapacity);
    CloseHandle(FHandle);
}

int64_t TFileStream::Size() {
    LARGE_INTEGER size;
    if (!GetFileSizeEx(FHandle, &size))
        throw EReadError();
    return size.QuadPart;
}

int64_t TFileStream::ReadFromSystem(void* buffer, int64_t count, int64_t offset) const {
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD done = 0;
    const DWORD wanted = static_cast<DWORD>(std::min<int64_t>(count, 1 << 30));
    if (!ReadFile(FHandle, buffer, wanted, &done, &at)) {
        if (GetLastError() == ERROR_HANDLE_EOF)
            return 0;
        throw EReadError();
    }
    return done;
}

#else

TFileStream::TFileStream(const std::filesystem::path& fileName) {
    do
        FHandle = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC);
    while (FHandle < 0 && errno == EINTR);
    if (FHandle < 0)
        throw EFOpenError(fileName, SystemText(errno));
    // A folder opens for reading on POSIX; it is not a file to hash.
    struct stat info;
    int code = 0;
    if (::fstat(FHandle, &info) != 0)
        code = errno;
    else if (S_ISDIR(info.st_mode))
        code = EISDIR;
    if (code != 0) {
        ::close(FHandle);
        throw EFOpenError(fileName, SystemText(code));
    }
    ::posix_fadvise(FHandle, 0, 0, POSIX_FADV_SEQUENTIAL);
}

TFileStream::~TFileStream() {
    FReadAhead.reset();
    WipeBuffer(FBuffer.get(), FBufferCapacity);
    ::close(FHandle);
}

int64_t TFileStream::Size() {
    struct stat info;
    if (::fstat(FHandle, &info) != 0)
        throw EReadError();
    return info.st_size;
}

int64_t TFileStream::ReadFromSystem(void* buffer, int64_t count, int64_t offset) const {
    const auto wanted = static_cast<std::size_t>(std::min<int64_t>(count, 1 << 30));
    for (;;) {
        const ssize_t done = ::pread(FHandle, buffer, wanted, offset);
        if (done >= 0)
            return done;
        if (errno != EINTR)
            throw EReadError();
    }
}

#endif

int64_t TFileStream::Position() {
    return FPosition;
}

void TFileStream::Seek(int64_t position) {
    FPosition = position;
}

bool TFileStream::Refill(int64_t count) {
    // Going on in order from a full buffer: a large file read from start to end.
    const bool onward = FBufferFill > 0 && FPosition == FBufferStart + FBufferFill &&
                        (FReadAhead || FBufferFill == BufferSize);
    FBufferStart = FPosition;
    FBufferFill = 0;
    if (onward && !FReadAhead && !FReadAheadRefused) {
        try {
            FReadAhead = std::make_unique<TReadAhead>(
                [this](void* buffer, int64_t wanted, int64_t offset) {
                    return ReadFromSystem(buffer, wanted, offset);
                },
                ReadAheadSize);
        } catch (const std::system_error&) {
            FReadAheadRefused = true;
        }
    }
    if (onward && FReadAhead) {
        const TReadAhead::TBlock block = FReadAhead->Next(FPosition);
        FData = block.Data;
        FBufferFill = block.Fill;
        return FBufferFill > 0;
    }
    if (FReadAhead)
        FReadAhead->Pause();
    FData = nullptr;
    if (count >= BufferSize)
        return true; // large requests go straight to the caller's memory
    if (!FBuffer) {
        // Small files need no large buffer.
        FBufferCapacity = std::clamp<int64_t>(Size() - FPosition, 4096, BufferSize);
        FBuffer = std::make_unique<uint8_t[]>(static_cast<std::size_t>(FBufferCapacity));
    }
    FBufferFill = ReadFromSystem(FBuffer.get(), FBufferCapacity, FPosition);
    FData = FBuffer.get();
    return FBufferFill > 0;
}

int64_t TFileStream::Read(void* buffer, int64_t count) {
    if (count <= 0)
        return 0;
    if (FPosition < FBufferStart || FPosition >= FBufferStart + FBufferFill) {
        if (!Refill(count))
            return 0;
        if (FData == nullptr) {
            const int64_t done = ReadFromSystem(buffer, count, FPosition);
            FPosition += done;
            return done;
        }
    }
    const int64_t offset = FPosition - FBufferStart;
    const int64_t n = std::min(count, FBufferFill - offset);
    std::memcpy(buffer, FData + offset, static_cast<std::size_t>(n));
    FPosition += n;
    return n;
}
