#include "controls/progress_bar.h"

#include <QProgressBar>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace velsaro {

namespace {

// The Qt bar works in integers; this many steps are finer than any bar's width in pixels.
constexpr int steps = 10000;

} // namespace

ProgressBar::ProgressBar(QWidget* parent) : QWidget(parent), bar_(new QProgressBar(this))
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(bar_);
    bar_->setRange(0, steps);
    bar_->setTextVisible(false);
    showValue();
}

void ProgressBar::setMin(double min)
{
    if (!std::isfinite(min))
        return;
    min_ = min;
    max_ = std::max(max_, min);
    clampValue();
}

void ProgressBar::setMax(double max)
{
    if (!std::isfinite(max))
        return;
    max_ = max;
    min_ = std::min(min_, max);
    clampValue();
}

void ProgressBar::setValue(double value)
{
    if (!std::isfinite(value))
        return;
    value_ = value;
    clampValue();
}

double ProgressBar::fraction() const
{
    return max_ > min_ ? (value_ - min_) / (max_ - min_) : 0.0;
}

void ProgressBar::refresh()
{
    bar_->repaint();
}

void ProgressBar::clampValue()
{
    value_ = std::clamp(value_, min_, max_);
    showValue();
}

void ProgressBar::showValue()
{
    bar_->setValue(int(std::lround(fraction() * steps)));
}

} // namespace velsaro
