#pragma once
// The Windows icon file: several sizes of one picture in the ICO container,
// each stored as PNG (as Windows has read them since Vista), so the program's
// file shows a sharp icon from 16 px in lists to 256 px in large views.

#include <QImage>
#include <QList>
#include <QString>

namespace pictures {

// Writes the images (square, 1 to 256 px) as one .ico file; false on failure.
bool saveIco(const QList<QImage> &images, const QString &path);

}  // namespace pictures
