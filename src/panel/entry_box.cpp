#include "panel/entry_box.h"

#include <QKeyEvent>

namespace zz::panel {

void EntryBox::keyPressEvent(QKeyEvent *event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) emit enterKey();
    QLineEdit::keyPressEvent(event);
}

}  // namespace zz::panel
