// Form1's construction: every control at its pixel place, in the order that puts decorations below
// and labels over their title strips; and the one function that sets every control's enabled state.
#include "app/main_window.h"

#include "app/walkthrough_stages.h"
#include "controls/combo_box.h"
#include "controls/command_button.h"
#include "controls/decorations.h"
#include "controls/fonts.h"
#include "controls/image_control.h"
#include "controls/list_box.h"
#include "controls/picture_box.h"
#include "controls/picture_button.h"
#include "controls/progress_bar.h"
#include "controls/window_placement.h"
#include "engine/geometry.h"
#include "resources/pictures.h"
#include "windows/form2.h"
#include "windows/form3.h"
#include "windows/form_clave_sola.h"

#include <QLabel>
#include <QPainter>
#include <QPushButton>

namespace velsaro {

namespace {

const QColor formBackground(0xE0, 0xE0, 0xE0);
const QColor pictureBackground(0xC0, 0xC0, 0xC0);
const QColor pictureForeground(0x00, 0xFF, 0x00);
const QColor pasoPasoBackground(0x80, 0x80, 0x80);

} // namespace

Form1::Form1(FileOpenDialog& commonDialog, MessageBox& messageBox, QWidget* parent)
    : QWidget(parent, fixedWindowFlags()),
      form2([this] { return std::make_unique<Form2>(*this); }),
      formClaveSola([this] { return std::make_unique<FormClaveSola>(*this); }),
      form3([] { return std::make_unique<Form3>(); }),
      CommonDialog1(commonDialog),
      messageBox_(messageBox),
      background_(resources::backgroundPicture()),
      titleStrip_(resources::titleStripPicture())
{
    setWindowTitle(QStringLiteral("Velsaro"));
    setFont(defaultWindowFont());
    setFixedSize(clientWidth, clientHeight);
    centreOnScreen(*this);
    setAcceptDrops(true);
    for (int entry = 1; entry <= resources::meshPictureCount; ++entry)
        ImageList2.add(entry, QString(), resources::meshPicture(entry));

    buildLeftPanel();
    buildStagesPanel();
    buildDescriptionPanel();
    buildControlsPanel();
    buildClickAreas();
    setFocusOrder();
    connectWalkthrough();
    connectClickAreas();
    connectDriver();
    connectSelection();
    connectLoading();
    Form_Load();
}

Form1::~Form1() = default;

void Form1::buildLeftPanel()
{
    addStretchedPicture(this, QRect(12, 12, 452, 25), titleStrip_);
    addLabel(this, QStringLiteral("Imagen Original"), QRect(162, 12, 188, 22), titleFont(),
             Qt::AlignLeft | Qt::AlignVCenter);
    addFrame(this, QRect(12, 36, 452, 556));
    Picture1 = new PictureBox(QSize(pictureAreaWidth, pictureAreaHeight), pictureBackground, this);
    Picture1->move(20, 43);
    Picture1->setForegroundColour(pictureForeground);
    ProgressBar1 = new ProgressBar(this);
    ProgressBar1->setGeometry(35, 562, 405, 22);
}

void Form1::buildStagesPanel()
{
    addStretchedPicture(this, QRect(490, 12, 299, 25), titleStrip_);
    addLabel(this, QStringLiteral("Pasos"), QRect(492, 13, 296, 22), titleFont(), Qt::AlignCenter);
    addFrame(this, QRect(490, 36, 299, 187));
    List1 = new ListBox(this);
    List1->setGeometry(492, 50, 294, 114);
    // The free stand-in for Verdana is wider: letters 6 % closer keep the longest stage, "     Cálculo
    // del Promedio de los coeficientes", whole in bold.
    QFont stageFont = verdanaFont(true);
    stageFont.setLetterSpacing(QFont::PercentageSpacing, 94);
    List1->setFont(stageFont);
    QPalette white = List1->palette();
    white.setColor(QPalette::Base, Qt::white);
    List1->setPalette(white);
    bPasoPaso = new PictureButton(resources::pasoPasoButtonPicture(), pasoPasoBackground, this);
    bPasoPaso->setGeometry(622, 177, 34, 32);
    // The button shows only a picture; a screen reader says what it does.
    bPasoPaso->setAccessibleName(QStringLiteral("Paso siguiente"));
}

void Form1::buildDescriptionPanel()
{
    addStretchedPicture(this, QRect(490, 249, 298, 25), titleStrip_);
    addLabel(this, QString::fromUtf8("Descripción"), QRect(491, 249, 296, 22), titleFont(), Qt::AlignCenter);
    addFrame(this, QRect(490, 273, 298, 104));
    // The walkthrough's descriptions run to four lines; they wrap inside the label from its top.
    Label7 = addLabel(this, QString(), QRect(507, 284, 265, 84), verdanaFont(true), Qt::AlignLeft | Qt::AlignTop);
    Label7->setWordWrap(true);
}

void Form1::buildControlsPanel()
{
    addStretchedPicture(this, QRect(489, 405, 299, 25), titleStrip_);
    addLabel(this, QStringLiteral("Controles"), QRect(490, 406, 296, 22), titleFont(), Qt::AlignCenter);
    addFrame(this, QRect(489, 429, 299, 161));

    addStretchedPicture(this, QRect(510, 448, 95, 25), titleStrip_);
    addLabel(this, QStringLiteral("Modo"), QRect(510, 453, 96, 19), verdanaFont(), Qt::AlignCenter);
    addFrame(this, QRect(510, 472, 95, 102));
    bUnaSola = addButton(this, QStringLiteral("Normal"), QRect(516, 479, 82, 26));
    bPaso = addButton(this, QStringLiteral("Paso a Paso"), QRect(516, 510, 82, 26));
    bTodas = addButton(this, QStringLiteral("Comparar"), QRect(516, 541, 82, 26));

    addStretchedPicture(this, QRect(614, 448, 151, 25), titleStrip_);
    addLabel(this, QString::fromUtf8("Imágenes"), QRect(614, 453, 151, 19), verdanaFont(), Qt::AlignCenter);
    addFrame(this, QRect(614, 472, 151, 102));
    co = new ComboBox(this);
    co->setGeometry(623, 480, 132, 21);
    bCargaImgs = addButton(this, QStringLiteral("Cargar Imagen"), QRect(623, 510, 132, 26));
    bReset = addButton(this, QStringLiteral("Descargar"), QRect(623, 541, 132, 26));
}

void Form1::buildClickAreas()
{
    // Over the drawing area of Picture1, each 41 x 41 and centred within 2 pixels of a mesh
    // intersection.
    constexpr std::array<int, 3> lefts = {87, 197, 304};
    constexpr std::array<int, 3> tops = {106, 232, 360};
    std::array<ImageControl**, 9> zones = {&zona11, &zona12, &zona13, &zona21, &zona22,
                                           &zona23, &zona31, &zona32, &zona33};
    for (int j = 0; j < 9; ++j) {
        auto* zone = new ImageControl(Picture1->surface());
        zone->setGeometry(lefts[j % 3], tops[j / 3], 41, 41);
        *zones[j] = zone;
    }
}

void Form1::setFocusOrder()
{
    const std::array<QWidget*, 9> order = {Picture1, bPasoPaso, List1, bCargaImgs, bReset,
                                           bPaso,    bUnaSola,  co,    bTodas};
    for (std::size_t i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
}

std::array<ImageControl*, 9> Form1::zonas() const
{
    return {zona11, zona12, zona13, zona21, zona22, zona23, zona31, zona32, zona33};
}

void Form1::updateEnabledStates()
{
    // A walkthrough holds the image on show under its mesh until its fifteenth press: nothing that
    // would change or recompute the loaded set is open to the user until then.
    const bool isIdleWithImages = hasLoadedImages() && !modoPaso;
    bCargaImgs->setEnabled(!modoPaso);
    for (QWidget* control : std::initializer_list<QWidget*>{bUnaSola, bPaso, bTodas, bReset, co})
        control->setEnabled(isIdleWithImages);
    bPasoPaso->setEnabled(modoPaso);
    // The stage list only shows the walkthrough's progress; the user never moves its highlight.
    List1->setEnabled(false);
    const bool zonesClickable = areZonesClickable();
    for (ImageControl* zone : zonas())
        zone->setEnabled(zonesClickable);
}

bool Form1::hasLoadedImages() const
{
    // The selector lists the loaded set once a load has read every one of its files, and is emptied
    // by "Descargar" and by every new load; what a failed load read does not count.
    return co->listCount() > 0;
}

bool Form1::areZonesClickable() const
{
    const WalkthroughStage* stage = walkthroughStage(pasoActual);
    return modoPaso && stage && stage->zonesClickable;
}

void Form1::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), formBackground);
    painter.drawImage(0, 0, background_);
}

int Form1::selectorEntryCount() const { return co->listCount(); }

void Form1::selectSelectorEntry(int index)
{
    // The keys window selects through the selector as the user would. While the selector is disabled
    // (a walkthrough holds the image under its mesh) the user cannot pick, so neither can it: the
    // walkthrough would go on with another picture on show, or with its mesh gone.
    if (!co->isEnabled())
        return;
    co->setListIndex(index);
}

void Form1::bringMainWindowToFront()
{
    show();
    raise();
    activateWindow();
}

} // namespace velsaro
