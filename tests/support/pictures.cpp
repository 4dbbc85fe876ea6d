// Pictures to encode: a flat colour, a busy varied one, and palette pictures drawn index by index.
#include "tests/support/picture_files.h"

#include <QPainter>

#include <random>

namespace velsaro::testing {

QImage solidPicture(int width, int height, QColor colour)
{
    QImage picture(width, height, QImage::Format_ARGB32);
    picture.fill(colour);
    return picture;
}

QImage variedPicture(int width, int height, unsigned seed)
{
    std::mt19937 random(seed);
    auto channel = [&] { return int(random() % 256); };
    auto coordinate = [&](int limit) { return int(random() % unsigned(limit)); };

    QImage picture(width, height, QImage::Format_RGB32);
    picture.fill(QColor(channel(), channel(), channel()));
    QPainter painter(&picture);
    painter.setPen(Qt::NoPen);
    for (int shape = 0; shape < 24; ++shape) {
        painter.setBrush(QColor(channel(), channel(), channel()));
        const QRect box(coordinate(width), coordinate(height), 8 + coordinate(width / 2),
                        8 + coordinate(height / 2));
        if (shape % 2 == 0)
            painter.drawRect(box);
        else
            painter.drawEllipse(box);
    }
    return picture;
}

QImage palettePicture(int width, int height, const std::vector<QRgb>& palette,
                      const std::function<int(int x, int y)>& indexAt)
{
    QImage picture(width, height, QImage::Format_Indexed8);
    picture.setColorTable(QList<QRgb>(palette.begin(), palette.end()));
    for (int y = 0; y < height; ++y) {
        uchar* row = picture.scanLine(y);
        for (int x = 0; x < width; ++x)
            row[x] = uchar(indexAt(x, y));
    }
    return picture;
}

} // namespace velsaro::testing
