#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <stdexcept>

class TReadAhead;

// Errors of the stream layer.
class EStreamError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// "Cannot open file \"%s\". %s": the absolute file name, then the system's error text.
class EFOpenError : public EStreamError {
public:
    EFOpenError(const std::filesystem::path& fileName, const std::string& systemText);
};

// "Stream read error": fewer bytes could be read than were required, or the system failed.
class EReadError : public EStreamError {
public:
    EReadError();
};

// A seekable byte stream that knows its size.
class TStream {
public:
    virtual ~TStream() = default;

    virtual int64_t Size() = 0;
    virtual int64_t Position() = 0;
    // Moves to an absolute position.
    virtual void Seek(int64_t position) = 0;
    // Reads up to count bytes; returns how many arrived, 0 only at the end of the stream.
    // A system failure raises EReadError.
    virtual int64_t Read(void* buffer, int64_t count) = 0;

    // Reads exactly count bytes or raises EReadError.
    void ReadBuffer(void* buffer, int64_t count);
};

// An existing file opened for reading only, shared with other readers and writers. Reads go
// through a large internal buffer, so many small requests cost few system calls; a large file
// read in order is read ahead on a helper thread, so the system's copy overlaps the reader's work.
class TFileStream : public TStream {
public:
    explicit TFileStream(const std::filesystem::path& fileName);
    ~TFileStream() override;
    TFileStream(const TFileStream&) = delete;
    TFileStream& operator=(const TFileStream&) = delete;

    int64_t Size() override;
    int64_t Position() override;
    void Seek(int64_t position) override;
    int64_t Read(void* buffer, int64_t count) override;

    static constexpr int64_t BufferSize = 1 << 20;
    // The blocks the helper thread reads ahead in.
    static constexpr int64_t ReadAheadSize = 2 << 20;

private:
    // One positional read; 0 at the end of the file. Safe from any thread.
    int64_t ReadFromSystem(void* buffer, int64_t count, int64_t offset) const;
    // Points FData at the bytes at FPosition; false at the end of the file.
    bool Refill(int64_t count);

#ifdef _WIN32
    void* FHandle;
#else
    int FHandle;
#endif
    std::unique_ptr<uint8_t[]> FBuffer;
    std::unique_ptr<TReadAhead> FReadAhead;
    bool FReadAheadRefused = false; // no helper thread could be started
    const uint8_t* FData = nullptr; // FBuffer, or the block the helper read
    int64_t FBufferStart = 0;       // file offset of FData[0]
    int64_t FBufferFill = 0;        // valid bytes at FData
    int64_t FBufferCapacity = 0;
    int64_t FPosition = 0; // position of the stream as its readers see it
};
