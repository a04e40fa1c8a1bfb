#include "platform/TextEncoding.h"

#include "platform/CodePage.h"

std::string EncodeText(std::u16string_view text, int encodingIndex) {
    switch (encodingIndex) {
    case 0:
        return WideToCodePage(AnsiCodePage(), text);
    case 1: {
        std::string bytes;
        bytes.reserve(text.size() * 2);
        for (char16_t unit : text) {
            bytes += static_cast<char>(unit & 0xFF);
            bytes += static_cast<char>(unit >> 8);
        }
        return bytes;
    }
    default:
        return WideToCodePage(65001, text);
    }
}
