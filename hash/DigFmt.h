#pragma once

#include "hash/DigUtil.h"

#include <cstdint>
#include <string>

// A format class as a value: its name and its class-level operations. Text and bytes are both
// 8-bit strings.
class TDigFormatClass : public TDigClass {
public:
    constexpr explicit TDigFormatClass(std::string_view name) : TDigClass{name} {}
    virtual ~TDigFormatClass() = default;

    virtual std::string FormatBytes(const void* data, int32_t length) const = 0;
    virtual std::string ParseText(const void* data, int32_t length) const = 0;
    virtual bool CanParse(const void* data, int32_t length) const = 0;
};

// Abstract format; formats are only ever used through their class descriptors.
class TDigFormat : public TDigObject {};

// Identity: text and bytes are the same bytes.
class TFormat_Copy : public TDigFormat {
public:
    static const TDigFormatClass& Class();
    static std::string FormatBytes(const void* data, int32_t length);
    static std::string ParseText(const void* data, int32_t length);
    static bool CanParse(const void* data, int32_t length);
};

// Upper-case hexadecimal, two digits per byte, high nibble first.
class TFormat_HEX : public TDigFormat {
public:
    static const TDigFormatClass& Class();
    static std::string FormatBytes(const void* data, int32_t length);
    static std::string ParseText(const void* data, int32_t length);
    static bool CanParse(const void* data, int32_t length);
    // The 48 characters the format knows: 16 digits, the prefixes X and $, then separators.
    static const char* Alphabet();
};

// The given format class, or TFormat_Copy when none is given.
const TDigFormatClass& FormatOrCopy(const TDigFormatClass* format);
std::string ToText(const TDigFormatClass* format, const void* data, int32_t length);
