// Numbers as the program writes them for the user.
#pragma once

#include <string>

namespace velsaro {

// The value rounded to 2 decimals, halves to even on the exact binary value, in the general number
// format: no trailing zeros, no exponent, "-" only for a negative value that does not round to zero,
// and the given decimal separator ("12,5" for 12.504 with a comma, "0" for -0.001).
std::string twoDecimalText(double value, char decimalSeparator);

} // namespace velsaro
