// Matrix S and the codes: each intersection's average compared with its eight neighbours.
#include "engine/key_engine.h"

namespace velsaro {

namespace {

bool isOnMesh(int row, int column) { return row >= 0 && row <= 2 && column >= 0 && column <= 2; }

// 1 when the neighbour (l, m) counts as smaller than the intersection (r, c), -1 for the intersection
// itself. A neighbour off the mesh counts as an average of 0.
std::int16_t comparisonDigit(const std::array<std::array<double, 3>, 3>& p, int r, int c, int l, int m)
{
    if (!isOnMesh(l, m))
        return p[r][c] > 0 ? 1 : 0;
    if (l == r && m == c)
        return -1;
    return p[l][m] < p[r][c] ? 1 : 0;
}

} // namespace

std::int16_t binarioADecimal(const std::string& digits)
{
    std::int32_t value = 0;
    const int length = static_cast<int>(digits.size());
    for (int i = 0; i < length; ++i) {
        const double digit = digits[length - 1 - i] - '0';
        value = static_cast<std::int32_t>(digit * static_cast<double>(1 << i) + value);
    }
    return static_cast<std::int16_t>(value);
}

void calculaMatrizS(LevelResult& level)
{
    int k = 0;
    for (int r = 0; r <= 2; ++r) {
        for (int c = 0; c <= 2; ++c) {
            std::string digits;
            int n = 0;
            for (int l = r - 1; l <= r + 1; ++l) {
                for (int m = c - 1; m <= c + 1; ++m) {
                    level.matrizS[k][n] = comparisonDigit(level.matrizP, r, c, l, m);
                    digits += std::to_string(level.matrizS[k][n]);
                    ++n;
                }
            }
            // The centre's "-1" stands at characters 5 and 6; the eight neighbours' digits remain.
            level.codes[k] = binarioADecimal(digits.substr(0, 4) + digits.substr(6, 4));
            ++k;
        }
    }
}

} // namespace velsaro
