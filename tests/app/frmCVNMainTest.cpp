#include "app/frmCVNMain.h"
#include "RefereeDigest.h"
#include "about/frmCVNAbout.h"
#include "i18n/unitCVNLanguages.h"

#include <QAbstractItemModel>
#include <QClipboard>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <QtTest>

#include <climits>

namespace {

template <class T>
T* Child(QObject* root, const QString& name) {
    T* child = root->findChild<T*>(name);
    if (child == nullptr)
        qFatal("no control named %s", qPrintable(name));
    return child;
}

QLineEdit* Edit(QObject* root, const char* name) {
    return Child<QLineEdit>(root, QLatin1String(name));
}

QRadioButton* Item(QObject* root, const char* group, int index) {
    return Child<QRadioButton>(root,
                               QStringLiteral("%1Item%2").arg(QLatin1String(group)).arg(index));
}

enum TIndicator { Hidden, Tick, Cross };

// Hidden, or which picture shows: the tick is green, the cross red, and the magenta background
// must not show at all.
TIndicator IndicatorState(const QLabel* image) {
    if (image->isHidden())
        return Hidden;
    const QImage picture = image->pixmap().toImage().convertToFormat(QImage::Format_ARGB32);
    int green = 0;
    int red = 0;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) {
            const QColor c = picture.pixelColor(x, y);
            if (c.alpha() == 0)
                continue;
            if (c == QColor(255, 0, 255))
                qFatal("the indicator shows its magenta background");
            green += c.green() > c.red() + 60 ? 1 : 0;
            red += c.red() > c.green() + 60 && c.blue() < 128 ? 1 : 0;
        }
    if (green == red)
        qFatal("the indicator shows neither tick nor cross");
    return green > red ? Tick : Cross;
}

// Every text that FormCreate translates, in its order.
QStringList Texts(const TCVNMainForm& form) {
    QStringList texts;
    const auto caption = [&](const char* name) {
        QObject* control = Child<QWidget>(const_cast<TCVNMainForm*>(&form), QLatin1String(name));
        texts << control->property("text").toString();
    };
    const auto group = [&](const char* name, int count) {
        texts << Child<QGroupBox>(const_cast<TCVNMainForm*>(&form), QLatin1String(name))->title();
        for (int i = 0; i < count; ++i)
            texts << Item(const_cast<TCVNMainForm*>(&form), name, i)->text();
    };
    caption("AboutButton");
    caption("ExitButton");
    texts << form.PageControl->tabText(0) << form.PageControl->tabText(1);
    group("AlgorithmGroup", 5);
    group("CaseGroup", 2);
    texts << form.AddButton->toolTip() << form.DeleteButton->toolTip()
          << form.CleanUpButton->toolTip();
    caption("FileComparisonLabel");
    caption("FileLabel");
    for (int column = 1; column <= 3; ++column)
        texts << form.FileListView->model()->headerData(column, Qt::Horizontal).toString();
    caption("FileResultLabel");
    group("EncodingGroup", 3);
    caption("TextComparisonLabel");
    caption("TextLabel");
    caption("TextResultLabel");
    return texts;
}

const QString DigestOfAbc = QStringLiteral("900150983CD24FB0D6963F7D28E17F72");

} // namespace

class TMainFormTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { ReleaseLanguageFile(); }

    void startState() {
        TCVNMainForm form;
        QCOMPARE(form.windowTitle(), QStringLiteral("Corvanth"));
        QVERIFY(!form.windowIcon().isNull());
        QCOMPARE(form.size(), QSize(610, 336));
        QCOMPARE(form.minimumSize(), QSize(400, 336));
        QCOMPARE(form.PageControl->currentWidget(), form.FileTabSheet);
        QVERIFY(Item(&form, "AlgorithmGroup", 4)->isChecked());
        QVERIFY(Item(&form, "CaseGroup", 0)->isChecked());
        QVERIFY(Item(&form, "EncodingGroup", 0)->isChecked());
        for (const char* name : {"FileResultEdit", "FileComparisonEdit", "TextEdit",
                                 "TextResultEdit", "TextComparisonEdit"}) {
            QVERIFY2(Edit(&form, name)->text().isEmpty(), name);
            QCOMPARE(Edit(&form, name)->maxLength(), INT_MAX);
        }
        QVERIFY(form.FileResultEdit->isReadOnly() && form.TextResultEdit->isReadOnly());
        QVERIFY(form.FileImage->isHidden() && form.TextImage->isHidden());
        QVERIFY(form.AddButton->isEnabled());
        QVERIFY(!form.DeleteButton->isEnabled());
        QVERIFY(!form.CleanUpButton->isEnabled());
        QVERIFY(form.acceptDrops());
        QCOMPARE(Texts(form), QStringList({"&About...",
                                           "E&xit",
                                           "&File",
                                           "&Text",
                                           "Hash algorithms",
                                           "CRC32",
                                           "SHA-1",
                                           "SHA-256",
                                           "SHA-512",
                                           "MD5",
                                           "Result case",
                                           "Upper",
                                           "Lower",
                                           "Add",
                                           "Delete",
                                           "Clean up",
                                           "Result comparison:",
                                           "Files to hash:",
                                           "#",
                                           "Filename",
                                           "Status",
                                           "Hash result:",
                                           "Encoding",
                                           "ANSI",
                                           "Unicode",
                                           "UTF8",
                                           "Result comparison:",
                                           "Text to hash:",
                                           "Hash result:"}));

        const QAbstractItemModel* list = form.FileListView->model();
        QCOMPARE(list->rowCount(), 0);
        QCOMPARE(list->columnCount(), 4);
        QVERIFY(list->headerData(0, Qt::Horizontal).toString().isEmpty());
        QCOMPARE(list->headerData(1, Qt::Horizontal, Qt::TextAlignmentRole).value<Qt::Alignment>() &
                     Qt::AlignHorizontal_Mask,
                 Qt::AlignRight);
        QCOMPARE(form.FileListView->selectionMode(), QAbstractItemView::ExtendedSelection);
        QCOMPARE(form.FileListView->selectionBehavior(), QAbstractItemView::SelectRows);
        QCOMPARE(form.FileListView->editTriggers(), QAbstractItemView::NoEditTriggers);
    }

    void textHash_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("encoding");
        QTest::addColumn<int>("algorithm");
        QTest::addColumn<QString>("expected");

        const char* encodings[] = {"ANSI", "Unicode", "UTF8"};
        const char* algorithms[] = {"CRC32", "SHA-1", "SHA-256", "SHA-512", "MD5"};
        struct TSample {
            QString text;
            QByteArray bytes[3];
            const char* crc[3];
        };
        const TSample samples[] = {
            {QStringLiteral("é"),
             {QByteArray("\xE9"), QByteArray("\xE9\x00", 2), QByteArray("\xC3\xA9")},
             {"810C755D", "71111B49", "D49F5DCA"}},
            {QStringLiteral("abc"),
             {QByteArray("abc"), QByteArray("a\0b\0c\0", 6), QByteArray("abc")},
             {"55129B27", "0778199F", "55129B27"}},
        };
        for (const TSample& sample : samples)
            for (int encoding = 0; encoding < 3; ++encoding)
                for (int algorithm = 0; algorithm < 5; ++algorithm)
                    QTest::addRow("%s %s %s", qPrintable(sample.text), encodings[encoding],
                                  algorithms[algorithm])
                        << sample.text << encoding << algorithm
                        << (algorithm == 0 ? QString::fromLatin1(sample.crc[encoding])
                                           : RefereeDigest(algorithm, sample.bytes[encoding]));

        QTest::newRow("check digits") << "123456789" << 0 << 0 << "7DC08C09";
        QTest::newRow("CRC32 with leading zeros") << "5" << 2 << 0 << "0039C88C";
        QTest::newRow("euro sign in code page 1252") << "€" << 0 << 4 << RefereeDigest(4, "\x80");
        QTest::newRow("surrogate pair")
            << "\U0001F600" << 1 << 1 << RefereeDigest(1, QByteArray("\x3D\xD8\x00\xDE", 4));
        const QString longText(40000, QLatin1Char('x'));
        QTest::newRow("beyond 32767 characters")
            << longText << 2 << 2 << RefereeDigest(2, longText.toLatin1());
    }

    // The text is entered first, so the encoding and algorithm clicks must hash it again.
    void textHash() {
        QFETCH(QString, text);
        QFETCH(int, encoding);
        QFETCH(int, algorithm);
        QFETCH(QString, expected);
        const int digestLength[] = {8, 40, 64, 128, 32};

        TCVNMainForm form;
        form.TextEdit->setText(text);
        Item(&form, "EncodingGroup", encoding)->click();
        Item(&form, "AlgorithmGroup", algorithm)->click();
        QCOMPARE(form.TextResultEdit->text(), expected);
        QCOMPARE(form.TextResultEdit->text().size(), digestLength[algorithm]);
    }

    void typingPastingAndDeletingRehash() {
        TCVNMainForm form;
        QTest::keyClicks(form.TextEdit, QStringLiteral("abc"));
        QCOMPARE(form.TextResultEdit->text(), DigestOfAbc);
        QTest::keyClick(form.TextEdit, Qt::Key_Backspace);
        QCOMPARE(form.TextResultEdit->text(), RefereeDigest(4, "ab"));

        form.TextEdit->clear();
        QVERIFY(form.TextResultEdit->text().isEmpty());
        Item(&form, "AlgorithmGroup", 1)->click();
        QVERIFY(form.TextResultEdit->text().isEmpty());

        QGuiApplication::clipboard()->setText(QStringLiteral("abc"));
        form.TextEdit->paste();
        QCOMPARE(form.TextResultEdit->text(), RefereeDigest(1, "abc"));
    }

    void caseSwitch() {
        TCVNMainForm form;
        Item(&form, "AlgorithmGroup", 1)->click();
        form.TextEdit->setText(QStringLiteral("abc"));
        const QString upper = RefereeDigest(1, "abc");
        QCOMPARE(form.TextResultEdit->text(), upper);

        // The file side's comparison is made while its result is empty; the result then arrives
        // without a new comparison, which a change of case must not make either.
        form.FileComparisonEdit->setText(QStringLiteral("abcdef-Ä"));
        form.FileResultEdit->setText(QStringLiteral("ABCDEF-Ä"));
        QCOMPARE(IndicatorState(form.FileImage), Cross);

        Item(&form, "CaseGroup", 1)->click();
        QCOMPARE(form.TextResultEdit->text(), upper.toLower());
        QCOMPARE(form.FileResultEdit->text(), QStringLiteral("abcdef-Ä"));
        QCOMPARE(IndicatorState(form.FileImage), Cross);

        form.TextEdit->setText(QStringLiteral("abcd"));
        QCOMPARE(form.TextResultEdit->text(), RefereeDigest(1, "abcd").toLower());

        Item(&form, "CaseGroup", 0)->click();
        QCOMPARE(form.TextResultEdit->text(), RefereeDigest(1, "abcd"));
        QCOMPARE(form.FileResultEdit->text(), QStringLiteral("ABCDEF-Ä"));
    }

    void matchIndicator_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("comparison");
        QTest::addColumn<int>("expected");

        const QString abc = QStringLiteral("abc");
        QTest::newRow("same text") << abc << DigestOfAbc << int(Tick);
        QTest::newRow("lower-case comparison") << abc << DigestOfAbc.toLower() << int(Tick);
        QTest::newRow("leading space") << abc << " " + DigestOfAbc << int(Cross);
        QTest::newRow("trailing space") << abc << DigestOfAbc + " " << int(Cross);
        QTest::newRow("one digit off") << abc << DigestOfAbc.left(31) + "3" << int(Cross);
        QTest::newRow("shorter") << abc << DigestOfAbc.left(31) << int(Cross);
        QTest::newRow("empty comparison") << abc << QString() << int(Hidden);
        QTest::newRow("empty result") << QString() << DigestOfAbc << int(Cross);
    }

    // Both pages follow the same rule; the file side's result is put in directly.
    void matchIndicator() {
        QFETCH(QString, text);
        QFETCH(QString, comparison);
        QFETCH(int, expected);

        TCVNMainForm form;
        form.TextEdit->setText(text);
        form.TextComparisonEdit->setText(comparison);
        QCOMPARE(IndicatorState(form.TextImage), TIndicator(expected));

        form.FileResultEdit->setText(form.TextResultEdit->text());
        form.FileComparisonEdit->setText(comparison);
        QCOMPARE(IndicatorState(form.FileImage), TIndicator(expected));
    }

    void indicatorFollowsResult() {
        TCVNMainForm form;
        form.TextComparisonEdit->setText(DigestOfAbc.toLower());
        QCOMPARE(IndicatorState(form.TextImage), Cross);
        form.TextEdit->setText(QStringLiteral("abc"));
        QCOMPARE(IndicatorState(form.TextImage), Tick);
        Item(&form, "EncodingGroup", 1)->click();
        QCOMPARE(IndicatorState(form.TextImage), Cross);
        Item(&form, "EncodingGroup", 2)->click();
        QCOMPARE(IndicatorState(form.TextImage), Tick);
        form.TextEdit->clear();
        QCOMPARE(IndicatorState(form.TextImage), Cross);
        form.TextComparisonEdit->clear();
        QCOMPARE(IndicatorState(form.TextImage), Hidden);
    }

    void translatedTexts() {
        QVERIFY(LoadLanguageFile(QStringLiteral(FIXTURES_DIR "/window-texts.txt")));
        TCVNMainForm form;
        QCOMPARE(Texts(form),
                 QStringList({"Ü&ber",
                              "&Ende",
                              "&Dateien",
                              "Te&xt",
                              "Verfahren",
                              "V1",
                              "V2",
                              "V3",
                              "V4",
                              "V5",
                              "Schreibung",
                              "Groß",
                              "Klein",
                              "Dazu",
                              "Weg",
                              "Leeren",
                              "Datei-Vergleich:",
                              "Eine recht lange Überschrift über der Liste der Dateien:",
                              "Nr.",
                              "Name",
                              "Zustand",
                              "Datei-Ergebnis:",
                              "Kodierung",
                              "K1",
                              "K2",
                              "K3",
                              "Text-Vergleich:",
                              "Text:",
                              "Text-Ergebnis:"}));
        // Never looked up: the hidden column and the window's own title.
        QVERIFY(form.FileListView->model()->headerData(0, Qt::Horizontal).toString().isEmpty());
        QCOMPARE(form.windowTitle(), QStringLiteral("Corvanth"));
        QVERIFY(Item(&form, "AlgorithmGroup", 4)->isChecked());
        // A label takes the size of its new text.
        QCOMPARE(form.FileLabel->size(), form.FileLabel->sizeHint());
        QCOMPARE(form.FileLabel->pos(), QPoint(16, 16));
    }

    void layout_data() {
        QTest::addColumn<QSize>("requested");
        QTest::addColumn<QSize>("client");
        QTest::addColumn<QPoint>("about");
        QTest::addColumn<QPoint>("exit");
        QTest::addColumn<QSize>("pages");

        QTest::newRow("as created") << QSize() << QSize(610, 336) << QPoint(489, 295)
                                    << QPoint(489, 262) << QSize(457, 304);
        QTest::newRow("below the minimum") << QSize(300, 200) << QSize(400, 336) << QPoint(279, 295)
                                           << QPoint(279, 262) << QSize(247, 304);
        QTest::newRow("narrow and tall") << QSize(300, 450) << QSize(400, 450) << QPoint(279, 409)
                                         << QPoint(279, 376) << QSize(247, 418);
        QTest::newRow("wider") << QSize(800, 336) << QSize(800, 336) << QPoint(679, 295)
                               << QPoint(679, 262) << QSize(647, 304);
        QTest::newRow("taller") << QSize(610, 500) << QSize(610, 500) << QPoint(489, 459)
                                << QPoint(489, 426) << QSize(457, 468);
    }

    void layout() {
        QFETCH(QSize, requested);
        QFETCH(QSize, client);
        QFETCH(QPoint, about);
        QFETCH(QPoint, exit);
        QFETCH(QSize, pages);

        TCVNMainForm form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        if (requested.isValid())
            form.resize(requested);
        QTRY_COMPARE(form.size(), client);
        QTRY_COMPARE(form.AboutButton->pos(), about);
        QCOMPARE(form.ExitButton->pos(), exit);
        QCOMPARE(form.AlgorithmGroup->geometry(), QRect(about.x(), 16, 105, 145));
        QCOMPARE(form.CaseGroup->geometry(), QRect(about.x(), 176, 105, 65));
        QCOMPARE(form.PageControl->geometry(), QRect(QPoint(16, 16), pages));

        // The pages' own sizes come from the tab control's frame and tabs.
        const int w = form.FileTabSheet->width();
        const int h = form.FileTabSheet->height();
        QTRY_COMPARE(form.FileComparisonEdit->geometry(), QRect(16, h - 37, w - 32, 21));
        QCOMPARE(form.FileComparisonLabel->pos(), QPoint(16, h - 61));
        QCOMPARE(form.FileImage->geometry(), QRect(w - 32, h - 61, 16, 16));
        QCOMPARE(form.FileResultEdit->geometry(), QRect(16, h - 98, w - 32, 21));
        QCOMPARE(form.FileResultLabel->pos(), QPoint(16, h - 122));
        QCOMPARE(form.FileListView->geometry(), QRect(16, 40, w - 32, h - 178));
        QCOMPARE(form.FileLabel->pos(), QPoint(16, 16));
        QCOMPARE(form.CleanUpButton->geometry(), QRect(w - 46, 8, 30, 30));
        QCOMPARE(form.DeleteButton->geometry(), QRect(w - 76, 8, 30, 30));
        QCOMPARE(form.AddButton->geometry(), QRect(w - 106, 8, 30, 30));
        const QHeaderView* header = form.FileListView->header();
        QCOMPARE(header->sectionSize(0), 1);
        QCOMPARE(header->sectionSize(1), 40);
        QCOMPARE(header->sectionSize(3), 100);
        QTRY_COMPARE(header->sectionSize(2), form.FileListView->viewport()->width() - 141);

        form.PageControl->setCurrentWidget(form.TextTabSheet);
        QTRY_COMPARE(form.TextEdit->geometry(), QRect(16, 40, w - 32, 21));
        QCOMPARE(form.EncodingGroup->geometry(), QRect(16, 80, w - 32, 49));
        QCOMPARE(form.TextResultEdit->geometry(), QRect(16, 176, w - 32, 21));
        QCOMPARE(form.TextComparisonEdit->geometry(), QRect(16, 240, w - 32, 21));
        QCOMPARE(form.TextImage->geometry(), QRect(w - 32, 216, 16, 16));
        for (QLabel* label : {form.TextLabel, form.TextResultLabel, form.TextComparisonLabel})
            QCOMPARE(label->x(), 16);
        QCOMPARE(form.TextComparisonLabel->y(), 216);
        // The encoding items spread over the group's width, in three columns.
        QVERIFY(Item(&form, "EncodingGroup", 2)->geometry().right() <= w - 32);
        QVERIFY(Item(&form, "EncodingGroup", 2)->x() > (w - 32) / 2);
    }

    void aboutAndExit() {
        TCVNMainForm form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));

        // Answers the modal dialog once it shows; AboutButtonClick returns after it closed.
        bool answered = false;
        QTimer answer;
        connect(&answer, &QTimer::timeout, &form, [&] {
            for (TCVNAboutForm* about : form.findChildren<TCVNAboutForm*>())
                if (about->isVisible()) {
                    answer.stop();
                    answered = about->parentWidget() == &form && about->isModal();
                    about->OKButton->click();
                }
        });
        answer.start(10);
        form.AboutButton->click();
        QVERIFY(answered);
        QVERIFY(form.findChildren<TCVNAboutForm*>().isEmpty());

        form.ExitButton->click();
        QVERIFY(!form.isVisible());
    }
};

QTEST_MAIN(TMainFormTest)
#include "frmCVNMainTest.moc"
