// A grid of text cells with a current cell, fixed header rows and columns, per-cell colours and column
// widths in twips: what the keys window and the detail window need of a grid, over a Qt table.
#pragma once

#include <QWidget>

#include <cstdint>
#include <vector>

class QTableWidget;
class QTableWidgetItem;

namespace velsaro {

class FlexGrid : public QWidget {
    Q_OBJECT

public:
    // Column alignments; Centre is the one the keys window asks for. General puts text on the left and
    // numbers on the right, and is every column's alignment until it is set.
    enum Alignment : int {
        LeftTop = 0, LeftCentre, LeftBottom,
        CentreTop, Centre, CentreBottom,
        RightTop, RightCentre, RightBottom,
        General,
    };

    // Width of a column whose width was never set.
    static constexpr int defaultColumnTwips = 960;

    // Two rows and two columns, the first of each fixed, like a freshly placed grid.
    explicit FlexGrid(QWidget* parent = nullptr);

    int rows() const;
    int cols() const;
    int fixedRows() const { return fixedRows_; }
    int fixedCols() const { return fixedCols_; }
    // Shape. Rows and columns added at the end are empty; cells cut off are lost. Fixed counts are
    // kept within the shape: never more fixed rows than rows, and a smaller shape lowers them.
    void setRows(int count);
    void setCols(int count);
    void setFixedRows(int count);
    void setFixedCols(int count);

    // The current cell, 0-based. A row or column outside the grid is refused (false) and leaves the
    // current cell as it was; so do the text and colour calls when the current cell no longer exists.
    // The user moves it among the cells that are not fixed with the mouse and the keys.
    int row() const { return row_; }
    int col() const { return col_; }
    bool setRow(int row);
    bool setCol(int col);
    QString text() const;
    bool setText(const QString& text);
    QString textAt(int row, int col) const;
    // The font a cell's text is drawn in: the grid's own, condensed for a text a little wider than its
    // column.
    QFont cellFont(int row, int col) const;

    // Colours of the current cell as colour numbers (red + 256 x green + 65536 x blue). A cell keeps
    // them until the grid is cleared; a number outside 0..16777215 is refused.
    bool setCellBackColor(std::int32_t colour);
    bool setCellForeColor(std::int32_t colour);
    // The colour number each cell is painted in, its own or the default of its kind.
    std::int32_t cellBackColorAt(int row, int col) const;
    std::int32_t cellForeColorAt(int row, int col) const;

    // Column width in twips, 15 to the pixel; the grid shows it in whole pixels, rounded.
    bool setColWidth(int col, int twips);
    int colWidth(int col) const;
    bool setColAlignment(int col, int alignment);
    int colAlignment(int col) const;

    // Appends one row at the end; the item's tab-separated parts fill its cells from the left.
    void addItem(const QString& item = QString());
    // Removes a non-fixed row. The last non-fixed row cannot be removed, nor a row outside the grid.
    bool removeItem(int row);
    // Empties the texts and drops the colours of every cell, fixed ones included; the shape, the widths
    // and the current cell stay.
    void clear();

    // Scrolls the view so that cell (0, 0) shows in the top-left corner; the current cell stays.
    void scrollToTopLeft();

    // The table the grid is drawn in, for tests that click on it.
    QTableWidget* table() const { return table_; }

signals:
    void doubleClicked();

protected:
    void changeEvent(QEvent* event) override;

private:
    void fitRowsToFont();
    QTableWidgetItem* cell(int row, int col) const;
    bool isFixed(int row, int col) const;
    bool hasCurrentCell() const;
    void styleCell(int row, int col);
    void styleRow(int row);
    void styleAll();
    void keepCurrentCellInside();
    void showCurrentCell();
    void userMoved(int row, int col);

    QTableWidget* table_ = nullptr;
    int fixedRows_ = 1;
    int fixedCols_ = 1;
    int row_ = 1;
    int col_ = 1;
    std::vector<int> alignments_;
};

} // namespace velsaro
