#include "i18n/unitCVNLanguages.h"

#include "platform/CodePage.h"
#include "platform/Executable.h"
#include "platform/Locale.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

namespace {

std::unique_ptr<TLanguageFile>& LoadedFile() {
    static std::unique_ptr<TLanguageFile> file;
    return file;
}

bool StartsWith(const QByteArray& bytes, std::initializer_list<uchar> mark) {
    if (bytes.size() < static_cast<qsizetype>(mark.size()))
        return false;
    qsizetype i = 0;
    for (uchar b : mark)
        if (static_cast<uchar>(bytes[i++]) != b)
            return false;
    return true;
}

// The marks are tested in this order and skipped; without one the bytes are ANSI.
QString DecodeText(const QByteArray& bytes) {
    QString text;
    if (StartsWith(bytes, {0xFF, 0xFE})) {
        text = QStringDecoder(QStringDecoder::Utf16LE, QStringDecoder::Flag::Stateless)
                   .decode(bytes.sliced(2));
    } else if (StartsWith(bytes, {0xFE, 0xFF})) {
        text = QStringDecoder(QStringDecoder::Utf16BE, QStringDecoder::Flag::Stateless)
                   .decode(bytes.sliced(2));
    } else if (StartsWith(bytes, {0xEF, 0xBB, 0xBF})) {
        text = QString::fromUtf8(bytes.sliced(3));
    } else {
        const std::u16string wide =
            CodePageToWide(AnsiCodePage(), std::string_view(bytes.constData(), bytes.size()));
        text = QString::fromStdU16String(wide);
    }
    const qsizetype nul = text.indexOf(QChar(0));
    if (nul >= 0)
        text.truncate(nul);
    return text;
}

// Removes the characters 0 to 32 from both ends (QString::trimmed knows only white space).
QString Trim(QStringView text) {
    qsizetype begin = 0, end = text.size();
    while (begin < end && text[begin].unicode() <= 32)
        ++begin;
    while (end > begin && text[end - 1].unicode() <= 32)
        --end;
    return text.sliced(begin, end - begin).toString();
}

QString PathText(const std::filesystem::path& path) {
#ifdef _WIN32
    return QString::fromStdWString(path.wstring());
#else
    return QFile::decodeName(QByteArray(path.c_str()));
#endif
}

} // namespace

std::unique_ptr<TLanguageFile> TLanguageFile::FromBytes(const QByteArray& bytes) {
    auto file = std::make_unique<TLanguageFile>();
    const QString text = DecodeText(bytes);
    QHash<QString, QString>* section = nullptr;
    qsizetype start = 0;
    while (start <= text.size()) {
        qsizetype end = start;
        while (end < text.size() && text[end] != u'\r' && text[end] != u'\n')
            ++end;
        const QString line = Trim(QStringView(text).sliced(start, end - start));
        start =
            end + (end + 1 < text.size() && text[end] == u'\r' && text[end + 1] == u'\n' ? 2 : 1);

        if (line.isEmpty() || line.startsWith(u';'))
            continue;
        if (line.size() >= 2 && line.startsWith(u'[') && line.endsWith(u']')) {
            // A repeated section starts afresh: only the last one of a name is searched.
            section = &file->Sections[Trim(QStringView(line).sliced(1, line.size() - 2)).toUpper()];
            section->clear();
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        if (section == nullptr || equals < 0)
            continue;
        section->insert(Trim(QStringView(line).first(equals)).toUpper(),
                        Trim(QStringView(line).sliced(equals + 1)));
    }
    return file;
}

bool TLanguageFile::Find(const QString& section, const QString& key, QString& value) const {
    const auto found = Sections.constFind(section.toUpper());
    if (found == Sections.constEnd())
        return false;
    const auto entry = found->constFind(key.toUpper());
    if (entry == found->constEnd())
        return false;
    value = *entry;
    return true;
}

const TLanguageFile* LanguageFile() {
    return LoadedFile().get();
}

bool LoadLanguageFile(const QString& fileName) {
    LoadedFile().reset();
    if (!QFileInfo(fileName).isFile())
        return false;
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.readAll();
    // A file that cannot be read leaves every text untranslated rather than stopping the program.
    if (file.error() != QFileDevice::NoError)
        return false;
    LoadedFile() = TLanguageFile::FromBytes(bytes);
    return true;
}

void LoadLanguageFile() {
    const std::filesystem::path folder = ExecutableDir();
    if (folder.empty()) {
        LoadedFile().reset();
        return;
    }
    LoadLanguageFile(
        QDir(PathText(folder))
            .filePath(QStringLiteral("Languages/") + LanguageFileName(UserDefaultLCID())));
}

void ReleaseLanguageFile() {
    std::unique_ptr<TLanguageFile> file = std::move(LoadedFile());
    file.reset();
}

QString ReadLangString(const QString& section, const QString& key, const QString& defaultValue) {
    QString value = defaultValue;
    if (const TLanguageFile* file = LanguageFile())
        file->Find(section, key, value);
    return value.replace(QStringLiteral("\\n"), QStringLiteral("\r\n"));
}

QString LanguageFileName(uint32_t lcid) {
    return QStringLiteral("%1.txt").arg(QString::number(lcid, 16).toUpper(), 4, u'0');
}
