#pragma once
// The real message boxes: QMessageBox with no owner window.

#include "frontpanel/message_boxes.h"

#include <QString>

namespace zz::ui {

class QtMessageBoxes : public frontpanel::MessageBoxes {
public:
    void exclamation(const std::string &title, const std::string &text) override;
    bool askYesNo(const std::string &title, const std::string &text) override;
};

// The program's texts separate lines by carriage returns alone; a box shows
// each one as a line break.
QString boxText(const std::string &text);

}  // namespace zz::ui
