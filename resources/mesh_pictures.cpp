// The mesh pictures: the walkthrough lays them over the image under study to show where the key
// computation samples. Drawn pixel-exact from the mesh geometry, with no smoothing, since the overlay
// keeps every pixel that is not pure white.
#include "resources/pictures.h"

#include <QPainter>

namespace velsaro::resources {

namespace {

constexpr int pictureWidth = 430;
constexpr int pictureHeight = 503;
constexpr int lineWidth = 3;

// Centres of the three vertical and the three horizontal mesh lines. They lie within a pixel of the
// intersections the key computation uses (108, 216, 324 across; 127, 254, 381 down), close enough for
// every mask to fall inside the white interior of its square.
constexpr std::array<int, 3> columnCentres{107, 216, 324};
constexpr std::array<int, 3> rowCentres{126, 253, 381};

// Half the outer side of the squares of entries 2, 3 and 4: twice the mask size N = 4, 8, 16, so that
// an outline of side 4 x N + 1 leaves ample white around the N x N mask even though the mask sits half
// a pixel to one side of the intersection.
int squareHalfSide(int entry)
{
    return entry <= 1 ? 0 : 4 << (entry - 1);
}

void drawMesh(QPainter& painter)
{
    for (int x : columnCentres)
        painter.fillRect(x - lineWidth / 2, 0, lineWidth, pictureHeight, Qt::black);
    for (int y : rowCentres)
        painter.fillRect(0, y - lineWidth / 2, pictureWidth, lineWidth, Qt::black);
}

// A 1-pixel black outline from centre - h to centre + h, white inside, so the mesh lines stop at it.
void drawSquare(QPainter& painter, int centreX, int centreY, int h)
{
    const QRect outer(centreX - h, centreY - h, 2 * h + 1, 2 * h + 1);
    painter.fillRect(outer, Qt::black);
    painter.fillRect(outer.adjusted(1, 1, -1, -1), Qt::white);
}

} // namespace

QImage meshPicture(int entry)
{
    if (entry < 1 || entry > meshPictureCount)
        return {};
    QImage picture(pictureWidth, pictureHeight, QImage::Format_RGB32);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    drawMesh(painter);
    if (const int h = squareHalfSide(entry); h > 0) {
        for (int y : rowCentres)
            for (int x : columnCentres)
                drawSquare(painter, x, y, h);
    }
    return picture;
}

} // namespace velsaro::resources
