// Form1, the main window: the picture under study, the walkthrough's stages and description, the
// controls, and the shared state of the whole program. Its controls and the windows it opens are
// public, what a user sees and clicks; its state and handlers are its own. The other windows reach it
// through MainWindowLink, the tests through testing::Form1Access.
#pragma once

#include "app/shared_state.h"
#include "controls/image_list.h"
#include "controls/secondary_window.h"
#include "windows/main_window_link.h"

#include <QImage>
#include <QWidget>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

class QLabel;
class QMimeData;
class QPushButton;
class QUrl;

namespace velsaro {

class ComboBox;
class FileOpenDialog;
class Form2;
class Form3;
class FormClaveSola;
class ImageControl;
struct LevelResult;
class ListBox;
class MessageBox;
class PictureBox;
class PictureButton;
class ProgressBar;
struct WalkthroughStage;

namespace testing {
class Form1Access;
}

class Form1 : public QWidget, private SharedState, public MainWindowLink {
    Q_OBJECT

public:
    static constexpr int clientWidth = 800;
    static constexpr int clientHeight = 600;

    // The file dialog and the message box are the controls the tests replace; the window owns neither.
    Form1(FileOpenDialog& commonDialog, MessageBox& messageBox, QWidget* parent = nullptr);
    ~Form1() override;

    // Left panel.
    PictureBox* Picture1 = nullptr;
    ProgressBar* ProgressBar1 = nullptr;
    ImageControl* zona11 = nullptr;
    ImageControl* zona12 = nullptr;
    ImageControl* zona13 = nullptr;
    ImageControl* zona21 = nullptr;
    ImageControl* zona22 = nullptr;
    ImageControl* zona23 = nullptr;
    ImageControl* zona31 = nullptr;
    ImageControl* zona32 = nullptr;
    ImageControl* zona33 = nullptr;
    // Right panels.
    ListBox* List1 = nullptr;
    PictureButton* bPasoPaso = nullptr;
    QLabel* Label7 = nullptr;
    QPushButton* bUnaSola = nullptr;
    QPushButton* bPaso = nullptr;
    QPushButton* bTodas = nullptr;
    ComboBox* co = nullptr;
    QPushButton* bCargaImgs = nullptr;
    QPushButton* bReset = nullptr;

    // The secondary windows, each created hidden by its first reference.
    SecondaryWindow<Form2> form2;
    SecondaryWindow<FormClaveSola> formClaveSola;
    SecondaryWindow<Form3> form3;

    // The nine click areas, row by row from the top left.
    std::array<ImageControl*, 9> zonas() const;

    // One to eight picture files, as bytes from the command line or a drop, replace the loaded set as
    // if picked in "Cargar Imagen": the same checks and messages. Nothing happens for no file.
    void openFiles(const std::vector<std::string>& paths);

    // MainWindowLink.
    int selectorEntryCount() const override;
    void selectSelectorEntry(int index) override;
    void bringMainWindowToFront() override;

private:
    friend class testing::Form1Access;

    // The loaded pictures (and, during a walkthrough, the mesh slot) and the four mesh pictures.
    ImageList ImageList1;
    ImageList ImageList2;
    FileOpenDialog& CommonDialog1;

    // Colours rows 1..numImgs of the keys grid: equal keys alike, in the order of tablaColores.
    void coloreaClaves();
    // The colour number of the row of tablaColores whose key is clave; 0 when none of the
    // numClavesDistintas rows holds it.
    std::int32_t colorDeClave(const QString& clave) const;

    // "Comparar": the keys of every loaded picture into the keys window. "Normal" and the walkthrough's
    // computing stages run the same driver in single-image and step mode.
    void bTodas_Click();
    void bUnaSola_Click();

    // "Cargar Imagen": one to eight picture files replace the loaded set.
    void bCargaImgs_Click();
    // Picking an entry of the image selector shows that image.
    void co_Click();
    // "Descargar": no picture loaded, the results windows empty, only "Cargar Imagen" enabled.
    void bReset_Click();

    // The walkthrough: "Paso a Paso" enters step mode, the next-step button performs stage pasoActual.
    void bPaso_Click();
    void bPasoPaso_Click();

    // The nine click areas: each shows its intersection's detail for the level of the current stage.
    void zona11_Click();
    void zona12_Click();
    void zona13_Click();
    void zona21_Click();
    void zona22_Click();
    void zona23_Click();
    void zona31_Click();
    void zona32_Click();
    void zona33_Click();

    // Sets every control's enabled state from the loaded images, the walkthrough and its stage; called
    // wherever one of them changes.
    void updateEnabledStates();
    bool hasLoadedImages() const;
    bool areZonesClickable() const;

    void buildLeftPanel();
    void buildStagesPanel();
    void buildDescriptionPanel();
    void buildControlsPanel();
    void buildClickAreas();
    void setFocusOrder();
    void connectDriver();
    void connectSelection();
    void connectLoading();
    // The steps of a load, whichever way the files were chosen: the number of files checked; every
    // file read into the loaded set, or the load abandoned at the first that cannot be; then the set
    // listed in the selector with its first picture on show.
    void loadFiles(const std::vector<std::string>& paths);
    bool readChosenFiles(const std::vector<std::string>& paths);
    void listLoadedImages();
    void abandonLoad(const QString& fileName, const QString& reason);

    // The driver's steps.
    bool isCompareRun() const { return !modoUnaSola && !modoPaso; }
    int stepMaskSize() const;
    QString keyOfImage(int image);
    LevelResult computeLevelOnShow(int n);
    void keepLevel(const LevelResult& level);
    void handOverKey(int image, const QString& key);
    void presentKeys(int count);

    void connectWalkthrough();
    void connectClickAreas();

    // The walkthrough's steps: every stage but the last is performed from its row of the stage
    // table; the last one ends the walkthrough.
    void performStage(const WalkthroughStage& stage, std::int16_t image);
    void endWalkthrough(const WalkthroughStage& last, std::int16_t image);
    std::int16_t selectedImageNumber() const;
    void highlightStageRow(int row);
    void addMeshSlot(int meshEntry, const QString& key);
    void replaceMeshSlot(int meshEntry, const QString& key);
    void showMesh(std::int16_t image);

    // Fills the detail window with the sample, coefficients, average and digits of the intersection
    // zona (row and column from 1, as in zona22) for the level of the current stage, then shows it.
    void muestraInterseccion(const std::int16_t& zona);

    void Form_Load();
    void Form_Unload();
    void closeEvent(QCloseEvent* event) override;
    // Files dropped on the window load like files chosen in "Cargar Imagen", while it is enabled.
    bool acceptsDrop(const QMimeData& data) const;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void openDroppedUrls(const QList<QUrl>& urls);
    void paintEvent(QPaintEvent* event) override;

    MessageBox& messageBox_;
    // The key a walkthrough builds level by level, kept here so that closing the single-key window
    // midway loses none of it.
    QString clavePaso_;
    QImage background_;
    QImage titleStrip_;
};

} // namespace velsaro
