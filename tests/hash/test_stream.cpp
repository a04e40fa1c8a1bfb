// HashStream over synthetic streams, and the file stream underneath HashFile.

#include "HashTestSupport.h"
#include "hash/DigHash.h"
#include "hash/HashDispatch.h"
#include "hash/ReadAhead.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <cstring>
#include <fstream>
#include <mutex>
#include <random>
#include <thread>
#include <unistd.h>

namespace {

uint8_t ByteAt(int64_t position) {
    return static_cast<uint8_t>(position * 131 + (position >> 9));
}

// A stream of a given size whose byte at position p is ByteAt(p); it logs every request.
// With fillBytes false it leaves the caller's buffer untouched, for very long streams.
class TSyntheticStream : public TStream {
public:
    TSyntheticStream(int64_t size, int64_t available, bool fillBytes = true)
        : FSize(size), FAvailable(available), FFill(fillBytes) {}

    int64_t Size() override { return FSize; }
    int64_t Position() override { return FPosition; }
    void Seek(int64_t position) override { FPosition = position; }
    int64_t Read(void* buffer, int64_t count) override {
        Requests.push_back(count);
        const int64_t n = std::max<int64_t>(0, std::min(count, FAvailable - FPosition));
        if (FFill)
            for (int64_t i = 0; i < n; ++i)
                static_cast<uint8_t*>(buffer)[i] = ByteAt(FPosition + i);
        FPosition += n;
        Delivered += n;
        return n;
    }

    std::vector<int64_t> Requests;
    int64_t Delivered = 0;

private:
    int64_t FSize, FAvailable, FPosition = 0;
    bool FFill;
};

struct TReport {
    int64_t Start, End, Current;
    bool operator==(const TReport&) const = default;
};

class TRecordingSink : public TProgressSink {
public:
    void Report(int64_t start, int64_t end, int64_t current) override {
        Reports.push_back({start, end, current});
    }
    std::vector<TReport> Reports;
};

std::string ReferenceMD5(int64_t from, int64_t count) {
    std::string bytes;
    for (int64_t i = 0; i < count; ++i)
        bytes.push_back(static_cast<char>(ByteAt(from + i)));
    return OpenSSLHex(EVP_md5(), bytes.data(), bytes.size());
}

TEST(HashStream, ReadsInChunksFromTheCurrentPosition) {
    TSyntheticStream stream(30000, 30000);
    stream.Seek(1000);
    TRecordingSink sink;
    const std::string digest =
        HashStream(THash_MD5::Class(), stream, 2 * 8192 + 5, &TFormat_HEX::Class(), &sink);
    EXPECT_EQ(digest, ReferenceMD5(1000, 2 * 8192 + 5));
    EXPECT_EQ(stream.Requests, (std::vector<int64_t>{8192, 8192, 5}));
    const int64_t end = 1000 + 2 * 8192 + 5;
    EXPECT_EQ(sink.Reports, (std::vector<TReport>{{1000, end, 1000},
                                                  {1000, end, 1000 + 8192},
                                                  {1000, end, 1000 + 2 * 8192},
                                                  {1000, end, end}}));
}

TEST(HashStream, NegativeSizeHashesTheWholeStreamAndZeroSizeNothing) {
    TSyntheticStream whole(9000, 9000);
    whole.Seek(4321);
    EXPECT_EQ(HashStream(THash_MD5::Class(), whole, -1, &TFormat_HEX::Class(), nullptr),
              ReferenceMD5(0, 9000));
    EXPECT_EQ(whole.Delivered, 9000);

    TSyntheticStream none(9000, 9000);
    none.Seek(77);
    TRecordingSink sink;
    EXPECT_EQ(HashStream(THash_MD5::Class(), none, 0, &TFormat_HEX::Class(), &sink),
              "D41D8CD98F00B204E9800998ECF8427E");
    EXPECT_TRUE(none.Requests.empty());
    EXPECT_EQ(sink.Reports, (std::vector<TReport>{{77, 77, 77}}));
}

TEST(HashStream, ChunkIsRoundedUpToWholeBlocks) {
    const struct {
        int32_t Setting;
        const TDigHashClass* Class;
        int64_t Chunk;
        int32_t SettingAfter;
    } rows[] = {{100, &THash_MD5::Class(), 128, 100},
                {150, &THash_MD5::Class(), 192, 150},
                {150, &THash_SHA512::Class(), 256, 150},
                {0, &THash_MD5::Class(), 8192, 8192},
                {-3, &THash_SHA512::Class(), 8192, 8192}};
    for (const auto& row : rows) {
        StreamChunkSize = row.Setting;
        TSyntheticStream stream(20000, 20000);
        HashStream(*row.Class, stream, 20000, nullptr, nullptr);
        EXPECT_EQ(stream.Requests.front(), row.Chunk) << row.Setting;
        EXPECT_EQ(StreamChunkSize, row.SettingAfter);
    }
    StreamChunkSize = 8192;
}

TEST(HashStream, ShortStreamRaisesReadErrorAfterCleaningUp) {
    TSyntheticStream stream(20000, 10000);
    TRecordingSink sink;
    TWipeLog log;
    try {
        HashStream(THash_SHA256::Class(), stream, -1, &TFormat_HEX::Class(), &sink);
        ADD_FAILURE() << "a short stream gave a digest";
    } catch (const EReadError& e) {
        EXPECT_STREQ(e.what(), "Stream read error");
    }
    ASSERT_FALSE(sink.Reports.empty());
    EXPECT_EQ(sink.Reports.back(), (TReport{0, 20000, 20000}));
    // The read buffer held message bytes: it was wiped.
    bool bufferWiped = false;
    for (const auto& range : log.Ranges)
        bufferWiped = bufferWiped || (range.AllZero && range.Length >= 8192);
    EXPECT_TRUE(bufferWiped);
}

TEST(HashStream, FinalReportAlsoWhenTheStreamFailsBeforeReading) {
    class TBrokenStream : public TSyntheticStream {
    public:
        TBrokenStream() : TSyntheticStream(100, 100) {}
        int64_t Size() override { throw EReadError(); }
    } stream;
    TRecordingSink sink;
    EXPECT_THROW(HashStream(THash_MD5::Class(), stream, -1, nullptr, &sink), EReadError);
    EXPECT_EQ(sink.Reports, (std::vector<TReport>{{0, 0, 0}}));
}

TEST(HashStream, SinkErrorPassesThrough) {
    class TStopSink : public TProgressSink {
    public:
        void Report(int64_t, int64_t, int64_t current) override {
            ++Calls;
            if (current >= 8192)
                throw std::runtime_error("stop");
        }
        int Calls = 0;
    } sink;
    TSyntheticStream stream(50000, 50000);
    EXPECT_THROW(HashStream(THash_MD5::Class(), stream, -1, nullptr, &sink), std::runtime_error);
    EXPECT_EQ(stream.Delivered, 8192);
    EXPECT_EQ(sink.Calls, 3); // two chunk reports, then the final one
}

// A compression that does nothing but keep the last block, so that gigabytes go through the
// framework in moments.
uint8_t LastBlock[64];
void KeepLastBlock(uint32_t*, const uint8_t* blocks, std::size_t count) {
    std::memcpy(LastBlock, blocks + 64 * (count - 1), 64);
}

TEST(HashStream, StreamsAbove4GiBAreReadAndCountedInFull) {
    const TCompressPathOverride keep(TCompressAlgorithm::MD5, KeepLastBlock);
    const int64_t size = (int64_t{1} << 32) + 100;
    TSyntheticStream stream(size, size, false);
    class TLastSink : public TProgressSink {
    public:
        void Report(int64_t start, int64_t end, int64_t current) override {
            Last = {start, end, current};
        }
        TReport Last{};
    } sink;
    HashStream(THash_MD5::Class(), stream, -1, nullptr, &sink);
    EXPECT_EQ(stream.Delivered, size);
    EXPECT_EQ(sink.Last, (TReport{0, size, size}));
    uint64_t bits = 0;
    for (int i = 7; i >= 0; --i)
        bits = bits << 8 | LastBlock[56 + i];
    EXPECT_EQ(bits, static_cast<uint64_t>(size) * 8);
}

using FileStream = TTempFolderTest;

std::string OpenErrorText(const std::filesystem::path& path) {
    try {
        TFileStream stream(path);
    } catch (const EFOpenError& e) {
        return e.what();
    }
    return "opened";
}

TEST_F(FileStream, OpenErrorsNameTheExpandedFileAndTheSystemReason) {
    EXPECT_EQ(OpenErrorText(FDir / "missing"), "Cannot open file \"" + (FDir / "missing").string() +
                                                   "\". No such file or directory");
    EXPECT_EQ(OpenErrorText(FDir), "Cannot open file \"" + FDir.string() + "\". Is a directory");
    const std::filesystem::path here = std::filesystem::current_path();
    std::filesystem::current_path(FDir);
    const std::string relative = OpenErrorText("missing");
    std::filesystem::current_path(here);
    EXPECT_EQ(relative, "Cannot open file \"" + (FDir / "missing").string() +
                            "\". No such file or directory");
}

TEST_F(FileStream, MixedReadsAndSeeksDeliverTheFileBytes) {
    std::mt19937 random(7);
    std::string content(3 * TFileStream::BufferSize + 12345, '\0');
    for (char& c : content)
        c = static_cast<char>(random());
    TFileStream stream(Write("data", content));
    EXPECT_EQ(stream.Size(), static_cast<int64_t>(content.size()));

    std::string buffer(2 * TFileStream::BufferSize, '\0');
    const int64_t sizes[] = {1, 8192, 100, TFileStream::BufferSize, 3, 2 * TFileStream::BufferSize};
    for (int round = 0; round < 60; ++round) {
        if (round % 7 == 3)
            stream.Seek(std::uniform_int_distribution<int64_t>(0, stream.Size())(random));
        const int64_t position = stream.Position();
        const int64_t wanted = sizes[round % 6];
        const int64_t got = stream.Read(buffer.data(), wanted);
        ASSERT_EQ(got > 0, position < stream.Size());
        ASSERT_LE(got, wanted);
        ASSERT_EQ(buffer.compare(0, static_cast<std::size_t>(got), content,
                                 static_cast<std::size_t>(position), static_cast<std::size_t>(got)),
                  0)
            << "read of " << wanted << " at " << position;
        ASSERT_EQ(stream.Position(), position + got);
    }
}

TEST_F(FileStream, ExactReadPastTheEndFails) {
    TFileStream stream(Write("short", "0123456789"));
    char buffer[16];
    stream.ReadBuffer(buffer, 4);
    try {
        stream.ReadBuffer(buffer, 7);
        ADD_FAILURE() << "read past the end";
    } catch (const EReadError& e) {
        EXPECT_STREQ(e.what(), "Stream read error");
    }
}

std::string RandomBytes(std::size_t count, unsigned seed) {
    std::mt19937 random(seed);
    std::string bytes(count, '\0');
    for (char& c : bytes)
        c = static_cast<char>(random());
    return bytes;
}

TEST_F(FileStream, ReadAheadHandsOverBlocksAcrossOddReadsAndSeeks) {
    const int64_t block = TFileStream::BufferSize;
    const int64_t ahead = TFileStream::ReadAheadSize;
    const std::string content = RandomBytes(static_cast<std::size_t>(12 * block + 777), 11);
    TFileStream stream(Write("data", content));
    // Each step jumps by Jump from the current position, then makes Repeat exact reads of Size.
    const struct {
        int64_t Jump, Size, Repeat;
    } steps[] = {
        {0, 2047, 1100},        // small reads past the first refill, into read-ahead blocks
        {0, block + 3, 2},      // exact reads spanning whole handoffs
        {-10, 20, 1},           // back inside the block in hand
        {-2 * ahead, 4099, 3},  // back behind everything read ahead
        {ahead + 1, 8191, 300}, // forward past the blocks read ahead
        {0, 1, 5},              // single bytes on from there
        {-block / 2, block, 2}, // back half a block, then on in order again
        {0, 9999, 1},
    };
    std::string buffer;
    for (const auto& step : steps) {
        stream.Seek(stream.Position() + step.Jump);
        buffer.resize(static_cast<std::size_t>(step.Size));
        for (int64_t i = 0; i < step.Repeat; ++i) {
            const int64_t position = stream.Position();
            stream.ReadBuffer(buffer.data(), step.Size);
            ASSERT_EQ(buffer.compare(0, buffer.size(), content, static_cast<std::size_t>(position),
                                     buffer.size()),
                      0)
                << "read of " << step.Size << " at " << position;
        }
    }
    // On to the end in odd pieces: the last bytes arrive, then the end, then the end again.
    int64_t position = stream.Position();
    for (int64_t got; (got = stream.Read(buffer.data(), 3333)) > 0; position += got)
        ASSERT_EQ(buffer.compare(0, static_cast<std::size_t>(got), content,
                                 static_cast<std::size_t>(position), static_cast<std::size_t>(got)),
                  0)
            << "read at " << position;
    EXPECT_EQ(position, static_cast<int64_t>(content.size()));
    EXPECT_EQ(stream.Read(buffer.data(), 1), 0);
    stream.Seek(position - 2);
    EXPECT_EQ(stream.Read(buffer.data(), 5), 2);
}

TEST_F(FileStream, FileThatShrinksWhileReadAheadIsPendingFailsTheExactRead) {
    const int64_t block = TFileStream::BufferSize;
    const std::string content = RandomBytes(static_cast<std::size_t>(8 * block), 12);
    const std::filesystem::path path = Write("data", content);
    TFileStream stream(path);
    std::string buffer(2048, '\0');
    for (int64_t i = 0; i < block; i += 2048)
        stream.ReadBuffer(buffer.data(), 2048);
    stream.ReadBuffer(buffer.data(), 2048); // the helper is reading ahead now
    std::filesystem::resize_file(path, 3 * block);
    std::string rest(static_cast<std::size_t>(8 * block - stream.Position()), '\0');
    try {
        stream.ReadBuffer(rest.data(), static_cast<int64_t>(rest.size()));
        ADD_FAILURE() << "the shrunk file was read to its old size";
    } catch (const EReadError& e) {
        EXPECT_STREQ(e.what(), "Stream read error");
    }
    // Going back reads the file as it is now.
    stream.Seek(3 * block - 10);
    EXPECT_EQ(stream.Read(buffer.data(), 2048), 10);
    EXPECT_EQ(buffer.compare(0, 10, content, static_cast<std::size_t>(3 * block - 10), 10), 0);
    EXPECT_EQ(stream.Read(buffer.data(), 2048), 0);
}

std::size_t ThreadCount() {
    const std::filesystem::directory_iterator tasks("/proc/self/task");
    return static_cast<std::size_t>(std::distance(begin(tasks), end(tasks)));
}

TEST_F(FileStream, ClosingWithReadAheadPendingStopsTheHelperAndWipesItsBlocks) {
    const int64_t block = TFileStream::BufferSize;
    const std::filesystem::path path =
        Write("data", RandomBytes(static_cast<std::size_t>(16 * block), 13));
    // A sanitizer's runtime may start a thread of its own along with the first one.
    std::thread([] {}).join();
    const std::size_t threadsBefore = ThreadCount();
    TWipeLog log;
    {
        TFileStream stream(path);
        std::string buffer(8192, '\0');
        for (int64_t i = 0; i <= block; i += 8192)
            stream.ReadBuffer(buffer.data(), 8192);
        EXPECT_EQ(ThreadCount(), threadsBefore + 1);
    }
    EXPECT_EQ(ThreadCount(), threadsBefore);
    int wipedBuffers = 0;
    for (const auto& range : log.Ranges)
        wipedBuffers +=
            range.AllZero && (range.Length == block || range.Length == TFileStream::ReadAheadSize);
    EXPECT_EQ(wipedBuffers, 3); // the stream's own buffer and the helper's two blocks
}

// A reader of a synthetic file of ByteAt bytes that fails once at FailAt; it logs each offset
// it was asked for and each it answered.
struct TFakeFile {
    int64_t Size = 0;
    int64_t FailAt = -1;
    std::mutex Lock;
    std::condition_variable Answered;
    std::vector<int64_t> Asked, Done;

    int64_t operator()(void* buffer, int64_t count, int64_t offset) {
        {
            std::lock_guard guard(Lock);
            Asked.push_back(offset);
            if (offset == FailAt) {
                FailAt = -1;
                throw EReadError();
            }
        }
        const int64_t n = std::max<int64_t>(0, std::min(count, Size - offset));
        for (int64_t i = 0; i < n; ++i)
            static_cast<uint8_t*>(buffer)[i] = ByteAt(offset + i);
        std::lock_guard guard(Lock);
        Done.push_back(offset);
        Answered.notify_all();
        return n;
    }
    void WaitFor(int64_t offset) {
        std::unique_lock lock(Lock);
        Answered.wait(lock, [&] { return std::count(Done.begin(), Done.end(), offset) > 0; });
    }
};

TEST(ReadAhead, BlocksErrorsAndRestartsArriveAtTheirOffsets) {
    constexpr int64_t block = 4096;
    TFakeFile file;
    file.Size = 10 * block + 100;
    file.FailAt = 6 * block;
    TReadAhead ahead([&file](void* b, int64_t c, int64_t o) { return file(b, c, o); }, block);
    auto expectBlock = [&](int64_t offset, int64_t fill) {
        const TReadAhead::TBlock got = ahead.Next(offset);
        ASSERT_EQ(got.Fill, fill) << "at " << offset;
        for (int64_t i = 0; i < fill; ++i)
            ASSERT_EQ(got.Data[i], ByteAt(offset + i)) << "at " << offset + i;
    };
    expectBlock(0, block);
    expectBlock(block, block);
    expectBlock(5 * block, block); // a jump drops the blocks read ahead
    // The failure comes where it happened, and that read is tried again on the next call.
    EXPECT_THROW(ahead.Next(6 * block), EReadError);
    expectBlock(6 * block, block);
    // With the block after it read, the helper waits to read at 8 blocks.
    file.WaitFor(7 * block);
    ahead.Pause();
    expectBlock(8 * block, block); // after a pause, even at the offset that was next
    expectBlock(3 * block + 5, block);
    expectBlock(10 * block + 5, 95);
    expectBlock(10 * block + 100, 0);
    expectBlock(10 * block + 100, 0); // the end is asked again, not remembered
    expectBlock(0, block);
    std::lock_guard guard(file.Lock);
    EXPECT_EQ(std::count(file.Asked.begin(), file.Asked.end(), 6 * block), 2);
}

} // namespace
