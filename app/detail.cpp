// The intersection detail: the nine click areas over the mesh and the procedure that fills the detail
// window with one intersection's sample, coefficients, average and comparison digits.
#include "app/main_window.h"

#include "app/walkthrough_stages.h"
#include "controls/flex_grid.h"
#include "controls/image_control.h"
#include "controls/picture_box.h"
#include "controls/user_number_text.h"
#include "engine/geometry.h"
#include "windows/form3.h"

#include <QLineEdit>

#include <array>
#include <vector>

namespace velsaro {

namespace {

// What the detail shows of each level: the mask size N; the side f of the cell that magnifies one
// pixel, so that every sample is N x f = 240 pixels across; and the sample's top-left pixel by mesh
// column and row, the mask corners of the computation (108 x column - N / 2, 127 x row - N / 2 for
// the main window's picture box), kept as constants like the mesh pictures drawn around them.
struct DetailLevel {
    int n;
    int f;
    std::array<int, 3> lefts;
    std::array<int, 3> tops;
};

constexpr std::array<DetailLevel, 3> detailLevels = {{
    {4, 60, {106, 214, 322}, {125, 252, 379}},
    {8, 30, {104, 212, 320}, {123, 250, 377}},
    {16, 15, {100, 208, 316}, {119, 246, 373}},
}};

// The controls of one page of the detail window.
struct DetailPage {
    PictureBox* sample;
    FlexGrid* grid;
    QLineEdit* promedio;
    QLineEdit* clave;
};

DetailPage detailPage(Form3& form3, int level)
{
    switch (level) {
    case 1:
        return {form3.Picture1, form3.MSFlexGrid1, form3.Text1, form3.Text4};
    case 2:
        return {form3.Picture2, form3.MSFlexGrid2, form3.Text2, form3.Text3};
    default:
        return {form3.Picture3, form3.MSFlexGrid3, form3.Text5, form3.Text6};
    }
}

// The sample of the intersection at (row, column), from 1, one cell of f per pixel: a runs across
// and b down. Each cell starts 2 pixels in from its origin, so the picture's background shows
// through as grid lines between the magnified pixels.
void magnifySample(PictureBox& sample, const PictureBox& picture, const DetailLevel& level, int row, int column)
{
    const int n = level.n;
    const int f = level.f;
    const int x0 = level.lefts[column - 1];
    const int y0 = level.tops[row - 1];
    for (int a = 0; a < n; ++a)
        for (int b = 0; b < n; ++b)
            sample.fillBox(a * f + 2, b * f + 2, a * f + f, b * f + f, picture.point(x0 + a, y0 + b));
}

// Row r, column c shows coefficient (j, r, c): the horizontal frequency runs down the grid.
void showCoefficients(FlexGrid& grid, const std::vector<double>& coeficientes, int n, int j)
{
    for (int a = 0; a < n; ++a)
        for (int b = 0; b < n; ++b) {
            grid.setCol(b);
            grid.setRow(a);
            grid.setText(twoDecimalUserText(coeficientes[std::size_t((j * n + a) * n + b)]));
        }
    // The coefficient (0, 0) is the one the user looks for first.
    grid.scrollToTopLeft();
}

// An intersection's comparison digits (its row of matrizS) with its neighbours in reading order, the
// centre (4) left out.
QString neighbourDigits(const std::array<std::int16_t, 9>& digits)
{
    QString clave;
    for (int neighbour : {0, 1, 2, 3, 5, 6, 7, 8})
        clave += QString::number(digits[neighbour]);
    return clave;
}

void bringPageToFront(Form3& form3, int level)
{
    for (int i = 0; i < 3; ++i) {
        if (i == level - 1)
            form3.Frame1[i]->raise();
        else
            form3.Frame1[i]->lower();
    }
}

} // namespace

void Form1::connectClickAreas()
{
    using Handler = void (Form1::*)();
    constexpr std::array<Handler, 9> handlers = {
        &Form1::zona11_Click, &Form1::zona12_Click, &Form1::zona13_Click,
        &Form1::zona21_Click, &Form1::zona22_Click, &Form1::zona23_Click,
        &Form1::zona31_Click, &Form1::zona32_Click, &Form1::zona33_Click};
    const std::array<ImageControl*, 9> zones = zonas();
    for (std::size_t j = 0; j < zones.size(); ++j)
        connect(zones[j], &ImageControl::clicked, this, handlers[j]);
}

void Form1::zona11_Click() { muestraInterseccion(11); }
void Form1::zona12_Click() { muestraInterseccion(12); }
void Form1::zona13_Click() { muestraInterseccion(13); }
void Form1::zona21_Click() { muestraInterseccion(21); }
void Form1::zona22_Click() { muestraInterseccion(22); }
void Form1::zona23_Click() { muestraInterseccion(23); }
void Form1::zona31_Click() { muestraInterseccion(31); }
void Form1::zona32_Click() { muestraInterseccion(32); }
void Form1::zona33_Click() { muestraInterseccion(33); }

void Form1::muestraInterseccion(const std::int16_t& zona)
{
    const int row = int(roundHalfEven(zona / 10.0));
    const int column = zona % 10;
    const WalkthroughStage* stage = walkthroughStage(pasoActual);
    const int level = stage ? stage->detailLevel : 0;
    // The arrays must hold that level; they always do when a click area can be clicked, and a call
    // at any other moment fills nothing rather than read past them.
    const DetailLevel* shown = level > 0 ? &detailLevels[level - 1] : nullptr;
    if (shown && coeficientes.size() == std::size_t(9 * shown->n * shown->n)) {
        const int j = 3 * (row - 1) + (column - 1);
        const DetailPage page = detailPage(*form3, level);
        magnifySample(*page.sample, *Picture1, *shown, row, column);
        showCoefficients(*page.grid, coeficientes, shown->n, j);
        page.promedio->setText(twoDecimalUserText(matrizP[row - 1][column - 1]));
        page.clave->setText(neighbourDigits(matrizS[j]));
        bringPageToFront(*form3, level);
    }
    form3.show();
}

} // namespace velsaro
