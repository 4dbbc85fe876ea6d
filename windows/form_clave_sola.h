// FormClaveSola, "Clave": the key of the picture on show, after "Normal" or at the end of the
// walkthrough. A double-click on it brings the main window back to the front; Ctrl+C or the context
// menu copies the key.
#pragma once

#include <QWidget>

class QPushButton;

namespace velsaro {

class ListBox;
class MainWindowLink;

class FormClaveSola : public QWidget {
    Q_OBJECT

public:
    static constexpr int clientWidth = 613;
    static constexpr int clientHeight = 138;

    // Builds the window hidden.
    explicit FormClaveSola(MainWindowLink& mainWindow);

    QPushButton* aceptar = nullptr;
    ListBox* LClave = nullptr;

private:
    void aceptar_Click();
    void LClave_DblClick();
    void copyKey();

    MainWindowLink& mainWindow_;
};

} // namespace velsaro
