#include "hash/ReadAhead.h"

#include "hash/DigStream.h"
#include "hash/DigUtil.h"

#include <utility>

namespace {

// One block in the reader's hands and one being read: a third measured slower for some hashes.
constexpr int SlotCount = 2;

// The helper's next offset when nothing is under way: no reader's offset matches it.
constexpr int64_t NoOffset = -1;

} // namespace

TReadAhead::TReadAhead(TReader reader, int64_t blockSize)
    : FReader(std::move(reader)), FBlockSize(blockSize), FSlots(SlotCount) {
    for (int i = 0; i < SlotCount; ++i) {
        FSlots[i].Data = std::make_unique<uint8_t[]>(static_cast<std::size_t>(blockSize));
        FFree.push_back(i);
    }
    FHelper = std::thread([this] { Run(); });
}

TReadAhead::~TReadAhead() {
    {
        std::lock_guard guard(FLock);
        FStop = true;
        ++FGeneration;
    }
    FWake.notify_one();
    FHelper.join();
    for (TSlot& slot : FSlots)
        WipeBuffer(slot.Data.get(), FBlockSize);
}

void TReadAhead::Run() {
    std::unique_lock lock(FLock);
    for (;;) {
        FWake.wait(lock, [this] { return FStop || (!FEnded && !FFree.empty()); });
        if (FStop)
            return;
        const int index = FFree.back();
        FFree.pop_back();
        TSlot& slot = FSlots[index];
        const int64_t offset = FNextOffset;
        const uint64_t generation = FGeneration;
        lock.unlock();
        int64_t fill = 0;
        bool failed = false;
        try {
            fill = FReader(slot.Data.get(), FBlockSize, offset);
        } catch (...) {
            failed = true;
        }
        lock.lock();
        if (generation != FGeneration || fill == 0) {
            FFree.push_back(index);
            if (generation == FGeneration) {
                FEnded = true;
                FFailed = failed;
                FDone.notify_one();
            }
            continue;
        }
        slot.Start = offset;
        slot.Fill = fill;
        FFilled.push_back(index);
        FNextOffset = offset + fill;
        FDone.notify_one();
    }
}

void TReadAhead::DropPending() {
    FFree.insert(FFree.end(), FFilled.begin(), FFilled.end());
    FFilled.clear();
    if (FHeld >= 0)
        FFree.push_back(FHeld);
    FHeld = -1;
    ++FGeneration;
    FFailed = false;
}

void TReadAhead::RestartAt(int64_t offset) {
    FNextOffset = offset;
    FEnded = false;
    FFailed = false;
    FWake.notify_one();
}

TReadAhead::TBlock TReadAhead::Next(int64_t offset) {
    std::unique_lock lock(FLock);
    if (FHeld >= 0) {
        FFree.push_back(FHeld);
        FHeld = -1;
        FWake.notify_one();
    }
    const int64_t expected = FFilled.empty() ? FNextOffset : FSlots[FFilled.front()].Start;
    if (offset != expected) {
        DropPending();
        RestartAt(offset);
    }
    FDone.wait(lock, [this] { return !FFilled.empty() || FEnded; });
    if (!FFilled.empty()) {
        FHeld = FFilled.front();
        FFilled.erase(FFilled.begin());
        return {FSlots[FHeld].Data.get(), FSlots[FHeld].Fill};
    }
    // The end or the failure is reported once; the next call asks the file again.
    const bool failed = FFailed;
    FNextOffset = NoOffset;
    if (failed)
        throw EReadError();
    return {nullptr, 0};
}

void TReadAhead::Pause() {
    std::lock_guard guard(FLock);
    DropPending();
    FEnded = true;
    FNextOffset = NoOffset;
}
