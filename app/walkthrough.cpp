// "Paso a Paso": the fifteen stages that compute the key of the image on show one level at a time,
// with the mesh drawn over the image, a description of each stage and the stage list highlighted.
#include "app/main_window.h"

#include "app/walkthrough_stages.h"
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
    const WalkthroughStage& first = *walkthroughStage(1);
    addMeshSlot(first.meshEntry, QString::fromLatin1(first.meshKey));
}

void Form1::bPasoPaso_Click()
{
    const WalkthroughStage* stage = walkthroughStage(pasoActual);
    if (!stage)
        return;
    // The selector is disabled for the whole walkthrough, so every stage sees the image chosen
    // before "Paso a Paso".
    const std::int16_t image = selectedImageNumber();
    if (pasoActual == walkthroughStageCount) {
        endWalkthrough(*stage, image);
        return;
    }
    performStage(*stage, image);
    ++pasoActual;
    // The click areas open and close with the stage now waiting for its press.
    updateEnabledStates();
}

void Form1::performStage(const WalkthroughStage& stage, std::int16_t image)
{
    Label7->setText(utf8(stage.description));
    if (stage.levelRowText)
        List1->setItemText(levelRow, utf8(stage.levelRowText));
    if (stage.addedRow)
        List1->addItem(utf8(stage.addedRow));
    if (stage.meshEntry > 0) {
        replaceMeshSlot(stage.meshEntry, QString::fromLatin1(stage.meshKey));
        showMesh(image);
    }
    // The computation keeps the window from repainting until it ends; the user reads what it does.
    if (stage.maskSize > 0)
        Label7->repaint();
    highlightStageRow(stage.highlightedRow);
    if (stage.maskSize > 0)
        bTodas_Click();
}

std::int16_t Form1::selectedImageNumber() const
{
    // Every entry reads number, ":", file name; the number finds the image even when the file name
    // itself holds a colon.
    return std::int16_t(co->text().section(QLatin1Char(':'), 0, 0).toShort());
}

void Form1::highlightStageRow(int row)
{
    // One row is highlighted at a time, and it is the current one.
    const int current = List1->listIndex();
    if (current == row)
        return;
    List1->setSelected(current, false);
    List1->setSelected(row, true);
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

void Form1::endWalkthrough(const WalkthroughStage& last, std::int16_t image)
{
    ImageList1.remove(numImgs + 1);
    Picture1->setPicture(ImageList1.item(image).picture);
    modoPaso = false;
    pasoActual = 1;
    updateEnabledStates();
    ProgressBar1->setValue(1);
    List1->setItemText(levelRow, utf8(last.levelRowText));
    highlightStageRow(last.highlightedRow);
    // The stage list is back to its start-up rows.
    List1->removeItem(int(stageListStartRows.size()));
    Label7->setText(utf8(last.description));
    // A window opened afresh since the last level shows the whole key too.
    formClaveSola->LClave->setItemText(0, clavePaso_);
    formClaveSola.show();
}

} // namespace velsaro
