#include "engine/key_engine.h"

#include "engine/mask_transform.h"

#include <cmath>
#include <stdexcept>

namespace velsaro {

namespace detail {

std::vector<double> cosineTable(int n)
{
    std::vector<double> table(n * n);
    for (int i = 0; i < n; ++i)
        for (int k = 0; k < n; ++k)
            table[i * n + k] = std::cos(((k * piPrime) * (2 * i + 1)) / (2 * n));
    return table;
}

} // namespace detail

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

std::vector<double> maskSamples(const PixelReader& readPixel, PixelPosition corner, int n)
{
    std::vector<double> samples(n * n);
    for (int x = 0; x < n; ++x)
        for (int y = 0; y < n; ++y)
            samples[x * n + y] = readPixel(corner.x + x, corner.y + y);
    return samples;
}

} // namespace

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

LevelResult computeLevel(int n, const PixelReader& readPixel, const EngineOptions& options)
{
    if (n != 4 && n != 8 && n != 16)
        throw std::invalid_argument("mask size must be 4, 8 or 16");

    LevelResult level;
    level.n = n;
    level.divisores = calculaDivisores(n);
    level.coeficientes.assign(9 * n * n, 0.0);

    const double c0 = std::sqrt(1.0 / n);
    const double c1 = std::sqrt(2.0 / n);
    const MeshGeometry mesh = meshGeometry(options.width, options.height, n);
    const std::vector<double> cosines = detail::cosineTable(n);
    const detail::MaskSumsKernel maskSums = detail::maskSumsKernel(options.kernel);
    std::vector<double> sums(n * n);

    for (int j = 0; j < 9; ++j) {
        if (options.maskStarting)
            options.maskStarting(j);
        const std::vector<double> samples = maskSamples(readPixel, mesh.maskCorner(j), n);
        maskSums(n, samples.data(), cosines.data(), sums.data());

        double acc = 0;
        for (int u = 0; u < n; ++u) {
            for (int v = 0; v < n; ++v) {
                double& coefficient = level.coeficientes[(j * n + u) * n + v];
                coefficient = sums[u * n + v] * scaleFactor(u, v, c0, c1);
                coefficient = coefficient / level.divisores[u * n + v];
                acc = acc + coefficient;
            }
        }
        level.matrizP[j / 3][j % 3] = acc / (n * n);
    }
    calculaMatrizS(level);
    return level;
}

std::string levelKeyText(const LevelResult& level)
{
    std::string text;
    for (std::int16_t code : level.codes)
        text += std::to_string(code) + ".";
    return text;
}

Key computeKey(const PixelReader& readPixel, const EngineOptions& options)
{
    Key key;
    for (std::size_t i = 0; i < levelMaskSizes.size(); ++i) {
        key.levels[i] = computeLevel(levelMaskSizes[i], readPixel, options);
        key.text += levelKeyText(key.levels[i]);
    }
    return key;
}

std::array<int, 27> Key::codes() const
{
    std::array<int, 27> all{};
    for (std::size_t i = 0; i < levels.size(); ++i)
        for (std::size_t k = 0; k < 9; ++k)
            all[i * 9 + k] = levels[i].codes[k];
    return all;
}

} // namespace velsaro
