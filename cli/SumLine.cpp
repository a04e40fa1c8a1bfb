#include "cli/SumLine.h"

#include <algorithm>

namespace {

bool IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

bool NeedsEscape(std::string_view name) {
    return name.find_first_of("\\\n\r") != std::string_view::npos;
}

} // namespace

std::string EscapedName(std::string_view name) {
    std::string result;
    result.reserve(name.size() + 8);
    for (char c : name) {
        switch (c) {
        case '\\':
            result += "\\\\";
            break;
        case '\n':
            result += "\\n";
            break;
        case '\r':
            result += "\\r";
            break;
        default:
            result += c;
        }
    }
    return result;
}

namespace {

std::optional<std::string> Unescaped(std::string_view text) {
    std::string result;
    result.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            result += text[i];
            continue;
        }
        if (++i == text.size())
            return std::nullopt;
        switch (text[i]) {
        case '\\':
            result += '\\';
            break;
        case 'n':
            result += '\n';
            break;
        case 'r':
            result += '\r';
            break;
        default:
            return std::nullopt;
        }
    }
    return result;
}

// The name as it goes into a line; escaped tells whether the line must start with a backslash.
std::string WrittenName(std::string_view name, bool& escaped) {
    escaped = NeedsEscape(name);
    return escaped ? EscapedName(name) : std::string(name);
}

} // namespace

std::string SumLine(std::string_view digest, std::string_view name) {
    bool escaped = false;
    const std::string written = WrittenName(name, escaped);
    std::string line(escaped ? "\\" : "");
    line.append(digest).append("  ").append(written);
    return line;
}

std::string StatusLine(std::string_view name, std::string_view status) {
    bool escaped = false;
    const std::string written = WrittenName(name, escaped);
    std::string line(escaped ? "\\" : "");
    line.append(written).append(": ").append(status);
    return line;
}

std::optional<TSumEntry> ParseSumLine(std::string_view line, std::size_t digestLength) {
    const std::size_t start = line.find_first_not_of(" \t");
    if (start == std::string_view::npos)
        return std::nullopt;
    line.remove_prefix(start);
    const bool escaped = line.starts_with('\\');
    if (escaped)
        line.remove_prefix(1);

    // The digest, the separator of two characters and at least one character of the name.
    if (line.size() < digestLength + 3)
        return std::nullopt;
    const std::string_view digest = line.substr(0, digestLength);
    if (!std::all_of(digest.begin(), digest.end(), IsHexDigit))
        return std::nullopt;
    if (line[digestLength] != ' ' ||
        (line[digestLength + 1] != ' ' && line[digestLength + 1] != '*'))
        return std::nullopt;

    const std::string_view name = line.substr(digestLength + 2);
    if (!escaped)
        return TSumEntry{std::string(digest), std::string(name)};
    std::optional<std::string> unescaped = Unescaped(name);
    if (!unescaped)
        return std::nullopt;
    return TSumEntry{std::string(digest), std::move(*unescaped)};
}
