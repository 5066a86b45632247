#pragma once
// The panel window's elements, built from the layout tables in
// res_form_layout.cpp. Indices follow the control arrays: digit, adjUp and
// adjDown 1..6 (slot 0 unused), ranBut 0..7.

#include "res_form.h"

#include <QSize>

#include <array>

class QAction;
class QFrame;
class QMenuBar;

namespace zz {

class EntryBox;
class RectShape;
class SpinButton;

struct ResForm::Widgets {
    // Creates every element as a child of `client` (398 x 332 px), in the
    // stacking order of the panel, and the two menu commands on `menu`.
    Widgets(QWidget *client, QMenuBar *menu);
    // BGImage and BorderShape follow the window's outer size.
    void placeBackground(QSize outer);

    QWidget *client;
    std::array<QLabel *, 7> digit{};
    std::array<SpinButton *, 7> adjUp{};
    std::array<SpinButton *, 7> adjDown{};
    std::array<QPushButton *, 8> ranBut{};
    EntryBox *manText = nullptr;
    QPushButton *setBut = nullptr;
    QPushButton *exitBut = nullptr;
    QFrame *ssPanel1 = nullptr;
    QLabel *bgImage = nullptr;
    RectShape *borderShape = nullptr;
    QLabel *label9 = nullptr;
    QLabel *label10 = nullptr;
    QAction *comMenu = nullptr;
    QAction *aboMenu = nullptr;
};

}  // namespace zz
