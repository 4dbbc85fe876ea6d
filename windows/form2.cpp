#include "windows/form2.h"

#include "controls/decorations.h"
#include "controls/flex_grid.h"
#include "controls/fonts.h"
#include "resources/pictures.h"
#include "windows/main_window_link.h"
#include "controls/window_placement.h"

#include <QPushButton>

#include <cstdint>

namespace velsaro {

Form2::Form2(MainWindowLink& mainWindow) : QWidget(nullptr, fixedWindowFlags()), mainWindow_(mainWindow)
{
    setWindowTitle(QStringLiteral("Claves"));
    setFont(defaultWindowFont());
    setFixedSize(clientWidth, clientHeight);
    centreOnScreen(*this);

    addStretchedPicture(this, QRect(8, 8, 596, 25), resources::titleStripPicture());
    addLabel(this, QStringLiteral("Claves"), QRect(274, 8, 60, 22), titleFont(), Qt::AlignCenter);
    addFrame(this, QRect(8, 8, 596, 236));

    GridClaves = new FlexGrid(this);
    GridClaves->setGeometry(16, 40, 580, 153);
    GridClaves->setFont(defaultWindowFont());
    GridClaves->setRows(2);
    GridClaves->setCols(1);
    GridClaves->setFixedRows(1);
    GridClaves->setFixedCols(0);

    aceptar = new QPushButton(QStringLiteral("Aceptar"), this);
    aceptar->setGeometry(264, 200, 81, 33);
    aceptar->setAutoDefault(false);
    setTabOrder(GridClaves, aceptar);

    connect(aceptar, &QPushButton::clicked, this, &Form2::aceptar_Click);
    connect(GridClaves, &FlexGrid::doubleClicked, this, &Form2::GridClaves_DblClick);
    Form_Load();
}

void Form2::Form_Load()
{
    GridClaves->setColWidth(0, 8700);
    GridClaves->setColAlignment(0, FlexGrid::Centre);
    GridClaves->setRow(0);
    GridClaves->setCol(0);
    GridClaves->setText(QStringLiteral("Estas son las Claves obtenidas"));
}

void Form2::aceptar_Click()
{
    // Closing unloads the window: its grid and colours are gone, the next run builds a fresh one.
    close();
}

void Form2::GridClaves_DblClick()
{
    // Row r holds the key of selector entry r - 1. A row with no entry behind it (the empty rows a
    // second run leaves below the keys, or any row once the images are unloaded) changes nothing.
    const auto entry = std::int16_t(std::int32_t(GridClaves->row()) - 1);
    if (entry < 0 || entry >= mainWindow_.selectorEntryCount())
        return;
    mainWindow_.selectSelectorEntry(entry);
    mainWindow_.bringMainWindowToFront();
}

} // namespace velsaro
