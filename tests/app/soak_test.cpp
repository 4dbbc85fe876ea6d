// A long session: the same round of use over and over must not make the program grow. Each cycle
// loads eight pictures, compares them, keys one with "Normal", walks it through the fifteen stages
// opening the detail of one intersection at each level, and unloads. The windows are closed every
// other cycle, so that both their re-use and their re-creation are repeated.
//
// The resident memory is read after every cycle; from the level after the first cycle (by then
// every window, font and cache has been made once) it may not rise by more than 5 MiB. Under the
// sanitizers the memory figures mean nothing: that build runs fewer cycles and LeakSanitizer checks
// that nothing is left behind.
#include "tests/app/loaded_form1.h"

#include "controls/flex_grid.h"
#include "windows/form2.h"
#include "windows/form3.h"
#include "windows/form_clave_sola.h"

#include <QFile>
#include <QPushButton>

#include <iostream>

#ifndef VELSARO_SOAK_CYCLES
#define VELSARO_SOAK_CYCLES 200
#endif

namespace velsaro::testing {
namespace {

// VmRSS of /proc/self/status, in bytes; -1 if it cannot be read.
qint64 residentBytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').front().toLongLong() * 1024;
    return -1;
}

constexpr qint64 allowedGrowth = 5 * 1024 * 1024;

class Soak : public LoadedForm1Test {
protected:
    void SetUp() override
    {
        form1->show();
        const QImage stripes = palettePicture(430, 503, {qRgb(0, 0, 0), qRgb(250, 30, 30), qRgb(30, 200, 90)},
                                              [](int x, int y) { return (x / 11 + y / 6) % 3; });
        for (unsigned i = 0; i < 8; ++i) {
            const QImage picture = variedPicture(430, 503, 60 + i);
            const QString name = QStringLiteral("foto%1").arg(i + 1);
            QByteArray bytes = i % 3 == 0 ? bmp24(picture) : i % 3 == 1 ? jpeg(picture) : gif({stripes});
            paths.append(folder.write(name + (i % 3 == 0 ? ".bmp" : i % 3 == 1 ? ".jpg" : ".gif"), bytes));
        }
    }

    void press(QWidget* button) { QTest::mouseClick(button, Qt::LeftButton); }

    void cycle(int number)
    {
        loadFiles(paths);
        ASSERT_EQ(form1->numImgs, 8);
        press(form1->bTodas);
        ASSERT_EQ(form1->form2->GridClaves->rows(), 9);
        press(form1->bUnaSola);
        const QString normalKey = form1->formClaveSola->LClave->itemText(0);
        press(form1->bPaso);
        for (int stage = 1; stage <= 15; ++stage) {
            if (stage == 6 || stage == 10 || stage == 14)
                QTest::mouseClick(form1->zonas()[std::size_t(number % 9)], Qt::LeftButton, {}, QPoint(20, 20));
            press(form1->bPasoPaso);
        }
        ASSERT_EQ(form1->formClaveSola->LClave->itemText(0), normalKey);
        ASSERT_TRUE(form1->form3.isShown());
        if (number % 2 == 1) {
            press(form1->form2->aceptar);
            press(form1->formClaveSola->aceptar);
            form1->form3->close();
        }
        press(form1->bReset);
        runDeferredDeletes();
        ASSERT_EQ(form1->ImageList1.count(), 0);
    }

    QStringList paths;
};

TEST_F(Soak, RepeatedRoundsOfUseKeepTheResidentMemoryFlat)
{
    const int cycles = VELSARO_SOAK_CYCLES;
    qint64 afterFirst = -1;
    qint64 highest = -1;
    qint64 last = -1;
    for (int number = 1; number <= cycles; ++number) {
        cycle(number);
        ASSERT_FALSE(HasFailure()) << "cycle " << number;
        const qint64 resident = residentBytes();
        ASSERT_GT(resident, 0);
        if (number == 1)
            afterFirst = resident;
        highest = qMax(highest, resident);
        last = resident;
    }
    std::cout << "resident memory over " << cycles << " cycles: " << afterFirst / 1024 << " KiB after the first, at most "
              << highest / 1024 << " KiB, " << last / 1024 << " KiB after the last: growth "
              << (highest - afterFirst) / 1024 << " KiB\n";
#ifndef VELSARO_SANITIZE
    EXPECT_LE(highest - afterFirst, allowedGrowth);
#endif
}

} // namespace
} // namespace velsaro::testing
