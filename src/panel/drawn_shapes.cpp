#include "panel/drawn_shapes.h"

#include <QPainter>

namespace zz::panel {

LineShape::LineShape(QColor colour, QWidget *parent) : QWidget(parent), colour_(colour) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void LineShape::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.fillRect(rect(), colour_);
}

RectShape::RectShape(QColor border, int borderWidth, std::optional<QColor> fill, QWidget *parent)
    : QWidget(parent), border_(border), borderWidth_(borderWidth), fill_(fill) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void RectShape::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    if (fill_) painter.fillRect(rect(), *fill_);
    // The border as filled strips, so that it stays exactly inside the box.
    const int b = borderWidth_;
    const int w = width();
    const int h = height();
    painter.fillRect(0, 0, w, b, border_);
    painter.fillRect(0, h - b, w, b, border_);
    painter.fillRect(0, 0, b, h, border_);
    painter.fillRect(w - b, 0, b, h, border_);
}

}  // namespace zz::panel
