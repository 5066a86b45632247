#include "ui/fonts.h"

#include <QFontDatabase>
#include <QStringList>

namespace zz {
namespace {

const QString kStandIn = QStringLiteral("Liberation Sans");
const QString kArialBlack = QStringLiteral("Arial Black");

struct Registration {
    bool arialBlackStandsIn = false;
};

const Registration &registration() {
    static const Registration done = [] {
        // Look before adding anything: real faces on the machine win.
        const QStringList installed = QFontDatabase::families();
        for (const char *face : {"Regular", "Bold", "Italic", "BoldItalic"})
            QFontDatabase::addApplicationFont(
                QStringLiteral(":/fonts/LiberationSans-%1.ttf").arg(face));

        Registration r;
        for (const QString &family :
             {QStringLiteral("Arial"), QStringLiteral("MS Sans Serif"), kArialBlack}) {
            if (installed.contains(family, Qt::CaseInsensitive)) continue;
            QFont::insertSubstitution(family, kStandIn);
            if (family == kArialBlack) r.arialBlackStandsIn = true;
        }
        return r;
    }();
    return done;
}

}  // namespace

void registerPanelFonts() {
    registration();
}

QFont panelFont(const QString &family, qreal pointSize, bool bold, bool italic) {
    const Registration &fonts = registration();  // before the first font is resolved
    QFont font(family);
    font.setPointSizeF(pointSize);
    font.setBold(bold || (family == kArialBlack && fonts.arialBlackStandsIn));
    font.setItalic(italic);
    return font;
}

}  // namespace zz
