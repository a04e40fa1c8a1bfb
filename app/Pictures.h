#pragma once

#include <QPixmap>
#include <QString>

class QToolButton;

// A bitmap of the program's resources with its magenta background left transparent.
QPixmap LoadTransparentBitmap(const QString& resource);

// Gives a flat button the three 24 x 24 pictures of a 72 x 24 strip: normal, disabled, pressed.
void SetButtonStrip(QToolButton* button, const QString& resource);
