// A picture box: a 2-pixel sunken border around a drawing area that shows a background colour, a
// picture unscaled from its top-left corner, and the boxes drawn on it. What the area shows is kept in
// memory, so reading a pixel gives the same colour on every screen, and drawings survive while the
// window is hidden or not yet shown.
#pragma once

#include "controls/colours_and_twips.h"
#include "picture/drawing_area.h"

#include <QColor>
#include <QImage>
#include <QWidget>

#include <cstdint>

namespace velsaro {

class PictureBox : public QWidget {
    Q_OBJECT

public:
    static constexpr int borderWidth = 2;

    // outerSize includes the border; the drawing area is 2 x borderWidth smaller each way.
    PictureBox(QSize outerSize, QColor background, QWidget* parent = nullptr);

    QSize drawingAreaSize() const { return area_.image().size(); }
    // Parent for controls placed in the drawing area's coordinates (the click areas over a picture).
    QWidget* surface() const { return surface_; }

    // Shows picture; a null picture leaves only the background. Either way earlier drawings go.
    void setPicture(const QImage& picture);
    const QImage& picture() const { return picture_; }
    bool hasPicture() const { return !picture_.isNull(); }

    QColor backgroundColour() const { return background_; }
    QColor foregroundColour() const { return foreground_; }
    void setForegroundColour(QColor colour) { foreground_ = colour; }

    // Colour number of what the drawing area shows at (x, y), -1 outside it. The coordinates are
    // rounded to the nearest pixel, halves to even.
    std::int32_t point(double x, double y) const;

    // Fills the box from corner (x1, y1) up to, not including, corner (x2, y2), as the platform's
    // rectangles do: cells drawn side by side from their origins then keep a gap between them.
    void fillBox(double x1, double y1, double x2, double y2, std::int32_t colourNumber);

    // Erases every drawn box; the picture and the background show again.
    void cls();

    // Repaints at once, inside the running handler.
    void refresh();

    // What the drawing area shows, opaque, at its own pixel size.
    const QImage& shownImage() const { return area_.image(); }

private:
    void paintEvent(QPaintEvent* event) override;

    QColor background_;
    QColor foreground_ = Qt::black;
    QImage picture_;
    DrawingArea area_;
    QWidget* surface_ = nullptr;
};

} // namespace velsaro
