#include "platform/CodePage.h"

#ifdef _WIN32
#include <windows.h>
#else
#include "platform/Locale.h"

#include <bit>
#include <cerrno>
#include <cstring>
#include <iconv.h>
#endif

#ifdef _WIN32

uint32_t AnsiCodePage() {
    static const uint32_t codePage = GetACP();
    return codePage;
}

std::string WideToCodePage(uint32_t codePage, std::u16string_view text) {
    if (text.empty())
        return {};
    const auto* wide = reinterpret_cast<LPCWCH>(text.data());
    const int length = static_cast<int>(text.size());
    const int size = WideCharToMultiByte(codePage, 0, wide, length, nullptr, 0, nullptr, nullptr);
    std::string bytes(size > 0 ? size : 0, '\0');
    if (size > 0)
        WideCharToMultiByte(codePage, 0, wide, length, bytes.data(), size, nullptr, nullptr);
    return bytes;
}

std::u16string CodePageToWide(uint32_t codePage, std::string_view bytes) {
    if (bytes.empty())
        return {};
    const int length = static_cast<int>(bytes.size());
    const int size = MultiByteToWideChar(codePage, 0, bytes.data(), length, nullptr, 0);
    std::u16string text(size > 0 ? size : 0, u'\0');
    if (size > 0)
        MultiByteToWideChar(codePage, 0, bytes.data(), length,
                            reinterpret_cast<LPWSTR>(text.data()), size);
    return text;
}

#else

namespace {

constexpr uint32_t Utf8CodePage = 65001;
constexpr char16_t ReplacementChar = 0xFFFD;

bool IsHighSurrogate(char16_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLowSurrogate(char16_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

std::string WideToUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (IsHighSurrogate(c) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
            AppendUtf8(out, 0x10000 + ((char32_t(c) - 0xD800) << 10) + (text[i + 1] - 0xDC00));
            ++i;
        } else if (IsHighSurrogate(c) || IsLowSurrogate(c)) {
            AppendUtf8(out, ReplacementChar);
        } else {
            AppendUtf8(out, c);
        }
    }
    return out;
}

void AppendUtf16(std::u16string& out, char32_t c) {
    if (c < 0x10000) {
        out += static_cast<char16_t>(c);
    } else {
        out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
        out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    }
}

// Each maximal ill-formed subsequence becomes one U+FFFD, as the Unicode standard recommends.
std::u16string Utf8ToWide(std::string_view bytes) {
    std::u16string out;
    out.reserve(bytes.size());
    const auto byteAt = [&](std::size_t i) { return static_cast<uint8_t>(bytes[i]); };
    std::size_t i = 0;
    while (i < bytes.size()) {
        const uint8_t lead = byteAt(i);
        if (lead < 0x80) {
            out += lead;
            ++i;
            continue;
        }
        int trail = 0;
        uint8_t low = 0x80, high = 0xBF; // allowed range of the first trail byte
        char32_t c = 0;
        if (lead >= 0xC2 && lead <= 0xDF) {
            trail = 1;
            c = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            trail = 2;
            c = lead & 0x0F;
            if (lead == 0xE0)
                low = 0xA0;
            else if (lead == 0xED)
                high = 0x9F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            trail = 3;
            c = lead & 0x07;
            if (lead == 0xF0)
                low = 0x90;
            else if (lead == 0xF4)
                high = 0x8F;
        }
        std::size_t next = i + 1;
        int taken = 0;
        while (taken < trail && next < bytes.size()) {
            const uint8_t b = byteAt(next);
            if (b < (taken == 0 ? low : 0x80) || b > (taken == 0 ? high : 0xBF))
                break;
            c = (c << 6) | (b & 0x3F);
            ++next;
            ++taken;
        }
        if (trail > 0 && taken == trail)
            AppendUtf16(out, c);
        else
            out += ReplacementChar;
        i = next;
    }
    return out;
}

constexpr const char* HostUtf16 =
    std::endian::native == std::endian::little ? "UTF-16LE" : "UTF-16BE";

class TIconv {
public:
    TIconv(const std::string& to, const std::string& from)
        : Handle(iconv_open(to.c_str(), from.c_str())) {}
    ~TIconv() {
        if (Valid())
            iconv_close(Handle);
    }
    TIconv(const TIconv&) = delete;
    TIconv& operator=(const TIconv&) = delete;

    bool Valid() const { return Handle != reinterpret_cast<iconv_t>(-1); }

    // Converts all of the input; `skip` tells how many input bytes an undefined character at the
    // given position spans, and `unmapped` is written in its place.
    template <typename Out, typename Skip>
    void Convert(const char* input, std::size_t inputSize, Out& out,
                 typename Out::value_type unmapped, Skip skip) {
        using Unit = typename Out::value_type;
        char* in = const_cast<char*>(input);
        std::size_t inLeft = inputSize;
        Unit chunk[256];
        for (;;) {
            char* outPtr = reinterpret_cast<char*>(chunk);
            std::size_t outLeft = sizeof(chunk);
            // A null input flushes the state of encodings that hold back a character.
            const bool flushing = inLeft == 0;
            const std::size_t result = flushing ? iconv(Handle, nullptr, nullptr, &outPtr, &outLeft)
                                                : iconv(Handle, &in, &inLeft, &outPtr, &outLeft);
            const int error = result == static_cast<std::size_t>(-1) ? errno : 0;
            out.append(chunk, (reinterpret_cast<Unit*>(outPtr) - chunk));
            if (error == E2BIG)
                continue;
            if (flushing)
                break;
            if (error == EILSEQ || error == EINVAL) {
                const std::size_t step = error == EINVAL ? inLeft : skip(in, inLeft);
                out += unmapped;
                in += step;
                inLeft -= step;
            } else if (error != 0) {
                break;
            }
        }
    }

private:
    iconv_t Handle;
};

std::string IconvName(uint32_t codePage) {
    return "CP" + std::to_string(codePage);
}

char16_t ReadUnit(const char* p) {
    char16_t unit;
    std::memcpy(&unit, p, sizeof unit);
    return unit;
}

} // namespace

uint32_t AnsiCodePage() {
    static const uint32_t codePage = AnsiCodePageOfLocaleName(UserLocaleName());
    return codePage;
}

std::string WideToCodePage(uint32_t codePage, std::u16string_view text) {
    if (codePage == Utf8CodePage)
        return WideToUtf8(text);
    std::string out;
    TIconv converter(IconvName(codePage), HostUtf16);
    if (!converter.Valid()) {
        for (char16_t c : text)
            out += c < 0x80 ? static_cast<char>(c) : '?';
        return out;
    }
    // A surrogate pair is one character and so one "?".
    converter.Convert(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(char16_t),
                      out, '?', [](const char* at, std::size_t left) -> std::size_t {
                          if (left >= 4 && IsHighSurrogate(ReadUnit(at)) &&
                              IsLowSurrogate(ReadUnit(at + 2)))
                              return 4;
                          return 2;
                      });
    return out;
}

std::u16string CodePageToWide(uint32_t codePage, std::string_view bytes) {
    if (codePage == Utf8CodePage)
        return Utf8ToWide(bytes);
    std::u16string out;
    TIconv converter(HostUtf16, IconvName(codePage));
    if (!converter.Valid()) {
        for (char c : bytes)
            out += static_cast<uint8_t>(c) < 0x80 ? static_cast<char16_t>(c) : u'?';
        return out;
    }
    converter.Convert(bytes.data(), bytes.size(), out, u'?',
                      [](const char*, std::size_t) -> std::size_t { return 1; });
    return out;
}

#endif
