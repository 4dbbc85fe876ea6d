#include "engine/key_engine.h"

#include "engine/cosine_table.inc"
#include "engine/mask_transform.h"

#include <charconv>
#include <cmath>
#include <stdexcept>

namespace velsaro {

namespace {

// Scale of coefficient (u, v): a(u) x a(v) with a(0) = sqrt(1 / N) and a(k) = sqrt(2 / N) otherwise.
double scaleFactor(int u, int v, double c0, double c1)
{
    if (u == 0 && v == 0)
        return c0 * c0;
    if (u == 0 || v == 0)
        return c1 * c0;
    return c1 * c1;
}

detail::LevelTables makeLevelTables(int n)
{
    detail::LevelTables tables;
    tables.n = n;
    const double* cosines = n == 4 ? detail::cosines4 : n == 8 ? detail::cosines8 : detail::cosines16;
    tables.cosines.assign(cosines, cosines + n * n);

    const double c0 = std::sqrt(1.0 / n);
    const double c1 = std::sqrt(2.0 / n);
    tables.divisores = calculaDivisores(n);
    tables.scales.resize(n * n);
    for (int u = 0; u < n; ++u)
        for (int v = 0; v < n; ++v)
            tables.scales[u * n + v] = scaleFactor(u, v, c0, c1) / tables.divisores[u * n + v];
    return tables;
}

void readMask(PixelReader readPixel, PixelPosition corner, int n, double* samples)
{
    for (int x = 0; x < n; ++x)
        for (int y = 0; y < n; ++y)
            samples[x * n + y] = readPixel(corner.x + x, corner.y + y);
}

// The masks of one intersection are nested squares: the n x n mask is the middle of the largest one.
const double* cutMask(const double* largest, int n, double* samples)
{
    const int largestN = largestMaskSize;
    if (n == largestN)
        return largest;
    const int offset = (largestN - n) / 2;
    for (int x = 0; x < n; ++x)
        for (int y = 0; y < n; ++y)
            samples[x * n + y] = largest[(x + offset) * largestN + y + offset];
    return samples;
}

void appendCodeText(int code, std::string& text)
{
    char digits[8];
    const auto end = std::to_chars(digits, digits + sizeof digits, code).ptr;
    text.append(digits, end);
    text += '.';
}

// matrizP(r, c) = the mean of the divided coefficients of mask j = 3r + c, summed in (u, v) order.
// The nine sums advance side by side so that their additions overlap; each keeps its own order.
void averageCoefficients(LevelResult& level)
{
    const int count = level.n * level.n;
    std::array<double, 9> acc{};
    for (int i = 0; i < count; ++i)
        for (int j = 0; j < 9; ++j)
            acc[j] = acc[j] + level.coeficientes[j * count + i];
    for (int j = 0; j < 9; ++j)
        level.matrizP[j / 3][j % 3] = acc[j] / count;
}

} // namespace

namespace detail {

const LevelTables& levelTables(int n)
{
    static const std::array<LevelTables, 3> tables = {makeLevelTables(4), makeLevelTables(8),
                                                      makeLevelTables(16)};
    return tables[n == 4 ? 0 : n == 8 ? 1 : 2];
}

} // namespace detail

std::vector<std::int32_t> calculaDivisores(int n)
{
    std::vector<std::int32_t> divisores(n * n);
    std::int32_t w = 1;
    for (int u = 0; u < n; ++u) {
        const int limit = u <= 1 ? 2 : u + 1;
        std::int32_t c = 1;
        if (u >= 2) {
            w *= 2;
            c = w;
        }
        for (int v = 0; v < n; ++v) {
            if (u == 0 && v == 0) {
                divisores[u * n + v] = 1;
            } else if (v < limit) {
                divisores[u * n + v] = c;
            } else {
                c *= 2;
                divisores[u * n + v] = c;
            }
        }
    }
    return divisores;
}

namespace {

// sampleMask(j, scratch) gives the samples of mask j, in the N x N scratch buffer or elsewhere.
template <typename MaskSampler>
LevelResult transformLevel(int n, const MaskSampler& sampleMask, const EngineOptions& options)
{
    if (n != 4 && n != 8 && n != 16)
        throw std::invalid_argument("mask size must be 4, 8 or 16");

    const detail::LevelTables& tables = detail::levelTables(n);
    LevelResult level;
    level.n = n;
    level.divisores = tables.divisores;
    level.coeficientes.resize(9 * n * n);

    const detail::MaskKernel transform = detail::maskKernel(options.kernel);
    std::array<double, largestMaskSize * largestMaskSize> scratch;
    for (int j = 0; j < 9; ++j) {
        if (options.maskStarting)
            options.maskStarting(j);
        const double* samples = sampleMask(j, scratch.data());
        transform(n, samples, tables.cosines.data(), tables.scales.data(),
                  level.coeficientes.data() + j * n * n);
    }
    averageCoefficients(level);
    calculaMatrizS(level);
    return level;
}

} // namespace

LevelResult computeLevel(int n, const PixelReader& readPixel, const EngineOptions& options)
{
    const MeshGeometry mesh = meshGeometry(options.width, options.height, n);
    return transformLevel(
        n,
        [&](int j, double* samples) {
            readMask(readPixel, mesh.maskCorner(j), n, samples);
            return samples;
        },
        options);
}

std::string levelKeyText(const LevelResult& level)
{
    std::string text;
    for (std::int16_t code : level.codes)
        appendCodeText(code, text);
    return text;
}

std::string keyText(const KeyCodes& codes)
{
    std::string text;
    text.reserve(codes.size() * 4);
    for (std::uint8_t code : codes)
        appendCodeText(code, text);
    return text;
}

Key keyOfLargestMasks(const LargestMasks& samples, const EngineOptions& options)
{
    const int maskArea = largestMaskSize * largestMaskSize;
    Key key;
    for (std::size_t i = 0; i < levelMaskSizes.size(); ++i) {
        const int n = levelMaskSizes[i];
        key.levels[i] = transformLevel(
            n, [&](int j, double* scratch) { return cutMask(samples.data() + j * maskArea, n, scratch); },
            options);
    }
    key.text = keyText(key.codes());
    return key;
}

KeyCodes Key::codes() const
{
    KeyCodes all{};
    for (std::size_t i = 0; i < levels.size(); ++i)
        for (std::size_t k = 0; k < 9; ++k)
            all[i * 9 + k] = std::uint8_t(levels[i].codes[k]);
    return all;
}

} // namespace velsaro
