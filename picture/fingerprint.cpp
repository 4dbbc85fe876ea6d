#include "picture/fingerprint.h"

#include "picture/area_fit.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace velsaro {

namespace {

constexpr int hashSide = 32;
constexpr int greySide = 16;
static_assert(greyCells == greySide * greySide);

// round(4096 cos((2t + 1) u pi / 64)): the first eight rows of the 32-point DCT, in integers so that
// the coefficients and their order are exact.
constexpr int cosineTable[8][hashSide] = {
    {4096, 4096, 4096, 4096, 4096, 4096, 4096, 4096, 4096, 4096, 4096, 4096, 4096, 4096, 4096, 4096,
     4096, 4096, 4096, 4096, 4096, 4096, 4096, 4096, 4096, 4096, 4096, 4096, 4096, 4096, 4096, 4096},
    {4091, 4052, 3973, 3857, 3703, 3513, 3290, 3035, 2751, 2440, 2106, 1751, 1380, 995, 601, 201,
     -201, -601, -995, -1380, -1751, -2106, -2440, -2751, -3035, -3290, -3513, -3703, -3857, -3973, -4052, -4091},
    {4076, 3920, 3612, 3166, 2598, 1931, 1189, 401, -401, -1189, -1931, -2598, -3166, -3612, -3920, -4076,
     -4076, -3920, -3612, -3166, -2598, -1931, -1189, -401, 401, 1189, 1931, 2598, 3166, 3612, 3920, 4076},
    {4052, 3703, 3035, 2106, 995, -201, -1380, -2440, -3290, -3857, -4091, -3973, -3513, -2751, -1751, -601,
     601, 1751, 2751, 3513, 3973, 4091, 3857, 3290, 2440, 1380, 201, -995, -2106, -3035, -3703, -4052},
    {4017, 3406, 2276, 799, -799, -2276, -3406, -4017, -4017, -3406, -2276, -799, 799, 2276, 3406, 4017,
     4017, 3406, 2276, 799, -799, -2276, -3406, -4017, -4017, -3406, -2276, -799, 799, 2276, 3406, 4017},
    {3973, 3035, 1380, -601, -2440, -3703, -4091, -3513, -2106, -201, 1751, 3290, 4052, 3857, 2751, 995,
     -995, -2751, -3857, -4052, -3290, -1751, 201, 2106, 3513, 4091, 3703, 2440, 601, -1380, -3035, -3973},
    {3920, 2598, 401, -1931, -3612, -4076, -3166, -1189, 1189, 3166, 4076, 3612, 1931, -401, -2598, -3920,
     -3920, -2598, -401, 1931, 3612, 4076, 3166, 1189, -1189, -3166, -4076, -3612, -1931, 401, 2598, 3920},
    {3857, 2106, -601, -3035, -4091, -3290, -995, 1751, 3703, 3973, 2440, -201, -2751, -4052, -3513, -1380,
     1380, 3513, 4052, 2751, 201, -2440, -3973, -3703, -1751, 995, 3290, 4091, 3035, 601, -2106, -3857},
};

// Grey 0..255 of an RGB pixel: (299 R + 587 G + 114 B) / 1000 rounded half up.
int greyOf(QRgb pixel)
{
    return (299 * qRed(pixel) + 587 * qGreen(pixel) + 114 * qBlue(pixel) + 500) / 1000;
}

// One row's grey levels and their running sums.
struct GreyRow {
    std::vector<std::uint8_t> grey;
    std::vector<std::uint64_t> prefix; // the sum of the grey before each pixel, and of all of them
};

void readGreyRow(const QRgb* pixels, GreyRow& row)
{
    for (std::size_t i = 0; i < row.grey.size(); ++i) {
        row.grey[i] = std::uint8_t(greyOf(pixels[i]));
        row.prefix[i + 1] = row.prefix[i] + row.grey[i];
    }
}

// The weighted grey sum of cell x of a row: its first and last pixels may overlap it in part, those
// between lie whole in it and weigh side each.
std::uint64_t acrossSum(const GreyRow& row, int x, int side)
{
    const auto width = std::int64_t(row.grey.size());
    const SourceSpan span = sourceSpan(x, width, side);
    const std::int64_t last = span.end - 1;
    std::uint64_t sum = std::uint64_t(areaWeight(span.first, x, width, side)) * row.grey[std::size_t(span.first)];
    if (last > span.first) {
        sum += std::uint64_t(areaWeight(last, x, width, side)) * row.grey[std::size_t(last)];
        sum += std::uint64_t(side) * (row.prefix[std::size_t(last)] - row.prefix[std::size_t(span.first + 1)]);
    }
    return sum;
}

// Adds row j of height rows to the side x side cells it overlaps, weighted by the area filter's
// overlaps (area_fit.h), whose weights sum to the picture's area in every cell.
void addToCells(const GreyRow& row, std::int64_t j, std::int64_t height, int side, std::vector<std::uint64_t>& sums)
{
    std::array<std::uint64_t, hashSide> across{};
    for (int x = 0; x < side; ++x)
        across[std::size_t(x)] = acrossSum(row, x, side);
    const SourceSpan spanned = {j * side / height, ((j + 1) * side - 1) / height + 1};
    for (std::int64_t y = spanned.first; y < spanned.end; ++y)
        for (int x = 0; x < side; ++x)
            sums[std::size_t(y * side + x)] += std::uint64_t(areaWeight(j, y, height, side)) * across[std::size_t(x)];
}

// The grey sums of the hash's 32 x 32 cells and of the grey levels' 16 x 16, in one pass of the rows.
struct CellSums {
    std::vector<std::uint64_t> hash = std::vector<std::uint64_t>(hashSide * hashSide);
    std::vector<std::uint64_t> grey = std::vector<std::uint64_t>(greyCells);
};

CellSums cellSumsOf(const QImage& picture)
{
    CellSums sums;
    GreyRow row{std::vector<std::uint8_t>(std::size_t(picture.width())),
                std::vector<std::uint64_t>(std::size_t(picture.width()) + 1)};
    for (int j = 0; j < picture.height(); ++j) {
        readGreyRow(reinterpret_cast<const QRgb*>(picture.constScanLine(j)), row);
        addToCells(row, j, picture.height(), hashSide, sums.hash);
        addToCells(row, j, picture.height(), greySide, sums.grey);
    }
    return sums;
}

// The 63 coefficients T[u][v] = sum over y, x of C[u][y] g[y][x] C[v][x] but T[0][0]; exact in 64 bits.
std::array<std::int64_t, 63> lowFrequencies(const std::vector<std::uint64_t>& sums, std::uint64_t area)
{
    std::int64_t rows[hashSide][8] = {};
    for (int y = 0; y < hashSide; ++y)
        for (int x = 0; x < hashSide; ++x) {
            const auto grey = std::int64_t((sums[std::size_t(y * hashSide + x)] + area / 2) / area);
            for (int v = 0; v < 8; ++v)
                rows[y][v] += grey * cosineTable[v][x];
        }
    std::array<std::int64_t, 63> coefficients{};
    for (int u = 0; u < 8; ++u)
        for (int v = 0; v < 8; ++v) {
            std::int64_t sum = 0;
            for (int y = 0; y < hashSide; ++y)
                sum += cosineTable[u][y] * rows[y][v];
            if (u + v > 0)
                coefficients[std::size_t(8 * u + v - 1)] = sum;
        }
    return coefficients;
}

std::uint64_t hashOf(const std::vector<std::uint64_t>& cellSums, std::uint64_t area)
{
    const std::array<std::int64_t, 63> coefficients = lowFrequencies(cellSums, area);
    std::array<std::int64_t, 63> sorted = coefficients;
    std::nth_element(sorted.begin(), sorted.begin() + 31, sorted.end());
    const std::int64_t median = sorted[31];
    std::uint64_t hash = 0;
    for (std::size_t k = 0; k < coefficients.size(); ++k)
        if (coefficients[k] > median)
            hash |= std::uint64_t(1) << (63 - k);
    return hash;
}

// Cell means in 1/16 grey levels, then d = 256 q - sum q over the root of 256 sum q^2 - (sum q)^2:
// integers exact in a double, one correctly rounded root and division each.
std::array<std::int8_t, greyCells> greyLevelsOf(const std::vector<std::uint64_t>& sums, std::uint64_t area)
{
    std::array<std::int64_t, greyCells> levels{};
    std::int64_t sum = 0, squares = 0;
    for (std::size_t i = 0; i < levels.size(); ++i) {
        levels[i] = std::int64_t((16 * sums[i] + area / 2) / area);
        sum += levels[i];
        squares += levels[i] * levels[i];
    }
    const std::int64_t spread = greyCells * squares - sum * sum;
    std::array<std::int8_t, greyCells> grey{};
    if (spread == 0)
        return grey;
    const double root = std::sqrt(double(spread));
    for (std::size_t i = 0; i < grey.size(); ++i) {
        const double scaled = 32.0 * double(greyCells * levels[i] - sum) / root;
        grey[i] = std::int8_t(std::clamp<long>(std::lround(scaled), -127, 127));
    }
    return grey;
}

} // namespace

Fingerprint fingerprintOf(const QImage& picture)
{
    const QImage opaque = picture.convertToFormat(QImage::Format_RGB32);
    if (opaque.isNull())
        return {};
    const std::uint64_t area = std::uint64_t(opaque.width()) * std::uint64_t(opaque.height());
    const CellSums sums = cellSumsOf(opaque);
    return {hashOf(sums.hash, area), greyLevelsOf(sums.grey, area)};
}

} // namespace velsaro
