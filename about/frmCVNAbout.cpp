#include "about/frmCVNAbout.h"

#include "platform/Executable.h"
#include "ui_frmCVNAbout.h"

#include <QDesktopServices>
#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QUrl>

const QString TCVNAboutForm::AuthorName = QStringLiteral("Tovan Arlisk");
const QString TCVNAboutForm::AuthorMail = QStringLiteral("tovan@corvanth.org");
const QString TCVNAboutForm::SiteAddress = QStringLiteral("https://corvanth.org/");

namespace {

void SetTextColor(QLabel* label, const QColor& color) {
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, color);
    label->setPalette(palette);
}

} // namespace

TCVNAboutForm::TCVNAboutForm(QWidget* owner)
    : TCVNBaseForm(owner, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                              Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint) {
    Ui::TCVNAboutForm ui;
    ui.setupUi(this);
    OKButton = ui.OKButton;
    ProgramIcon = ui.ProgramIcon;
    ProductLabel = ui.ProductLabel;
    VersionLabel = ui.VersionLabel;
    AuthorLabel = ui.AuthorLabel;
    CommentLabel = ui.CommentLabel;
    SiteLabel = ui.SiteLabel;

    setFixedSize(size());
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, [this] { SetModalResult(mrOk); });
    for (QLabel* link : {AuthorLabel, SiteLabel})
        link->installEventFilter(this);

    FormCreate();

    if (owner != nullptr) {
        const QRect area = owner->window()->frameGeometry();
        move(area.center() - rect().center());
    }
}

void TCVNAboutForm::FormCreate() {
    const std::string version = ExecutableVersion();
    if (!version.empty()) {
        VersionLabel->setVisible(true);
        VersionLabel->setText(
            Translate(QStringLiteral("VersionLabel.Caption"), VersionLabel->text()) +
            QLatin1Char(' ') + QString::fromStdString(version));
    }
    setWindowTitle(Translate(QStringLiteral("Caption"), windowTitle()));
    AuthorLabel->setText(Translate(QStringLiteral("AuthorLabel.Caption"), AuthorLabel->text()) +
                         QLatin1Char(' ') + AuthorName + QLatin1Char('(') + AuthorMail +
                         QLatin1Char(')'));
    CommentLabel->setText(Translate(QStringLiteral("CommentLabel.Caption"), CommentLabel->text()));
    OKButton->setText(Translate(QStringLiteral("OKButton.Caption"), OKButton->text()));

    // Labels take the size of their text, with their top-left corner kept.
    for (QLabel* label : {ProductLabel, VersionLabel, AuthorLabel, CommentLabel, SiteLabel})
        label->adjustSize();
}

void TCVNAboutForm::AuthorLabelClick() {
    QDesktopServices::openUrl(QUrl(QStringLiteral("mailto:") + AuthorMail));
}

void TCVNAboutForm::SiteLabelClick() {
    QDesktopServices::openUrl(QUrl(SiteAddress));
}

void TCVNAboutForm::AuthorLabelMouseEnter(QLabel* label) {
    SetTextColor(label, palette().color(QPalette::Link));
}

void TCVNAboutForm::AuthorLabelMouseLeave(QLabel* label) {
    SetTextColor(label, palette().color(QPalette::WindowText));
}

void TCVNAboutForm::keyPressEvent(QKeyEvent* event) {
    // OK is both the default and the cancel button.
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        OKButton->click();
        break;
    default:
        TCVNBaseForm::keyPressEvent(event);
    }
}

bool TCVNAboutForm::eventFilter(QObject* watched, QEvent* event) {
    auto* label = qobject_cast<QLabel*>(watched);
    if (label == nullptr)
        return TCVNBaseForm::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::Enter:
        AuthorLabelMouseEnter(label);
        break;
    case QEvent::Leave:
        AuthorLabelMouseLeave(label);
        break;
    case QEvent::MouseButtonPress:
        // Taken here so that the release comes back to this label.
        return static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton;
    case QEvent::MouseButtonRelease: {
        // A click is a release of the left button over the label it was pressed on.
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton &&
            label->rect().contains(mouse->position().toPoint())) {
            if (label == AuthorLabel)
                AuthorLabelClick();
            else
                SiteLabelClick();
        }
        break;
    }
    default:
        break;
    }
    return TCVNBaseForm::eventFilter(watched, event);
}
