// The colouring of the keys grid: equal keys get the colour of the same row of tablaColores.
#include "app/main_window.h"

#include "windows/form2.h"

namespace velsaro {

void Form1::coloreaClaves()
{
    const int count = modoUnaSola ? 1 : numImgs;
    form2.show();

    for (auto& row : tablaColores)
        row[0].clear();
    std::int16_t distinct = 0;
    for (int i = 0; i < count; ++i) {
        bool seen = false;
        for (int row = 0; row < count; ++row)
            seen = seen || claves[i] == tablaColores[row][0];
        if (!seen)
            tablaColores[distinct++][0] = claves[i];
    }
    numClavesDistintas = distinct;

    for (int i = 0; i < count; ++i)
        form2->colourKey(i + 1, colorDeClave(claves[i]));
}

std::int32_t Form1::colorDeClave(const QString& clave) const
{
    std::int32_t colour = 0;
    for (int row = 0; row < numClavesDistintas; ++row)
        if (tablaColores[row][0] == clave)
            colour = tablaColores[row][1].toInt();
    return colour;
}

} // namespace velsaro
