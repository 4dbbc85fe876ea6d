// The key computation driver: "Comparar" keys every loaded picture, "Normal" the picture on show, and
// the walkthrough one level at a time. Every pixel is read from Picture1 as it is shown, so the key
// is the key of what the user sees.
#include "app/main_window.h"

#include "app/walkthrough_stages.h"
#include "controls/combo_box.h"
#include "controls/list_box.h"
#include "controls/picture_box.h"
#include "controls/progress_bar.h"
#include "engine/key_engine.h"
#include "windows/form2.h"
#include "windows/form_clave_sola.h"

#include <QPushButton>

namespace velsaro {

namespace {

// The progress bar shows the mask being worked on, 1..9, and 10 once a level is done.
constexpr double levelDone = 10;

} // namespace

void Form1::connectDriver()
{
    connect(bTodas, &QPushButton::clicked, this, &Form1::bTodas_Click);
    connect(bUnaSola, &QPushButton::clicked, this, &Form1::bUnaSola_Click);
}

void Form1::bUnaSola_Click()
{
    modoUnaSola = true;
    formClaveSola->LClave->clear();
    bTodas_Click();
}

void Form1::bTodas_Click()
{
    for (QString& clave : claves)
        clave.clear();
    // The walkthrough computes at three stages only; at any other there is no level to run.
    if (modoPaso && stepMaskSize() == 0) {
        modoUnaSola = false;
        return;
    }
    const int count = modoUnaSola || modoPaso ? 1 : numImgs;
    if (isCompareRun())
        form2->beginKeys();
    for (int image = 1; image <= count; ++image) {
        if (isCompareRun()) {
            // Selecting the entry runs the selector's own handler, which shows the image.
            co->setListIndex(image - 1);
            co->repaint();
        }
        const QString key = keyOfImage(image);
        claves[image - 1] = key;
        handOverKey(image, key);
    }
    presentKeys(count);
    modoUnaSola = false;
}

int Form1::stepMaskSize() const
{
    const WalkthroughStage* stage = walkthroughStage(pasoActual);
    return stage ? stage->maskSize : 0;
}

QString Form1::keyOfImage(int image)
{
    QString key;
    int n = 2;
    for (int level = 0; level <= 2; ++level) {
        if (modoPaso) {
            n = stepMaskSize();
            level = 2;
        } else {
            n *= 2;
        }
        if (isCompareRun())
            Picture1->setPicture(ImageList1.item(image).picture);
        // The screen shows what is sampled: no paint event comes round while the run holds the loop.
        Picture1->refresh();
        const LevelResult result = computeLevelOnShow(n);
        keepLevel(result);
        key += QString::fromStdString(levelKeyText(result));
    }
    return key;
}

LevelResult Form1::computeLevelOnShow(int n)
{
    EngineOptions options;
    options.width = Picture1->width();
    options.height = Picture1->height();
    options.maskStarting = [this](int j) {
        ProgressBar1->setValue(j + 1);
        ProgressBar1->refresh();
    };
    const PictureBox& picture = *Picture1;
    const auto point = [&picture](int x, int y) { return picture.point(x, y); };
    LevelResult level = computeLevel(n, point, options);
    ProgressBar1->setValue(levelDone);
    return level;
}

void Form1::keepLevel(const LevelResult& level)
{
    // The detail window reads the last level computed from here.
    divisores = level.divisores;
    coeficientes = level.coeficientes;
    matrizP = level.matrizP;
    matrizS = level.matrizS;
}

void Form1::handOverKey(int image, const QString& key)
{
    if (modoUnaSola) {
        formClaveSola->LClave->addItem(key);
    } else if (modoPaso) {
        // The walkthrough's three runs build the whole key in the list's first entry, from the levels
        // kept here: the user may have closed the window since the last run.
        clavePaso_ += key;
        formClaveSola->LClave->setItemText(0, clavePaso_);
    } else {
        form2->showKey(image, key);
    }
}

void Form1::presentKeys(int count)
{
    if (modoUnaSola) {
        formClaveSola.show();
    } else if (!modoPaso) {
        form2->endKeys(count);
        numClavesDistintas = 0;
        coloreaClaves();
        form2.show();
    }
}

} // namespace velsaro
