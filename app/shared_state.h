// The state the main window holds for the whole run and every part of the program shares: the loaded
// images, the modes, the walkthrough's stage, the keys and their colours, and the arrays of the last
// level computed.
#pragma once

#include <QString>

#include <array>
#include <cstdint>
#include <vector>

namespace velsaro {

struct SharedState {
    static constexpr int maxImages = 8;

    std::int16_t numImgs = 0;   // loaded images, 1..8 after a successful load
    bool modoUnaSola = false;   // a "Normal" run is under way
    bool modoPaso = false;      // the walkthrough is under way
    std::int16_t pasoActual = 1; // the stage the next step performs, 1..15

    // Key of image i + 1 in entry i.
    std::array<QString, maxImages> claves;
    // Column 1: the colour of row i as the decimal text of a colour number; column 0: the distinct keys.
    std::array<std::array<QString, 2>, maxImages> tablaColores;
    std::int16_t numClavesDistintas = 0;

    // The last level computed, as the engine lays them out: divisores (u, v) at u * N + v,
    // coeficientes (j, u, v) at (j * N + u) * N + v.
    std::vector<std::int32_t> divisores;
    std::vector<double> coeficientes;
    std::array<std::array<double, 3>, 3> matrizP{};
    std::array<std::array<std::int16_t, 9>, 9> matrizS{};
};

} // namespace velsaro
