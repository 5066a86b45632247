// make_pictures <output dir>: draws the panel's pictures and icons into
// <output dir>/pictures and <output dir>/icons. The drawing is fixed (fonts
// from the Liberation files, no dates), so a rerun gives the same files.

#include <QDir>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QImageWriter>
#include <QPainter>
#include <QTextStream>

#include "backdrop.h"
#include "emblems.h"
#include "palette.h"

namespace {

bool loadFonts() {
    const QDir dir(QStringLiteral(ZZ_LIBERATION_DIR));
    for (const char *face : {"Regular", "Bold", "Italic", "BoldItalic"}) {
        const QString file = dir.filePath(QStringLiteral("LiberationSans-%1.ttf").arg(face));
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
    QImage img = pictures::backdrop(QSize(510, 313), 50);
    QPainter p(&img);
    // Top right, clear of the title that stands left of x = 345.
    pictures::paintMakerEmblem(p, QRectF(412, 12, 72, 50));
    return img;
}

}  // namespace

int main(int argc, char *argv[]) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        QTextStream(stderr) << "usage: make_pictures <output dir>\n";
        return 2;
    }
    if (!loadFonts()) return 1;

    const QDir out(QString::fromLocal8Bit(argv[1]));
    if (!out.mkpath(QStringLiteral("pictures")) || !out.mkpath(QStringLiteral("icons"))) {
        QTextStream(stderr) << "make_pictures: cannot create folders under " << out.path() << "\n";
        return 1;
    }
    const auto path = [&out](const char *name) { return out.filePath(QString::fromLatin1(name)); };

    constexpr int kJpegQuality = 92;
    const bool ok =
        save(pictures::backdrop(QSize(620, 380), 60), path("pictures/panel_background.jpg"), "jpeg",
             kJpegQuality) &&
        save(pictures::backdrop(QSize(388, 154), 40), path("pictures/dialog_background.jpg"),
             "jpeg", kJpegQuality) &&
        save(startBackground(), path("pictures/start_background.jpg"), "jpeg", kJpegQuality) &&
        save(pictures::toIndexed(pictures::programLogo()), path("icons/logo48.png"), "png") &&
        save(pictures::portIcon(32), path("icons/port_dialog.png"), "png") &&
        save(pictures::portIcon(16), path("icons/port_dialog16.png"), "png");
    return ok ? 0 : 1;
}
