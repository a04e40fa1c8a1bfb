#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

// Reads a file ahead of its reader on a helper thread, so that the system's copy of the next
// block overlaps the reader's work on the current one. The helper starts with the object and
// reads only while the reader is going forward in order; it stops and is joined on destruction.
class TReadAhead {
public:
    // Reads up to count bytes at offset; 0 at the end of the file; throws on a failure.
    using TReader = std::function<int64_t(void* buffer, int64_t count, int64_t offset)>;

    TReadAhead(TReader reader, int64_t blockSize);
    ~TReadAhead();
    TReadAhead(const TReadAhead&) = delete;
    TReadAhead& operator=(const TReadAhead&) = delete;

    struct TBlock {
        const uint8_t* Data;
        int64_t Fill; // 0 at the end of the file
    };
    // The block of file bytes at offset, valid until the next call. Gives back the block handed
    // out before; goes on reading ahead after this one. Throws EReadError where the file could
    // not be read, and tries that read again on the next call.
    TBlock Next(int64_t offset);
    // Drops what was read ahead and the block handed out; the helper idles until Next.
    void Pause();

private:
    struct TSlot {
        std::unique_ptr<uint8_t[]> Data;
        int64_t Start = 0;
        int64_t Fill = 0;
    };

    void Run();
    // Both with FLock held.
    void DropPending();
    void RestartAt(int64_t offset);

    TReader FReader;
    const int64_t FBlockSize;
    std::vector<TSlot> FSlots;

    std::mutex FLock;
    std::condition_variable FWake; // to the helper: a slot came free, a restart, or stop
    std::condition_variable FDone; // to the reader: a block arrived, or the reading ended
    std::vector<int> FFree;        // slots the helper may fill
    std::vector<int> FFilled;      // filled slots in file order (a short queue)
    int FHeld = -1;                // the slot handed out by Next
    int64_t FNextOffset = -1;      // where the helper reads next; -1 when idle
    uint64_t FGeneration = 0;      // bumped whenever pending reads become stale
    bool FEnded = true;            // end of file, a failure, or paused: the helper waits
    bool FFailed = false;          // the read at FNextOffset failed
    bool FStop = false;
    std::thread FHelper;
};
