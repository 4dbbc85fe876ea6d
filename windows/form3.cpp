#include "windows/form3.h"

#include "controls/decorations.h"
#include "controls/flex_grid.h"
#include "controls/fonts.h"
#include "controls/picture_box.h"
#include "controls/colours_and_twips.h"
#include "controls/window_placement.h"
#include "resources/pictures.h"

#include <QEvent>
#include <QLabel>
#include <QLineEdit>

namespace velsaro {

namespace {

// One section of a page, in twips from the page's top-left corner: a title strip with its caption,
// an outline, and the content inside the outline.
struct Section {
    QRect strip;
    QRect caption;
    QRect outline;
    QRect content;
    const char* title;
};

struct PageLayout {
    int heightTwips;
    int maskSize;
    Section sample;
    Section coefficients;
    Section average;
    Section keyDigits;
};

constexpr QRect sampleStrip = twipsRect(165, 45, 3885, 390);
constexpr QRect sampleCaption = twipsRect(165, 135, 3870, 330);
constexpr QRect sampleOutline = twipsRect(165, 420, 3885, 3885);
constexpr QRect samplePicture = twipsRect(270, 525, 3675, 3675);

const std::array<PageLayout, 3> pages = {{
    {4410, 4,
     {sampleStrip, sampleCaption, sampleOutline, samplePicture, "Muestra de tamaño 4x4"},
     {twipsRect(4875, 45, 4320, 390), twipsRect(4875, 120, 4335, 330), twipsRect(4875, 420, 4320, 1200),
      twipsRect(4980, 525, 4110, 1010), "Matriz de Coeficientes"},
     {twipsRect(4875, 2235, 1830, 390), twipsRect(4860, 2325, 1815, 330), twipsRect(4875, 2610, 1830, 585),
      twipsRect(4995, 2715, 1590, 375), "Promedio"},
     {twipsRect(7125, 2235, 1830, 390), twipsRect(7140, 2325, 1815, 330), twipsRect(7125, 2610, 1830, 585),
      twipsRect(7245, 2715, 1590, 375), "Clave"}},
    {4500, 8,
     {sampleStrip, sampleCaption, sampleOutline, samplePicture, "Muestra de tamaño 8x8"},
     {twipsRect(4875, 45, 4095, 390), twipsRect(4875, 135, 4080, 330), twipsRect(4875, 420, 4095, 2400),
      twipsRect(4980, 525, 3885, 2190), "Matriz de Coeficientes"},
     {twipsRect(4875, 3345, 1830, 390), twipsRect(4875, 3435, 1815, 330), twipsRect(4875, 3720, 1830, 585),
      twipsRect(4995, 3825, 1590, 375), "Promedio"},
     {twipsRect(7140, 3345, 1830, 390), twipsRect(7140, 3435, 1815, 330), twipsRect(7140, 3720, 1830, 585),
      twipsRect(7275, 3825, 1590, 375), "Clave"}},
    {4470, 16,
     {sampleStrip, sampleCaption, sampleOutline, samplePicture, "Muestra de tamaño 16x16"},
     {twipsRect(4875, 45, 4335, 390), twipsRect(4875, 135, 4320, 330), twipsRect(4875, 420, 4335, 2415),
      twipsRect(4980, 525, 4125, 2205), "Matriz de Coeficientes"},
     {twipsRect(4875, 3345, 1830, 390), twipsRect(4875, 3435, 1815, 330), twipsRect(4875, 3720, 1830, 585),
      twipsRect(4995, 3825, 1590, 375), "Promedio"},
     {twipsRect(7380, 3345, 1830, 390), twipsRect(7380, 3435, 1815, 330), twipsRect(7380, 3720, 1830, 585),
      twipsRect(7500, 3825, 1590, 375), "Clave"}},
}};

// The strip, its caption and the outline; the caller places the content.
void addSectionFrame(QWidget* page, const Section& section, const QImage& titleStrip)
{
    addStretchedPicture(page, section.strip, titleStrip);
    // Captions sit at the top of their labels, which places them on the middle of the strip.
    addLabel(page, QString::fromUtf8(section.title), section.caption, verdanaFont(),
             Qt::AlignHCenter | Qt::AlignTop);
    addFrame(page, section.outline);
}

QLineEdit* addTextBox(QWidget* page, const QRect& rect, const QString& designText)
{
    auto* box = new QLineEdit(designText, page);
    box->setGeometry(rect);
    box->setAlignment(Qt::AlignCenter);
    return box;
}

} // namespace

Form3::Form3() : QWidget(nullptr, closeOnlyWindowFlags())
{
    setWindowTitle(QString::fromUtf8("Datos de la intersección seleccionada"));
    setFont(defaultWindowFont());
    setFixedSize(clientWidth, clientHeight);
    QPalette buttonFace = palette();
    buttonFace.setColor(QPalette::Window, buttonFace.color(QPalette::Button));
    setPalette(buttonFace);

    // Built from the last page to the first, so that level 1 is in front until a detail is shown.
    for (int level = 2; level >= 0; --level)
        buildPage(level);
    showOnlyFrontPage();
    Form_Load();
}

void Form3::buildPage(int level)
{
    const PageLayout& layout = pages[level];
    const QImage titleStrip = resources::titleStripPicture();
    auto* page = new QWidget(this);
    page->setGeometry(twipsRect(300, 675, 9975, layout.heightTwips));
    // Opaque, so the page in front hides the others.
    page->setAutoFillBackground(true);
    page->installEventFilter(this);
    Frame1[level] = page;

    for (const Section* section : {&layout.sample, &layout.coefficients, &layout.average, &layout.keyDigits})
        addSectionFrame(page, *section, titleStrip);

    auto* picture = new PictureBox(layout.sample.content.size(), palette().color(QPalette::Base), page);
    picture->move(layout.sample.content.topLeft());
    picture->setForegroundColour(palette().color(QPalette::WindowText));

    auto* grid = new FlexGrid(page);
    grid->setGeometry(layout.coefficients.content);
    grid->setFont(defaultWindowFont());
    grid->setRows(layout.maskSize);
    grid->setCols(layout.maskSize);
    grid->setFixedRows(0);
    grid->setFixedCols(0);

    // The text boxes of each level, "Promedio" first, and their design texts.
    const std::array<QLineEdit**, 3> averages = {&Text1, &Text2, &Text5};
    const std::array<QLineEdit**, 3> keyDigits = {&Text4, &Text3, &Text6};
    const std::array<const char*, 3> averageTexts = {"Text1", "Text2", "Text5"};
    const std::array<const char*, 3> keyDigitTexts = {"Text4", "Text3", "Text6"};
    *averages[level] = addTextBox(page, layout.average.content, QString::fromLatin1(averageTexts[level]));
    *keyDigits[level] = addTextBox(page, layout.keyDigits.content, QString::fromLatin1(keyDigitTexts[level]));

    const std::array<PictureBox**, 3> pictures = {&Picture1, &Picture2, &Picture3};
    const std::array<FlexGrid**, 3> grids = {&MSFlexGrid1, &MSFlexGrid2, &MSFlexGrid3};
    *pictures[level] = picture;
    *grids[level] = grid;
}

void Form3::Form_Load()
{
    MSFlexGrid1->setColWidth(0, 1200);
}

// A page brought to the front or sent behind changes which page shows.
bool Form3::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::ZOrderChange)
        showOnlyFrontPage();
    return QWidget::eventFilter(watched, event);
}

void Form3::showOnlyFrontPage()
{
    const int front = frontPage();
    for (int level = 0; level < 3; ++level)
        if (Frame1[level])
            Frame1[level]->setVisible(level == front);
}

int Form3::frontPage() const
{
    // Children are stacked in list order, the last one on top.
    for (auto child = children().crbegin(); child != children().crend(); ++child)
        for (int level = 0; level < 3; ++level)
            if (*child == Frame1[level])
                return level;
    return -1;
}

} // namespace velsaro
