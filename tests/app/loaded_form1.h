// The main window with pictures loaded, and what the tests of the driver, the loading and the
// selection look at: the keys the engine gives for a picture as the picture area shows it, and the
// controls that are enabled.
#pragma once

#include "tests/app/form1_fixture.h"
#include "tests/controls/qstring_printer.h"

#include "controls/combo_box.h"
#include "controls/drawing_area.h"
#include "controls/image_control.h"
#include "controls/list_box.h"
#include "controls/picture_button.h"
#include "engine/key_engine.h"

#include <QPushButton>
#include <QStringList>

#include <vector>

namespace velsaro::testing {

// The key of picture shown unscaled in the main window's picture area.
inline QString engineKey(const QImage& picture)
{
    const DrawingArea area(picture);
    const auto read = [&area](int x, int y) { return area.point(x, y); };
    return QString::fromStdString(computeKey(read).text);
}

// One level of picture as the picture area shows it.
inline LevelResult engineLevel(const QImage& picture, int n)
{
    const DrawingArea area(picture);
    const auto read = [&area](int x, int y) { return area.point(x, y); };
    return computeLevel(n, read);
}

// The names of the controls a user can work with that are enabled, in a fixed order; the nine
// click areas count as one, "zonas", when all are enabled, and as "some zonas" otherwise.
inline QStringList enabledControls(const Form1& form1)
{
    QStringList names;
    const std::vector<std::pair<const char*, const QWidget*>> controls = {
        {"bCargaImgs", form1.bCargaImgs}, {"bReset", form1.bReset}, {"bUnaSola", form1.bUnaSola},
        {"bPaso", form1.bPaso},           {"bTodas", form1.bTodas}, {"bPasoPaso", form1.bPasoPaso},
        {"co", form1.co},                 {"List1", form1.List1}};
    for (const auto& [name, control] : controls)
        if (control->isEnabled())
            names.append(QString::fromLatin1(name));
    int zones = 0;
    for (const ImageControl* zone : form1.zonas())
        zones += zone->isEnabled() ? 1 : 0;
    if (zones == 9)
        names.append(QStringLiteral("zonas"));
    else if (zones > 0)
        names.append(QStringLiteral("some zonas"));
    return names;
}

inline const QStringList nothingLoaded = {"bCargaImgs"};
inline const QStringList picturesLoaded = {"bCargaImgs", "bReset", "bUnaSola", "bPaso", "bTodas", "co"};

class LoadedForm1Test : public Form1Test {
protected:
    // Puts pictures into the window as a successful load leaves them: named imagen1.bmp, ...,
    // listed in the selector, the first one on show.
    void load(const std::vector<QImage>& pictures)
    {
        form1->ImageList1.clear();
        form1->co->clear();
        for (std::size_t i = 0; i < pictures.size(); ++i) {
            const QString name = QStringLiteral("imagen%1.bmp").arg(i + 1);
            form1->ImageList1.add(int(i) + 1, name, pictures[i]);
            form1->co->addItem(QStringLiteral("%1:%2").arg(i + 1).arg(name));
        }
        form1->co->setListIndex(0);
        form1->numImgs = std::int16_t(pictures.size());
        for (QWidget* control : {static_cast<QWidget*>(form1->bUnaSola), static_cast<QWidget*>(form1->bTodas),
                                 static_cast<QWidget*>(form1->bReset), static_cast<QWidget*>(form1->bPaso),
                                 static_cast<QWidget*>(form1->co)})
            control->setEnabled(true);
    }

    // A user's pick of entry index in the image selector, made with the arrow keys.
    void pickEntry(int index)
    {
        ComboBox& co = *form1->co;
        for (int press = 0; press < 16 && co.listIndex() != index; ++press)
            QTest::keyClick(&co, co.listIndex() > index ? Qt::Key_Up : Qt::Key_Down);
    }
};

} // namespace velsaro::testing
