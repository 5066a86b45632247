#include "emblems.h"

#include "ui/pictures.h"

#include <QFont>
#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainterPath>
#include <QPolygonF>

namespace pictures {
namespace {

const QColor kWhite(255, 255, 255);
const QColor kInk(0, 40, 110);

QFont sans(qreal pixelSize, bool bold) {
    QFont f(QStringLiteral("Liberation Sans"));
    f.setPixelSize(qRound(pixelSize));
    f.setBold(bold);
    f.setHintingPreference(QFont::PreferFullHinting);
    return f;
}

QLinearGradient blueTile(const QRectF &r, QColor top, QColor bottom) {
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0.0, top);
    g.setColorAt(1.0, bottom);
    return g;
}

void paintTile(QPainter &p, const QRectF &r, qreal radius) {
    p.setPen(Qt::NoPen);
    p.setBrush(blueTile(r, QColor(12, 88, 180), QColor(0, 56, 138)));
    p.drawRoundedRect(r, radius, radius);
}

}  // namespace

void paintMakerEmblem(QPainter &p, const QRectF &box) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    const QRectF tile(box.center().x() - 15, box.top(), 30, 30);
    p.setPen(Qt::NoPen);
    p.setBrush(blueTile(tile, QColor(0, 62, 145), QColor(0, 34, 100)));
    p.drawRoundedRect(tile, 6, 6);
    p.setPen(QPen(QColor(255, 255, 255, 90), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(tile.adjusted(2.5, 2.5, -2.5, -2.5), 4, 4);

    p.setFont(sans(22, true));
    p.setPen(kWhite);
    p.drawText(tile.translated(0, 1), Qt::AlignCenter, QStringLiteral("Q"));

    QFont name = sans(12, true);
    name.setCapitalization(QFont::SmallCaps);
    name.setLetterSpacing(QFont::AbsoluteSpacing, 1.0);
    p.setFont(name);
    p.setPen(kInk);
    const QRectF label(box.left(), tile.bottom() + 2, box.width(),
                       box.bottom() - tile.bottom() - 2);
    p.drawText(label, Qt::AlignHCenter | Qt::AlignTop, QStringLiteral("Quellor"));
    p.restore();
}

QImage programLogo(int size) {
    QImage img(size, size, QImage::Format_RGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    // Drawn on the 48 px grid, scaled to the size asked for.
    const QRect grid(QPoint(0, 0), zz::ui::picture::kLogo.size);
    p.scale(qreal(size) / grid.width(), qreal(size) / grid.height());
    p.fillRect(grid, blueTile(grid, QColor(14, 92, 184), QColor(0, 52, 136)));
    // Light top edge and dark bottom edge: a slight bevel.
    p.fillRect(QRect(0, 0, grid.width(), 1), QColor(60, 124, 204));
    p.fillRect(QRect(0, grid.height() - 1, grid.width(), 1), QColor(0, 36, 100));

    // The V: two bold white strokes, a pale chevron nested in the notch.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(150, 192, 242), 3, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
    p.drawPolyline(QPolygonF{{23.5, 6}, {30, 24}, {36.5, 6}});
    p.setPen(QPen(kWhite, 6.5, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
    p.drawPolyline(QPolygonF{{16.5, 6}, {30, 39}, {43.5, 6}});

    // "VIRTUAL PANEL" up the left edge, squeezed to fit the height.
    const QString words = QStringLiteral("VIRTUAL PANEL");
    const QFont f = sans(7, true);
    const qreal length = QFontMetricsF(f).horizontalAdvance(words);
    const qreal room = 44;
    p.translate(9, 46);
    p.rotate(-90);
    p.scale(std::min(1.0, room / length), 1.0);
    p.setFont(f);
    p.setPen(kWhite);
    p.drawText(QPointF(0, 0), words);
    return img;
}

QImage portIcon(int size) {
    // Each size is laid out on its own pixel grid so the pins stay apart.
    struct Layout {
        qreal tileRadius, pen;
        QPolygonF shell;  // the D-shaped shell, wider at the top
        int pin, step;
        QPoint top, bottom;  // first pin of the row of five and of the row of four
    };
    const Layout big{5, 2, {{4, 10}, {28, 10}, {24, 21}, {8, 21}}, 2, 4, {7, 12}, {9, 17}};
    const Layout small{3,      1,     {{1.5, 4.5}, {14.5, 4.5}, {12.5, 11.5}, {3.5, 11.5}}, 1, 2,
                       {4, 6}, {5, 9}};
    const Layout &l = size <= 16 ? small : big;

    QImage img(size, size, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    paintTile(p, QRectF(0, 0, size, size), l.tileRadius);

    p.setPen(QPen(kWhite, l.pen, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPolygon(l.shell);
    for (int i = 0; i < 5; ++i) p.fillRect(l.top.x() + i * l.step, l.top.y(), l.pin, l.pin, kWhite);
    for (int i = 0; i < 4; ++i)
        p.fillRect(l.bottom.x() + i * l.step, l.bottom.y(), l.pin, l.pin, kWhite);
    return img;
}

}  // namespace pictures
