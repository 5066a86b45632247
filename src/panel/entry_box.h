#pragma once
// The direct-entry box: a single-line text box that reports the Enter key
// (Return or the keypad's Enter) from inside the key event, before the box
// itself handles the key.

#include <QLineEdit>

namespace zz::panel {

class EntryBox : public QLineEdit {
    Q_OBJECT

public:
    using QLineEdit::QLineEdit;

signals:
    void enterKey();

protected:
    void keyPressEvent(QKeyEvent *event) override;
};

}  // namespace zz::panel
