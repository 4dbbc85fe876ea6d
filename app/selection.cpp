// Choosing the image on show.
#include "app/main_window.h"

#include "controls/combo_box.h"
#include "controls/picture_box.h"

namespace velsaro {

void Form1::connectSelection()
{
    connect(co, &ComboBox::clicked, this, &Form1::co_Click);
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

} // namespace velsaro
