#pragma once

#include <QString>
#include <QWidget>

class QEventLoop;

// The common base of the program's windows: the system's message font, and translated texts
// looked up under the window's own class name.
class TCVNBaseForm : public QWidget {
    Q_OBJECT

public:
    // Modal results, as the modal windows report them.
    static constexpr int mrNone = 0;
    static constexpr int mrOk = 1;
    static constexpr int mrCancel = 2;

    // Always a top-level window; pass Qt::Dialog for a dialog owned by `parent`.
    explicit TCVNBaseForm(QWidget* parent = nullptr, Qt::WindowFlags flags = {});
    ~TCVNBaseForm() override;

    // ReadLangString under the most derived class's name.
    QString Translate(const QString& key, const QString& defaultValue) const;

    // Shows the window application-modal and returns its modal result once it closes
    // (mrCancel when it is closed without one).
    int ShowModal();

    int ModalResult() const { return FModalResult; }
    // Sets the result and closes a modal window.
    void SetModalResult(int result);

protected:
    void hideEvent(QHideEvent* event) override;

private:
    int FModalResult = mrNone;
    QEventLoop* FModalLoop = nullptr;
};
