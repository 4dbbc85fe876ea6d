#include "controls/flex_grid.h"

#include "controls/colours_and_twips.h"

#include <QEvent>
#include <QFontMetrics>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLocale>
#include <QPainter>
#include <QProxyStyle>
#include <QScrollBar>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <functional>

namespace velsaro {

namespace {

// A cell's own colours are kept apart from what it is painted in, so that clearing them can fall back
// to the default of the cell's kind, fixed or not.
constexpr int ownBackRole = Qt::UserRole;
constexpr int ownForeRole = Qt::UserRole + 1;

constexpr std::int32_t largestColourNumber = 0xFFFFFF;

bool looksNumeric(const QString& text)
{
    bool number = false;
    QLocale().toDouble(text.trimmed(), &number);
    if (!number)
        QLocale::c().toDouble(text.trimmed(), &number);
    return number;
}

Qt::Alignment qtAlignment(int alignment, const QString& text)
{
    if (alignment == FlexGrid::General)
        return Qt::AlignVCenter | (looksNumeric(text) ? Qt::AlignRight : Qt::AlignLeft);
    static constexpr Qt::AlignmentFlag across[] = {Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignRight};
    static constexpr Qt::AlignmentFlag down[] = {Qt::AlignTop, Qt::AlignVCenter, Qt::AlignBottom};
    return across[alignment / 3] | down[alignment % 3];
}

// Cells keep 2 pixels between their text and their edges, as the platform's grids do, instead of the
// 3 of the Qt styles: a default 64-pixel column then shows a number such as 1033078,96 whole.
class CellStyle : public QProxyStyle {
public:
    int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override
    {
        if (metric == PM_FocusFrameHMargin)
            return 1;
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
};

// Every cell is painted in its own colours: the current cell gets no focus tint, which would change
// the colour that tells equal keys apart. While the grid has the keyboard, the user's current cell is
// framed instead, two lines, black outside and white inside, so that the frame shows on every key
// colour, dark or light, and leaves the colour filling the cell. Its text is drawn in the font the grid
// gives that cell.
class CellDelegate : public QStyledItemDelegate {
public:
    explicit CellDelegate(const FlexGrid& grid) : QStyledItemDelegate(grid.table()), grid_(grid) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::paint(painter, option, index);
        if (!isFramed(index))
            return;
        painter->save();
        painter->setPen(Qt::black);
        painter->drawRect(option.rect.adjusted(0, 0, -1, -1));
        painter->setPen(Qt::white);
        painter->drawRect(option.rect.adjusted(1, 1, -2, -2));
        painter->restore();
    }

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        option->state &= ~QStyle::State_HasFocus;
        option->font = grid_.cellFont(index.row(), index.column());
    }

private:
    bool isFramed(const QModelIndex& index) const
    {
        return grid_.table()->hasFocus() && index.row() == grid_.row() && index.column() == grid_.col() &&
               index.row() >= grid_.fixedRows() && index.column() >= grid_.fixedCols();
    }

    const FlexGrid& grid_;
};

// The table a grid is drawn in. The user's keys (arrows, Page Up and Down, Home and End) move the
// current cell among the cells that are not fixed, as a press of the mouse does; in a grid of one such
// column, Home and End go to its first and last row.
class GridTable : public QTableWidget {
public:
    GridTable(const FlexGrid& grid, std::function<void(int row, int col)> userMoved, QWidget* parent)
        : QTableWidget(2, 2, parent), grid_(grid), userMoved_(std::move(userMoved))
    {
    }

protected:
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override
    {
        const bool oneColumn = grid_.cols() - grid_.fixedCols() == 1;
        if (oneColumn && (action == MoveHome || action == MoveEnd))
            modifiers |= Qt::ControlModifier;
        const QModelIndex to = QTableWidget::moveCursor(action, modifiers);
        if (!to.isValid())
            return to;
        const int row = std::max(to.row(), grid_.fixedRows());
        const int col = std::max(to.column(), grid_.fixedCols());
        if (row >= rowCount() || col >= columnCount())
            return currentIndex();
        return model()->index(row, col);
    }

    void keyPressEvent(QKeyEvent* event) override
    {
        const QModelIndex before = currentIndex();
        QTableWidget::keyPressEvent(event);
        if (currentIndex().isValid() && currentIndex() != before)
            userMoved_(currentIndex().row(), currentIndex().column());
    }

private:
    const FlexGrid& grid_;
    std::function<void(int row, int col)> userMoved_;
};

// How far a text may be condensed to fit its column. Narrower than this it would be hard to read, and
// the text ends in "…" instead: cut at the edge, a number would read as another.
constexpr int leastStretch = 70;

} // namespace

FlexGrid::FlexGrid(QWidget* parent)
    : QWidget(parent), table_(new GridTable(*this, [this](int row, int col) { userMoved(row, col); }, this))
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(table_);

    // The grid draws its header as fixed cells of its own, so the table's headers stay hidden.
    table_->horizontalHeader()->hide();
    table_->verticalHeader()->hide();
    table_->horizontalHeader()->setMinimumSectionSize(0);
    table_->horizontalHeader()->setDefaultSectionSize(twipsToPixels(defaultColumnTwips));
    table_->verticalHeader()->setMinimumSectionSize(0);
    fitRowsToFont();
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    auto* cellStyle = new CellStyle;
    cellStyle->setParent(table_);
    table_->setStyle(cellStyle);
    table_->setItemDelegate(new CellDelegate(*this));
    // No selection highlight: it would hide the colours given to the current cell.
    table_->setSelectionMode(QAbstractItemView::NoSelection);
    // The grid takes part in its window's focus order as one control, and Tab leaves it for the next
    // control instead of walking its cells.
    setFocusProxy(table_);
    table_->setTabKeyNavigation(false);

    alignments_.assign(2, General);
    styleAll();
    showCurrentCell();

    connect(table_, &QTableWidget::cellPressed, this, &FlexGrid::userMoved);
    connect(table_, &QTableWidget::cellDoubleClicked, this, [this] { emit doubleClicked(); });
}

int FlexGrid::rows() const
{
    return table_->rowCount();
}

int FlexGrid::cols() const
{
    return table_->columnCount();
}

void FlexGrid::setRows(int count)
{
    count = std::max(count, 0);
    table_->setRowCount(count);
    fixedRows_ = std::min(fixedRows_, count);
    styleAll();
    keepCurrentCellInside();
}

void FlexGrid::setCols(int count)
{
    count = std::max(count, 0);
    table_->setColumnCount(count);
    alignments_.resize(std::size_t(count), General);
    fixedCols_ = std::min(fixedCols_, count);
    styleAll();
    keepCurrentCellInside();
}

void FlexGrid::setFixedRows(int count)
{
    fixedRows_ = std::clamp(count, 0, rows());
    styleAll();
}

void FlexGrid::setFixedCols(int count)
{
    fixedCols_ = std::clamp(count, 0, cols());
    styleAll();
}

bool FlexGrid::setRow(int row)
{
    if (row < 0 || row >= rows())
        return false;
    row_ = row;
    showCurrentCell();
    return true;
}

bool FlexGrid::setCol(int col)
{
    if (col < 0 || col >= cols())
        return false;
    col_ = col;
    showCurrentCell();
    return true;
}

QString FlexGrid::text() const
{
    return textAt(row_, col_);
}

bool FlexGrid::setText(const QString& text)
{
    if (!hasCurrentCell())
        return false;
    cell(row_, col_)->setText(text);
    styleCell(row_, col_);
    return true;
}

QString FlexGrid::textAt(int row, int col) const
{
    const QTableWidgetItem* item = cell(row, col);
    return item ? item->text() : QString();
}

QFont FlexGrid::cellFont(int row, int col) const
{
    // A number a little wider than its column, such as the largest coefficients of a 16 x 16 mask, is
    // condensed just enough to show all its digits.
    QFont font = table_->font();
    const int margin = table_->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, table_) + 1;
    const int room = table_->visualRect(table_->model()->index(row, col)).width() - 2 * margin;
    const QString text = textAt(row, col);
    // Glyph advances are whole pixels, so the width does not shrink in proportion: step down from
    // the proportional guess until the text fits.
    const int needed = QFontMetrics(font).horizontalAdvance(text);
    if (room <= 0 || needed <= room)
        return font;
    for (int stretch = 100 * room / needed; stretch >= leastStretch; --stretch) {
        font.setStretch(stretch);
        if (QFontMetrics(font).horizontalAdvance(text) <= room)
            return font;
    }
    font.setStretch(leastStretch);
    return font;
}

bool FlexGrid::setCellBackColor(std::int32_t colour)
{
    if (!hasCurrentCell() || colour < 0 || colour > largestColourNumber)
        return false;
    cell(row_, col_)->setData(ownBackRole, colourOfNumber(colour));
    styleCell(row_, col_);
    return true;
}

bool FlexGrid::setCellForeColor(std::int32_t colour)
{
    if (!hasCurrentCell() || colour < 0 || colour > largestColourNumber)
        return false;
    cell(row_, col_)->setData(ownForeRole, colourOfNumber(colour));
    styleCell(row_, col_);
    return true;
}

std::int32_t FlexGrid::cellBackColorAt(int row, int col) const
{
    const QTableWidgetItem* item = cell(row, col);
    if (!item)
        return -1;
    const QVariant own = item->data(ownBackRole);
    if (own.isValid())
        return numberOfColour(own.value<QColor>());
    return numberOfColour(palette().color(isFixed(row, col) ? QPalette::Button : QPalette::Base));
}

std::int32_t FlexGrid::cellForeColorAt(int row, int col) const
{
    const QTableWidgetItem* item = cell(row, col);
    if (!item)
        return -1;
    const QVariant own = item->data(ownForeRole);
    if (own.isValid())
        return numberOfColour(own.value<QColor>());
    return numberOfColour(palette().color(isFixed(row, col) ? QPalette::ButtonText : QPalette::Text));
}

bool FlexGrid::setColWidth(int col, int twips)
{
    if (col < 0 || col >= cols() || twips < 0)
        return false;
    // Whole pixels, nearest: 8700 twips are 580 pixels, 1200 are 80.
    table_->setColumnWidth(col, twipsToPixels(twips));
    return true;
}

int FlexGrid::colWidth(int col) const
{
    if (col < 0 || col >= cols())
        return -1;
    return pixelsToTwips(table_->columnWidth(col));
}

bool FlexGrid::setColAlignment(int col, int alignment)
{
    if (col < 0 || col >= cols() || alignment < LeftTop || alignment > General)
        return false;
    alignments_[std::size_t(col)] = alignment;
    for (int row = 0; row < rows(); ++row)
        styleCell(row, col);
    return true;
}

int FlexGrid::colAlignment(int col) const
{
    if (col < 0 || col >= cols())
        return -1;
    return alignments_[std::size_t(col)];
}

void FlexGrid::addItem(const QString& item)
{
    const int row = rows();
    table_->insertRow(row);
    const QStringList parts = item.isEmpty() ? QStringList() : item.split(QLatin1Char('\t'));
    styleRow(row);
    for (int col = 0; col < std::min<int>(int(parts.size()), cols()); ++col)
        cell(row, col)->setText(parts[col]);
    styleRow(row);
}

bool FlexGrid::removeItem(int row)
{
    if (row < fixedRows_ || row >= rows() || rows() - fixedRows_ <= 1)
        return false;
    table_->removeRow(row);
    keepCurrentCellInside();
    return true;
}

void FlexGrid::clear()
{
    for (int row = 0; row < rows(); ++row)
        for (int col = 0; col < cols(); ++col) {
            QTableWidgetItem* item = cell(row, col);
            item->setText(QString());
            item->setData(ownBackRole, QVariant());
            item->setData(ownForeRole, QVariant());
        }
    styleAll();
}

void FlexGrid::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        fitRowsToFont();
}

// Rows just tall enough for one line of the grid's font, like the platform's grids, rather than the
// roomier rows of the Qt style.
void FlexGrid::fitRowsToFont()
{
    table_->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
}

QTableWidgetItem* FlexGrid::cell(int row, int col) const
{
    if (row < 0 || col < 0 || row >= rows() || col >= cols())
        return nullptr;
    return table_->item(row, col);
}

bool FlexGrid::isFixed(int row, int col) const
{
    return row < fixedRows_ || col < fixedCols_;
}

bool FlexGrid::hasCurrentCell() const
{
    return cell(row_, col_) != nullptr;
}

// Paints a cell in its own colours or the default of its kind (fixed cells look like buttons) and
// aligns its text; fixed cells can never be picked by the user.
void FlexGrid::styleCell(int row, int col)
{
    QTableWidgetItem* item = table_->item(row, col);
    if (!item) {
        item = new QTableWidgetItem;
        table_->setItem(row, col, item);
    }
    const bool fixed = isFixed(row, col);
    item->setFlags(fixed ? Qt::ItemIsEnabled : Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    const QVariant ownBack = item->data(ownBackRole);
    const QVariant ownFore = item->data(ownForeRole);
    item->setData(Qt::BackgroundRole,
                  ownBack.isValid() ? ownBack : fixed ? QVariant(palette().color(QPalette::Button)) : QVariant());
    item->setData(Qt::ForegroundRole,
                  ownFore.isValid() ? ownFore
                                    : fixed ? QVariant(palette().color(QPalette::ButtonText)) : QVariant());
    item->setTextAlignment(qtAlignment(alignments_[std::size_t(col)], item->text()));
}

void FlexGrid::styleRow(int row)
{
    for (int col = 0; col < cols(); ++col)
        styleCell(row, col);
}

void FlexGrid::styleAll()
{
    for (int row = 0; row < rows(); ++row)
        styleRow(row);
}

void FlexGrid::keepCurrentCellInside()
{
    row_ = std::clamp(row_, 0, std::max(rows() - 1, 0));
    col_ = std::clamp(col_, 0, std::max(cols() - 1, 0));
    showCurrentCell();
}

void FlexGrid::showCurrentCell()
{
    if (!hasCurrentCell())
        return;
    // Making a cell current does not scroll the grid, so that writing every cell in turn leaves the
    // view where it was; the user's own moves scroll as usual.
    table_->setAutoScroll(false);
    table_->setCurrentCell(row_, col_, QItemSelectionModel::NoUpdate);
    table_->setAutoScroll(true);
}

void FlexGrid::scrollToTopLeft()
{
    table_->scrollToTop();
    table_->horizontalScrollBar()->setValue(table_->horizontalScrollBar()->minimum());
}

// A press or a key that reaches a data cell makes it current (a letter typed may jump to the header,
// which the user cannot make current).
void FlexGrid::userMoved(int row, int col)
{
    if (!isFixed(row, col)) {
        row_ = row;
        col_ = col;
    }
    showCurrentCell();
}

} // namespace velsaro
