#pragma once
// Cuts a picture down to a small palette (median cut) so the program logo
// fits in 256 colours without the banding of a fixed colour cube.

#include <QImage>

namespace pictures {

QImage toIndexed(const QImage &img, int maxColours = 256);

}  // namespace pictures
