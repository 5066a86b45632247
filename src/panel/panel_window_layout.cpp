// The panel's elements, made from the rows of the panel's layout table in
// its order, which is the stacking order: the border, the background
// picture, the drawn elements, the wheels, the readout panel over the
// wheels, then the buttons and the entry box.

#include "layout/panel_layout.h"
#include "panel/drawn_shapes.h"
#include "panel/entry_box.h"
#include "panel/link_lamp_widget.h"
#include "panel/panel_window_widgets.h"
#include "panel/spin_button.h"
#include "ui/fonts.h"
#include "ui/style.h"

#include <QAction>
#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>

#include <limits>
#include <optional>
#include <string>

namespace zz::panel {

namespace table = layout::panel;
using layout::Element;
using layout::Kind;

namespace {

constexpr int kRectBorderWidth = 1;
constexpr int kReadoutLineWidth = 1;

QString nameOf(std::string_view name) {
    return QString::fromUtf8(name.data(), qsizetype(name.size()));
}

SpinButton *makeWheel(QWidget *parent, const Element &row) {
    auto *wheel = new SpinButton(parent);
    ui::placeElement(wheel, row);
    const bool up = row.kind == Kind::UpArrow;
    wheel->setSpaceArrow(up ? SpinButton::Arrow::Up : SpinButton::Arrow::Down);
    // The readout covers the inner part of the wheel: the arrow that shows
    // takes every row outside it.
    const QRect readout = ui::box(table::element("SSPanel1"));
    wheel->setSplit(up ? readout.top() - wheel->y() : readout.bottom() + 1 - wheel->y());
    return wheel;
}

}  // namespace

PanelWindow::Widgets::Widgets(QWidget *clientArea, QMenuBar *menu) : client(clientArea) {
    ui::registerPanelFonts();
    client->setFont(ui::font({}));

    comPortAction = menu->addAction(nameOf(table::kComPortMenu));
    comPortAction->setObjectName(QStringLiteral("COMMenu"));
    aboutAction = menu->addAction(nameOf(table::kAboutMenu));
    aboutAction->setObjectName(QStringLiteral("AboMenu"));

    for (const Element &row : table::elements()) {
        QWidget *parent =
            row.kind == Kind::ReadoutLabel ? static_cast<QWidget *>(readoutPanel) : client;
        switch (row.kind) {
            case Kind::Rectangle: {
                if (row.name == table::kBorder) {
                    // Beneath everything; placed with the picture by placeBackground().
                    border = new RectShape(ui::qColour(*row.text), table::kBorderLinePixels,
                                           std::nullopt, client);
                    border->setObjectName(nameOf(row.name));
                    break;
                }
                const QColor edge = row.text ? ui::qColour(*row.text)
                                             : client->palette().color(QPalette::WindowText);
                std::optional<QColor> fill;
                if (row.fill) fill = ui::qColour(*row.fill);
                auto *shape = new RectShape(edge, kRectBorderWidth, fill, client);
                shape->setObjectName(nameOf(row.name));
                shape->setGeometry(ui::box(row));
                break;
            }
            case Kind::Picture:
                if (row.name == table::kBackground) {
                    background = ui::makePicture(client, row);
                    background->setScaledContents(true);
                } else {
                    ui::makePicture(client, row);
                }
                break;
            case Kind::Rule: {
                auto *line = new LineShape(ui::qColour(*row.text), client);
                line->setObjectName(nameOf(row.name));
                line->setGeometry(ui::box(row));
                break;
            }
            case Kind::Label:
                ui::makeLabel(client, row);
                break;
            case Kind::UpArrow:
                upArrows[size_t(row.index)] = makeWheel(client, row);
                break;
            case Kind::DownArrow:
                downArrows[size_t(row.index)] = makeWheel(client, row);
                break;
            case Kind::Readout:
                readoutPanel = new QFrame(client);
                ui::placeElement(readoutPanel, row);
                readoutPanel->setFrameStyle(QFrame::Panel | QFrame::Raised);
                readoutPanel->setLineWidth(kReadoutLineWidth);
                ui::setBackground(readoutPanel, ui::qColour(*row.fill));
                break;
            case Kind::ReadoutLabel: {
                QLabel *label = ui::makeLabel(parent, row);
                if (row.name != "Label11") digitLabels[size_t(row.index)] = label;
                break;
            }
            case Kind::Button: {
                // Enter belongs to the entry box alone: no button is the default.
                QPushButton *button = ui::makeButton(client, row);
                if (row.name == "SetBut")
                    setButton = button;
                else if (row.name == "ExitBut")
                    exitButton = button;
                else
                    presetButtons[size_t(row.index)] = button;
                break;
            }
            case Kind::EntryBox:
                entryBox = new EntryBox(client);
                ui::placeElement(entryBox, row);
                entryBox->setMaxLength(
                    std::numeric_limits<int>::max());  // no limit on what is typed
                break;
            case Kind::LinkLamp:
                linkLamp = new LinkLampWidget(client);
                ui::placeElement(linkLamp, row);
                break;
            case Kind::ComboBox:
                break;  // none on the panel
        }
    }

    trueSwitch = new QCheckBox(nameOf(table::kTrueSwitch.caption), client);
    trueSwitch->setObjectName(nameOf(table::kTrueSwitch.name));
    ui::placeElement(trueSwitch, table::kTrueSwitch);
    trueSwitch->setFont(ui::font(table::kTrueSwitch.face));

    QList<QWidget *> order;
    for (const Element *row : table::tabOrder())
        order << client->findChild<QWidget *>(nameOf(row->name));
    order << trueSwitch;  // last: the designed order had no switch
    for (qsizetype k = 1; k < order.size(); ++k) QWidget::setTabOrder(order[k - 1], order[k]);
}

void PanelWindow::Widgets::placeBackground(QSize outer) {
    // Stretched over the window's outer size: its right and bottom parts fall
    // outside the client area and are cut off.
    background->setGeometry(QRect(QPoint(0, 0), outer));
    border->setGeometry(table::kBorderInsetPixels, table::kBorderInsetPixels,
                        outer.width() - table::kBorderInsetPixels,
                        outer.height() - table::kBorderInsetPixels);
}

}  // namespace zz::panel
