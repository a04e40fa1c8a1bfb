#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <cstdint>
#include <memory>

// A loaded language file: INI-like sections of name=value entries, built once and only read.
class TLanguageFile {
public:
    // Decodes (byte-order mark, else the ANSI code page) and parses the file's bytes.
    static std::unique_ptr<TLanguageFile> FromBytes(const QByteArray& bytes);

    // The value of a key in the last section of that name; names match in any letter case.
    bool Find(const QString& section, const QString& key, QString& value) const;

private:
    // Keyed by upper-cased names; a repeated section replaces the earlier one, a repeated key too.
    QHash<QString, QHash<QString, QString>> Sections;
};

// The loaded language file, or nullptr.
const TLanguageFile* LanguageFile();

// Loads the named file in place of any loaded one. False, with no file loaded, when the name is
// not a file or the file cannot be read.
bool LoadLanguageFile(const QString& fileName);

// Loads Languages/<LanguageFileName(UserDefaultLCID())> beside the executable if it exists.
void LoadLanguageFile();

void ReleaseLanguageFile();

// The translated text, or the default; "\n" becomes CR LF in either.
QString ReadLangString(const QString& section, const QString& key, const QString& defaultValue);

// "0407.txt": the locale identifier in upper-case hex, at least four digits.
QString LanguageFileName(uint32_t lcid);
