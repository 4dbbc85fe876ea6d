// A progress bar with a real-valued range, repainted on request inside a long computation.
#pragma once

#include <QWidget>

class QProgressBar;

namespace velsaro {

class ProgressBar : public QWidget {
    Q_OBJECT

public:
    // Range 0..100, showing 0.
    explicit ProgressBar(QWidget* parent = nullptr);

    double min() const { return min_; }
    double max() const { return max_; }
    double value() const { return value_; }

    // The range never inverts: a minimum above the maximum raises the maximum to it, a maximum below
    // the minimum lowers the minimum. The value is then kept inside the range.
    void setMin(double min);
    void setMax(double max);
    // A value outside the range shows, and is kept, at the nearer end. Non-finite numbers are ignored.
    void setValue(double value);

    // The filled part, 0 (value at the minimum, or an empty range) to 1 (value at the maximum).
    double fraction() const;

    // Repaints at once, without waiting for the event loop, which a running computation holds up.
    void refresh();

private:
    void clampValue();
    void showValue();

    QProgressBar* bar_ = nullptr;
    double min_ = 0;
    double max_ = 100;
    double value_ = 0;
};

} // namespace velsaro
