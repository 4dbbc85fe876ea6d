// The intersection detail: the nine click areas over the mesh and the procedure that fills the detail
// window with one intersection's sample, coefficients, average and comparison digits.
#include "app/main_window.h"

#include "controls/flex_grid.h"
#include "controls/image_control.h"
#include "controls/picture_box.h"
#include "controls/user_number_text.h"
#include "engine/geometry.h"
#include "windows/form3.h"

#include <QLineEdit>

#include <optional>

namespace velsaro {

namespace {

// What one level shows: the mask size N and the side f of the cell that magnifies one pixel, so that
// every sample is N x f = 240 pixels across.
struct DetailLevel {
    int level; // 1..3
    int n;
    int f;
};

// The stages after the 'S' stage of each level and the two before it, when the arrays hold that
// level; the click areas can only be clicked at the last of them.
std::optional<DetailLevel> detailLevelOfStage(std::int16_t paso)
{
    if (paso > 3 && paso < 7)
        return DetailLevel{1, 4, 60};
    if (paso > 7 && paso < 11)
        return DetailLevel{2, 8, 30};
    if (paso > 11 && paso < 15)
        return DetailLevel{3, 16, 15};
    return std::nullopt;
}

// Top-left pixel of the sample of each level, by mesh column and row: the mask corners of the
// computation, 108 x column - N / 2 and 127 x row - N / 2 for the main window's picture box. Kept
// as constants, not worked out from the picture, like the mesh pictures drawn around them.
constexpr std::array<std::array<int, 3>, 3> sampleLefts = {{{106, 214, 322}, {104, 212, 320}, {100, 208, 316}}};
constexpr std::array<std::array<int, 3>, 3> sampleTops = {{{125, 252, 379}, {123, 250, 377}, {119, 246, 373}}};

// The neighbours of an intersection in reading order, the centre (4) left out.
constexpr std::array<int, 8> neighbours = {0, 1, 2, 3, 5, 6, 7, 8};

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
    const std::optional<DetailLevel> level = detailLevelOfStage(pasoActual);
    // The arrays must hold that level; they always do when a click area can be clicked, and a call
    // at any other moment fills nothing rather than read past them.
    const bool arraysHoldLevel = level && coeficientes.size() == std::size_t(9 * level->n * level->n);
    if (arraysHoldLevel) {
        const int n = level->n;
        const int f = level->f;
        const int j = 3 * (row - 1) + (column - 1);
        const int x0 = sampleLefts[level->level - 1][column - 1];
        const int y0 = sampleTops[level->level - 1][row - 1];

        QString clave;
        for (int neighbour : neighbours)
            clave += QString::number(matrizS[j][neighbour]);

        const DetailPage page = detailPage(*form3, level->level);
        // a runs across and b down. Each cell starts 2 pixels in from its origin, so the picture's
        // background shows through as grid lines between the magnified pixels.
        for (int a = 0; a < n; ++a)
            for (int b = 0; b < n; ++b)
                page.sample->fillBox(a * f + 2, b * f + 2, a * f + f, b * f + f, Picture1->point(x0 + a, y0 + b));

        // Row r, column c shows coefficient (j, r, c): the horizontal frequency runs down the grid.
        for (int a = 0; a < n; ++a)
            for (int b = 0; b < n; ++b) {
                page.grid->setCol(b);
                page.grid->setRow(a);
                page.grid->setText(twoDecimalUserText(coeficientes[std::size_t((j * n + a) * n + b)]));
            }
        // The coefficient (0, 0) is the one the user looks for first.
        page.grid->scrollToTopLeft();

        page.promedio->setText(twoDecimalUserText(matrizP[row - 1][column - 1]));
        page.clave->setText(clave);

        for (int i = 0; i < 3; ++i) {
            if (i == level->level - 1)
                form3->Frame1[i]->raise();
            else
                form3->Frame1[i]->lower();
        }
    }
    form3.show();
}

} // namespace velsaro
