#include "panel/spin_button.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>

namespace zz::panel {

SpinButton::SpinButton(QWidget *parent) : QWidget(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent, false);
    repeatTimer_.setSingleShot(false);
    connect(&repeatTimer_, &QTimer::timeout, this, &SpinButton::repeat);
}

QRect SpinButton::halfRect(Arrow arrow) const {
    const int upHeight = split_ >= 0 ? split_ : height() / 2;
    if (arrow == Arrow::Up) return QRect(0, 0, width(), upHeight);
    if (arrow == Arrow::Down) return QRect(0, upHeight, width(), height() - upHeight);
    return {};
}

SpinButton::Arrow SpinButton::arrowAt(const QPoint &pos) const {
    if (halfRect(Arrow::Up).contains(pos)) return Arrow::Up;
    if (halfRect(Arrow::Down).contains(pos)) return Arrow::Down;
    return Arrow::None;
}

void SpinButton::deliver(Arrow arrow) {
    if (arrow == Arrow::Up)
        emit spinUp();
    else if (arrow == Arrow::Down)
        emit spinDown();
}

void SpinButton::repeat() {
    if (pressed_ == Arrow::None) {
        repeatTimer_.stop();
        return;
    }
    repeatTimer_.setInterval(kRepeatIntervalMs);
    if (pointerInside_) deliver(pressed_);
}

void SpinButton::release() {
    repeatTimer_.stop();
    if (pressed_ == Arrow::None) return;
    pressed_ = Arrow::None;
    pointerInside_ = false;
    update();
}

void SpinButton::mousePressEvent(QMouseEvent *event) {
    if (event->button() != Qt::LeftButton || pressed_ != Arrow::None) {
        event->ignore();
        return;
    }
    const Arrow arrow = arrowAt(event->position().toPoint());
    if (arrow == Arrow::None) return;
    pressed_ = arrow;
    pointerInside_ = true;
    repaint();  // show the arrow pressed before its step runs
    deliver(arrow);
    // The step may have released the arrow (a focus change, a closed window).
    if (pressed_ != Arrow::None) repeatTimer_.start(kRepeatDelayMs);
}

void SpinButton::mouseMoveEvent(QMouseEvent *event) {
    if (pressed_ == Arrow::None) return;
    const bool inside = halfRect(pressed_).contains(event->position().toPoint());
    if (inside != pointerInside_) {
        pointerInside_ = inside;
        update();
    }
}

void SpinButton::mouseReleaseEvent(QMouseEvent *event) {
    if (event->button() == Qt::LeftButton) release();
}

void SpinButton::keyPressEvent(QKeyEvent *event) {
    const bool plain =
        !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
    if (event->key() == Qt::Key_Space && spaceArrow_ != Arrow::None && plain) {
        event->accept();
        deliver(spaceArrow_);
        return;
    }
    if ((event->key() == Qt::Key_Up || event->key() == Qt::Key_Down) && plain) {
        event->accept();
        emit keyStep(event->key() == Qt::Key_Up);
        return;
    }
    QWidget::keyPressEvent(event);
}

void SpinButton::focusInEvent(QFocusEvent *event) {
    QWidget::focusInEvent(event);
    update();
}

void SpinButton::focusOutEvent(QFocusEvent *event) {
    QWidget::focusOutEvent(event);
    release();
    update();
}

void SpinButton::paintHalf(QPainter &painter, Arrow arrow) {
    const QRect rect = halfRect(arrow);
    const bool down = pressed_ == arrow && pointerInside_;

    QStyleOptionButton bevel;
    bevel.initFrom(this);
    bevel.rect = rect;
    bevel.state &= ~(QStyle::State_HasFocus | QStyle::State_MouseOver);
    bevel.state |= down ? QStyle::State_Sunken : QStyle::State_Raised;
    style()->drawPrimitive(QStyle::PE_PanelButtonCommand, &bevel, &painter, this);

    QStyleOption glyph;
    glyph.initFrom(this);
    glyph.state &= ~(QStyle::State_HasFocus | QStyle::State_MouseOver);
    const int inset = qMax(2, rect.height() / 5);
    glyph.rect = rect.adjusted(inset, inset, -inset, -inset);
    if (down)
        glyph.rect.translate(style()->pixelMetric(QStyle::PM_ButtonShiftHorizontal, &bevel, this),
                             style()->pixelMetric(QStyle::PM_ButtonShiftVertical, &bevel, this));
    style()->drawPrimitive(
        arrow == Arrow::Up ? QStyle::PE_IndicatorArrowUp : QStyle::PE_IndicatorArrowDown, &glyph,
        &painter, this);

    // The focus mark goes on the arrow that Space steps: the only half that shows.
    if (hasFocus() && arrow == spaceArrow_) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = rect.adjusted(3, 3, -3, -3);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
    }
}

void SpinButton::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    paintHalf(painter, Arrow::Up);
    paintHalf(painter, Arrow::Down);
}

}  // namespace zz::panel
