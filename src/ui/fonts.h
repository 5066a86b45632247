#pragma once
// The windows name Windows fonts ("Arial", "MS Sans Serif", "Arial Black",
// the faces in ui/style.h). Where a machine lacks them, the embedded
// Liberation Sans faces (every font under ":/fonts") stand in.

#include <QFont>
#include <QString>

namespace zz::ui {

// Registers the embedded faces and the stand-ins for missing families.
// Needs a QGuiApplication; safe to call more than once.
void registerPanelFonts();

// A font under the family name the panel uses. When "Arial Black" is only
// a stand-in it comes out bold, as the real face is always heavy.
QFont panelFont(const QString &family, qreal pointSize, bool bold = false, bool italic = false);

}  // namespace zz::ui
