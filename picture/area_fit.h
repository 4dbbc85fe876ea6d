// Scaling a whole picture into the drawing area (--fit): exact integer area averaging, fed one row
// at a time so that no more than a few rows of sums are ever held.
#pragma once

#include <QImage>
#include <QSize>

#include <cstdint>
#include <vector>

namespace velsaro {

// The largest size of the picture's proportions inside the drawing area: the whole width when
// 430 x height <= 503 x width, else the whole height; the other side rounded half up, at least 1.
QSize fittedSize(qint64 width, qint64 height);

// The overlap of source pixel i with output pixel x when source pixels cover [i*out, (i+1)*out) and
// output pixels [x*source, (x+1)*source): the weights of one output pixel sum to source.
inline std::int64_t areaWeight(std::int64_t i, std::int64_t x, std::int64_t source, std::int64_t out)
{
    const std::int64_t low = std::max(i * out, x * source);
    const std::int64_t high = std::min((i + 1) * out, (x + 1) * source);
    return high > low ? high - low : 0;
}

// The source pixels that overlap output pixel x: [first, end).
struct SourceSpan {
    std::int64_t first = 0;
    std::int64_t end = 0;
};
SourceSpan sourceSpan(std::int64_t x, std::int64_t source, std::int64_t out);

// sum / divisor rounded half up, exactly, by a multiplication: below 2^52 a dividend is exact as a
// double, and times the divisor's reciprocal gives the quotient to within one, which a comparison each
// way puts right. Dividing was the fitter's costliest step, three times a fitted pixel.
class RoundedQuotient {
public:
    explicit RoundedQuotient(std::uint64_t divisor) : divisor_(divisor), reciprocal_(1.0 / double(divisor)) {}
    std::uint64_t operator()(std::uint64_t sum) const
    {
        const std::uint64_t dividend = sum + divisor_ / 2;
        if (dividend >= std::uint64_t(1) << 52)
            return dividend / divisor_;
        std::uint64_t quotient = std::uint64_t(double(dividend) * reciprocal_);
        quotient -= std::uint64_t(quotient * divisor_ > dividend);
        quotient += std::uint64_t((quotient + 1) * divisor_ <= dividend);
        return quotient;
    }

private:
    std::uint64_t divisor_;
    double reciprocal_;
};

// Averages a source of sourceSize into fitted pixels, each channel separately: the sum of weight x
// value over the source pixels it overlaps (weights as areaWeight, across and down), divided by the
// source's area and rounded half up. Rows are handed in from the top, opaque.
class AreaFitter {
public:
    AreaFitter(QSize sourceSize, QSize fitted);

    // The next source row, sourceSize.width() pixels.
    void addRow(const QRgb* row);
    // After the last row: the fitted picture, Format_RGB32.
    QImage result() const { return fitted_; }

private:
    void reduceAcross(const QRgb* row);
    void emitRow(int y);

    // The source pixels of an output column and their weights, which every row shares.
    struct Column {
        int first = 0;
        int count = 0;
        std::size_t weightsAt = 0; // in weights_
    };

    QSize source_;
    QImage fitted_;
    RoundedQuotient average_;
    std::vector<Column> columns_;
    std::vector<std::uint32_t> weights_;
    std::vector<std::uint64_t> across_; // the row being added, reduced across: 3 sums a column
    // Sums of the output rows that the rows so far reach and that are not complete, from firstOpen_.
    std::vector<std::vector<std::uint64_t>> open_;
    int firstOpen_ = 0;
    int nextSourceRow_ = 0;
};

// A picture decoded whole, fitted; transparent pixels first over the drawing area's grey.
QImage fittedWhole(const QImage& picture);

} // namespace velsaro
