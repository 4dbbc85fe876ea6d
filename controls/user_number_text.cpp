#include "controls/user_number_text.h"

#include "engine/number_text.h"

namespace velsaro {

QString twoDecimalUserText(double value, const QLocale& locale)
{
    // The engine writes a point; the locale's separator may be more than one byte (Arabic, Persian),
    // so it is put in afterwards rather than passed down as a char.
    QString text = QString::fromStdString(twoDecimalText(value, '.'));
    text.replace(QLatin1Char('.'), locale.decimalPoint());
    return text;
}

} // namespace velsaro
