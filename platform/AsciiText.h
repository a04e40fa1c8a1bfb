#pragma once

#include <string>
#include <string_view>

// Case changes and comparisons that touch the ASCII letters only, for 8-bit and UTF-16 text
// alike: every other character stays as it is, so a digest keeps its length and its other
// characters, and the window and corvanth-sum judge a match by the same rule.

template <class Char>
constexpr Char AsciiUpper(Char c) {
    return c >= Char('a') && c <= Char('z') ? Char(c - Char('a') + Char('A')) : c;
}

template <class Char>
constexpr Char AsciiLower(Char c) {
    return c >= Char('A') && c <= Char('Z') ? Char(c - Char('A') + Char('a')) : c;
}

template <class Char>
std::basic_string<Char> AsciiLowerCase(std::basic_string<Char> text) {
    for (Char& c : text)
        c = AsciiLower(c);
    return text;
}

// The match rule of a digest and a comparison text: the same length, and equal once a to z are
// taken as A to Z; nothing is trimmed.
template <class Char>
constexpr bool SameTextAscii(std::basic_string_view<Char> a, std::basic_string_view<Char> b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (AsciiUpper(a[i]) != AsciiUpper(b[i]))
            return false;
    return true;
}
