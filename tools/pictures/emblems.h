#pragma once
// The small marks: the maker's emblem on the start screen, the program logo
// and the port dialog's icon.

#include <QImage>
#include <QPainter>
#include <QRectF>

namespace pictures {

// Draws the maker's emblem (rounded square with a Q, the name under it)
// centred in the given box, about 70 x 50 px.
void paintMakerEmblem(QPainter &p, const QRectF &box);

// The program logo, drawn for 48 x 48 (the size in ui/pictures.h) and scaled
// to `size`, still in full colour.
QImage programLogo(int size);

// The port dialog's icon: a 9-pin connector on blue; size is 16 or 32.
QImage portIcon(int size);

}  // namespace pictures
