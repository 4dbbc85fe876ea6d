#include "controls/fonts.h"

#include <QStringList>

#include <cmath>

namespace velsaro {

void installFontSubstitutes()
{
    // Liberation Sans and Serif share the metrics of the Windows sans and serif faces, so widths come
    // out as designed; DejaVu Sans was drawn after the same wide, open model as Verdana.
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                               QStringList{QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    QFont::insertSubstitutions(QStringLiteral("Times New Roman"),
                               QStringList{QStringLiteral("Liberation Serif"), QStringLiteral("DejaVu Serif")});
    QFont::insertSubstitutions(QStringLiteral("Verdana"),
                               QStringList{QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans")});
}

QFont namedFont(const QString& family, double points, bool bold)
{
    QFont font(family);
    font.setPixelSize(int(std::lround(points * 96.0 / 72.0)));
    font.setBold(bold);
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

QFont defaultWindowFont() { return namedFont(QStringLiteral("MS Sans Serif"), 8.25); }

QFont titleFont() { return namedFont(QStringLiteral("Times New Roman"), 15.75); }

QFont verdanaFont(bool bold) { return namedFont(QStringLiteral("Verdana"), 9.0, bold); }

} // namespace velsaro
