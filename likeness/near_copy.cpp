#include "likeness/near_copy.h"

#include <cmath>

namespace velsaro {

namespace {

struct Moments {
    std::int64_t covariance; // n sum ab - sum a sum b
    std::int64_t spreadA;    // n sum a^2 - (sum a)^2
    std::int64_t spreadB;
};

Moments momentsOf(const Fingerprint& a, const Fingerprint& b)
{
    std::int64_t sumA = 0, sumB = 0, products = 0, squaresA = 0, squaresB = 0;
    for (std::size_t i = 0; i < a.grey.size(); ++i) {
        sumA += a.grey[i];
        sumB += b.grey[i];
        products += a.grey[i] * b.grey[i];
        squaresA += a.grey[i] * a.grey[i];
        squaresB += b.grey[i] * b.grey[i];
    }
    return {greyCells * products - sumA * sumB, greyCells * squaresA - sumA * sumA, greyCells * squaresB - sumB * sumB};
}

} // namespace

bool greyCorrelatesAtLeast(const Fingerprint& a, const Fingerprint& b, int hundredths)
{
    const Moments m = momentsOf(a, b);
    if (m.spreadA == 0 || m.spreadB == 0)
        return m.spreadA == m.spreadB;
    using Wide = __int128;
    return m.covariance > 0 &&
           Wide(10000) * Wide(m.covariance) * m.covariance >= Wide(hundredths * hundredths) * m.spreadA * m.spreadB;
}

double greyCorrelation(const Fingerprint& a, const Fingerprint& b)
{
    const Moments m = momentsOf(a, b);
    if (m.spreadA == 0 || m.spreadB == 0)
        return m.spreadA == m.spreadB ? 1.0 : 0.0;
    return double(m.covariance) / std::sqrt(double(m.spreadA) * double(m.spreadB));
}

GreySketch greySketchOf(const Fingerprint& fingerprint)
{
    double mean = 0;
    for (const std::int8_t grey : fingerprint.grey)
        mean += grey;
    mean /= greyCells;
    std::array<double, 16> blocks{};
    double squares = 0;
    for (std::size_t i = 0; i < fingerprint.grey.size(); ++i) {
        const double deviation = fingerprint.grey[i] - mean;
        blocks[(i / 64) * 4 + (i % 16) / 4] += deviation; // row i / 16, column i % 16
        squares += deviation * deviation;
    }
    GreySketch sketch{};
    if (squares == 0)
        return sketch;
    for (std::size_t b = 0; b < sketch.size(); ++b)
        sketch[b] = std::int8_t(std::lround(127 * blocks[b] / (4 * std::sqrt(squares))));
    return sketch;
}

// Two grey vectors correlating r lie sqrt(2 - 2 r) apart once normalised, and their projections no
// further; each sketch is within 4 x 0.5 / 127 of its projection, and 0.01 more covers the doubles.
bool sketchesAllow(const GreySketch& a, const GreySketch& b, int hundredths)
{
    int squares = 0;
    for (std::size_t i = 0; i < a.size(); ++i)
        squares += (a[i] - b[i]) * (a[i] - b[i]);
    const double bound = 127 * (std::sqrt(2 - 2 * hundredths / 100.0) + 4 / 127.0 + 0.01);
    return squares <= bound * bound;
}

bool mayConfirmByKey(int hashes, const GreySketch& a, const GreySketch& b)
{
    if (hashes <= hashAloneDistance)
        return true;
    if (hashes > smoothHashDistance)
        return false;
    return sketchesAllow(a, b, hashes <= hashWithGreyDistance ? 90 : 99);
}

bool isNearCopy(int keyDistance, const Fingerprint& a, const Fingerprint& b, int maxDistance)
{
    const int hashes = hashDistance(a, b);
    if (hashes <= hashAloneDistance)
        return true;
    if (keyDistance > maxDistance || hashes > smoothHashDistance)
        return false;
    // Within 16 bits 0.90 suffices, and 0.99 would pass it too: one correlation decides.
    return greyCorrelatesAtLeast(a, b, hashes <= hashWithGreyDistance ? 90 : 99);
}

} // namespace velsaro
