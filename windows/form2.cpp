#include "windows/form2.h"

#include "controls/command_button.h"
#include "controls/decorations.h"
#include "controls/flex_grid.h"
#include "controls/fonts.h"
#include "controls/window_placement.h"
#include "resources/pictures.h"
#include "windows/main_window_link.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QPushButton>

#include <cstdint>

namespace velsaro {

namespace {

const char keysHeader[] = "Estas son las Claves obtenidas";

// The two dark colours, on which black text cannot be read.
constexpr std::int32_t darkGreen = 2048;
constexpr std::int32_t blue = 16711680;
constexpr std::int32_t white = 16777215;

} // namespace

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
    // A key of 27 three-digit codes is a few pixels wider than the column in the free substitute of
    // the grid's font; letters 2 % closer keep every key whole, as in the single-key window.
    QFont keyFont = defaultWindowFont();
    keyFont.setLetterSpacing(QFont::PercentageSpacing, 98);
    GridClaves->setFont(keyFont);
    shapeGrid();

    aceptar = addButton(this, QStringLiteral("Aceptar"), QRect(264, 200, 81, 33));
    setTabOrder(GridClaves, aceptar);

    auto* copiarClave = new QAction(QStringLiteral("Copiar clave"), GridClaves);
    copiarClave->setShortcut(QKeySequence::Copy);
    auto* copiarTodas = new QAction(QStringLiteral("Copiar todas las claves"), GridClaves);
    GridClaves->addActions({copiarClave, copiarTodas});
    GridClaves->setContextMenuPolicy(Qt::ActionsContextMenu);

    connect(aceptar, &QPushButton::clicked, this, &Form2::aceptar_Click);
    connect(GridClaves, &FlexGrid::doubleClicked, this, &Form2::GridClaves_DblClick);
    connect(copiarClave, &QAction::triggered, this, &Form2::copyCurrentKey);
    connect(copiarTodas, &QAction::triggered, this, &Form2::copyAllKeys);
    Form_Load();
}

void Form2::shapeGrid()
{
    GridClaves->setRows(2);
    GridClaves->setCols(1);
    GridClaves->setFixedRows(1);
    GridClaves->setFixedCols(0);
}

void Form2::Form_Load()
{
    GridClaves->setColWidth(0, 8700);
    GridClaves->setColAlignment(0, FlexGrid::Centre);
    GridClaves->setRow(0);
    GridClaves->setCol(0);
    GridClaves->setText(QString::fromUtf8(keysHeader));
}

void Form2::makeCurrent(int row)
{
    GridClaves->setCol(0);
    GridClaves->setRow(row);
}

void Form2::beginKeys()
{
    // A grid still open from an earlier run starts afresh, so that after every run it holds exactly
    // the header and one row per image, each in its own key's colour.
    GridClaves->clear();
    GridClaves->setRows(2);
}

void Form2::showKey(int image, const QString& key)
{
    makeCurrent(image);
    GridClaves->setText(key);
    GridClaves->addItem();
}

void Form2::endKeys(int count)
{
    GridClaves->removeItem(count + 1);
    makeCurrent(0);
    GridClaves->setText(QString::fromUtf8(keysHeader));
}

void Form2::colourKey(int image, std::int32_t colour)
{
    makeCurrent(image);
    if (colour == darkGreen || colour == blue)
        GridClaves->setCellForeColor(white);
    GridClaves->setCellBackColor(colour);
}

void Form2::clearKeys()
{
    GridClaves->clear();
    shapeGrid();
}

void Form2::aceptar_Click()
{
    // Closing unloads the window: its grid and colours are gone, the next run builds a fresh one.
    close();
}

void Form2::GridClaves_DblClick()
{
    // Row r holds the key of selector entry r - 1. A row with no entry behind it (any row once the
    // images are unloaded) changes nothing.
    const auto entry = std::int16_t(std::int32_t(GridClaves->row()) - 1);
    if (entry < 0 || entry >= mainWindow_.selectorEntryCount())
        return;
    mainWindow_.selectSelectorEntry(entry);
    mainWindow_.bringMainWindowToFront();
}

void Form2::copyCurrentKey()
{
    // The header row cannot be current for the user; a key row left empty copies nothing.
    if (GridClaves->row() < GridClaves->fixedRows() || GridClaves->text().isEmpty())
        return;
    QGuiApplication::clipboard()->setText(GridClaves->text());
}

void Form2::copyAllKeys()
{
    QStringList keys;
    for (int row = GridClaves->fixedRows(); row < GridClaves->rows(); ++row)
        if (const QString key = GridClaves->textAt(row, 0); !key.isEmpty())
            keys.append(key);
    if (!keys.isEmpty())
        QGuiApplication::clipboard()->setText(keys.join(QLatin1Char('\n')));
}

} // namespace velsaro
