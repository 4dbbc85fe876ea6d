// The detail window's numbers under the system locale, which is fixed for the whole process: each
// test entry runs this binary with LC_ALL set and only the tests written for that locale.
#include "tests/app/loaded_form1.h"

#include "controls/flex_grid.h"
#include "engine/number_text.h"
#include "tests/support/picture_files.h"
#include "windows/form3.h"

#include <QLineEdit>

namespace velsaro::testing {
namespace {

class DetailNumbers : public LoadedForm1Test {
protected:
    QImage picture = variedPicture(430, 503, 41);

    // The detail of the centre intersection at level 1, opened as a user opens it.
    Form3& openCentreDetail()
    {
        form1->show();
        load({picture});
        QTest::mouseClick(form1->bPaso, Qt::LeftButton);
        for (int press = 1; press <= 5; ++press)
            QTest::mouseClick(form1->bPasoPaso, Qt::LeftButton);
        QTest::mouseClick(form1->zona22, Qt::LeftButton, {}, QPoint(20, 20));
        return *form1->form3;
    }

    // Every cell and the average as the given separator writes them.
    void expectNumbersWith(char separator)
    {
        const LevelResult level = engineLevel(picture, 4);
        Form3& form3 = openCentreDetail();
        int fractional = 0;
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 4; ++c) {
                const std::string expected = twoDecimalText(level.coefficient(4, r, c), separator);
                EXPECT_EQ(form3.MSFlexGrid1->textAt(r, c).toStdString(), expected) << r << "," << c;
                fractional += expected.find(separator) != std::string::npos ? 1 : 0;
            }
        EXPECT_EQ(form3.Text1->text().toStdString(), twoDecimalText(level.matrizP[1][1], separator));
        // The picture gives coefficients with decimals, so the separator is really seen.
        EXPECT_GT(fractional, 0);
    }
};

TEST_F(DetailNumbers, UnderSpanishSystemLocaleShowADecimalComma)
{
    ASSERT_EQ(QLocale::system().language(), QLocale::Spanish) << "run with LC_ALL=es_ES.UTF-8";
    expectNumbersWith(',');
}

TEST_F(DetailNumbers, UnderEnglishSystemLocaleShowADecimalPoint)
{
    ASSERT_EQ(QLocale::system().language(), QLocale::English) << "run with LC_ALL=en_US.UTF-8";
    expectNumbersWith('.');
}

} // namespace
} // namespace velsaro::testing
