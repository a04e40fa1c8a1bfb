// Throughput of the CRC of kind 7 on every path this machine can run, and of the one-call forms
// (which rebuild the table each time) as the program uses them.

#include "hash/CRC.h"
#include "hash/CRCPaths.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr CRCKind Kind = 7;
constexpr int64_t Sizes[] = {64, 4096, 1 << 20};

std::vector<uint8_t> Data(int64_t size) {
    std::vector<uint8_t> data(static_cast<size_t>(size));
    uint32_t x = 0x12345678;
    for (auto& b : data) {
        x = x * 1664525u + 1013904223u;
        b = static_cast<uint8_t>(x >> 24);
    }
    return data;
}

void SetRate(benchmark::State& state, int64_t size) {
    state.SetBytesProcessed(state.iterations() * size);
    state.counters["GB/s"] = benchmark::Counter(
        static_cast<double>(state.iterations() * size) / 1e9, benchmark::Counter::kIsRate);
}

void FeedPath(benchmark::State& state, const TCRCPath* path) {
    const auto data = Data(state.range(0));
    CRCState crc;
    CRCPrepareKind(crc, Kind);
    for (auto _ : state) {
        path->Feed(crc, data.data(), data.size());
        benchmark::DoNotOptimize(crc.Register);
    }
    SetRate(state, state.range(0));
}

void OfBuffer(benchmark::State& state) {
    const auto data = Data(state.range(0));
    for (auto _ : state)
        benchmark::DoNotOptimize(
            CRCOfBuffer(Kind, data.data(), static_cast<uint32_t>(data.size())));
    SetRate(state, state.range(0));
}

// The reader loop as the file worker drives it: 2048-byte requests served from memory.
void OfReader(benchmark::State& state) {
    const auto data = Data(state.range(0));
    for (auto _ : state) {
        size_t position = 0;
        auto reader = [&](uint8_t* buffer, uint32_t wanted) -> uint32_t {
            std::memcpy(buffer, data.data() + position, wanted);
            position += wanted;
            return wanted;
        };
        benchmark::DoNotOptimize(CRCOfReader(Kind, data.size(), reader));
    }
    SetRate(state, state.range(0));
}

const bool Registered = [] {
    for (const TCRCPath& path : CRCPaths()) {
        auto* b = benchmark::RegisterBenchmark((std::string("CRC7/") + path.Name).c_str(), FeedPath,
                                               &path);
        for (int64_t size : Sizes)
            b->Arg(size);
    }
    auto* b = benchmark::RegisterBenchmark("CRC7/CRCOfBuffer", OfBuffer);
    for (int64_t size : Sizes)
        b->Arg(size);
    b = benchmark::RegisterBenchmark("CRC7/CRCOfReader", OfReader);
    for (int64_t size : Sizes)
        b->Arg(size);
    return true;
}();

} // namespace
