// Choosing the image on show, and "Descargar", which empties the loaded set and the results windows.
#include "app/main_window.h"

#include "controls/combo_box.h"
#include "controls/list_box.h"
#include "controls/picture_box.h"
#include "controls/progress_bar.h"
#include "windows/form2.h"
#include "windows/form3.h"
#include "windows/form_clave_sola.h"

#include <QPushButton>

namespace velsaro {

void Form1::connectSelection()
{
    connect(co, &ComboBox::clicked, this, &Form1::co_Click);
    connect(bReset, &QPushButton::clicked, this, &Form1::bReset_Click);
}

void Form1::co_Click()
{
    // Every entry reads "number:name", the number being the picture's place in the loaded-image list.
    // Anything else (no entry selected) leaves the picture on show as it is.
    bool isNumber = false;
    const int entry = co->text().section(QLatin1Char(':'), 0, 0).toShort(&isNumber);
    if (!isNumber || entry < 1 || entry > ImageList1.count())
        return;
    Picture1->setPicture(ImageList1.item(entry).picture);
}

void Form1::bReset_Click()
{
    pasoActual = 1;
    Picture1->setPicture(QImage());
    ProgressBar1->setValue(1);
    ImageList1.clear();
    modoPaso = false;
    co->clear();
    updateEnabledStates();

    form2->clearKeys();
    formClaveSola->LClave->clear();
    for (PictureBox* sample : {form3->Picture1, form3->Picture2, form3->Picture3})
        sample->cls();
}

} // namespace velsaro
