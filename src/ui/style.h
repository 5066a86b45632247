#pragma once
// The house style of the three Qt windows (the panel, the port dialog and
// the start screen): their elements made from the rows of the layout tables
// (layout/), with the faces and colours those rows name. Where a machine
// lacks a Windows face a stand-in serves (ui/fonts.h); the symbol face's
// captions are shown as the operator reads them, in Arial.

#include "layout/element.h"
#include "layout/pixels.h"

#include <QColor>
#include <QFont>
#include <QPalette>
#include <QRect>
#include <QString>

class QFrame;
class QLabel;
class QPushButton;
class QWidget;

namespace zz::ui {

struct Picture;

constexpr QColor qColour(layout::Rgb rgb) {
    return QColor(rgb.red, rgb.green, rgb.blue);
}

// The font of a face, stand-in included; the symbol face becomes Arial.
QFont font(const layout::Face &face);

// The caption as the operator reads it (the symbol face's "W" as Ω).
QString caption(const layout::Element &element);

// The element's box in pixels (layout::pixelBox at 96 dpi; Qt's own scaling
// takes it from there).
QRect box(const layout::Element &element);

// Gives a widget the element's object name, box, face and text colour.
void placeElement(QWidget *widget, const layout::Element &element);

// A label: no border, the text from the top left, plain, wrapped at word
// boundaries; clear, so that the picture beneath shows around the text,
// unless the row gives it a fill.
QLabel *makeLabel(QWidget *parent, const layout::Element &element);

// A push button that never becomes the default: Enter presses none of them.
QPushButton *makeButton(QWidget *parent, const layout::Element &element);

// A picture from the resources (the row's caption names its file), at its
// own size from the top left of the row's box. It takes no clicks: they go
// to what lies beneath.
QLabel *makePicture(QWidget *parent, const layout::Element &element);

// A one-pixel rule in the row's colour; the end point is not drawn.
QFrame *makeRule(QWidget *parent, const layout::Element &element);

void setPaletteColour(QWidget *widget, QPalette::ColorRole role, const QColor &colour);
// The colour of the text a widget shows: a label's, a box's, a button's, or
// the line of a rule.
void setTextColour(QWidget *widget, const QColor &colour);
// A background filled with the colour.
void setBackground(QWidget *widget, const QColor &colour);

}  // namespace zz::ui
