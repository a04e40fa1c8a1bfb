#pragma once

#include <QButtonGroup>
#include <QObject>

class QAbstractButton;
class QGroupBox;

// A captioned box of radio items chosen by index: the box's radio buttons, in their order, get the
// ids 0, 1, 2... and are spread over the box in the given number of columns whenever it is resized.
class TRadioGroup : public QObject {
    Q_OBJECT

public:
    TRadioGroup(QGroupBox* box, int columns);

    // The chosen item's index, or -1 when none is chosen.
    int ItemIndex() const { return Buttons->checkedId(); }
    int Count() const { return static_cast<int>(Buttons->buttons().size()); }
    QAbstractButton* Item(int index) const { return Buttons->button(index); }

    QButtonGroup* const Buttons;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ArrangeItems();

    QGroupBox* const Box;
    const int Columns;
};
