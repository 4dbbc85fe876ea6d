#include "tests/engine/literal_key.h"

#include <cmath>
#include <string>

namespace velsaro::testing {

namespace {

std::int16_t toInt16(double value) { return static_cast<std::int16_t>(std::nearbyint(value)); }

std::int32_t literalDivisor(int u, int v)
{
    if (u == 0 && v == 0)
        return 1;
    const int m = u > v ? u : v;
    return static_cast<std::int32_t>(std::pow(2.0, m - 1));
}

// Every neighbour bit says whether its average is smaller than the intersection's own; a neighbour
// off the mesh counts as an average of 0.
void literalComparison(LevelResult& level)
{
    static const int weights[9] = {128, 64, 32, 16, 0, 8, 4, 2, 1};
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) {
            const int k = 3 * r + c;
            int code = 0;
            for (int n = 0; n < 9; ++n) {
                const int l = r - 1 + n / 3;
                const int m = c - 1 + n % 3;
                const bool onMesh = l >= 0 && l < 3 && m >= 0 && m < 3;
                const double neighbour = onMesh ? level.matrizP[l][m] : 0.0;
                int digit = neighbour < level.matrizP[r][c] ? 1 : 0;
                if (n == 4)
                    digit = -1;
                level.matrizS[k][n] = static_cast<std::int16_t>(digit);
                if (n != 4)
                    code += digit * weights[n];
            }
            level.codes[k] = static_cast<std::int16_t>(code);
        }
    }
}

} // namespace

LevelResult literalLevel(int n, const PixelReader& readPixel, double width, double height)
{
    LevelResult level;
    level.n = n;
    level.coeficientes.assign(9 * n * n, 0.0);
    level.divisores.resize(n * n);
    for (int u = 0; u < n; ++u)
        for (int v = 0; v < n; ++v)
            level.divisores[u * n + v] = literalDivisor(u, v);

    const double c0 = std::sqrt(1.0 / n);
    const double c1 = std::sqrt(2.0 / n);
    const std::int16_t wq = toInt16(width / 4);
    const std::int16_t hq = toInt16(height / 4);
    std::int16_t x0 = toInt16(wq - n / 2.0);
    std::int16_t y0 = toInt16(hq - n / 2.0);

    for (int j = 0; j < 9; ++j) {
        double acc = 0;
        for (int u = 0; u < n; ++u) {
            for (int v = 0; v < n; ++v) {
                const double g = (u == 0 ? c0 : c1) * (v == 0 ? c0 : c1);
                double s = 0;
                for (int x = 0; x < n; ++x) {
                    for (int y = 0; y < n; ++y) {
                        const double p = readPixel(x0 + x, y0 + y);
                        const double cx = std::cos(((u * 3.141592) * (2 * x + 1)) / (2 * n));
                        const double cy = std::cos(((v * 3.141592) * (2 * y + 1)) / (2 * n));
                        s = (p * cx) * cy + s;
                    }
                }
                double coefficient = s * g;
                coefficient = coefficient / level.divisores[u * n + v];
                level.coeficientes[(j * n + u) * n + v] = coefficient;
                acc = acc + coefficient;
            }
        }
        level.matrizP[j / 3][j % 3] = acc / (n * n);

        x0 = static_cast<std::int16_t>(x0 + wq);
        if (j == 2 || j == 5) {
            x0 = static_cast<std::int16_t>(x0 - 3 * wq);
            y0 = static_cast<std::int16_t>(y0 + hq);
        }
    }
    literalComparison(level);
    return level;
}

Key literalKey(const PixelReader& readPixel, double width, double height)
{
    Key key;
    for (int i = 0; i < 3; ++i) {
        key.levels[i] = literalLevel(4 << i, readPixel, width, height);
        for (std::int16_t code : key.levels[i].codes)
            key.text += std::to_string(code) + ".";
    }
    return key;
}

} // namespace velsaro::testing
