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
    // Integer arithmetic: every partial value is a whole number far below 2^31, so summing the digits'
    // weights as integers gives exactly what summing them as reals and rounding would.
    std::int32_t value = 0;
    const int length = static_cast<int>(digits.size());
    for (int i = 0; i < length; ++i)
        value = (digits[length - 1 - i] - '0') * (std::int32_t{1} << i) + value;
    return static_cast<std::int16_t>(value);
}

void calculaMatrizS(LevelResult& level)
{
    int k = 0;
    for (int r = 0; r <= 2; ++r) {
        for (int c = 0; c <= 2; ++c) {
            // The digits' text, "-1" for the centre: ten characters for nine entries.
            char digits[10];
            int length = 0;
            int n = 0;
            for (int l = r - 1; l <= r + 1; ++l) {
                for (int m = c - 1; m <= c + 1; ++m) {
                    const std::int16_t digit = comparisonDigit(level.matrizP, r, c, l, m);
                    level.matrizS[k][n] = digit;
                    if (digit < 0)
                        digits[length++] = '-';
                    digits[length++] = digit == 0 ? '0' : '1';
                    ++n;
                }
            }
            // The centre's "-1" stands at characters 5 and 6; the eight neighbours' digits remain.
            std::string neighbours(digits, 4);
            neighbours.append(digits + 6, 4);
            level.codes[k] = binarioADecimal(neighbours);
            ++k;
        }
    }
}

} // namespace velsaro
