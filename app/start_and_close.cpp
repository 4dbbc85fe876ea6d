// Form1's start-up state and its closing.
#include "app/main_window.h"

#include "app/walkthrough_stages.h"
#include "controls/list_box.h"
#include "controls/progress_bar.h"
#include "windows/form2.h"
#include "windows/form3.h"
#include "windows/form_clave_sola.h"

#include <QCloseEvent>

namespace velsaro {

namespace {

// Row i's colour as blue x 65536 + green x 256 + red: blue, red, green, white, yellow, cyan, magenta
// and a green dark enough to need white text.
constexpr std::array<std::int32_t, SharedState::maxImages> rowColours = {
    0xFF0000, 0x0000FF, 0x00FF00, 0xFFFFFF, 0x00FFFF, 0xFFFF00, 0xFF00FF, 0x000800};

} // namespace

void Form1::Form_Load()
{
    modoUnaSola = false;
    modoPaso = false;
    numClavesDistintas = 0;
    pasoActual = 1;

    ProgressBar1->setMin(1);
    ProgressBar1->setMax(10);

    for (int row = 0; row < maxImages; ++row)
        tablaColores[row][1] = QString::number(rowColours[row]);

    for (const char* row : stageListStartRows)
        List1->addItem(QString::fromUtf8(row));
    List1->setSelected(0, true);

    // Nothing is loaded yet: "Cargar Imagen" is the only action open to the user.
    updateEnabledStates();
}

void Form1::Form_Unload()
{
    form3.unload();
    form2.unload();
    formClaveSola.unload();
}

void Form1::closeEvent(QCloseEvent* event)
{
    // Closing the main window never asks: the other windows go with it and the program ends.
    Form_Unload();
    event->accept();
}

} // namespace velsaro
