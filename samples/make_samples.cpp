// Draws the sample pictures shipped in samples/: two faces at the size of the drawing area, one of them
// saved as BMP and as GIF with identical pixels (so both give one key), the other as JPEG.
// Usage: velsaro_make_samples FOLDER
#include "engine/geometry.h"
#include "tools/gif_writer.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QImageWriter>
#include <QPainter>
#include <QPainterPath>

#include <cstdio>

namespace {

struct FaceColours {
    QColor background;
    QColor hair;
    QColor skin;
    QColor eyes;
    QColor mouth;
};

// Without antialiasing the drawing keeps a handful of exact colours, which a GIF palette holds as they are.
void drawFace(QPainter& painter, const FaceColours& colours, bool smiling)
{
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colours.hair);
    painter.drawEllipse(QRect(75, 40, 280, 330));
    painter.setBrush(colours.skin);
    painter.drawEllipse(QRect(95, 95, 240, 320));
    painter.drawEllipse(QRect(75, 215, 30, 60)); // ears
    painter.drawEllipse(QRect(325, 215, 30, 60));
    painter.setBrush(Qt::white);
    painter.drawEllipse(QRect(145, 200, 55, 32));
    painter.drawEllipse(QRect(230, 200, 55, 32));
    painter.setBrush(colours.eyes);
    painter.drawEllipse(QRect(162, 204, 22, 24));
    painter.drawEllipse(QRect(247, 204, 22, 24));
    painter.setPen(QPen(colours.hair.darker(130), 6));
    painter.drawLine(140, 185, 200, 178); // eyebrows
    painter.drawLine(230, 178, 290, 185);
    painter.setPen(QPen(colours.skin.darker(140), 5));
    painter.drawLine(215, 235, 205, 300); // nose
    painter.drawLine(205, 300, 225, 302);
    painter.setPen(QPen(colours.mouth, 8));
    if (smiling) {
        QPainterPath smile;
        smile.moveTo(160, 335);
        smile.quadTo(215, 385, 270, 335);
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(smile);
    } else {
        painter.drawLine(170, 350, 260, 350);
    }
    painter.setPen(Qt::NoPen);
    painter.setBrush(colours.background.darker(115));
    painter.drawRect(-50, 440, velsaro::drawingAreaWidth + 100, 100); // shoulders' shadow
}

// The smiling face is drawn larger and lower, so that its eyes, nose and mouth cross other points of the
// mesh than the serious one's: a face of the same layout in other colours would give the same key.
QImage face(const FaceColours& colours, bool smiling)
{
    QImage picture(velsaro::drawingAreaWidth, velsaro::drawingAreaHeight, QImage::Format_RGB32);
    picture.fill(colours.background);
    QPainter painter(&picture);
    if (smiling) {
        painter.translate(-30, 10);
        painter.scale(1.15, 1.1);
    }
    drawFace(painter, colours, smiling);
    return picture;
}

// The exact palette of a picture of few colours: no colour is approximated, so the GIF's pixels are the
// bitmap's.
QImage exactlyIndexed(const QImage& picture)
{
    QImage indexed(picture.size(), QImage::Format_Indexed8);
    QList<QRgb> palette;
    QHash<QRgb, int> indexOf;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            const QRgb colour = picture.pixel(x, y);
            auto found = indexOf.find(colour);
            if (found == indexOf.end()) {
                if (palette.size() == 256)
                    qFatal("the sample has more than 256 colours");
                found = indexOf.insert(colour, int(palette.size()));
                palette.append(colour);
            }
            indexed.scanLine(y)[x] = uchar(*found);
        }
    }
    indexed.setColorTable(palette);
    return indexed;
}

// The file Qt's writer makes of picture in format.
QByteArray written(const QImage& picture, const char* format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setQuality(90);
    return writer.write(picture) ? bytes : QByteArray();
}

// A bitmap of 24 bits per pixel (Qt's writer drops the unused fourth byte) at 96 dots per inch.
QByteArray bmp(const QImage& picture)
{
    QImage at96Dpi = picture;
    at96Dpi.setDotsPerMeterX(3780);
    at96Dpi.setDotsPerMeterY(3780);
    return written(at96Dpi, "bmp");
}

bool save(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    const bool saved = !bytes.isEmpty() && file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
    std::printf("%s %s\n", saved ? "escrita" : "NO SE PUDO ESCRIBIR", qPrintable(path));
    return saved;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "Uso: %s CARPETA\n", argv[0]);
        return 2;
    }
    const QDir folder(QFile::decodeName(argv[1]));
    const QImage serious = face({QColor(170, 205, 235), QColor(90, 55, 30), QColor(240, 200, 165),
                                 QColor(60, 110, 60), QColor(170, 60, 60)},
                                false);
    const QImage smiling = face({QColor(235, 225, 170), QColor(30, 30, 35), QColor(205, 150, 110),
                                 QColor(70, 45, 25), QColor(190, 40, 60)},
                                true);
    bool saved = save(folder.filePath("cara_seria.bmp"), bmp(serious));
    saved &= save(folder.filePath("cara_seria.gif"), velsaro::gif({exactlyIndexed(serious)}));
    saved &= save(folder.filePath("cara_sonriente.jpg"), written(smiling, "jpeg"));
    return saved ? 0 : 1;
}
