#pragma once
// A vertical pair of arrows that raises an up event and a down event, like
// the panel's digit wheels. A press on an arrow delivers one event at once;
// held down, the arrow repeats its event, each repetition one more event.
// With the keyboard focus, Space delivers the event of the arrow chosen by
// setSpaceArrow (the one the panel handles), and the Up and Down keys ask for
// a step of the wheel's digit either way (keyStep).

#include <QTimer>
#include <QWidget>

namespace zz::panel {

class SpinButton : public QWidget {
    Q_OBJECT

public:
    enum class Arrow { None, Up, Down };

    explicit SpinButton(QWidget *parent = nullptr);

    void setSpaceArrow(Arrow arrow) { spaceArrow_ = arrow; }
    // The row where the down arrow begins (default: the middle). The panel puts
    // it at the readout's edge, so that every row that shows is the arrow that acts.
    void setSplit(int row) { split_ = row; }
    Arrow spaceArrow() const { return spaceArrow_; }
    // The arrow whose half holds the point (widget coordinates).
    Arrow arrowAt(const QPoint &pos) const;
    Arrow pressedArrow() const { return pressed_; }

    // The repeat timing of a held arrow: first repetition, then each next one.
    static constexpr int kRepeatDelayMs = 400;
    static constexpr int kRepeatIntervalMs = 100;

signals:
    void spinUp();
    void spinDown();
    void keyStep(bool up);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    QRect halfRect(Arrow arrow) const;
    void deliver(Arrow arrow);
    void repeat();
    void release();
    void paintHalf(QPainter &painter, Arrow arrow);

    Arrow spaceArrow_ = Arrow::None;
    int split_ = -1;
    Arrow pressed_ = Arrow::None;
    bool pointerInside_ = false;  // over the pressed half; repeats pause outside it
    QTimer repeatTimer_;
};

}  // namespace zz::panel
