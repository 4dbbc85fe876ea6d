#include "tests/app/form1_fixture.h"

#include "controls/flex_grid.h"
#include "windows/form2.h"

namespace velsaro::testing {
namespace {

constexpr std::int32_t blue = 16711680;
constexpr std::int32_t red = 255;
constexpr std::int32_t white = 16777215;

class KeyColours : public Form1Test {
protected:
    // What a compare run leaves before it colours: the keys in claves and in rows 1..count of the grid.
    void keysComputed(const std::vector<QString>& keys)
    {
        form1->numImgs = std::int16_t(keys.size());
        Form2& form2 = *form1->form2;
        form2.beginKeys();
        for (std::size_t i = 0; i < keys.size(); ++i) {
            form1->claves[i] = keys[i];
            form2.showKey(int(i) + 1, keys[i]);
        }
        form2.endKeys(int(keys.size()));
        const FlexGrid& grid = *form2.GridClaves;
        plainForeColour = grid.cellForeColorAt(1, 0);
        plainBackColour = grid.cellBackColorAt(1, 0);
        form1->numClavesDistintas = 0;
    }

    std::int32_t back(int row) { return form1->form2->GridClaves->cellBackColorAt(row, 0); }
    std::int32_t fore(int row) { return form1->form2->GridClaves->cellForeColorAt(row, 0); }

    std::int32_t plainForeColour = 0;
    std::int32_t plainBackColour = 0;
};

QString key(int seed) { return QString("%1.%2.%3.").arg(seed).arg(seed * 7 % 256).arg(seed * 13 % 256); }

TEST_F(KeyColours, OneKeyIsBlueWithWhiteTextAndTheWindowShows)
{
    keysComputed({key(1)});
    ASSERT_FALSE(form1->form2.isShown());
    form1->coloreaClaves();
    EXPECT_TRUE(form1->form2.isShown());
    EXPECT_EQ(back(1), blue);
    EXPECT_EQ(fore(1), white);
    EXPECT_EQ(form1->numClavesDistintas, 1);
    EXPECT_EQ(form1->tablaColores[0][0], key(1));
    EXPECT_EQ(form1->form2->GridClaves->rows(), 2);
}

TEST_F(KeyColours, EightDifferentKeysTakeTheEightColoursInOrder)
{
    std::vector<QString> keys;
    for (int i = 1; i <= 8; ++i)
        keys.push_back(key(i));
    keysComputed(keys);
    form1->coloreaClaves();
    const std::array<std::int32_t, 8> expected = {16711680, 255, 65280, 16777215, 65535, 16776960, 16711935, 2048};
    for (int row = 1; row <= 8; ++row)
        EXPECT_EQ(back(row), expected[row - 1]) << row;
    EXPECT_EQ(fore(1), white);
    EXPECT_EQ(fore(8), white);
    for (int row = 2; row <= 7; ++row)
        EXPECT_EQ(fore(row), plainForeColour) << row;
    EXPECT_EQ(form1->numClavesDistintas, 8);
}

TEST_F(KeyColours, EqualKeysOfImagesOneAndThreeShareTheirColour)
{
    keysComputed({key(5), key(6), key(5)});
    form1->coloreaClaves();
    EXPECT_EQ(back(1), blue);
    EXPECT_EQ(back(2), red);
    EXPECT_EQ(back(3), blue);
    EXPECT_EQ(fore(3), white);
    EXPECT_EQ(fore(2), plainForeColour);
    EXPECT_EQ(form1->numClavesDistintas, 2);
    EXPECT_EQ(form1->tablaColores[0][0], key(5));
    EXPECT_EQ(form1->tablaColores[1][0], key(6));
    EXPECT_TRUE(form1->tablaColores[2][0].isEmpty());
    // The colouring leaves the last key row current.
    EXPECT_EQ(form1->form2->GridClaves->row(), 3);
}

TEST_F(KeyColours, ColouringAgainForgetsTheKeysOfTheEarlierRun)
{
    keysComputed({key(1), key(2), key(3)});
    form1->coloreaClaves();
    keysComputed({key(3), key(3)});
    form1->coloreaClaves();
    EXPECT_EQ(form1->numClavesDistintas, 1);
    EXPECT_EQ(form1->tablaColores[0][0], key(3));
    EXPECT_TRUE(form1->tablaColores[1][0].isEmpty());
    EXPECT_EQ(back(1), blue);
    EXPECT_EQ(back(2), blue);
}

TEST_F(KeyColours, SingleImageModeColoursOnlyTheFirstRow)
{
    keysComputed({key(1), key(2)});
    form1->modoUnaSola = true;
    form1->coloreaClaves();
    EXPECT_EQ(form1->numClavesDistintas, 1);
    EXPECT_EQ(back(1), blue);
    EXPECT_EQ(back(2), plainBackColour);
}

TEST_F(KeyColours, ColourOfAKeyIsZeroWhenNoDistinctRowHoldsIt)
{
    keysComputed({key(1), key(2)});
    form1->coloreaClaves();
    EXPECT_EQ(form1->colorDeClave(key(2)), red);
    EXPECT_EQ(form1->colorDeClave(key(9)), 0);
    // Only the first numClavesDistintas rows count.
    form1->numClavesDistintas = 1;
    EXPECT_EQ(form1->colorDeClave(key(2)), 0);
    EXPECT_EQ(form1->colorDeClave(key(1)), blue);
}

} // namespace
} // namespace velsaro::testing
