// Form3, "Datos de la intersección seleccionada": one page per level, stacked at the same place, each
// with the magnified sample of one intersection, its coefficient matrix, its average and its key
// digits. Only the page in front shows; the pages behind it are hidden, so that the focus and Tab
// never reach their controls.
#pragma once

#include <QWidget>

#include <array>

class QLineEdit;

namespace velsaro {

class FlexGrid;
class PictureBox;

class Form3 : public QWidget {
    Q_OBJECT

public:
    static constexpr int clientWidth = 698;
    static constexpr int clientHeight = 365;

    // Builds the window hidden, with its design content, and runs its load step.
    Form3();

    // The three pages, level 1 to 3.
    std::array<QWidget*, 3> Frame1{};
    PictureBox* Picture1 = nullptr;
    PictureBox* Picture2 = nullptr;
    PictureBox* Picture3 = nullptr;
    FlexGrid* MSFlexGrid1 = nullptr;
    FlexGrid* MSFlexGrid2 = nullptr;
    FlexGrid* MSFlexGrid3 = nullptr;
    // "Promedio" and "Clave" of level 1 (Text1, Text4), level 2 (Text2, Text3), level 3 (Text5, Text6).
    QLineEdit* Text1 = nullptr;
    QLineEdit* Text2 = nullptr;
    QLineEdit* Text3 = nullptr;
    QLineEdit* Text4 = nullptr;
    QLineEdit* Text5 = nullptr;
    QLineEdit* Text6 = nullptr;

    // The page in front, 0..2: the one raised last.
    int frontPage() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildPage(int level);
    void showOnlyFrontPage();
    void Form_Load();
};

} // namespace velsaro
