#include "picture/area_fit.h"

#include "engine/geometry.h"
#include "picture/drawing_area.h"

#include <algorithm>

namespace velsaro {

QSize fittedSize(qint64 width, qint64 height)
{
    const qint64 areaWidth = drawingAreaWidth;
    const qint64 areaHeight = drawingAreaHeight;
    if (areaWidth * height <= areaHeight * width)
        return {int(areaWidth), int(std::max<qint64>(1, (2 * height * areaWidth + width) / (2 * width)))};
    return {int(std::max<qint64>(1, (2 * width * areaHeight + height) / (2 * height))), int(areaHeight)};
}

SourceSpan sourceSpan(std::int64_t x, std::int64_t source, std::int64_t out)
{
    return {x * source / out, ((x + 1) * source - 1) / out + 1};
}

AreaFitter::AreaFitter(QSize sourceSize, QSize fitted)
    : source_(sourceSize), fitted_(fitted, QImage::Format_RGB32),
      average_(std::uint64_t(sourceSize.width()) * std::uint64_t(sourceSize.height())),
      across_(std::size_t(fitted.width()) * 3)
{
    const std::int64_t width = source_.width();
    const std::int64_t out = fitted.width();
    for (std::int64_t x = 0; x < out; ++x) {
        const SourceSpan span = sourceSpan(x, width, out);
        columns_.push_back({int(span.first), int(span.end - span.first), weights_.size()});
        for (std::int64_t i = span.first; i < span.end; ++i)
            weights_.push_back(std::uint32_t(areaWeight(i, x, width, out)));
    }
}

void AreaFitter::reduceAcross(const QRgb* row)
{
    for (std::size_t x = 0; x < columns_.size(); ++x) {
        const QRgb* pixels = row + columns_[x].first;
        const std::uint32_t* weights = weights_.data() + columns_[x].weightsAt;
        std::uint64_t red = 0, green = 0, blue = 0;
        for (int i = 0; i < columns_[x].count; ++i) {
            const std::uint64_t weight = weights[i];
            red += weight * std::uint64_t(qRed(pixels[i]));
            green += weight * std::uint64_t(qGreen(pixels[i]));
            blue += weight * std::uint64_t(qBlue(pixels[i]));
        }
        across_[3 * x] = red;
        across_[3 * x + 1] = green;
        across_[3 * x + 2] = blue;
    }
}

// Source row j covers [j*h', (j+1)*h') of the rows' common length; output row y is complete once
// the source rows reach (y+1)*H.
void AreaFitter::addRow(const QRgb* row)
{
    reduceAcross(row);
    const std::int64_t height = source_.height();
    const std::int64_t out = fitted_.height();
    const std::int64_t j = nextSourceRow_++;
    const int lastTouched = int(((j + 1) * out - 1) / height);
    while (firstOpen_ + int(open_.size()) <= lastTouched)
        open_.emplace_back(across_.size(), 0);
    for (int y = int(j * out / height); y <= lastTouched; ++y) {
        const auto weight = std::uint64_t(areaWeight(j, y, height, out));
        std::vector<std::uint64_t>& sums = open_[std::size_t(y - firstOpen_)];
        for (std::size_t k = 0; k < sums.size(); ++k)
            sums[k] += weight * across_[k];
    }
    while (!open_.empty() && (j + 1) * out >= (firstOpen_ + 1) * height)
        emitRow(firstOpen_);
}

void AreaFitter::emitRow(int y)
{
    const std::vector<std::uint64_t>& sums = open_.front();
    const auto average = [&](std::size_t k) { return int(average_(sums[k])); };
    QRgb* line = reinterpret_cast<QRgb*>(fitted_.scanLine(y));
    for (int x = 0; x < fitted_.width(); ++x)
        line[x] = qRgb(average(3 * std::size_t(x)), average(3 * std::size_t(x) + 1), average(3 * std::size_t(x) + 2));
    open_.erase(open_.begin());
    ++firstOpen_;
}

QImage fittedWhole(const QImage& picture)
{
    const QImage opaque = opaqueOverBackground(picture);
    AreaFitter fitter(opaque.size(), fittedSize(opaque.width(), opaque.height()));
    for (int y = 0; y < opaque.height(); ++y)
        fitter.addRow(reinterpret_cast<const QRgb*>(opaque.constScanLine(y)));
    return fitter.result();
}

} // namespace velsaro
