// A rectangle shape: a 1-pixel outline in the window-text colour, transparent inside. It only
// decorates: clicks pass through it to whatever lies below.
#pragma once

#include <QWidget>

namespace velsaro {

class RectangleShape : public QWidget {
    Q_OBJECT

public:
    explicit RectangleShape(QWidget* parent = nullptr);

private:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace velsaro
