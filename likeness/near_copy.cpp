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
