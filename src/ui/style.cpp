#include "ui/style.h"

#include "ui/fonts.h"
#include "ui/pictures.h"

#include <QFrame>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>

namespace zz::ui {

QFont Face::font() const {
    return panelFont(family, points, bold, italic);
}

void placeElement(QWidget *widget, const Element &element) {
    widget->setObjectName(element.name);
    widget->setGeometry(element.box());
    widget->setFont(element.face.font());
    if (element.text) setTextColour(widget, *element.text);
}

QLabel *makeLabel(QWidget *parent, const Element &element) {
    auto *label = new QLabel(element.caption, parent);
    placeElement(label, element);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);
    return label;
}

QPushButton *makeButton(QWidget *parent, const Element &element) {
    auto *button = new QPushButton(element.caption, parent);
    placeElement(button, element);
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

QLabel *makePicture(QWidget *parent, const QString &name, const Picture &picture) {
    auto *label = new QLabel(parent);
    label->setObjectName(name);
    label->setPixmap(QPixmap(picture.resource()));
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    return label;
}

QFrame *makeRule(QWidget *parent, const QString &name, int x1, int x2, int y,
                 const QColor &colour) {
    auto *rule = new QFrame(parent);
    rule->setObjectName(name);
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Plain);
    rule->setLineWidth(1);
    rule->setGeometry(twips(x1), twips(y), twips(x2) - twips(x1), 1);
    setTextColour(rule, colour);
    return rule;
}

void setPaletteColour(QWidget *widget, QPalette::ColorRole role, const QColor &colour) {
    QPalette palette = widget->palette();
    palette.setColor(role, colour);
    widget->setPalette(palette);
}

void setTextColour(QWidget *widget, const QColor &colour) {
    QPalette palette = widget->palette();
    for (const QPalette::ColorRole role :
         {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        palette.setColor(role, colour);
    widget->setPalette(palette);
}

void setBackground(QWidget *widget, const QColor &colour) {
    setPaletteColour(widget, QPalette::Window, colour);
    widget->setAutoFillBackground(true);
}

}  // namespace zz::ui
