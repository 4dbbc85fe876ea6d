// Form2, "Claves": the keys of a compare run, one row per image, rows with equal keys in one colour.
// A double-click on a row shows that image in the main window. Ctrl+C or the context menu copies the
// current row's key, or every key, one per line.
#pragma once

#include <QWidget>

#include <cstdint>

class QPushButton;

namespace velsaro {

class FlexGrid;
class MainWindowLink;

class Form2 : public QWidget {
    Q_OBJECT

public:
    static constexpr int clientWidth = 609;
    static constexpr int clientHeight = 252;

    // Builds the window hidden and runs its load step.
    explicit Form2(MainWindowLink& mainWindow);

    QPushButton* aceptar = nullptr;
    FlexGrid* GridClaves = nullptr;

    // A compare run fills the grid as it computes: beginKeys leaves the header row and one empty key
    // row, showKey writes the key of image i into row i and appends a row for the next one, and
    // endKeys removes the row left below the last of count keys and writes the header.
    void beginKeys();
    void showKey(int image, const QString& key);
    void endKeys(int count);
    // Gives the key row of image its background colour (a colour number); text on the two dark
    // colours turns white.
    void colourKey(int image, std::int32_t colour);
    // Every cell empty, the header's too, over the header row and one key row: the grid of no loaded
    // images.
    void clearKeys();

private:
    void shapeGrid();
    void makeCurrent(int row);
    void Form_Load();
    void aceptar_Click();
    void GridClaves_DblClick();
    void copyCurrentKey();
    void copyAllKeys();

    MainWindowLink& mainWindow_;
};

} // namespace velsaro
