#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The system's ANSI code page (a Windows code page number such as 1252), read once.
uint32_t AnsiCodePage();

// UTF-16 to the bytes of a code page; 65001 is UTF-8. A character that the code page lacks
// becomes "?"; in UTF-8 a lone surrogate becomes U+FFFD.
std::string WideToCodePage(uint32_t codePage, std::u16string_view text);

// The bytes of a code page to UTF-16; 65001 is UTF-8. A byte sequence that the code page does not
// define becomes "?"; in UTF-8 a malformed sequence becomes U+FFFD.
std::u16string CodePageToWide(uint32_t codePage, std::string_view bytes);
