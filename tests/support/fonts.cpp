#include "support/fonts.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QTest>
#include <QWidget>

namespace zz::test {

QString shownFamily(const QString &requested) {
    return QFontDatabase::families().contains(requested, Qt::CaseInsensitive)
               ? requested
               : QStringLiteral("Liberation Sans");
}

void expectFont(const QWidget &w, const QString &family, qreal pointSize, bool bold) {
    QCOMPARE(w.font().family(), family);
    QCOMPARE(w.font().pointSizeF(), pointSize);
    const QFontInfo shown(w.font());
    QCOMPARE(shown.family(), shownFamily(family));
    QCOMPARE(shown.weight() >= QFont::Bold, bold);
}

}  // namespace zz::test
