#include "about/frmCVNAbout.h"
#include "i18n/unitCVNLanguages.h"
#include "platform/Executable.h"

#include <QDesktopServices>
#include <QEnterEvent>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QUrl>
#include <QtTest>

#include <functional>
#include <optional>

// Stands in for the desktop: records the links that the dialog hands over.
class TLinkRecorder : public QObject {
    Q_OBJECT

public:
    QList<QUrl> Opened;

public slots:
    void Open(const QUrl& url) { Opened << url; }
};

class TAboutFormTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() {
        ReleaseLanguageFile();
        OverrideExecutableVersion(std::nullopt);
    }

    void texts_data() {
        QTest::addColumn<bool>("translated");
        QTest::addColumn<QString>("version");
        QTest::addColumn<QStringList>("expected");

        const QStringList plain = {"About...", "Author: Tovan Arlisk(tovan@corvanth.org)",
                                   "It's a freeware.", "&Ok"};
        const QStringList german = {"Über...", "Autorin: Tovan Arlisk(tovan@corvanth.org)",
                                    "Kostenlos.\r\nFür alle.", "&Gut"};
        QTest::newRow("built-in, with version")
            << false << "1.0.1.11" << (QStringList{"Version 1.0.1.11"} + plain);
        QTest::newRow("built-in, without version") << false << "" << (QStringList{""} + plain);
        QTest::newRow("translated, with version")
            << true << "1.0.1.11" << (QStringList{"Fassung 1.0.1.11"} + german);
        QTest::newRow("translated, without version") << true << "" << (QStringList{""} + german);
    }

    // The version line first (empty when hidden), then the caption, author, comment and button.
    void texts() {
        QFETCH(bool, translated);
        QFETCH(QString, version);
        QFETCH(QStringList, expected);
        if (translated)
            QVERIFY(LoadLanguageFile(QStringLiteral(FIXTURES_DIR "/about-texts.txt")));
        OverrideExecutableVersion(version.toStdString());

        TCVNAboutForm form;
        QCOMPARE(!form.VersionLabel->isHidden(), !version.isEmpty());
        const QStringList shown = {form.VersionLabel->isHidden() ? QString()
                                                                 : form.VersionLabel->text(),
                                   form.windowTitle(), form.AuthorLabel->text(),
                                   form.CommentLabel->text(), form.OKButton->text()};
        QCOMPARE(shown, expected);
        QCOMPARE(form.ProductLabel->text(), QStringLiteral("Corvanth"));
        QCOMPARE(form.SiteLabel->text(), QStringLiteral("https://corvanth.org/"));
        // Labels take the size of their text.
        QCOMPARE(form.AuthorLabel->size(), form.AuthorLabel->sizeHint());
    }

    void looks() {
        TCVNAboutForm form;
        QCOMPARE(form.minimumSize(), QSize(369, 203));
        QCOMPARE(form.maximumSize(), QSize(369, 203));
        QCOMPARE(form.OKButton->geometry(), QRect(280, 168, 75, 25));
        QVERIFY(!form.ProgramIcon->pixmap().isNull());
        const QFont product = form.ProductLabel->font();
        QCOMPARE(product.family(), QStringLiteral("Arial"));
        QVERIFY(product.bold());
        QCOMPARE(product.pointSize(), 18);
        QCOMPARE(form.AuthorLabel->cursor().shape(), Qt::PointingHandCursor);
        QCOMPARE(form.SiteLabel->cursor().shape(), Qt::PointingHandCursor);
    }

    void links() {
        TLinkRecorder desktop;
        QDesktopServices::setUrlHandler(QStringLiteral("mailto"), &desktop, "Open");
        QDesktopServices::setUrlHandler(QStringLiteral("https"), &desktop, "Open");
        TCVNAboutForm form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));

        QTest::mouseClick(form.AuthorLabel, Qt::LeftButton);
        QTest::mouseClick(form.SiteLabel, Qt::LeftButton);
        QTest::mouseClick(form.CommentLabel, Qt::LeftButton);
        QCOMPARE(desktop.Opened,
                 QList<QUrl>({QUrl("mailto:tovan@corvanth.org"), QUrl(form.SiteLabel->text())}));
        QDesktopServices::unsetUrlHandler(QStringLiteral("mailto"));
        QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    }

    void hoverColours() {
        TCVNAboutForm form;
        const QColor hot = form.palette().color(QPalette::Link);
        const QColor text = form.palette().color(QPalette::WindowText);
        QVERIFY(hot != text);
        const auto colour = [](const QLabel* label) {
            return label->palette().color(QPalette::WindowText);
        };

        for (QLabel* link : {form.AuthorLabel, form.SiteLabel}) {
            QLabel* other = link == form.AuthorLabel ? form.SiteLabel : form.AuthorLabel;
            QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
            QApplication::sendEvent(link, &enter);
            QCOMPARE(colour(link), hot);
            QCOMPARE(colour(other), text);
            QEvent leave(QEvent::Leave);
            QApplication::sendEvent(link, &leave);
            QCOMPARE(colour(link), text);
        }
    }

    void closing_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("result");
        QTest::newRow("Enter") << int(Qt::Key_Return) << TCVNBaseForm::mrOk;
        QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << TCVNBaseForm::mrOk;
        QTest::newRow("Esc") << int(Qt::Key_Escape) << TCVNBaseForm::mrOk;
        QTest::newRow("OK button") << 0 << TCVNBaseForm::mrOk;
        QTest::newRow("close box") << -1 << TCVNBaseForm::mrCancel;
    }

    void closing() {
        QFETCH(int, key);
        QFETCH(int, result);
        TCVNAboutForm form;
        // Answers once the dialog shows; ShowModal returns after it closed.
        QTimer answer;
        connect(&answer, &QTimer::timeout, &form, [&] {
            if (!form.isVisible())
                return;
            answer.stop();
            if (key > 0)
                QTest::keyClick(form.focusWidget() != nullptr ? form.focusWidget() : &form,
                                Qt::Key(key));
            else if (key == 0)
                QTest::mouseClick(form.OKButton, Qt::LeftButton);
            else
                form.close();
        });
        answer.start(10);
        QCOMPARE(form.ShowModal(), result);
        QVERIFY(!form.isVisible());
    }
};

QTEST_MAIN(TAboutFormTest)
#include "frmCVNAboutTest.moc"
