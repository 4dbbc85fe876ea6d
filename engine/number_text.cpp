#include "engine/number_text.h"

#include <cstdio>

namespace velsaro {

std::string twoDecimalText(double value, char decimalSeparator)
{
    // printf rounds the exact binary value to two decimals, ties to even under the default rounding
    // mode, and never switches to an exponent with %f.
    char buffer[400];
    std::snprintf(buffer, sizeof buffer, "%.2f", value);
    std::string text = buffer;

    const std::size_t point = text.find('.');
    std::size_t end = text.size();
    while (end > point + 1 && text[end - 1] == '0')
        --end;
    if (end == point + 1)
        end = point;
    text.resize(end);
    if (point < text.size())
        text[point] = decimalSeparator;

    if (text == "-0")
        text = "0";
    return text;
}

} // namespace velsaro
