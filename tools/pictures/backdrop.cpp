#include "backdrop.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace pictures {
namespace {

// The band's inner edge: leaves the top right corner almost vertically,
// swings inwards through the middle and settles at full width at the bottom.
QPainterPath bandEdge(QSizeF s, qreal band, qreal reach) {
    const qreal w = s.width(), h = s.height();
    QPainterPath edge(QPointF(w - 0.02 * band, -1));
    edge.cubicTo(QPointF(w - 0.08 * band, 0.30 * h), QPointF(w - reach * 1.15 * band, 0.42 * h),
                 QPointF(w - reach * band, h + 1));
    return edge;
}

QPainterPath bandShape(QSizeF s, qreal band, qreal reach) {
    QPainterPath shape = bandEdge(s, band, reach);
    shape.lineTo(s.width() + 1, s.height() + 1);
    shape.lineTo(s.width() + 1, -1);
    shape.closeSubpath();
    return shape;
}

}  // namespace

QImage backdrop(QSize size, qreal bandWidth) {
    QImage img(size, QImage::Format_RGB32);
    const QSizeF s(size);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);

    // Mostly top to bottom, tilted a little so the top left stays whitest.
    QLinearGradient ground(0, 0, 0.25 * s.height(), s.height());
    ground.setColorAt(0.0, QColor(255, 255, 255));
    ground.setColorAt(0.30, QColor(244, 248, 252));
    ground.setColorAt(1.0, QColor(198, 218, 240));
    p.fillRect(img.rect(), ground);

    // A soft, wider shadow band behind the dark one gives the sweep depth.
    QLinearGradient shade(s.width() - 1.5 * bandWidth, 0, s.width(), 0);
    shade.setColorAt(0.0, QColor(120, 160, 215, 70));
    shade.setColorAt(1.0, QColor(60, 110, 185, 150));
    p.fillPath(bandShape(s, bandWidth, 1.45), shade);

    QLinearGradient dark(s.width() - bandWidth, 0, s.width(), s.height());
    dark.setColorAt(0.0, QColor(0, 72, 152));
    dark.setColorAt(1.0, QColor(0, 38, 108));
    p.fillPath(bandShape(s, bandWidth, 1.0), dark);

    // A fine light rim along the dark band's inner edge, fading in from the top.
    QLinearGradient rim(0, 0, 0, s.height());
    rim.setColorAt(0.0, QColor(255, 255, 255, 0));
    rim.setColorAt(0.5, QColor(255, 255, 255, 170));
    rim.setColorAt(1.0, QColor(255, 255, 255, 210));
    p.strokePath(bandEdge(s, bandWidth, 1.0), QPen(QBrush(rim), 1.3));
    return img;
}

}  // namespace pictures
