// The tests' seam into the main window: Form1 as the program creates it, with the state and the
// handlers the tests set up and look at made reachable by their own names. Form1 names this class its
// friend; nothing else of the program can reach them.
#pragma once

#include "app/main_window.h"

namespace velsaro::testing {

class Form1Access : public Form1 {
public:
    using Form1::Form1;

    // The shared state.
    using Form1::numImgs;
    using Form1::modoUnaSola;
    using Form1::modoPaso;
    using Form1::pasoActual;
    using Form1::claves;
    using Form1::tablaColores;
    using Form1::numClavesDistintas;
    using Form1::divisores;
    using Form1::coeficientes;
    using Form1::matrizP;
    using Form1::matrizS;

    // The loaded pictures and the mesh pictures.
    using Form1::ImageList1;
    using Form1::ImageList2;

    // Procedures the tests run without a click: the driver in states no button reaches, and the
    // colouring of keys they place in the grid themselves.
    using Form1::bTodas_Click;
    using Form1::coloreaClaves;
    using Form1::colorDeClave;
};

} // namespace velsaro::testing
