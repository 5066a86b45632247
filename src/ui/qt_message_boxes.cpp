#include "ui/qt_message_boxes.h"

#include <QMessageBox>

namespace zz::ui {

QString boxText(const std::string &text) {
    QString s = QString::fromStdString(text);
    s.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return s;
}

void QtMessageBoxes::exclamation(const std::string &title, const std::string &text) {
    QMessageBox box(QMessageBox::Warning, QString::fromStdString(title), boxText(text),
                    QMessageBox::Ok);
    box.exec();
}

bool QtMessageBoxes::askYesNo(const std::string &title, const std::string &text) {
    QMessageBox box(QMessageBox::Question, QString::fromStdString(title), boxText(text),
                    QMessageBox::Yes | QMessageBox::No);
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

}  // namespace zz::ui
