#pragma once
// The house style of the three windows (the panel, the port dialog and the
// start screen): their colours and faces, the rows of their layout tables,
// and the helpers that make their labels, buttons, pictures and rules.
// Places are designed in twips (ui/twips.h); the faces are Windows ones,
// with stand-ins where a machine lacks them (ui/fonts.h).

#include "ui/twips.h"

#include <QColor>
#include <QFont>
#include <QPalette>
#include <QRect>
#include <QString>

#include <optional>

class QFrame;
class QLabel;
class QPushButton;
class QWidget;

namespace zz::ui {

struct Picture;

namespace colour {

inline constexpr QColor kBlack(0, 0, 0);
inline constexpr QColor kWhite(255, 255, 255);
inline constexpr QColor kGrey(128, 128, 128);
inline constexpr QColor kNavy(0, 0, 128);
inline constexpr QColor kDarkRed(192, 0, 0);
inline constexpr QColor kGreen(0, 128, 0);
// The start screen's title, its rules and the version line.
inline constexpr QColor kTitleBlue(0, 97, 165);
// The model name and "Virtual Panel" at the foot of the panel.
inline constexpr QColor kFooterBlue(19, 101, 159);
// The desktop colour around the panel's background picture. No such colour
// exists on this platform; the picture covers it anyway.
inline constexpr QColor kDesktop(0, 128, 128);

}  // namespace colour

namespace face {

inline constexpr QLatin1StringView kSansSerif("MS Sans Serif");
inline constexpr QLatin1StringView kArial("Arial");
inline constexpr QLatin1StringView kArialBlack("Arial Black");

// Every window's own text, and the next size up (the panel's entry, the port
// dialog's prompt and OK button).
inline constexpr qreal kDefaultPoints = 8.25;
inline constexpr qreal kMediumPoints = 9.75;

}  // namespace face

// A typeface as designed.
struct Face {
    QLatin1StringView family = face::kSansSerif;
    qreal points = face::kDefaultPoints;
    bool bold = false;
    bool italic = false;

    QFont font() const;  // the panelFont(), stand-in included
};

// One row of a window's layout table: the element's object name, its box in
// twips, its caption, its face and its text colour (none: the platform's).
struct Element {
    QString name;
    int left, top, width, height;
    QString caption = {};
    Face face = {};
    std::optional<QColor> text = {};

    QRect box() const { return twipsRect(left, top, width, height); }
};

// Gives a widget the element's object name, box, face and text colour.
void placeElement(QWidget *widget, const Element &element);

// A label: no border, the text from the top left, plain, wrapped at word
// boundaries; clear, so that the picture beneath shows around the text.
QLabel *makeLabel(QWidget *parent, const Element &element);

// A push button that never becomes the default: Enter presses none of them.
QPushButton *makeButton(QWidget *parent, const Element &element);

// A picture from the resources, at its own size from the top left of its box
// (place it with setGeometry). It takes no clicks: they go to what lies beneath.
QLabel *makePicture(QWidget *parent, const QString &name, const Picture &picture);

// A one-pixel rule from (x1, y) to (x2, y) in twips; the end point is not drawn.
QFrame *makeRule(QWidget *parent, const QString &name, int x1, int x2, int y, const QColor &colour);

void setPaletteColour(QWidget *widget, QPalette::ColorRole role, const QColor &colour);
// The colour of the text a widget shows: a label's, a box's, a button's, or
// the line of a rule.
void setTextColour(QWidget *widget, const QColor &colour);
// A background filled with the colour.
void setBackground(QWidget *widget, const QColor &colour);

}  // namespace zz::ui
