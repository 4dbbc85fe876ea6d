// The main window with pictures loaded, and what the tests of the driver, the loading and the
// selection look at: the keys the engine gives for a picture as the picture area shows it, and the
// controls that are enabled.
#pragma once

#include "tests/app/form1_fixture.h"
#include "tests/controls/qstring_printer.h"

#include "controls/combo_box.h"
#include "picture/drawing_area.h"
#include "controls/image_control.h"
#include "controls/list_box.h"
#include "controls/picture_button.h"
#include "engine/key_engine.h"
#include "tests/support/picture_files.h"

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

// Whether two pictures show the same pixels, whatever their formats.
inline bool samePixels(const QImage& a, const QImage& b)
{
    return a.convertToFormat(QImage::Format_RGB32) == b.convertToFormat(QImage::Format_RGB32);
}

class LoadedForm1Test : public Form1Test {
protected:
    TemporaryFolder folder;

    // Writes pictures as the bitmaps imagen1.bmp, imagen2.bmp, ... and returns their paths.
    QStringList writeBitmaps(const std::vector<QImage>& pictures)
    {
        QStringList paths;
        for (std::size_t i = 0; i < pictures.size(); ++i)
            paths.append(folder.write(QStringLiteral("imagen%1.bmp").arg(i + 1), bmp24(pictures[i])));
        return paths;
    }

    // The user picks paths in the file dialog of "Cargar Imagen".
    void loadFiles(const QStringList& paths)
    {
        dialog.choose(paths);
        QTest::mouseClick(form1->bCargaImgs, Qt::LeftButton);
    }

    // Loads pictures written as bitmaps, the way the user does.
    void load(const std::vector<QImage>& pictures) { loadFiles(writeBitmaps(pictures)); }

    // A user's pick of entry index in the image selector, made with the arrow keys.
    void pickEntry(int index)
    {
        ComboBox& co = *form1->co;
        for (int press = 0; press < 16 && co.listIndex() != index; ++press)
            QTest::keyClick(&co, co.listIndex() > index ? Qt::Key_Up : Qt::Key_Down);
    }
};

} // namespace velsaro::testing
