// The fonts the windows name. Their families are not installed on a free desktop, so each name is
// mapped to the closest free family; sizes are fixed in pixels as on a 96 dpi screen, because every
// control has a fixed pixel size that the text must fit on any screen.
#pragma once

#include <QFont>
#include <QString>

namespace velsaro {

// Maps "MS Sans Serif", "Times New Roman", "Verdana" (and the other names the windows use) to the free
// families the install script brings. Call once, after the application object exists.
void installFontSubstitutes();

// The named family at a size in points, as it would be shown at 96 dots per inch.
QFont namedFont(const QString& family, double points, bool bold = false);

// The windows' default font ("MS Sans Serif" 8.25 pt), the title font ("Times New Roman" 15.75 pt)
// and the text font of the walkthrough ("Verdana" 9 pt).
QFont defaultWindowFont();
QFont titleFont();
QFont verdanaFont(bool bold = false);

} // namespace velsaro
