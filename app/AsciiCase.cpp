#include "app/AsciiCase.h"

namespace {

char16_t UpperAscii(char16_t c) {
    return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - u'a' + u'A') : c;
}

char16_t LowerAscii(char16_t c) {
    return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c;
}

} // namespace

QString AsciiUpperCase(const QString& text) {
    QString result = text;
    for (QChar& c : result)
        c = QChar(UpperAscii(c.unicode()));
    return result;
}

QString AsciiLowerCase(const QString& text) {
    QString result = text;
    for (QChar& c : result)
        c = QChar(LowerAscii(c.unicode()));
    return result;
}

bool SameTextAscii(const QString& a, const QString& b) {
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i)
        if (UpperAscii(a[i].unicode()) != UpperAscii(b[i].unicode()))
            return false;
    return true;
}
