// The house style's labels show their text as written: a device path or a
// reason from the operating system may hold "<" and must never be read as
// markup.

#include "ui/style.h"

#include <QApplication>
#include <QLabel>
#include <QtTest>

class tst_Style : public QObject {
    Q_OBJECT

private slots:
    void labelsArePlainText() {
        QWidget parent;
        const zz::layout::Element element{"probe", zz::layout::Kind::Label,   0, 0, 1000,
                                          300,     "<b>/dev/tty&lt;1&gt;</b>"};
        QLabel *label = zz::ui::makeLabel(&parent, element);
        QCOMPARE(label->textFormat(), Qt::PlainText);
        QCOMPARE(label->text(), QStringLiteral("<b>/dev/tty&lt;1&gt;</b>"));
    }
};

QTEST_MAIN(tst_Style)
#include "tst_style.moc"
