// The main window's background and the title strip under every window's titles.
#include "resources/pictures.h"

#include <QColor>

#include <algorithm>
#include <cstdint>

namespace velsaro::resources {

namespace {

constexpr int backgroundWidth = 800;
constexpr int backgroundHeight = 600;
constexpr int bevelWidth = 4;
constexpr int stripWidth = 223;
constexpr int stripHeight = 23;

// The ground between the panels, darker than any panel pixel so the gaps read as grooves.
const QColor groundColour(62, 86, 118);
const QColor panelColour(168, 198, 228);

int clampChannel(int value)
{
    return std::clamp(value, 0, 255);
}

// A fixed, repeatable grain: a hash of the position rather than a random generator, so the picture is
// the same on every run and every platform.
int grain(int x, int y)
{
    std::uint32_t h = std::uint32_t(x) * 374761393u + std::uint32_t(y) * 668265263u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return int((h ^ (h >> 16)) % 13u) - 6;
}

// A soft diagonal weave under the grain, the "texture" of the panels.
int weave(int x, int y)
{
    return ((x + y) / 3) % 4 == 0 ? 5 : ((x - y + 1200) / 3) % 4 == 0 ? -4 : 0;
}

// Brightness change at (x, y) inside panel: the bevel lights the top and left edges and shades the
// bottom and right ones, strongest at the outer edge, so the panel looks raised.
int bevelShade(const QRect& panel, int x, int y)
{
    const int fromLeft = x - panel.left();
    const int fromTop = y - panel.top();
    const int fromRight = panel.right() - x;
    const int fromBottom = panel.bottom() - y;
    const int toShade = std::min(fromRight, fromBottom);
    const int toLight = std::min(fromLeft, fromTop);
    if (toShade < bevelWidth && toShade <= toLight)
        return -16 * (bevelWidth - toShade) - 8;
    if (toLight < bevelWidth)
        return 12 * (bevelWidth - toLight) + 6;
    return 0;
}

QRgb panelPixel(const QRect& panel, int x, int y)
{
    const int change = bevelShade(panel, x, y) + grain(x, y) + weave(x, y);
    return qRgb(clampChannel(panelColour.red() + change), clampChannel(panelColour.green() + change),
                clampChannel(panelColour.blue() + change));
}

void drawPanel(QImage& picture, const QRect& panel)
{
    for (int y = panel.top(); y <= panel.bottom(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(picture.scanLine(y));
        for (int x = panel.left(); x <= panel.right(); ++x)
            line[x] = panelPixel(panel, x, y);
    }
}

} // namespace

std::array<QRect, 4> backgroundPanels()
{
    // Left 0..475 across the full height; right 480..799, split at rows 232/235 and 388/392. Every group
    // of the main window's controls sits on one of them.
    return {QRect(QPoint(0, 0), QPoint(475, 599)), QRect(QPoint(480, 0), QPoint(799, 232)),
            QRect(QPoint(480, 235), QPoint(799, 388)), QRect(QPoint(480, 392), QPoint(799, 599))};
}

QImage backgroundPicture()
{
    QImage picture(backgroundWidth, backgroundHeight, QImage::Format_RGB32);
    picture.fill(groundColour);
    for (const QRect& panel : backgroundPanels())
        drawPanel(picture, panel);
    return picture;
}

QImage titleStripPicture()
{
    // Teal from a deep shade at the top row to a lighter one at the bottom, with equal green and blue.
    QImage strip(stripWidth, stripHeight, QImage::Format_RGB32);
    for (int y = 0; y < stripHeight; ++y) {
        const int step = y * 96 / (stripHeight - 1);
        auto* line = reinterpret_cast<QRgb*>(strip.scanLine(y));
        std::fill(line, line + stripWidth, qRgb(step / 2, 84 + step, 84 + step));
    }
    return strip;
}

} // namespace velsaro::resources
