// Form2, "Claves": the keys of a compare run, one row per image, rows with equal keys in one colour.
// A double-click on a row shows that image in the main window. Ctrl+C or the context menu copies the
// current row's key, or every key, one per line.
#pragma once

#include <QWidget>

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

private:
    void Form_Load();
    void aceptar_Click();
    void GridClaves_DblClick();
    void copyCurrentKey();
    void copyAllKeys();

    MainWindowLink& mainWindow_;
};

} // namespace velsaro
