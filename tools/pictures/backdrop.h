#pragma once
// The house backdrop shared by the panel, the port dialog and the start
// screen: white fading to pale blue, with a dark-blue band sweeping down the
// right edge.

#include <QImage>
#include <QSize>

namespace pictures {

// bandWidth is how far the band reaches in from the right edge at the bottom.
QImage backdrop(QSize size, qreal bandWidth);

}  // namespace pictures
