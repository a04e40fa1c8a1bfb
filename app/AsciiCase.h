#pragma once

#include <QString>

// Case changes and comparisons that touch the ASCII letters only; every other character stays as
// it is, so a digest text keeps its length and its non-hex characters.
QString AsciiUpperCase(const QString& text);
QString AsciiLowerCase(const QString& text);

// Same length and equal once a to z are taken as A to Z; nothing is trimmed.
bool SameTextAscii(const QString& a, const QString& b);
