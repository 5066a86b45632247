#include "panel/link_lamp_widget.h"

#include "ui/style.h"

#include <QMouseEvent>
#include <QPainter>

namespace zz::panel {

namespace {

constexpr int kGap = 4;  // between the lamp and its caption

QColor lampColour(frontpanel::LampColour colour) {
    switch (colour) {
        case frontpanel::LampColour::Green:
            return {40, 170, 60};
        case frontpanel::LampColour::Red:
            return {210, 30, 30};
        case frontpanel::LampColour::Amber:
            return {240, 160, 0};
        case frontpanel::LampColour::Grey:
            break;
    }
    return {160, 160, 160};
}

}  // namespace

LinkLampWidget::LinkLampWidget(QWidget *parent) : QWidget(parent) {
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::PointingHandCursor);
}

void LinkLampWidget::show(const frontpanel::LampView &view) {
    colour_ = view.colour;
    caption_ = QString::fromStdString(view.caption);
    setToolTip(QString::fromStdString(view.tooltip));
    update();
}

QRect LinkLampWidget::captionRect() const {
    const int left = kLampDiameter + kGap;
    return QRect(left, 0, width() - left, height());
}

void LinkLampWidget::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor fill = lampColour(colour_);
    painter.setPen(QPen(fill.darker(150), 1));
    painter.setBrush(fill);
    const int top = (fontMetrics().height() - kLampDiameter) / 2;
    painter.drawEllipse(QRectF(0.5, top + 0.5, kLampDiameter - 1, kLampDiameter - 1));

    painter.setPen(ui::qColour(layout::colour::kFooterBlue));
    painter.drawText(captionRect(), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, caption_);
}

void LinkLampWidget::mousePressEvent(QMouseEvent *event) {
    event->accept();  // so that the release comes here too
}

void LinkLampWidget::mouseReleaseEvent(QMouseEvent *event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
}

}  // namespace zz::panel
