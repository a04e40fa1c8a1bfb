#include "i18n/frmCVNBase.h"

#include "i18n/unitCVNLanguages.h"

#include <QEventLoop>
#include <QFont>
#include <QFontDatabase>
#include <QHideEvent>
#include <QPointer>

#ifdef _WIN32
#include <cstdlib>
#include <windows.h>
#endif

namespace {

// The system's message font; false when the system does not tell.
bool MessageFont(QFont& font) {
#ifdef _WIN32
    // The form of the record that includes the padded-border width. Headers that target older
    // systems declare the shorter form, so the buffer is made large enough for the system to fill.
    union {
        NONCLIENTMETRICSW Metrics;
        unsigned char Bytes[504];
    } record{};
    record.Metrics.cbSize = sizeof record.Bytes;
    if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, 0, &record, 0))
        return false;
    const LOGFONTW& logFont = record.Metrics.lfMessageFont;
    font = QFont(QString::fromWCharArray(logFont.lfFaceName));
    if (logFont.lfHeight != 0)
        font.setPixelSize(std::abs(logFont.lfHeight));
    font.setWeight(logFont.lfWeight > 0 ? static_cast<QFont::Weight>(logFont.lfWeight)
                                        : QFont::Normal);
    font.setItalic(logFont.lfItalic != 0);
    font.setUnderline(logFont.lfUnderline != 0);
    font.setStrikeOut(logFont.lfStrikeOut != 0);
    return true;
#else
    font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    return true;
#endif
}

} // namespace

TCVNBaseForm::TCVNBaseForm(QWidget* parent, Qt::WindowFlags flags)
    : QWidget(parent, flags | Qt::Window) {
    setWindowTitle(QStringLiteral("CVNBaseForm"));
    resize(426, 216);
    // Set before the derived window applies its layout, so a layout with a font of its own wins.
    QFont font;
    if (MessageFont(font))
        setFont(font);
}

TCVNBaseForm::~TCVNBaseForm() {
    // A window destroyed while shown modally ends its modal loop.
    if (FModalLoop != nullptr)
        FModalLoop->quit();
}

QString TCVNBaseForm::Translate(const QString& key, const QString& defaultValue) const {
    return ReadLangString(QString::fromLatin1(metaObject()->className()), key, defaultValue);
}

int TCVNBaseForm::ShowModal() {
    FModalResult = mrNone;
    setWindowModality(Qt::ApplicationModal);
    QEventLoop loop;
    FModalLoop = &loop;
    QPointer<TCVNBaseForm> self(this);
    show();
    if (isVisible())
        loop.exec(QEventLoop::DialogExec);
    if (!self)
        return mrCancel;
    FModalLoop = nullptr;
    if (FModalResult == mrNone)
        FModalResult = mrCancel;
    return FModalResult;
}

void TCVNBaseForm::SetModalResult(int result) {
    FModalResult = result;
    close();
}

void TCVNBaseForm::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    // A window minimised by the system is hidden but still open.
    if (FModalLoop != nullptr && !event->spontaneous())
        FModalLoop->quit();
}
