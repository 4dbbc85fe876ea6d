// Random use of the whole program: thousands of actions, each picked among those the user can take at
// that moment, on a pool of good and bad picture files. After every action the windows are checked
// against a model of what the user should see: the enabled controls, the loaded set and the selector,
// the picture on show, the mesh of the walkthrough and every key shown against the engine's key.
//
// Every seed is reproducible. A failure prints its seed and the actions that led to it; a seed that
// once found a fault stays in regressionSeeds. To explore other seeds or longer runs:
//   VELSARO_EXPLORATION_SEEDS=7,8,9 VELSARO_EXPLORATION_ACTIONS=5000 build/tests/app/velsaro_app_tests
//     --gtest_filter='Seeds/Exploration.*'
// The default number of actions per seed comes from the build (fewer under the sanitizers, which run
// several times slower).
#include "tests/app/loaded_form1.h"

#include "controls/flex_grid.h"
#include "controls/picture_box.h"
#include "picture/picture_file.h"
#include "controls/progress_bar.h"
#include "controls/user_number_text.h"
#include "resources/pictures.h"
#include "windows/form2.h"
#include "windows/form3.h"
#include "windows/form_clave_sola.h"

#include <QFile>
#include <QLineEdit>
#include <QTableWidget>

#include <algorithm>
#include <cstdlib>
#include <deque>
#include <functional>
#include <optional>
#include <random>
#include <sstream>

#ifndef VELSARO_EXPLORATION_ACTIONS
#define VELSARO_EXPLORATION_ACTIONS 600
#endif

namespace velsaro::testing {
namespace {

// Seeds that found a fault once, each kept with the fault it found.
const std::vector<unsigned> regressionSeeds = {
    6, // a double-click in the keys window during a walkthrough changed the image under the mesh
};
// Further seeds explored on every run.
const std::vector<unsigned> explorationSeeds = {1, 2, 3, 4, 5, 7};

std::vector<unsigned> seedsToRun()
{
    const QByteArray asked = qgetenv("VELSARO_EXPLORATION_SEEDS");
    if (asked.isEmpty()) {
        std::vector<unsigned> seeds = regressionSeeds;
        seeds.insert(seeds.end(), explorationSeeds.begin(), explorationSeeds.end());
        return seeds;
    }
    std::vector<unsigned> seeds;
    for (const QByteArray& seed : asked.split(','))
        seeds.push_back(seed.trimmed().toUInt());
    return seeds;
}

int actionsPerSeed()
{
    bool isNumber = false;
    const int asked = qEnvironmentVariableIntValue("VELSARO_EXPLORATION_ACTIONS", &isNumber);
    return isNumber && asked > 0 ? asked : VELSARO_EXPLORATION_ACTIONS;
}

const QString tooManyFiles =
    QString::fromUtf8("Ha seleccionado demasiados archivos (Máximo 8). O la ruta del directorio es demasiado larga.");

QString unreadable(const QString& name, const QString& reason)
{
    return QString::fromUtf8("No se pudo cargar la imagen \"%1\": %2.")
        .arg(name, reason);
}

// Row i of the keys grid takes the colour of its key's place among the distinct keys.
constexpr std::array<std::int32_t, 8> distinctKeyColours = {16711680, 255,      65280,    16777215,
                                                            65535,    16776960, 16711935, 2048};

// ---- The files the user chooses from ----

struct PoolFile {
    QString path;
    QString name;
    bool valid = false;
    QImage picture = {}; // as the program decodes it
    QString key = {};    // the engine's key of the picture shown in the picture area
};

QImage stripes(int width, int height, int colours)
{
    return palettePicture(width, height, {qRgb(10, 20, 30), qRgb(200, 40, 90), qRgb(60, 220, 120), qRgb(250, 250, 5)},
                          [=](int x, int y) { return (x / 7 + y / 5) % colours; });
}

QByteArray cut(const QByteArray& whole) { return whole.left(whole.size() * 2 / 3); }

QByteArray bitmapClaiming(int width, int height)
{
    QByteArray bytes = bmp24(variedPicture(16, 16, 2));
    for (int i = 0; i < 4; ++i) {
        bytes[18 + i] = char((width >> (8 * i)) & 0xFF);
        bytes[22 + i] = char((height >> (8 * i)) & 0xFF);
    }
    return bytes;
}

// Good pictures of several sizes and the three formats, some with equal keys, and files the program
// must refuse; all in one folder, as the dialog returns them.
class FilePool {
public:
    FilePool()
    {
        const QImage face = variedPicture(430, 503, 1);
        addGood("cara 1.bmp", bmp24(face));
        addGood("gemela.bmp", bmp24(face)); // the same key as "cara 1.bmp"
        addGood("cara señora ñ.jpg", jpeg(variedPicture(430, 503, 2)));
        addGood("FOTO.JPG", jpeg(variedPicture(640, 480, 3)));
        addGood("rayas.gif", gif({stripes(430, 503, 3)}));
        addGood("chica.gif", gif({stripes(50, 40, 4)}));
        addGood("ancha.bmp", bmp24(variedPicture(900, 200, 4)));
        addGood("alta.jpeg", jpeg(variedPicture(120, 600, 5)));
        addGood("gris.jpg", jpeg(variedPicture(430, 503, 6), JpegColour::Grey));
        addGood("paleta.bmp", bmp8(stripes(300, 300, 4)));
        addGood("liso.bmp", bmp24(solidPicture(430, 503, QColor(20, 140, 150))));
        addGood("liso.gif", gif({stripes(430, 503, 1)})); // one colour too: the key of "liso.bmp"
        addGood("negro.bmp", bmp24(solidPicture(430, 503, Qt::black)));
        addGood("punto.bmp", bmp24(solidPicture(1, 1, Qt::white)));
        addGood("dos:puntos.gif", gif({stripes(200, 250, 2)}));

        const QByteArray jpegFile = jpeg(variedPicture(430, 503, 7));
        addBad("vacía.jpg", QByteArray());
        addBad("texto.jpg", QByteArray("esto no es una imagen\n"));
        addBad("cortada.jpg", cut(jpegFile));
        addBad("cortada.gif", cut(gif({stripes(430, 503, 3)})));
        addBad("cortada.bmp", cut(bmp24(variedPicture(430, 503, 8))));
        addBad("enorme.bmp", bitmapClaiming(60000, 60000));
        files_.push_back({folder_.makeFolder("carpeta.bmp"), "carpeta.bmp"});
        const QString link = folder_.filePath("rota.gif");
        QFile::link(folder_.filePath("no-existe.gif"), link);
        files_.push_back({link, "rota.gif"});
        const QString gone = addBad("borrada.jpg", jpegFile).path;
        QFile::remove(gone);
    }

    const std::vector<PoolFile>& files() const { return files_; }

private:
    void addGood(const char* name, const QByteArray& bytes)
    {
        PoolFile file{folder_.write(QString::fromUtf8(name), bytes), QString::fromUtf8(name), true};
        file.picture = readPictureFile(QFile::encodeName(file.path).toStdString()).image;
        file.key = engineKey(file.picture);
        files_.push_back(file);
    }

    const PoolFile& addBad(const char* name, const QByteArray& bytes)
    {
        files_.push_back({folder_.write(QString::fromUtf8(name), bytes), QString::fromUtf8(name)});
        return files_.back();
    }

    TemporaryFolder folder_;
    std::vector<PoolFile> files_;
};

// The first count codes of key after the first first, each with its ".".
QString codesOf(const QString& key, int first, int count)
{
    const QStringList codes = key.split(QLatin1Char('.'), Qt::SkipEmptyParts);
    QString text;
    for (int i = first; i < first + count && i < codes.size(); ++i)
        text += codes[i] + QLatin1Char('.');
    return text;
}

// ---- What the user should see ----

struct Model {
    std::vector<const PoolFile*> loaded; // the loaded set, in selector order
    int selected = -1;                   // selector entry on show
    int stage = 0;                       // 0 outside a walkthrough, else the stage the next press performs
    int walked = -1;                     // selector entry being walked
    bool keysInGrid = false;             // the keys grid holds the keys of the loaded set
    // The single-key list holds codes [first, first + count) of one image's key; none: it is empty.
    struct Codes {
        int image;
        int first;
        int count;
    };
    std::optional<Codes> clave;
    int messages = 0;
};

// The mesh entry shown over the walked image before the press of stage.
int meshEntryAt(int stage)
{
    return stage <= 2 ? 1 : stage <= 6 ? 2 : stage <= 10 ? 3 : 4;
}

bool zonesOpenAt(int stage) { return stage == 6 || stage == 10 || stage == 14; }

// ---- The exploration ----

class Exploration : public LoadedForm1Test, public ::testing::WithParamInterface<unsigned> {
protected:
    static void SetUpTestSuite() { pool_ = new FilePool; }
    static void TearDownTestSuite()
    {
        delete pool_;
        pool_ = nullptr;
    }

    void SetUp() override
    {
        random_.seed(GetParam());
        form1->show();
    }

    void explore(int actions)
    {
        for (int i = 0; i < actions; ++i) {
            act();
            runDeferredDeletes();
            if (!HasFailure())
                checkEverything();
            if (HasFailure()) {
                ADD_FAILURE() << "seed " << GetParam() << ", action " << i + 1 << "; the last actions:\n"
                              << recentActions();
                return;
            }
        }
    }

private:
    unsigned below(unsigned n) { return unsigned(random_() % n); }
    bool chance(unsigned percent) { return below(100) < percent; }

    void note(const QString& action)
    {
        log_.push_back(action.toStdString());
        if (log_.size() > 40)
            log_.pop_front();
    }

    std::string recentActions() const
    {
        std::ostringstream text;
        for (const std::string& line : log_)
            text << "  " << line << "\n";
        return text.str();
    }

    static bool isOn(const QWidget* control) { return control->isEnabled() && control->isVisible(); }

    // One action among those the windows offer now, weighted so that walkthroughs run to their end
    // and loads mostly succeed.
    void act()
    {
        std::vector<std::pair<unsigned, std::function<void()>>> offered;
        const auto offer = [&](unsigned weight, std::function<void()> action) {
            offered.emplace_back(weight, std::move(action));
        };
        if (isOn(form1->bCargaImgs))
            offer(10, [this] { loadSomething(); });
        if (isOn(form1->co) && form1->co->listCount() > 1)
            offer(8, [this] { pickEntry(); });
        if (isOn(form1->bUnaSola))
            offer(6, [this] { normal(); });
        if (isOn(form1->bTodas))
            offer(4, [this] { compare(); });
        if (isOn(form1->bReset))
            offer(3, [this] { descargar(); });
        if (isOn(form1->bPaso))
            offer(6, [this] { pasoAPaso(); });
        if (isOn(form1->bPasoPaso))
            offer(60, [this] { nextStep(); });
        if (isOn(form1->zona11))
            offer(30, [this] { clickZone(); });
        if (form1->form2.isShown()) {
            offer(4, [this] { doubleClickKeyRow(); });
            offer(2, [this] { closeKeysWindow(); });
        }
        if (form1->formClaveSola.isShown()) {
            offer(2, [this] { doubleClickSingleKey(); });
            offer(2, [this] { closeSingleKeyWindow(); });
        }
        if (form1->form3.isShown())
            offer(3, [this] { closeDetailWindow(); });
        offer(2, [this] { clickSomethingDisabled(); });

        unsigned total = 0;
        for (const auto& choice : offered)
            total += choice.first;
        unsigned pick = below(total);
        for (const auto& [weight, action] : offered) {
            if (pick < weight) {
                action();
                return;
            }
            pick -= weight;
        }
    }

    // ---- Actions ----

    void loadSomething()
    {
        const unsigned kind = below(100);
        if (kind < 6) {
            note("Cargar Imagen, cancelled");
            dialog.cancel();
            click(form1->bCargaImgs);
            unloaded();
            return;
        }
        if (kind < 8) {
            note("Cargar Imagen, the dialog fails");
            const int messagesBefore = int(messages.shown().size());
            dialog.fail();
            click(form1->bCargaImgs);
            unloaded();
            expectMessage(messagesBefore, tooManyFiles);
            return;
        }
        const bool onlyGood = kind < 75;
        const int count = kind < 95 ? 1 + int(below(8)) : 9;
        std::vector<const PoolFile*> candidates;
        for (const PoolFile& file : pool_->files())
            if (file.valid || !onlyGood)
                candidates.push_back(&file);
        std::vector<const PoolFile*> chosen;
        for (int i = 0; i < count && !candidates.empty(); ++i) {
            const unsigned at = below(unsigned(candidates.size()));
            chosen.push_back(candidates[at]);
            candidates.erase(candidates.begin() + at);
        }
        QStringList paths;
        QStringList names;
        for (const PoolFile* file : chosen) {
            paths.append(file->path);
            names.append(file->name);
        }
        note(QStringLiteral("Cargar Imagen: ") + names.join(QStringLiteral(", ")));
        const int messagesBefore = int(messages.shown().size());
        dialog.choose(paths);
        click(form1->bCargaImgs);

        unloaded();
        const auto firstBad = std::find_if(chosen.begin(), chosen.end(), [](const PoolFile* f) { return !f->valid; });
        if (chosen.size() > 8) {
            expectMessage(messagesBefore, tooManyFiles);
        } else if (firstBad != chosen.end()) {
            const QString reason = readPictureFile(QFile::encodeName((*firstBad)->path).toStdString()).reason;
            expectMessage(messagesBefore, unreadable((*firstBad)->name, reason));
        } else {
            model_.loaded = chosen;
            model_.selected = 0;
        }
    }

    void expectMessage(int before, const QString& text)
    {
        ++model_.messages;
        ASSERT_EQ(messages.shown().size(), before + 1);
        EXPECT_EQ(messages.shown().back(), text);
    }

    // What "Descargar" leaves, which every load starts from.
    void unloaded()
    {
        model_.loaded.clear();
        model_.selected = -1;
        model_.stage = 0;
        model_.keysInGrid = false;
        model_.clave.reset();
    }

    void pickEntry()
    {
        const int entry = int(below(unsigned(model_.loaded.size())));
        note(QStringLiteral("pick entry %1").arg(entry));
        LoadedForm1Test::pickEntry(entry);
        model_.selected = entry;
    }

    void normal()
    {
        note("Normal");
        click(form1->bUnaSola);
        model_.clave = Model::Codes{model_.selected, 0, 27};
    }

    void compare()
    {
        note("Comparar");
        click(form1->bTodas);
        model_.keysInGrid = true;
        model_.selected = int(model_.loaded.size()) - 1;
    }

    void descargar()
    {
        note("Descargar");
        click(form1->bReset);
        unloaded();
    }

    void pasoAPaso()
    {
        note("Paso a Paso");
        click(form1->bPaso);
        model_.stage = 1;
        model_.walked = model_.selected;
        model_.clave.reset();
    }

    void nextStep()
    {
        const int stage = model_.stage;
        note(QStringLiteral("next step, stage %1").arg(stage));
        click(form1->bPasoPaso);
        // The walkthrough keeps every level it has computed: a single-key window closed meanwhile
        // comes back with all of them, at the next level and at the end.
        if (stage == 3 || stage == 7 || stage == 11)
            model_.clave = Model::Codes{model_.walked, 0, 9 * ((stage + 1) / 4)};
        if (stage == 15)
            model_.clave = Model::Codes{model_.walked, 0, 27};
        model_.stage = stage == 15 ? 0 : stage + 1;
        if (stage == 15) {
            EXPECT_TRUE(form1->formClaveSola.isShown());
        }
    }

    void clickZone()
    {
        const int j = int(below(9));
        const int stage = model_.stage;
        note(QStringLiteral("click zone %1%2 at stage %3").arg(j / 3 + 1).arg(j % 3 + 1).arg(stage));
        QTest::mouseClick(form1->zonas()[std::size_t(j)], Qt::LeftButton, {}, QPoint(20, 20));
        expectDetail(j, stage);
    }

    // The page of the stage's level shows the intersection's average and digits of the walked image.
    void expectDetail(int j, int stage)
    {
        ASSERT_TRUE(form1->form3.isShown());
        const int level = stage / 4;
        const int n = 2 << level;
        const LevelResult expected = engineLevel(model_.loaded[std::size_t(model_.walked)]->picture, n);
        Form3& form3 = *form1->form3;
        EXPECT_EQ(form3.frontPage(), level - 1);
        const std::array<QLineEdit*, 3> promedios = {form3.Text1, form3.Text2, form3.Text5};
        const std::array<QLineEdit*, 3> claves = {form3.Text4, form3.Text3, form3.Text6};
        QString digits;
        for (int neighbour : {0, 1, 2, 3, 5, 6, 7, 8})
            digits += QString::number(expected.matrizS[std::size_t(j)][std::size_t(neighbour)]);
        EXPECT_EQ(claves[std::size_t(level - 1)]->text(), digits);
        EXPECT_EQ(promedios[std::size_t(level - 1)]->text(),
                  twoDecimalUserText(expected.matrizP[std::size_t(j / 3)][std::size_t(j % 3)]));
    }

    void doubleClickKeyRow()
    {
        FlexGrid& grid = *form1->form2->GridClaves;
        const int row = int(below(unsigned(grid.rows())));
        note(QStringLiteral("double-click keys row %1").arg(row));
        const int currentBefore = grid.row();
        QTableWidget* table = grid.table();
        const QModelIndex cell = table->model()->index(row, 0);
        table->scrollTo(cell);
        const QPoint centre = table->visualRect(cell).center();
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, centre);
        QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, centre);
        // The header row never becomes current; a row without an image behind it changes nothing,
        // and nor does any row while a walkthrough holds the selection.
        const int acted = row >= 1 ? row : currentBefore;
        if (model_.stage == 0 && acted >= 1 && acted <= int(model_.loaded.size()))
            model_.selected = acted - 1;
    }

    void closeKeysWindow()
    {
        const bool byButton = chance(50);
        note(byButton ? "Aceptar on Claves" : "close box of Claves");
        if (byButton)
            click(form1->form2->aceptar);
        else
            form1->form2->close();
        model_.keysInGrid = false;
    }

    void doubleClickSingleKey()
    {
        note("double-click the single key");
        ListBox& list = *form1->formClaveSola->LClave;
        const QPoint at = list.listCount() > 0 ? list.visualItemRect(list.item(0)).center() : QPoint(10, 10);
        QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, at);
    }

    void closeSingleKeyWindow()
    {
        const bool byButton = chance(50);
        note(byButton ? "Aceptar on Clave" : "close box of Clave");
        if (byButton)
            click(form1->formClaveSola->aceptar);
        else
            form1->formClaveSola->close();
        model_.clave.reset();
    }

    void closeDetailWindow()
    {
        note("close box of the detail window");
        form1->form3->close();
    }

    // A click on a disabled control does nothing at all.
    void clickSomethingDisabled()
    {
        std::vector<QWidget*> disabled;
        for (QWidget* control : std::initializer_list<QWidget*>{form1->bCargaImgs, form1->bReset, form1->bUnaSola,
                                                                form1->bPaso, form1->bTodas, form1->bPasoPaso})
            if (!control->isEnabled())
                disabled.push_back(control);
        for (ImageControl* zone : form1->zonas())
            if (!zone->isEnabled())
                disabled.push_back(zone);
        if (disabled.empty())
            return;
        QWidget* control = disabled[below(unsigned(disabled.size()))];
        note(QStringLiteral("click disabled %1").arg(control->metaObject()->className()));
        QTest::mouseClick(control, Qt::LeftButton, {}, QPoint(5, 5));
    }

    static void click(QWidget* button) { QTest::mouseClick(button, Qt::LeftButton); }

    // ---- Invariants ----

    void checkEverything()
    {
        checkEnabledControls();
        checkState();
        checkLoadedSet();
        checkPictureOnShow();
        checkKeysGrid();
        checkSingleKey();
        EXPECT_EQ(messages.shown().size(), model_.messages);
    }

    void checkEnabledControls()
    {
        QStringList expected;
        if (model_.stage > 0) {
            expected = {"bPasoPaso"};
            if (zonesOpenAt(model_.stage))
                expected.append("zonas");
        } else {
            expected = model_.loaded.empty() ? nothingLoaded : picturesLoaded;
        }
        EXPECT_EQ(enabledControls(*form1), expected);
    }

    void checkState()
    {
        EXPECT_EQ(form1->modoPaso, model_.stage > 0);
        EXPECT_EQ(form1->pasoActual, model_.stage > 0 ? model_.stage : 1);
        EXPECT_FALSE(form1->modoUnaSola);
        if (!model_.loaded.empty()) {
            EXPECT_EQ(form1->numImgs, int(model_.loaded.size()));
        }
        EXPECT_EQ(form1->ProgressBar1->min(), 1);
        EXPECT_EQ(form1->ProgressBar1->max(), 10);
    }

    void checkLoadedSet()
    {
        const int count = int(model_.loaded.size());
        const int meshSlot = model_.stage > 0 ? 1 : 0;
        ASSERT_EQ(form1->ImageList1.count(), count + meshSlot);
        ASSERT_EQ(form1->co->listCount(), count);
        for (int i = 0; i < count; ++i) {
            const PoolFile& file = *model_.loaded[std::size_t(i)];
            EXPECT_EQ(form1->co->itemText(i), QStringLiteral("%1:%2").arg(i + 1).arg(file.name));
            const ImageListEntry entry = form1->ImageList1.item(i + 1);
            EXPECT_EQ(entry.key, file.name);
            EXPECT_TRUE(samePixels(entry.picture, file.picture)) << file.name.toStdString();
        }
        if (meshSlot == 1) {
            const QImage mesh = resources::meshPicture(meshEntryAt(model_.stage));
            EXPECT_TRUE(samePixels(form1->ImageList1.item(count + 1).picture, mesh));
        }
        EXPECT_EQ(form1->co->listIndex(), model_.stage > 0 ? model_.walked : model_.selected);
    }

    void checkPictureOnShow()
    {
        if (model_.loaded.empty()) {
            EXPECT_FALSE(form1->Picture1->hasPicture());
            return;
        }
        const int image = model_.stage > 0 ? model_.walked : model_.selected;
        const PoolFile& file = *model_.loaded[std::size_t(image)];
        if (model_.stage < 2) {
            EXPECT_TRUE(samePixels(form1->Picture1->picture(), file.picture)) << file.name.toStdString();
            return;
        }
        // From the first press on: the picture as the area shows it, with the mesh's dark lines over it.
        const QImage mesh = resources::meshPicture(meshEntryAt(model_.stage)).convertToFormat(QImage::Format_ARGB32);
        const DrawingArea plain(file.picture);
        int wrong = 0;
        for (int sample = 0; sample < 200; ++sample) {
            const int x = int(below(unsigned(mesh.width())));
            const int y = int(below(unsigned(mesh.height())));
            const QRgb over = mesh.pixel(x, y);
            const bool seeThrough = qAlpha(over) == 0 || (over & 0xFFFFFFu) == 0xFFFFFFu;
            const std::int32_t expected = seeThrough ? plain.point(x, y) : numberOfColour(QColor(over));
            wrong += form1->Picture1->point(x, y) == expected ? 0 : 1;
        }
        EXPECT_EQ(wrong, 0) << "pixels unlike the mesh over " << file.name.toStdString();
    }

    void checkKeysGrid()
    {
        if (!form1->form2.exists())
            return;
        const FlexGrid& grid = *form1->form2->GridClaves;
        if (!model_.keysInGrid) {
            EXPECT_EQ(grid.rows(), 2);
            EXPECT_EQ(grid.textAt(1, 0), QString());
            return;
        }
        const int count = int(model_.loaded.size());
        ASSERT_EQ(grid.rows(), count + 1);
        QStringList distinct;
        for (int row = 1; row <= count; ++row) {
            const QString& key = model_.loaded[std::size_t(row - 1)]->key;
            EXPECT_EQ(grid.textAt(row, 0), key) << "row " << row;
            if (!distinct.contains(key))
                distinct.append(key);
            EXPECT_EQ(grid.cellBackColorAt(row, 0), distinctKeyColours[std::size_t(distinct.indexOf(key))])
                << "row " << row;
        }
    }

    void checkSingleKey()
    {
        if (!form1->formClaveSola.exists())
            return;
        const ListBox& list = *form1->formClaveSola->LClave;
        if (!model_.clave) {
            EXPECT_EQ(list.listCount(), 0);
            return;
        }
        ASSERT_EQ(list.listCount(), 1);
        const Model::Codes& codes = *model_.clave;
        const QString& key = model_.loaded[std::size_t(codes.image)]->key;
        EXPECT_EQ(list.itemText(0), codesOf(key, codes.first, codes.count));
    }

    static FilePool* pool_;
    std::mt19937 random_;
    Model model_;
    std::deque<std::string> log_;
};

FilePool* Exploration::pool_ = nullptr;

TEST_P(Exploration, EveryActionLeavesTheWindowsAsTheUserShouldSeeThem)
{
    explore(actionsPerSeed());
}

INSTANTIATE_TEST_SUITE_P(Seeds, Exploration, ::testing::ValuesIn(seedsToRun()),
                         [](const ::testing::TestParamInfo<unsigned>& info) {
                             return "seed" + std::to_string(info.param);
                         });

} // namespace
} // namespace velsaro::testing
