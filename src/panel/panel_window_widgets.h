#pragma once
// The panel window's elements, built from the layout tables in
// panel_window_layout.cpp. Indices follow the control arrays: digitLabels, upArrows and
// downArrows 1..6 (slot 0 unused), presetButtons 0..7.

#include "panel/panel_window.h"

#include <QSize>

#include <array>

class QAction;
class QCheckBox;
class QFrame;
class QMenuBar;

namespace zz::panel {

class EntryBox;
class LinkLampWidget;
class RectShape;
class SpinButton;

struct PanelWindow::Widgets {
    // Creates every element as a child of `client` (398 x 332 px), in the
    // stacking order of the panel, and the two menu commands on `menu`.
    Widgets(QWidget *client, QMenuBar *menu);
    // The background picture and the border follow the window's outer size.
    void placeBackground(QSize outer);

    QWidget *client;
    std::array<QLabel *, 7> digitLabels{};
    std::array<SpinButton *, 7> upArrows{};
    std::array<SpinButton *, 7> downArrows{};
    std::array<QPushButton *, 8> presetButtons{};
    EntryBox *entryBox = nullptr;
    QPushButton *setButton = nullptr;
    QPushButton *exitButton = nullptr;
    LinkLampWidget *linkLamp = nullptr;
    QCheckBox *trueSwitch = nullptr;  // layout::panel::kTrueSwitch
    QFrame *readoutPanel = nullptr;
    QLabel *background = nullptr;
    RectShape *border = nullptr;
    QAction *comPortAction = nullptr;
    QAction *aboutAction = nullptr;
};

}  // namespace zz::panel
