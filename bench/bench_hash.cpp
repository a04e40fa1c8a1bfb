// In-memory throughput of every digest at three message sizes, once per compression path
// ("MD5/portable/4096"), plus the whole one-call step the program uses ("MD5/program/4096").

#include "hash/CRC.h"
#include "hash/DigHash.h"
#include "hash/FileDigest.h"
#include "hash/HashDispatch.h"

#include <benchmark/benchmark.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

const int64_t Sizes[] = {64, 4096, 1 << 20};

std::vector<uint8_t>& Message() {
    static std::vector<uint8_t> message = [] {
        std::vector<uint8_t> bytes(1 << 20);
        for (std::size_t i = 0; i < bytes.size(); ++i)
            bytes[i] = static_cast<uint8_t>(i * 2654435761u >> 24);
        return bytes;
    }();
    return message;
}

// Decimal GB/s beside the binary bytes_per_second, to read against openssl speed directly.
void SetRate(benchmark::State& state) {
    state.SetBytesProcessed(state.iterations() * state.range(0));
    state.counters["GB/s"] =
        benchmark::Counter(static_cast<double>(state.iterations() * state.range(0)) / 1e9,
                           benchmark::Counter::kIsRate);
}

void HashWith(benchmark::State& state, const TDigHashClass& hashClass,
              const std::function<std::unique_ptr<TCompressPathOverride>()>& select) {
    const auto selected = select();
    const auto length = static_cast<int32_t>(state.range(0));
    for (auto _ : state)
        benchmark::DoNotOptimize(HashBuffer(hashClass, Message().data(), length, nullptr));
    SetRate(state);
}

void DigestWith(benchmark::State& state, TAlgorithm algorithm) {
    const auto length = static_cast<std::size_t>(state.range(0));
    for (auto _ : state)
        benchmark::DoNotOptimize(DigestOfBuffer(algorithm, Message().data(), length));
    SetRate(state);
}

void Register(const std::string& name, std::function<void(benchmark::State&)> run) {
    auto* benchmark =
        benchmark::RegisterBenchmark(name.c_str(), [run](benchmark::State& state) { run(state); });
    for (const int64_t size : Sizes)
        benchmark->Arg(size);
}

const bool Registered = [] {
    const struct {
        const char* Name;
        TCompressAlgorithm Algorithm;
        const TDigHashClass* Class;
    } rows32[] = {{"MD5", TCompressAlgorithm::MD5, &THash_MD5::Class()},
                  {"SHA1", TCompressAlgorithm::SHA1, &THash_SHA1::Class()},
                  {"SHA256", TCompressAlgorithm::SHA256, &THash_SHA256::Class()}};
    for (const auto& row : rows32)
        for (const TCompressPath32& path : CompressPaths32(row.Algorithm)) {
            const TCompressAlgorithm algorithm = row.Algorithm;
            const TCompress32 compress = path.Compress;
            const TDigHashClass* hashClass = row.Class;
            Register(std::string(row.Name) + "/" + std::string(path.Name),
                     [=](benchmark::State& state) {
                         HashWith(state, *hashClass, [=] {
                             return std::make_unique<TCompressPathOverride>(algorithm, compress);
                         });
                     });
        }
    for (const char* name : {"SHA384", "SHA512"})
        for (const TCompressPath64& path : CompressPathsSHA512()) {
            const TCompress64 compress = path.Compress;
            const TDigHashClass* hashClass =
                std::string(name) == "SHA384" ? &THash_SHA384::Class() : &THash_SHA512::Class();
            Register(
                std::string(name) + "/" + std::string(path.Name), [=](benchmark::State& state) {
                    HashWith(state, *hashClass,
                             [=] { return std::make_unique<TCompressPathOverride>(compress); });
                });
        }
    const std::pair<const char*, TAlgorithm> program[] = {{"CRC32", TAlgorithm::CRC32},
                                                          {"SHA1", TAlgorithm::SHA1},
                                                          {"SHA256", TAlgorithm::SHA256},
                                                          {"SHA512", TAlgorithm::SHA512},
                                                          {"MD5", TAlgorithm::MD5}};
    for (const auto& [name, algorithm] : program)
        Register(std::string(name) + "/program",
                 [algorithm](benchmark::State& state) { DigestWith(state, algorithm); });
    return true;
}();

} // namespace
