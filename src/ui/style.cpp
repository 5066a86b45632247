#include "ui/style.h"

#include "ui/fonts.h"

#include <QFrame>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>

namespace zz::ui {

QFont font(const layout::Face &face) {
    const std::string_view family =
        face.family == layout::face::kSymbol ? layout::face::kArial : face.family;
    return panelFont(QString::fromUtf8(family.data(), qsizetype(family.size())), face.points,
                     face.bold, face.italic);
}

QString caption(const layout::Element &element) {
    return QString::fromStdString(layout::readableCaption(element));
}

QRect box(const layout::Element &element) {
    const layout::PixelRect r = layout::pixelBox(element);
    return QRect(r.left, r.top, r.width, r.height);
}

void placeElement(QWidget *widget, const layout::Element &element) {
    widget->setObjectName(QString::fromUtf8(element.name.data(), qsizetype(element.name.size())));
    widget->setGeometry(box(element));
    widget->setFont(font(element.face));
    if (element.text) setTextColour(widget, qColour(*element.text));
}

QLabel *makeLabel(QWidget *parent, const layout::Element &element) {
    auto *label = new QLabel(caption(element), parent);
    placeElement(label, element);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);
    if (element.fill) setBackground(label, qColour(*element.fill));
    return label;
}

QPushButton *makeButton(QWidget *parent, const layout::Element &element) {
    auto *button = new QPushButton(caption(element), parent);
    placeElement(button, element);
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

QLabel *makePicture(QWidget *parent, const layout::Element &element) {
    auto *label = new QLabel(parent);
    label->setObjectName(QString::fromUtf8(element.name.data(), qsizetype(element.name.size())));
    const QPixmap pixmap(QStringLiteral(":/") +
                         QString::fromStdString(std::string(element.caption)));
    label->setPixmap(pixmap);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    label->setGeometry(QRect(box(element).topLeft(), pixmap.size()));
    return label;
}

QFrame *makeRule(QWidget *parent, const layout::Element &element) {
    auto *rule = new QFrame(parent);
    rule->setObjectName(QString::fromUtf8(element.name.data(), qsizetype(element.name.size())));
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Plain);
    rule->setLineWidth(1);
    rule->setGeometry(box(element));
    if (element.text) setTextColour(rule, qColour(*element.text));
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
