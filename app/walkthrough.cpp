// "Paso a Paso": the fifteen stages that compute the key of the image on show one level at a time,
// with the mesh drawn over the image, a description of each stage and the stage list highlighted.
#include "app/main_window.h"

#include "controls/combo_box.h"
#include "controls/list_box.h"
#include "controls/picture_box.h"
#include "controls/picture_button.h"
#include "controls/progress_bar.h"
#include "windows/form_clave_sola.h"

#include <QLabel>
#include <QPushButton>

namespace velsaro {

namespace {

const char* const d1 = "Se calculan las intersecciones para una malla de tamaño 3x3";
const char* const d2 = "Se calculan las posiciones de las máscaras a aplicar en cada intersección. En este paso es el "
                       "nivel 1, por tanto, máscaras de 4x4";
const char* const d3 = "Cálculo de la DCT de todas las máscaras y obtención de los coeficientes";
const char* const d4 = "Cálculo de la matríz 'P' con los promedios de los coeficientes de cada máscara";
const char* const d5 = "Cálculo de la matríz 'S' a partir de la 'P' hallada en el paso anterior. Ahora puede "
                       "seleccionar cualquier intersección para ver los resultados intermedios";
const char* const d6 = "Se calculan las posiciones de las máscaras a aplicar en cada intersección. Este es el "
                       "segundo nivel (2), por tanto, máscaras de 8x8";
const char* const d7 = "Se calculan las posiciones de las máscaras a aplicar en cada intersección. En este último "
                       "nivel 3, las máscaras son de 16x16";
const char* const d8 = "Composición de todos los elementos de las matrices 'S' ya halladas (para los tres niveles) "
                       "para formar la clave de la imagen";

const char* const nivel1 = "   Nivel: 1 -> Máscaras 4x4";
const char* const nivel2 = "   Nivel: 2 -> Máscaras 8x8";
const char* const nivel3 = "   Nivel: 3 -> Máscaras 16x16";
const char* const composicion = "Composición de la Clave";

QString utf8(const char* text) { return QString::fromUtf8(text); }

} // namespace

void Form1::connectWalkthrough()
{
    connect(bPaso, &QPushButton::clicked, this, &Form1::bPaso_Click);
    connect(bPasoPaso, &PictureButton::clicked, this, &Form1::bPasoPaso_Click);
}

void Form1::bPaso_Click()
{
    clavePaso_.clear();
    formClaveSola->LClave->clear();
    modoPaso = true;
    updateEnabledStates();
    // The next step is what the user does now: Space or Enter presses it.
    bPasoPaso->setFocus(Qt::OtherFocusReason);
    ProgressBar1->setValue(1);
    addMeshSlot(1, QStringLiteral("malla"));
}

void Form1::bPasoPaso_Click()
{
    // The selector is disabled for the whole walkthrough, so every stage sees the image chosen
    // before "Paso a Paso".
    const std::int16_t image = selectedImageNumber();
    const std::int16_t stage = pasoActual;
    switch (stage) {
    case 1:
        showMesh(image);
        Label7->setText(utf8(d1));
        break;
    case 2:
        Label7->setText(utf8(d2));
        replaceMeshSlot(2, QStringLiteral("malla4"));
        showMesh(image);
        advanceHighlight(1);
        break;
    case 3:
    case 7:
    case 11:
        computeStageLevel();
        break;
    case 4:
    case 8:
    case 12:
        advanceHighlight(1);
        Label7->setText(utf8(d4));
        break;
    case 5:
    case 9:
        advanceHighlight(1);
        Label7->setText(utf8(d5));
        break;
    case 6:
        Label7->setText(utf8(d6));
        List1->setItemText(1, utf8(nivel2));
        replaceMeshSlot(3, QStringLiteral("malla8"));
        showMesh(image);
        advanceHighlight(2);
        break;
    case 10:
        Label7->setText(utf8(d7));
        List1->setItemText(1, utf8(nivel3));
        replaceMeshSlot(4, QStringLiteral("malla16"));
        showMesh(image);
        advanceHighlight(2);
        break;
    case 13:
        advanceHighlight(1);
        Label7->setText(utf8(d5));
        List1->addItem(utf8(composicion));
        break;
    case 14:
        Label7->setText(utf8(d8));
        advanceHighlight(1);
        break;
    case 15:
        endWalkthrough(image);
        break;
    default:
        return;
    }
    pasoActual = stage == 15 ? 1 : stage + 1;
    // After stages 5, 9 and 13 the click areas open; the next press closes them.
    updateEnabledStates();
}

std::int16_t Form1::selectedImageNumber() const
{
    // Every entry reads number, ":", file name; the number finds the image even when the file name
    // itself holds a colon.
    return std::int16_t(co->text().section(QLatin1Char(':'), 0, 0).toShort());
}

void Form1::advanceHighlight(int k)
{
    const int current = List1->listIndex();
    List1->setSelected(current % List1->listCount(), false);
    List1->setSelected((List1->listIndex() + k) % List1->listCount(), true);
}

void Form1::addMeshSlot(int meshEntry, const QString& key)
{
    // A loaded file may carry the mesh's name. The slot is always found by its index, so it then
    // goes without a key rather than stop the walkthrough on a key already in use.
    const QString slotKey = ImageList1.containsKey(key) ? QString() : key;
    ImageList1.add(numImgs + 1, slotKey, ImageList2.item(meshEntry).picture);
}

void Form1::replaceMeshSlot(int meshEntry, const QString& key)
{
    ImageList1.remove(numImgs + 1);
    addMeshSlot(meshEntry, key);
}

void Form1::showMesh(std::int16_t image)
{
    // Over the whole drawing area, not the picture alone: the masks read the same pixels as
    // without the mesh whatever the picture's size, so the walkthrough composes the key of "Normal".
    Picture1->setPicture(ImageList1.overlayOnArea(image, numImgs + 1, Picture1->drawingAreaSize(),
                                                  Picture1->backgroundColour()));
}

void Form1::computeStageLevel()
{
    Label7->setText(utf8(d3));
    // The computation keeps the window from repainting until it ends; the user reads what it does.
    Label7->repaint();
    advanceHighlight(1);
    bTodas_Click();
}

void Form1::endWalkthrough(std::int16_t image)
{
    ImageList1.remove(numImgs + 1);
    Picture1->setPicture(ImageList1.item(image).picture);
    modoPaso = false;
    pasoActual = 1;
    updateEnabledStates();
    ProgressBar1->setValue(1);
    List1->setItemText(1, utf8(nivel1));
    advanceHighlight(1);
    List1->removeItem(5);
    Label7->clear();
    // A window opened afresh since the last level shows the whole key too.
    formClaveSola->LClave->setItemText(0, clavePaso_);
    formClaveSola.show();
}

} // namespace velsaro
