#include "engine/number_text.h"

#include <algorithm>
#include <cstdio>
#include <string_view>

namespace velsaro {

std::string twoDecimalText(double value, char decimalSeparator)
{
    // printf rounds the exact binary value to two decimals, ties to even under the default rounding
    // mode, and never switches to an exponent with %f.
    char buffer[400];
    const int length = std::snprintf(buffer, sizeof buffer, "%.2f", value);
    std::string_view text(buffer, std::size_t(std::max(length, 0)));

    // Trailing zeros of the decimals go, and the point with them when none is left.
    const std::size_t point = text.find('.');
    if (point != std::string_view::npos) {
        text = text.substr(0, text.find_last_not_of('0') + 1);
        if (text.size() == point + 1)
            text = text.substr(0, point);
    }
    if (text == "-0")
        return "0";

    std::string shown(text);
    if (point < shown.size())
        shown[point] = decimalSeparator;
    return shown;
}

} // namespace velsaro
