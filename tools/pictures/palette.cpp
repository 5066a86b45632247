#include "palette.h"

#include <algorithm>
#include <map>
#include <vector>

namespace pictures {
namespace {

struct Entry {
    QRgb colour;
    qint64 count;
};

using Box = std::vector<Entry>;

int channel(QRgb c, int ch) {
    return ch == 0 ? qRed(c) : ch == 1 ? qGreen(c) : qBlue(c);
}

// The channel with the widest spread in a box, and that spread.
std::pair<int, int> widest(const Box &box) {
    int best = 0, spread = -1;
    for (int ch = 0; ch < 3; ++ch) {
        const auto [lo, hi] = std::minmax_element(box.begin(), box.end(), [ch](auto a, auto b) {
            return channel(a.colour, ch) < channel(b.colour, ch);
        });
        const int s = channel(hi->colour, ch) - channel(lo->colour, ch);
        if (s > spread) best = ch, spread = s;
    }
    return {best, spread};
}

QRgb mean(const Box &box) {
    qint64 r = 0, g = 0, b = 0, n = 0;
    for (const Entry &e : box) {
        r += qRed(e.colour) * e.count;
        g += qGreen(e.colour) * e.count;
        b += qBlue(e.colour) * e.count;
        n += e.count;
    }
    return qRgb(int((r + n / 2) / n), int((g + n / 2) / n), int((b + n / 2) / n));
}

}  // namespace

QImage toIndexed(const QImage &img, int maxColours) {
    const QImage rgb = img.convertToFormat(QImage::Format_RGB32);
    std::map<QRgb, qint64> histogram;  // ordered, so the palette is the same every run
    for (int y = 0; y < rgb.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(rgb.constScanLine(y));
        for (int x = 0; x < rgb.width(); ++x) ++histogram[line[x] | 0xff000000u];
    }

    std::vector<Box> boxes(1);
    for (const auto &[colour, count] : histogram) boxes[0].push_back({colour, count});

    while (int(boxes.size()) < maxColours) {
        // Split the box with the widest spread at its pixel-weighted median.
        auto target = boxes.end();
        int targetChannel = 0, targetSpread = 0;
        for (auto it = boxes.begin(); it != boxes.end(); ++it) {
            if (it->size() < 2) continue;
            const auto [ch, spread] = widest(*it);
            if (spread > targetSpread) target = it, targetChannel = ch, targetSpread = spread;
        }
        if (target == boxes.end()) break;

        Box box = std::move(*target);
        std::stable_sort(box.begin(), box.end(), [ch = targetChannel](auto a, auto b) {
            return channel(a.colour, ch) < channel(b.colour, ch);
        });
        qint64 total = 0, seen = 0;
        for (const Entry &e : box) total += e.count;
        std::size_t cut = 1;
        while (cut < box.size() - 1 && (seen += box[cut - 1].count) < total / 2) ++cut;
        *target = Box(box.begin(), box.begin() + cut);
        boxes.emplace_back(box.begin() + cut, box.end());
    }

    QList<QRgb> palette;
    for (const Box &box : boxes) palette.append(mean(box));
    return rgb.convertToFormat(QImage::Format_Indexed8, palette, Qt::ThresholdDither);
}

}  // namespace pictures
