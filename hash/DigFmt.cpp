#include "hash/DigFmt.h"

#include <cstring>

namespace {

// Descriptor of a format class whose operations are the static members of F.
template <class F>
class TFormatClassOf final : public TDigFormatClass {
public:
    using TDigFormatClass::TDigFormatClass;
    std::string FormatBytes(const void* data, int32_t length) const override {
        return F::FormatBytes(data, length);
    }
    std::string ParseText(const void* data, int32_t length) const override {
        return F::ParseText(data, length);
    }
    bool CanParse(const void* data, int32_t length) const override {
        return F::CanParse(data, length);
    }
};

const TFormatClassOf<TFormat_Copy> CopyClass{"TFormat_Copy"};
const TFormatClassOf<TFormat_HEX> HEXClass{"TFormat_HEX"};

constexpr char HEXAlphabet[49] = "0123456789ABCDEFX$ abcdefhHx()[]{},;:-_/\\*+\"'\t\n\r";
static_assert(sizeof(HEXAlphabet) == 49);

// Digits 0..15 and the two prefix characters, X and $.
constexpr int HEXParseChars = 18;
constexpr int HEXDigits = 16;

int PositionIn(char c, int count) {
    const void* found = std::memchr(HEXAlphabet, c, static_cast<std::size_t>(count));
    return found == nullptr ? -1 : static_cast<int>(static_cast<const char*>(found) - HEXAlphabet);
}

} // namespace

const TDigFormatClass& TFormat_Copy::Class() {
    return CopyClass;
}

std::string TFormat_Copy::FormatBytes(const void* data, int32_t length) {
    if (length <= 0)
        return {};
    return std::string(static_cast<const char*>(data), static_cast<std::size_t>(length));
}

std::string TFormat_Copy::ParseText(const void* data, int32_t length) {
    return FormatBytes(data, length);
}

bool TFormat_Copy::CanParse(const void*, int32_t length) {
    return length >= 0;
}

const TDigFormatClass& TFormat_HEX::Class() {
    return HEXClass;
}

const char* TFormat_HEX::Alphabet() {
    return HEXAlphabet;
}

std::string TFormat_HEX::FormatBytes(const void* data, int32_t length) {
    std::string result;
    if (length <= 0)
        return result;
    result.resize(2 * static_cast<std::size_t>(length));
    const auto* bytes = static_cast<const uint8_t*>(data);
    for (std::size_t i = 0; i < static_cast<std::size_t>(length); ++i) {
        result[2 * i] = HEXAlphabet[bytes[i] >> 4];
        result[2 * i + 1] = HEXAlphabet[bytes[i] & 15];
    }
    return result;
}

std::string TFormat_HEX::ParseText(const void* data, int32_t length) {
    std::string result;
    if (length <= 0)
        return result;
    result.assign(static_cast<std::size_t>(length) / 2 + 1, '\0');
    const auto* text = static_cast<const char*>(data);
    std::size_t write = 0;
    uint32_t digitCount = 0;
    bool prefixSeen = false;
    for (int32_t i = 0; i < length; ++i) {
        const char c = text[i];
        int value = PositionIn(c, HEXParseChars);
        if (value < 0 && c >= 'a' && c <= 'z')
            value = PositionIn(static_cast<char>(c - 'a' + 'A'), HEXDigits);
        if (value < 0)
            throw EDigException("Input is not an valid " + StrippedClassName(&Class()) +
                                " format.");
        if (value >= HEXDigits) {
            // Only the first prefix counts: it discards whatever was decoded before it.
            if (!prefixSeen) {
                prefixSeen = true;
                write = 0;
                digitCount = 0;
            }
            continue;
        }
        if (digitCount % 2 == 0) {
            result[write] = static_cast<char>(value << 4);
        } else {
            result[write] = static_cast<char>(result[write] | value);
            ++write;
        }
        ++digitCount;
    }
    result.resize(write);
    return result;
}

bool TFormat_HEX::CanParse(const void* data, int32_t length) {
    const auto* text = static_cast<const char*>(data);
    for (int32_t i = 0; i < length; ++i)
        if (PositionIn(text[i], 48) < 0)
            return false;
    return true;
}

const TDigFormatClass& FormatOrCopy(const TDigFormatClass* format) {
    return format != nullptr ? *format : TFormat_Copy::Class();
}

std::string ToText(const TDigFormatClass* format, const void* data, int32_t length) {
    return FormatOrCopy(format).FormatBytes(data, length);
}
