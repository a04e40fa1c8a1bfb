#include "app/Pictures.h"

#include <QBitmap>
#include <QColor>
#include <QIcon>
#include <QToolButton>

QPixmap LoadTransparentBitmap(const QString& resource) {
    QPixmap picture(resource);
    picture.setMask(picture.createMaskFromColor(QColor(255, 0, 255), Qt::MaskInColor));
    return picture;
}

void SetButtonStrip(QToolButton* button, const QString& resource) {
    const QPixmap strip = LoadTransparentBitmap(resource);
    const int side = strip.height();
    QIcon normal;
    normal.addPixmap(strip.copy(0, 0, side, side), QIcon::Normal);
    normal.addPixmap(strip.copy(side, 0, side, side), QIcon::Disabled);
    QIcon pressed;
    pressed.addPixmap(strip.copy(2 * side, 0, side, side), QIcon::Normal);
    button->setIcon(normal);
    // The style has no picture for a held-down button, so it is swapped in while held.
    QObject::connect(button, &QToolButton::pressed, button,
                     [button, pressed] { button->setIcon(pressed); });
    QObject::connect(button, &QToolButton::released, button,
                     [button, normal] { button->setIcon(normal); });
}
