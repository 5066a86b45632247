#include "ui/fonts.h"

#include "layout/element.h"

#include <QDir>
#include <QFontDatabase>
#include <QStringList>

namespace zz::ui {
namespace {

const QString kStandIn = QStringLiteral("Liberation Sans");

struct Registration {
    bool arialBlackStandsIn = false;
};

const Registration &registration() {
    static const Registration done = [] {
        // Look before adding anything: real faces on the machine win.
        const QStringList installed = QFontDatabase::families();
        const QDir embedded(QStringLiteral(":/fonts"));
        for (const QString &file : embedded.entryList(QDir::Files))
            QFontDatabase::addApplicationFont(embedded.filePath(file));

        Registration r;
        using namespace layout::face;
        for (const std::string_view name : {kArial, kSansSerif, kArialBlack}) {
            const QString family = QString::fromLatin1(name.data(), qsizetype(name.size()));
            if (installed.contains(family, Qt::CaseInsensitive)) continue;
            QFont::insertSubstitution(family, kStandIn);
            if (name == kArialBlack) r.arialBlackStandsIn = true;
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
    font.setBold(bold || (family == QLatin1StringView(layout::face::kArialBlack.data()) &&
                          fonts.arialBlackStandsIn));
    font.setItalic(italic);
    return font;
}

}  // namespace zz::ui
