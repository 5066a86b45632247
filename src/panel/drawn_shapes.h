#pragma once
// The panel's drawn elements that are not text or pictures: the thin grey
// separating lines and the rectangles (the colour key, the frame around the
// readout, the border under the background picture). They take no mouse
// input: clicks go to whatever lies beneath.

#include <QColor>
#include <QWidget>
#include <optional>

namespace zz::panel {

// A straight horizontal line one pixel high filling its widget.
class LineShape : public QWidget {
public:
    LineShape(QColor colour, QWidget *parent);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QColor colour_;
};

// A rectangle with a border of the given width drawn inside its box, filled
// or hollow.
class RectShape : public QWidget {
public:
    RectShape(QColor border, int borderWidth, std::optional<QColor> fill, QWidget *parent);

    QColor borderColour() const { return border_; }
    std::optional<QColor> fillColour() const { return fill_; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QColor border_;
    int borderWidth_;
    std::optional<QColor> fill_;
};

}  // namespace zz::panel
