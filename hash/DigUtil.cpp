#include "hash/DigUtil.h"

#include <atomic>
#include <cstring>
#include <new>

namespace {

std::atomic<TWipeObserver> WipeObserver{nullptr};

// Keeps the compiler from dropping stores to memory that is about to be freed.
void StoresMustHappen(void* buffer) {
#if defined(__GNUC__)
    asm volatile("" : : "r"(buffer) : "memory");
#else
    std::atomic_signal_fence(std::memory_order_seq_cst);
    static_cast<void>(*static_cast<volatile unsigned char*>(buffer));
#endif
}

void Fill(void* buffer, int64_t length, unsigned char pattern) {
    std::memset(buffer, pattern, static_cast<std::size_t>(length));
    StoresMustHappen(buffer);
}

void TellObserver(const void* buffer, int64_t length) {
    if (TWipeObserver observer = WipeObserver.load(std::memory_order_acquire))
        observer(buffer, length);
}

} // namespace

void* TDigObject::operator new(std::size_t size) {
    return ::operator new(size);
}

void TDigObject::operator delete(void* object, std::size_t size) noexcept {
    if (object == nullptr)
        return;
    Fill(object, static_cast<int64_t>(size), 0);
    TellObserver(object, static_cast<int64_t>(size));
    ::operator delete(object, size);
}

void WipeBuffer(void* buffer, int64_t length) {
    if (buffer == nullptr || length <= 0)
        return;
    for (unsigned char pattern : {0x55, 0xAA, 0xFF, 0x00})
        Fill(buffer, length, pattern);
    TellObserver(buffer, length);
}

void WipeByteString(std::string& text) {
    // Wiped where it lies: moving a short string out copies its bytes and leaves them behind in
    // the inline buffer. Growing to the capacity reallocates nothing and covers every byte.
    text.resize(text.capacity());
    WipeBuffer(text.data(), static_cast<int64_t>(text.size()));
    std::string().swap(text);
}

void SetWipeObserver(TWipeObserver observer) {
    WipeObserver.store(observer, std::memory_order_release);
}

uint32_t ByteSwap32(uint32_t value) {
    return (value >> 24) | ((value >> 8) & 0x0000FF00u) | ((value << 8) & 0x00FF0000u) |
           (value << 24);
}

uint64_t ByteSwap64(uint64_t value) {
    return (static_cast<uint64_t>(ByteSwap32(static_cast<uint32_t>(value))) << 32) |
           ByteSwap32(static_cast<uint32_t>(value >> 32));
}

void ByteSwapArray32(const uint32_t* source, uint32_t* destination, int32_t count) {
    for (int32_t i = count - 1; i >= 0; --i)
        destination[i] = ByteSwap32(source[i]);
}

void ByteSwapArray64(const uint64_t* source, uint64_t* destination, int32_t count) {
    for (int32_t i = count - 1; i >= 0; --i)
        destination[i] = ByteSwap64(source[i]);
}

std::string StrippedClassName(const TDigClass* digClass) {
    if (digClass == nullptr)
        return {};
    const std::string_view name = digClass->Name;
    const std::size_t underscore = name.find('_');
    return std::string(underscore == std::string_view::npos ? name : name.substr(underscore + 1));
}
