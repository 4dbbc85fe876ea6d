#include "windows/form_clave_sola.h"

#include "controls/command_button.h"
#include "controls/decorations.h"
#include "controls/fonts.h"
#include "controls/list_box.h"
#include "controls/window_placement.h"
#include "resources/pictures.h"
#include "windows/main_window_link.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QPushButton>

namespace velsaro {

FormClaveSola::FormClaveSola(MainWindowLink& mainWindow)
    : QWidget(nullptr, fixedWindowFlags()), mainWindow_(mainWindow)
{
    setWindowTitle(QStringLiteral("Clave"));
    setFont(defaultWindowFont());
    setFixedSize(clientWidth, clientHeight);
    centreOnScreen(*this);

    addStretchedPicture(this, QRect(8, 16, 596, 25), resources::titleStripPicture());
    addLabel(this, QStringLiteral("Clave"), QRect(276, 16, 60, 22), titleFont(), Qt::AlignCenter);
    addFrame(this, QRect(8, 16, 596, 116));

    LClave = new ListBox(this);
    LClave->setGeometry(18, 48, 577, 30);
    // A key of 27 three-digit codes is a few pixels wider than the row in the free substitute of the
    // window font; spacing its letters 2 % closer keeps every key whole without changing the font.
    QFont keyFont = LClave->font();
    keyFont.setLetterSpacing(QFont::PercentageSpacing, 98);
    LClave->setFont(keyFont);

    aceptar = addButton(this, QStringLiteral("Aceptar"), QRect(266, 88, 81, 33));
    setTabOrder(LClave, aceptar);

    auto* copiarClave = new QAction(QStringLiteral("Copiar clave"), LClave);
    copiarClave->setShortcut(QKeySequence::Copy);
    LClave->addAction(copiarClave);
    LClave->setContextMenuPolicy(Qt::ActionsContextMenu);

    connect(aceptar, &QPushButton::clicked, this, &FormClaveSola::aceptar_Click);
    connect(LClave, &ListBox::doubleClicked, this, &FormClaveSola::LClave_DblClick);
    connect(copiarClave, &QAction::triggered, this, &FormClaveSola::copyKey);
}

void FormClaveSola::aceptar_Click()
{
    close();
}

void FormClaveSola::LClave_DblClick()
{
    mainWindow_.bringMainWindowToFront();
}

void FormClaveSola::copyKey()
{
    // The row the user picked, or the key itself when none is picked.
    const int row = LClave->listIndex() >= 0 ? LClave->listIndex() : 0;
    if (row < LClave->listCount())
        QGuiApplication::clipboard()->setText(LClave->itemText(row));
}

} // namespace velsaro
