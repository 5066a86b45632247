// make_pictures <output dir> <font file>...: draws the panel's pictures and
// icons into <output dir>/pictures and <output dir>/icons, with the faces of
// the font files given (the Liberation Sans ones the resources embed). The
// drawing is fixed (those fonts, no dates), so a rerun gives the same files.

#include <QDir>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QImageWriter>
#include <QPainter>
#include <QTextStream>

#include "backdrop.h"
#include "emblems.h"
#include "ico_file.h"
#include "palette.h"
#include "ui/pictures.h"

namespace {

using zz::ui::Picture;
namespace picture = zz::ui::picture;

bool loadFonts(const QStringList &files) {
    for (const QString &file : files) {
        if (QFontDatabase::addApplicationFont(file) < 0) {
            QTextStream(stderr) << "make_pictures: cannot load " << file << "\n";
            return false;
        }
    }
    return true;
}

bool save(const QImage &img, const QString &path, const char *format, int quality = -1) {
    QImageWriter writer(path, format);
    writer.setQuality(quality);
    if (writer.write(img)) return true;
    QTextStream(stderr) << "make_pictures: " << path << ": " << writer.errorString() << "\n";
    return false;
}

QImage startBackground() {
    QImage img = pictures::backdrop(picture::kStartBackground.size, 50);
    QPainter p(&img);
    // Top right, clear of the title that stands left of x = 345.
    pictures::paintMakerEmblem(p, QRectF(412, 12, 72, 50));
    return img;
}

}  // namespace

int main(int argc, char *argv[]) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 3) {
        QTextStream(stderr) << "usage: make_pictures <output dir> <font file>...\n";
        return 2;
    }
    if (!loadFonts(args.mid(2))) return 1;

    const QDir out(args.at(1));
    if (!out.mkpath(QStringLiteral("pictures")) || !out.mkpath(QStringLiteral("icons"))) {
        QTextStream(stderr) << "make_pictures: cannot create folders under " << out.path() << "\n";
        return 1;
    }
    const auto path = [&out](const Picture &p) {
        return out.filePath(QString::fromLatin1(p.file));
    };

    constexpr int kJpegQuality = 92;
    const auto jpeg = [&](const QImage &img, const Picture &p) {
        return save(img, path(p), "jpeg", kJpegQuality);
    };
    const auto png = [&](const QImage &img, const Picture &p) { return save(img, path(p), "png"); };
    const bool ok =
        jpeg(pictures::backdrop(picture::kPanelBackground.size, 60), picture::kPanelBackground) &&
        jpeg(pictures::backdrop(picture::kDialogBackground.size, 40), picture::kDialogBackground) &&
        jpeg(startBackground(), picture::kStartBackground) &&
        png(pictures::toIndexed(pictures::programLogo(picture::kLogo.size.width())),
            picture::kLogo) &&
        png(pictures::portIcon(picture::kPortIcon.size.width()), picture::kPortIcon) &&
        png(pictures::portIcon(picture::kPortIconSmall.size.width()), picture::kPortIconSmall);
    bool menuIcons = true;
    for (const Picture &icon : picture::kMenuIcons)
        menuIcons = menuIcons && png(pictures::programLogo(icon.size.width()), icon);

    // The program file's icon on Windows (apps/panel's version resource).
    QList<QImage> sizes;
    for (int side : {16, 24, 32, 48, 64, 256}) sizes.append(pictures::programLogo(side));
    const QString ico = out.filePath(QStringLiteral("icons/6175ZIZ.ico"));
    const bool windowsIcon = pictures::saveIco(sizes, ico);
    if (!windowsIcon) QTextStream(stderr) << "make_pictures: cannot write " << ico << "\n";
    return ok && menuIcons && windowsIcon ? 0 : 1;
}
