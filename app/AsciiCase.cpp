#include "app/AsciiCase.h"

#include "platform/AsciiText.h"

namespace {

std::u16string_view View(const QString& text) {
    return {reinterpret_cast<const char16_t*>(text.utf16()), static_cast<std::size_t>(text.size())};
}

} // namespace

QString AsciiUpperCase(const QString& text) {
    QString result = text;
    for (QChar& c : result)
        c = QChar(AsciiUpper(c.unicode()));
    return result;
}

QString AsciiLowerCase(const QString& text) {
    QString result = text;
    for (QChar& c : result)
        c = QChar(AsciiLower(c.unicode()));
    return result;
}

bool SameTextAscii(const QString& a, const QString& b) {
    return SameTextAscii(View(a), View(b));
}
