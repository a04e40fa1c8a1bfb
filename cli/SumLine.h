#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// The line format of checksum lists: "DIGEST  NAME". A name holding a backslash, a newline or a
// carriage return is written with escapes (\\, \n, \r) and its line starts with a backslash,
// so that every name fits one unambiguous line.

// The name with its backslashes, newlines and carriage returns escaped (\\, \n, \r).
std::string EscapedName(std::string_view name);

// "DIGEST  NAME" (escaped as above), without the line end.
std::string SumLine(std::string_view digest, std::string_view name);

// "NAME: STATUS" (escaped as above), without the line end.
std::string StatusLine(std::string_view name, std::string_view status);

struct TSumEntry {
    std::string Digest;
    std::string Name;
};

// One line of a checksum list, without its line end: optional blanks, an optional backslash
// (escaped name), exactly digestLength hexadecimal digits of either case, a space, then a space
// (text) or '*' (binary), then a non-empty name. Nothing when the line is not of that form.
std::optional<TSumEntry> ParseSumLine(std::string_view line, std::size_t digestLength);
