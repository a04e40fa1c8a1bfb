#pragma once

#include <string>
#include <string_view>

// The bytes that are hashed for a text: encoding 0 is the ANSI code page, 1 is "Unicode"
// (UTF-16 little-endian), anything else UTF-8. No byte-order mark, no terminator.
std::string EncodeText(std::u16string_view text, int encodingIndex);
