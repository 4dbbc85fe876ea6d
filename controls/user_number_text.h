// Numbers as the user's system writes them: the program's two-decimal text with the decimal separator
// of the system's locale (a comma under Spanish conventions, a point under English or C).
#pragma once

#include <QLocale>
#include <QString>

namespace velsaro {

// value rounded to 2 decimals, halves to even, in the general number format (no trailing zeros, no
// exponent, never "-0"), with the decimal separator of locale. Digits and the minus sign stay ASCII,
// whatever the locale writes them as elsewhere.
QString twoDecimalUserText(double value, const QLocale& locale = QLocale::system());

} // namespace velsaro
