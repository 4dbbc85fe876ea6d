// The keys the program shows are the keys velsaro-clave writes for the same files.
#include "tests/app/loaded_form1.h"

#include "controls/flex_grid.h"
#include "windows/form2.h"

#include <QDir>
#include <QProcess>

namespace velsaro::testing {
namespace {

// velsaro-clave's key of each path, from its lines "KEY  PATH".
QMap<QString, QString> claveKeys(const QStringList& paths)
{
    QProcess clave;
    clave.start(QStringLiteral(VELSARO_CLAVE_PATH), paths);
    EXPECT_TRUE(clave.waitForFinished(60000));
    EXPECT_EQ(clave.exitCode(), 0);
    QMap<QString, QString> keys;
    for (const QString& line : QString::fromUtf8(clave.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts)) {
        const qsizetype gap = line.indexOf(QStringLiteral("  "));
        if (gap > 0)
            keys.insert(line.mid(gap + 2), line.left(gap));
    }
    return keys;
}

using ClaveAgreement = LoadedForm1Test;

TEST_F(ClaveAgreement, CompareShowsTheKeysOfTheCommandLineToolForTheSamplePictures)
{
    const QDir samples(QStringLiteral(VELSARO_SAMPLES_DIR));
    const QStringList paths = {samples.filePath("cara_seria.bmp"), samples.filePath("cara_sonriente.jpg"),
                               samples.filePath("cara_seria.gif")};
    form1->show();
    loadFiles(paths);
    ASSERT_EQ(form1->numImgs, 3);
    QTest::mouseClick(form1->bTodas, Qt::LeftButton);

    const QMap<QString, QString> expected = claveKeys(paths);
    ASSERT_EQ(expected.size(), 3);
    FlexGrid& grid = *form1->form2->GridClaves;
    ASSERT_EQ(grid.rows(), 4);
    for (int row = 1; row <= 3; ++row)
        EXPECT_EQ(grid.textAt(row, 0), expected.value(paths[row - 1])) << row;
    // The serious face is stored twice, so rows 1 and 3 share a colour and row 2 has another.
    EXPECT_EQ(grid.cellBackColorAt(1, 0), grid.cellBackColorAt(3, 0));
    EXPECT_NE(grid.cellBackColorAt(1, 0), grid.cellBackColorAt(2, 0));
}

TEST_F(ClaveAgreement, NormalShowsTheCommandLineToolsKeyOfThePictureOnShow)
{
    const QString path = QDir(QStringLiteral(VELSARO_SAMPLES_DIR)).filePath("cara_sonriente.jpg");
    form1->show();
    loadFiles({path});
    QTest::mouseClick(form1->bUnaSola, Qt::LeftButton);
    EXPECT_EQ(form1->claves[0], claveKeys({path}).value(path));
}

} // namespace
} // namespace velsaro::testing
