#include "i18n/unitCVNLanguages.h"

#include <QColor>
#include <QImage>
#include <QSet>
#include <QTest>

#include <algorithm>
#include <utility>

namespace {

const QRgb Background = qRgb(255, 0, 255);

bool IsBackground(QRgb pixel) {
    return (pixel & 0xFFFFFF) == (Background & 0xFFFFFF);
}

// A colour that edge blending toward the magenta background would leave behind.
bool IsPinkish(QRgb pixel) {
    const int r = qRed(pixel), g = qGreen(pixel), b = qBlue(pixel);
    return r > 150 && b > 150 && g + 60 < std::min(r, b);
}

} // namespace

class TResourcesTest : public QObject {
    Q_OBJECT

private slots:
    void Pictures_data();
    void Pictures();
    void ButtonStrips_data();
    void ButtonStrips();
    void GermanTexts();
    void GermanMnemonicsDiffer();
};

void TResourcesTest::Pictures_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::newRow("tick") << ":/bitmaps/OKBITMAP.bmp" << 16 << 16;
    QTest::newRow("cross") << ":/bitmaps/ERRORBITMAP.bmp" << 16 << 16;
    QTest::newRow("add") << ":/bitmaps/AddButton.bmp" << 72 << 24;
    QTest::newRow("delete") << ":/bitmaps/DeleteButton.bmp" << 72 << 24;
    QTest::newRow("clean up") << ":/bitmaps/CleanUpButton.bmp" << 72 << 24;
    QTest::newRow("icon 16") << ":/icons/MAINICON-16.png" << 16 << 16;
    QTest::newRow("icon 32") << ":/icons/MAINICON-32.png" << 32 << 32;
    QTest::newRow("icon 48") << ":/icons/MAINICON-48.png" << 48 << 48;
}

void TResourcesTest::Pictures() {
    QFETCH(QString, name);
    QFETCH(int, width);
    QFETCH(int, height);
    const QImage image(name);
    QVERIFY2(!image.isNull(), qPrintable(name));
    QCOMPARE(image.size(), QSize(width, height));

    int drawn = 0;
    if (name.endsWith(".bmp")) {
        QCOMPARE(image.format(), QImage::Format_Indexed8);
        QVERIFY(IsBackground(image.pixel(0, 0)));
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const QRgb pixel = image.pixel(x, y);
                QVERIFY2(IsBackground(pixel) || !IsPinkish(pixel),
                         qPrintable(QString("pink fringe at %1,%2").arg(x).arg(y)));
                drawn += IsBackground(pixel) ? 0 : 1;
            }
    } else {
        QVERIFY(image.hasAlphaChannel());
        QCOMPARE(qAlpha(image.pixel(width - 1, 0)), 0);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                drawn += qAlpha(image.pixel(x, y)) == 255 ? 1 : 0;
    }
    QVERIFY2(drawn > width * height / 8, "the picture is almost empty");
}

void TResourcesTest::ButtonStrips_data() {
    QTest::addColumn<QString>("name");
    QTest::newRow("add") << ":/bitmaps/AddButton.bmp";
    QTest::newRow("delete") << ":/bitmaps/DeleteButton.bmp";
    QTest::newRow("clean up") << ":/bitmaps/CleanUpButton.bmp";
}

// Normal, disabled and pressed frames show the same shape; disabled is grey, pressed darker.
void TResourcesTest::ButtonStrips() {
    QFETCH(QString, name);
    const QImage strip(name);
    QCOMPARE(strip.size(), QSize(72, 24));
    bool coloured = false;
    int normalLight = 0, pressedLight = 0;
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 24; ++x) {
            const QRgb normal = strip.pixel(x, y);
            const QRgb disabled = strip.pixel(x + 24, y);
            const QRgb pressed = strip.pixel(x + 48, y);
            QCOMPARE(IsBackground(disabled), IsBackground(normal));
            QCOMPARE(IsBackground(pressed), IsBackground(normal));
            if (IsBackground(normal))
                continue;
            coloured = coloured || qRed(normal) != qBlue(normal) || qGreen(normal) != qBlue(normal);
            QVERIFY(qRed(disabled) == qGreen(disabled) && qGreen(disabled) == qBlue(disabled));
            QVERIFY(qRed(pressed) <= qRed(normal) && qGreen(pressed) <= qGreen(normal) &&
                    qBlue(pressed) <= qBlue(normal));
            normalLight += qGray(normal);
            pressedLight += qGray(pressed);
        }
    QVERIFY(coloured);
    QVERIFY(pressedLight < normalLight * 9 / 10);
}

// Every text both windows look up has a non-empty German translation in the shipped file.
void TResourcesTest::GermanTexts() {
    QVERIFY(LoadLanguageFile(CORVANTH_LANGUAGES_DIR "/0407.txt"));
    QStringList mainKeys = {"AboutButton.Caption",
                            "ExitButton.Caption",
                            "AlgorithmGroup.Caption",
                            "CaseGroup.Caption",
                            "AddButton.Hint",
                            "DeleteButton.Hint",
                            "CleanUpButton.Hint",
                            "FileComparisonLabel.Caption",
                            "FileLabel.Caption",
                            "FileResultLabel.Caption",
                            "EncodingGroup.Caption",
                            "TextComparisonLabel.Caption",
                            "TextLabel.Caption",
                            "TextResultLabel.Caption",
                            "StatusWaiting",
                            "StatusCalculating",
                            "StatusDone",
                            "StatusFailed"};
    for (int i = 1; i <= 2; ++i)
        mainKeys << QString("Page#%1.Caption").arg(i) << QString("CaseGroup.Item#%1").arg(i);
    for (int i = 1; i <= 3; ++i)
        mainKeys << QString("EncodingGroup.Item#%1").arg(i)
                 << QString("FileListView.Column#%1").arg(i);
    for (int i = 1; i <= 5; ++i)
        mainKeys << QString("AlgorithmGroup.Item#%1").arg(i);
    const QStringList aboutKeys = {"VersionLabel.Caption", "Caption", "AuthorLabel.Caption",
                                   "CommentLabel.Caption", "OKButton.Caption"};

    const QString missing = "\x01missing";
    for (const auto& [section, keys] : {std::pair{QString("TCVNMainForm"), mainKeys},
                                        std::pair{QString("TCVNAboutForm"), aboutKeys}})
        for (const QString& key : keys) {
            const QString text = ReadLangString(section, key, missing);
            QVERIFY2(text != missing && !text.isEmpty(), qPrintable(section + " " + key));
        }
    QCOMPARE(ReadLangString("TCVNMainForm", "AddButton.Hint", missing), QString("Hinzufügen"));
    ReleaseLanguageFile();
}

// The main window's mnemonics must not clash, or Alt+letter only moves the focus between them.
void TResourcesTest::GermanMnemonicsDiffer() {
    QVERIFY(LoadLanguageFile(CORVANTH_LANGUAGES_DIR "/0407.txt"));
    QSet<QChar> letters;
    for (const char* key :
         {"AboutButton.Caption", "ExitButton.Caption", "Page#1.Caption", "Page#2.Caption"}) {
        const QString caption = ReadLangString("TCVNMainForm", key, QString());
        const qsizetype amp = caption.indexOf('&');
        QVERIFY2(amp >= 0 && amp + 1 < caption.size(), key);
        const QChar letter = caption.at(amp + 1).toUpper();
        QVERIFY2(!letters.contains(letter), key);
        letters.insert(letter);
    }
    ReleaseLanguageFile();
}

QTEST_GUILESS_MAIN(TResourcesTest)
#include "ResourcesTest.moc"
