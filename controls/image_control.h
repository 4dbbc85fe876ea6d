// An image control: shows a picture, stretched to its size or at its own size, and is transparent
// wherever there is no picture, so that one without a picture is an invisible click area.
#pragma once

#include <QImage>
#include <QWidget>

namespace velsaro {

class ImageControl : public QWidget {
    Q_OBJECT

public:
    explicit ImageControl(QWidget* parent = nullptr);

    void setPicture(const QImage& picture);
    const QImage& picture() const { return picture_; }
    // Stretched pictures fill the control (the title strips); otherwise drawn from the top-left corner.
    void setStretch(bool stretch);

signals:
    // A press and release of the left button inside the control while it is enabled.
    void clicked();

private:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

    QImage picture_;
    bool stretch_ = false;
    bool pressed_ = false;
};

} // namespace velsaro
