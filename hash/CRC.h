#pragma once

#include <cstdint>
#include <memory>
#include <type_traits>
#include <utility>

// Table-driven CRCs of widths 8 to 32, described by polynomial, initial value, final XOR and bit
// order. No classes, no exceptions, no allocation: a checksum is a 32-bit unsigned number.

using CRCKind = uint8_t;

// Polynomial, Width, InitValue, FinalXor, Reflected (FFFFFFFF for true).
inline constexpr uint32_t CRCKindTable[10][5] = {
    {0x000000D1, 8, 0x00000000, 0x00000000, 0xFFFFFFFF},
    {0x00000233, 10, 0x00000000, 0x00000000, 0xFFFFFFFF},
    {0x0000080F, 12, 0x00000000, 0x00000000, 0xFFFFFFFF},
    {0x00008005, 16, 0x00000000, 0x00000000, 0xFFFFFFFF},
    {0x00001021, 16, 0x00001D0F, 0x00000000, 0x00000000},
    {0x00008408, 16, 0x00000000, 0x00000000, 0xFFFFFFFF},
    {0x00864CFB, 24, 0x00B704CE, 0x00000000, 0x00000000},
    {0x9DB11213, 32, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF},
    {0x04C11DB7, 32, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF},
    {0x04C11DB7, 32, 0xFFFFFFFF, 0x00000000, 0xFFFFFFFF},
};

// A plain record with value semantics; it owns no other memory.
struct CRCState {
    uint32_t Table[256];
    uint32_t Register;
    uint32_t Reflected;
    uint32_t Shift;
    uint32_t InitValue;
    uint32_t FinalXor;
    uint32_t Mask;
    uint32_t Width;
    uint32_t Polynomial;

    // Carry-less folding constants of reflected kinds (zero otherwise), as bit-reversed
    // remainders modulo the polynomial: Fold[k - 1] = {x^(128k+31), x^(128k-33)},
    // Reduce = {x^95, x^63}, Barrett = {x^64 div P, P}, the last two as 33-bit values.
    uint64_t Fold[16][2];
    uint64_t Reduce[2];
    uint64_t Barrett[2];

    // Slice-by-8 tables, built on the first large feed of the portable path. For kinds that are
    // not reflected the entries sit left-aligned in 32 bits.
    uint32_t SliceReady;
    uint32_t Slice[8][256];
};

class CRCReader;

// The callables a CRCReader can refer to: anything that takes (buffer, wanted) and returns the
// number of bytes delivered. Plain functions go through the function-pointer constructor.
template <class F>
concept CRCReaderCallable =
    !std::is_same_v<std::remove_cvref_t<F>, CRCReader> &&
    !std::is_function_v<std::remove_reference_t<F>> && !std::is_pointer_v<std::remove_cvref_t<F>> &&
    std::is_invocable_r_v<uint32_t, F&, uint8_t*, uint32_t>;

// A read operation bound to its object: fills up to `wanted` bytes of `buffer` and returns how
// many it delivered, 0 at the end. It refers to the callable without owning or copying it, so the
// callable must outlive the reader (passing a lambda straight into a call is the intended use).
class CRCReader {
public:
    using Function = uint32_t (*)(uint8_t* buffer, uint32_t wanted);

    template <CRCReaderCallable F>
    CRCReader(F&& callable) noexcept
        : Target{.Object = const_cast<void*>(static_cast<const void*>(std::addressof(callable)))},
          Call([](TTarget target, uint8_t* buffer, uint32_t wanted) -> uint32_t {
              return (*static_cast<std::remove_reference_t<F>*>(target.Object))(buffer, wanted);
          }) {}

    CRCReader(Function function) noexcept
        : Target{.Plain = function},
          Call([](TTarget target, uint8_t* buffer, uint32_t wanted) -> uint32_t {
              return target.Plain(buffer, wanted);
          }) {}

    uint32_t operator()(uint8_t* buffer, uint32_t wanted) const {
        return Call(Target, buffer, wanted);
    }

private:
    union TTarget {
        void* Object;
        Function Plain;
    };
    TTarget Target;
    uint32_t (*Call)(TTarget target, uint8_t* buffer, uint32_t wanted);
};

// False, with the record untouched, for a width below 8 or above 32.
bool CRCPrepare(CRCState& state, uint32_t polynomial, uint32_t width, uint32_t initValue,
                uint32_t finalXor, uint32_t reflected);
// False, with the record untouched, for a kind outside CRCKindTable.
bool CRCPrepareKind(CRCState& state, CRCKind kind);

// Each returns the finished checksum of every byte fed since the record was prepared.
uint32_t CRCFeed(CRCState& state, const void* data, uint32_t count);
// Asks the reader for at most 2048 bytes at a time until `total` bytes arrived or it delivers 0.
uint32_t CRCFeedFromReader(CRCState& state, uint64_t total, CRCReader reader);

// One-call forms on a fresh record of their own; 0 for a kind outside CRCKindTable.
uint32_t CRCOfBuffer(CRCKind kind, const void* data, uint32_t count);
uint32_t CRCOfReader(CRCKind kind, uint64_t total, CRCReader reader);
