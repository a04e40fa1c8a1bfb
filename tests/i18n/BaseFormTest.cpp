#include "i18n/frmCVNBase.h"
#include "i18n/unitCVNLanguages.h"

#include <QApplication>
#include <QFile>
#include <QFontDatabase>
#include <QLabel>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

class TFirstTestForm : public TCVNBaseForm {
    Q_OBJECT
public:
    using TCVNBaseForm::TCVNBaseForm;
};

class TSecondTestForm : public TCVNBaseForm {
    Q_OBJECT
public:
    using TCVNBaseForm::TCVNBaseForm;
};

namespace {

// Both windows inherit Translate from the base, yet each looks in its own section.
TEST(BaseFormTest, TranslateUsesTheMostDerivedClassName) {
    QTemporaryDir folder;
    const QString name = folder.filePath("lang.txt");
    {
        QFile file(name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("[TCVNBaseForm]\nKey=base\n[TFirstTestForm]\nKey=first\n"
                   "[TSecondTestForm]\nKey=second\\nline\n");
    }
    ASSERT_TRUE(LoadLanguageFile(name));
    TFirstTestForm first;
    TSecondTestForm second;
    TCVNBaseForm base;
    EXPECT_EQ(first.Translate("Key", "d"), "first");
    EXPECT_EQ(second.Translate("key", "d"), "second\r\nline");
    EXPECT_EQ(base.Translate("Key", "d"), "base");
    EXPECT_EQ(first.Translate("Other", "a\\nb"), "a\r\nb");
    ReleaseLanguageFile();
    EXPECT_EQ(first.Translate("Key", "d"), "d");
}

// Windows take the system's message font, not the application's; a window or control whose
// layout gives it a font of its own keeps that font.
TEST(BaseFormTest, MessageFontUnlessTheLayoutSetsOne) {
    const QFont message = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    const QFont applicationFont = QApplication::font();
    QFont distinct(QStringLiteral("Serif"), message.pointSize() + 17);
    QApplication::setFont(distinct);

    TFirstTestForm form;
    auto* plain = new QLabel(&form);
    auto* ownFont = new QLabel(&form);
    ownFont->setFont(distinct);
    EXPECT_EQ(form.font().pointSize(), message.pointSize());
    EXPECT_EQ(form.font().family(), message.family());
    EXPECT_EQ(plain->font().pointSize(), message.pointSize());
    EXPECT_EQ(ownFont->font().pointSize(), distinct.pointSize());

    TSecondTestForm laidOut;
    laidOut.setFont(distinct); // as a layout with its own font does after the base is built
    EXPECT_EQ(laidOut.font().pointSize(), distinct.pointSize());

    QApplication::setFont(applicationFont);
}

TEST(BaseFormTest, ShowModalReturnsTheResultWhenTheWindowCloses) {
    QWidget owner;
    const struct {
        const char* Name;
        void (*Close)(TCVNBaseForm&);
        int Expected;
    } cases[] = {
        {"result set", [](TCVNBaseForm& f) { f.SetModalResult(TCVNBaseForm::mrOk); },
         TCVNBaseForm::mrOk},
        {"closed without a result", [](TCVNBaseForm& f) { f.close(); }, TCVNBaseForm::mrCancel},
        {"hidden", [](TCVNBaseForm& f) { f.hide(); }, TCVNBaseForm::mrCancel},
    };
    for (const auto& c : cases) {
        TFirstTestForm form(&owner, Qt::Dialog);
        EXPECT_TRUE(form.isWindow());
        bool wasModal = false;
        QTimer::singleShot(0, &form, [&] {
            wasModal = form.isVisible() && QApplication::activeModalWidget() == &form;
            c.Close(form);
        });
        EXPECT_EQ(form.ShowModal(), c.Expected) << c.Name;
        EXPECT_TRUE(wasModal) << c.Name;
        EXPECT_FALSE(form.isVisible()) << c.Name;
    }
}

// A modal window destroyed while it is shown ends its loop instead of leaving it running.
TEST(BaseFormTest, ShowModalEndsWhenTheWindowIsDestroyed) {
    auto* form = new TFirstTestForm;
    QTimer::singleShot(0, form, [form] { delete form; });
    EXPECT_EQ(form->ShowModal(), TCVNBaseForm::mrCancel);
}

} // namespace

#include "BaseFormTest.moc"
