#include "ico_file.h"

#include <QBuffer>
#include <QDataStream>
#include <QFile>
#include <QSaveFile>

namespace pictures {

bool saveIco(const QList<QImage> &images, const QString &path) {
    QList<QByteArray> pngs;
    for (const QImage &image : images) {
        if (image.width() != image.height() || image.width() < 1 || image.width() > 256)
            return false;
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        if (!image.convertToFormat(QImage::Format_ARGB32).save(&buffer, "png")) return false;
        pngs.append(png);
    }

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    QDataStream out(&file);
    out.setByteOrder(QDataStream::LittleEndian);
    constexpr quint32 kHeaderBytes = 6, kEntryBytes = 16;
    // ICONDIR: reserved, type 1 (icon), number of images.
    out << quint16(0) << quint16(1) << quint16(pngs.size());
    quint32 offset = kHeaderBytes + kEntryBytes * quint32(pngs.size());
    for (qsizetype i = 0; i < pngs.size(); ++i) {
        const int side = images[i].width();
        // ICONDIRENTRY: width and height (0 stands for 256), no palette,
        // reserved, one plane, 32 bits a pixel, the PNG's size and place.
        out << quint8(side == 256 ? 0 : side) << quint8(side == 256 ? 0 : side) << quint8(0)
            << quint8(0) << quint16(1) << quint16(32) << quint32(pngs[i].size()) << offset;
        offset += quint32(pngs[i].size());
    }
    for (const QByteArray &png : pngs) out.writeRawData(png.constData(), int(png.size()));
    return out.status() == QDataStream::Ok && file.commit();
}

}  // namespace pictures
