#include "app/RadioGroup.h"

#include <QEvent>
#include <QGroupBox>
#include <QRadioButton>

TRadioGroup::TRadioGroup(QGroupBox* box, int columns)
    : QObject(box), Buttons(new QButtonGroup(this)), Box(box), Columns(columns) {
    int id = 0;
    for (QRadioButton* item : box->findChildren<QRadioButton*>(Qt::FindDirectChildrenOnly))
        Buttons->addButton(item, id++);
    box->installEventFilter(this);
    ArrangeItems();
}

bool TRadioGroup::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Box && (event->type() == QEvent::Resize || event->type() == QEvent::FontChange))
        ArrangeItems();
    return QObject::eventFilter(watched, event);
}

void TRadioGroup::ArrangeItems() {
    const int count = Count();
    if (count == 0)
        return;
    // Column by column, the items share the height inside the frame evenly.
    const QRect inside = Box->contentsRect();
    const int perColumn = (count + Columns - 1) / Columns;
    const int itemWidth = (Box->width() - 10) / Columns;
    const int itemHeight = inside.height() / perColumn;
    const int top = inside.top() + inside.height() % perColumn / 2;
    for (int i = 0; i < count; ++i)
        Item(i)->setGeometry(i / perColumn * itemWidth + 8, i % perColumn * itemHeight + top,
                             itemWidth, itemHeight);
}
