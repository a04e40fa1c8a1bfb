#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

// The engine's error: it carries only its message text.
class EDigException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Root of the engine's objects. Releasing one wipes its bytes before the memory returns to
// the heap, so no digest state lingers in freed memory.
class TDigObject {
public:
    virtual ~TDigObject() = default;
    static void* operator new(std::size_t size);
    static void operator delete(void* object, std::size_t size) noexcept;
};

// What every class descriptor of the engine (hash classes, format classes) has in common.
struct TDigClass {
    std::string_view Name;
};

// Overwrites length bytes with 0x55, 0xAA, 0xFF and finally 0x00; nothing for length <= 0.
void WipeBuffer(void* buffer, int64_t length);
// Wipes the string's bytes and leaves it empty, its storage released.
void WipeByteString(std::string& text);

// Test seam: called after every wipe with the range just wiped (still readable at that moment).
using TWipeObserver = void (*)(const void* buffer, int64_t length);
void SetWipeObserver(TWipeObserver observer);

uint32_t ByteSwap32(uint32_t value);
uint64_t ByteSwap64(uint64_t value);
// destination[i] = swapped source[i]; source and destination may be the same array.
void ByteSwapArray32(const uint32_t* source, uint32_t* destination, int32_t count);
void ByteSwapArray64(const uint64_t* source, uint64_t* destination, int32_t count);

// The class name without everything up to its first underscore ("TFormat_HEX" -> "HEX");
// empty for no class.
std::string StrippedClassName(const TDigClass* digClass);
