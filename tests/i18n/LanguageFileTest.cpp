#include "i18n/unitCVNLanguages.h"
#include "platform/Executable.h"

#include <QDir>
#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <cstdlib>
#include <gtest/gtest.h>

namespace {

void WriteFile(const QString& fileName, const QByteArray& bytes) {
    QFile file(fileName);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << fileName.toStdString();
    file.write(bytes);
}

// Each test starts and ends with no language file loaded.
class LanguageFileTest : public testing::Test {
protected:
    void SetUp() override { ReleaseLanguageFile(); }
    void TearDown() override { ReleaseLanguageFile(); }

    void Load(const QByteArray& bytes) {
        const QString name = Folder.filePath(QStringLiteral("lang.txt"));
        WriteFile(name, bytes);
        ASSERT_TRUE(LoadLanguageFile(name));
    }

    QTemporaryDir Folder;
};

// Every reading and matching rule on one small file, with CR LF, lone LF and lone CR lines.
const QByteArray RulesFixture = "Stray=before any section\r\n"
                                "[TCVNMainForm]\r\n"
                                "OnlyInFirst=first\r\n"
                                "ExitButton.Caption=from the first section\r\n"
                                "[ tcvnmainform ]\n"
                                "; AboutButton.Caption=commented out\n"
                                "  aboutbutton.CAPTION   =   &About it   \t\r\n"
                                "\x01"
                                "Ctrl=\tvalue\x02\r"
                                "Twice=one\r"
                                "Twice=two\n"
                                "Formula=a = b=c\n"
                                "Quoted=\"quoted value\"\n"
                                "Empty=\n"
                                "Spaces=   \n"
                                "Lines=one\\ntwo\n"
                                "Path=C:\\new\\Names\n"
                                "UpperN=A\\Nb\\tc\n"
                                "NoEquals\n"
                                "[TCVNAboutForm]\n"
                                "Caption=Info";

TEST_F(LanguageFileTest, ReadingAndMatchingRules) {
    Load(RulesFixture);
    const struct {
        const char* Section;
        const char* Key;
        const char* Default;
        const char* Expected;
    } cases[] = {
        {"TCVNMainForm", "Stray", "default", "default"},
        // Only the last section of a name is searched.
        {"TCVNMainForm", "OnlyInFirst", "default", "default"},
        {"TCVNMainForm", "ExitButton.Caption", "E&xit", "E&xit"},
        {"TCVNMainForm", "AboutButton.Caption", "&About...", "&About it"},
        {"tcvnMAINform", "ABOUTBUTTON.caption", "&About...", "&About it"},
        {"TCVNMainForm", "Ctrl", "default", "value"},
        {"TCVNMainForm", "Twice", "default", "two"},
        {"TCVNMainForm", "Formula", "default", "a = b=c"},
        {"TCVNMainForm", "Quoted", "default", "\"quoted value\""},
        {"TCVNMainForm", "Empty", "default", ""},
        {"TCVNMainForm", "Spaces", "default", ""},
        {"TCVNMainForm", "Lines", "default", "one\r\ntwo"},
        {"TCVNMainForm", "Path", "default", "C:\r\new\\Names"},
        {"TCVNMainForm", "UpperN", "default", "A\\Nb\\tc"},
        {"TCVNMainForm", "NoEquals", "default", "default"},
        {"TCVNAboutForm", "Caption", "About...", "Info"},
        {"TCVNAboutForm", "AboutButton.Caption", "default", "default"},
        {"Missing", "Caption", "default", "default"},
        // The line-break rule applies to defaults as well.
        {"Missing", "Caption", "a\\nb\\Nc", "a\r\nb\\Nc"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ReadLangString(c.Section, c.Key, c.Default), QString::fromUtf8(c.Expected))
            << c.Section << " / " << c.Key;
}

QByteArray Utf16(const QString& text, QStringConverter::Encoding encoding) {
    return QStringEncoder(encoding, QStringConverter::Flag::Stateless).encode(text);
}

// The same texts saved in each encoding read back the same.
TEST_F(LanguageFileTest, EncodingsAndByteOrderMarks) {
    const QString text = QStringLiteral("[TCVNMainForm]\r\nExitButton.Caption=&Beenden\r\n"
                                        "AboutButton.Caption=\u00DCber \u20AC...\r\n");
    const struct {
        const char* Name;
        QByteArray Bytes;
    } files[] = {
        {"ANSI", QByteArray("[TCVNMainForm]\r\nExitButton.Caption=&Beenden\r\n"
                            "AboutButton.Caption=\xDC"
                            "ber \x80...\r\n")},
        {"UTF-8", QByteArray("\xEF\xBB\xBF") + text.toUtf8()},
        {"UTF-16LE", QByteArray("\xFF\xFE") + Utf16(text, QStringConverter::Utf16LE)},
        {"UTF-16BE", QByteArray("\xFE\xFF") + Utf16(text, QStringConverter::Utf16BE)},
    };
    for (const auto& file : files) {
        Load(file.Bytes);
        EXPECT_EQ(ReadLangString("TCVNMainForm", "ExitButton.Caption", "E&xit"), "&Beenden")
            << file.Name;
        EXPECT_EQ(ReadLangString("TCVNMainForm", "AboutButton.Caption", "&About..."),
                  QStringLiteral("\u00DCber \u20AC..."))
            << file.Name;
    }
}

// Without a mark the bytes are ANSI, so a UTF-16 file ends at its first NUL and translates nothing;
// a NUL ends the text in any encoding.
TEST_F(LanguageFileTest, NulEndsTheText) {
    const QString text = QStringLiteral("[TCVNMainForm]\r\nExitButton.Caption=&Beenden\r\n");
    Load(Utf16(text, QStringConverter::Utf16LE));
    EXPECT_EQ(ReadLangString("TCVNMainForm", "ExitButton.Caption", "E&xit"), "E&xit");

    Load(QByteArray("\xEF\xBB\xBF[S]\nA=1\n\0B=2\n", 17));
    EXPECT_EQ(ReadLangString("S", "A", "d"), "1");
    EXPECT_EQ(ReadLangString("S", "B", "d"), "d");
}

TEST_F(LanguageFileTest, ReleaseReturnsToDefaults) {
    Load("[S]\nA=1\n");
    EXPECT_NE(LanguageFile(), nullptr);
    ReleaseLanguageFile();
    EXPECT_EQ(LanguageFile(), nullptr);
    EXPECT_EQ(ReadLangString("S", "A", "d"), "d");
}

TEST(LanguageFileNameTest, UpperCaseHexWithAtLeastFourDigits) {
    const struct {
        uint32_t LCID;
        const char* Name;
    } cases[] = {
        {0x0407, "0407.txt"}, {0x0409, "0409.txt"},   {0x0C0A, "0C0A.txt"},
        {0x7, "0007.txt"},    {0x10407, "10407.txt"}, {0xFFFFFFFF, "FFFFFFFF.txt"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LanguageFileName(c.LCID), c.Name);
}

// Sets LC_ALL for the test's lifetime.
class TLocale {
public:
    explicit TLocale(const char* name) : Old(qgetenv("LC_ALL")) { qputenv("LC_ALL", name); }
    ~TLocale() { qputenv("LC_ALL", Old); }

private:
    QByteArray Old;
};

// The file beside the executable is chosen by the user's locale; one that exists but cannot be
// read leaves the texts untranslated instead of stopping the program.
TEST_F(LanguageFileTest, LoadsTheUsersFileBesideTheExecutable) {
    const QString exeDir = QString::fromStdString(ExecutableDir().string());
    QDir languages(exeDir + QStringLiteral("/Languages"));
    languages.removeRecursively(); // left over from an interrupted run
    ASSERT_TRUE(languages.mkpath(QStringLiteral(".")));
    struct TRemove {
        QDir& Folder;
        ~TRemove() { Folder.removeRecursively(); }
    } remove{languages};

    WriteFile(languages.filePath("0407.txt"), "[TCVNMainForm]\nExitButton.Caption=&Beenden\n");
    WriteFile(languages.filePath("0409.txt"), "[TCVNMainForm]\nExitButton.Caption=E&xit now\n");

    const struct {
        const char* Locale;
        const char* Expected;
    } cases[] = {
        {"de_DE.UTF-8", "&Beenden"},
        {"en_US.UTF-8", "E&xit now"},
        {"fr_FR.UTF-8", "E&xit"},
    };
    for (const auto& c : cases) {
        TLocale locale(c.Locale);
        LoadLanguageFile();
        EXPECT_EQ(ReadLangString("TCVNMainForm", "ExitButton.Caption", "E&xit"), c.Expected)
            << c.Locale;
    }

    // A folder of the file's name, and a file whose reading fails even for root.
    TLocale german("de_DE.UTF-8");
    ASSERT_TRUE(QFile::remove(languages.filePath("0407.txt")));
    ASSERT_TRUE(languages.mkdir("0407.txt"));
    LoadLanguageFile();
    EXPECT_EQ(LanguageFile(), nullptr);
    ASSERT_TRUE(languages.rmdir("0407.txt"));
    ASSERT_TRUE(QFile::link(QStringLiteral("/proc/self/mem"), languages.filePath("0407.txt")));
    LoadLanguageFile();
    EXPECT_EQ(LanguageFile(), nullptr);
    EXPECT_EQ(ReadLangString("TCVNMainForm", "ExitButton.Caption", "E&xit"), "E&xit");
}

} // namespace
