#pragma once

#include "i18n/frmCVNBase.h"

class QLabel;
class QPushButton;

// The modal "About..." window: the program's picture, name, version, author and web page.
class TCVNAboutForm : public TCVNBaseForm {
    Q_OBJECT

public:
    explicit TCVNAboutForm(QWidget* owner = nullptr);

    QPushButton* OKButton;
    QLabel* ProgramIcon;
    QLabel* ProductLabel;
    QLabel* VersionLabel;
    QLabel* AuthorLabel;
    QLabel* CommentLabel;
    QLabel* SiteLabel;

    static const QString AuthorName;
    static const QString AuthorMail;
    static const QString SiteAddress;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
    void AuthorLabelClick();
    void SiteLabelClick();
    void AuthorLabelMouseEnter(QLabel* label);
    void AuthorLabelMouseLeave(QLabel* label);
};
