// A graphical command button: no caption, a picture as its only face on a plain background colour,
// with a raised edge that sinks while the button is held down. White in the picture is transparent.
#pragma once

#include <QAbstractButton>
#include <QColor>
#include <QImage>

namespace velsaro {

class PictureButton : public QAbstractButton {
    Q_OBJECT

public:
    PictureButton(const QImage& picture, QColor background, QWidget* parent = nullptr);

    // The face as shown, its white made transparent.
    const QImage& picture() const { return picture_; }
    QSize sizeHint() const override;

private:
    void paintEvent(QPaintEvent* event) override;

    QImage picture_;
    QImage disabledPicture_;
    QColor background_;
};

} // namespace velsaro
