#pragma once
// The typefaces widgets ask for and the ones they really show: the Windows
// families where they are installed, else the embedded stand-in.

#include <QString>

class QWidget;

namespace zz::test {

// The family a font asking for `requested` comes out in.
QString shownFamily(const QString &requested);

// Checks the widget's font as set (family, size) and as shown (family,
// weight). The test has failed when a check did: leave it then.
void expectFont(const QWidget &w, const QString &family, qreal pointSize, bool bold);

}  // namespace zz::test
