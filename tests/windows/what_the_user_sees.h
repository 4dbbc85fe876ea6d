// What a user sees of the windows: whether a grid cell or a list row shows its text whole (the text
// and the margins the style keeps on both sides fit the cell, so nothing is cut off or replaced by
// "…"), whether controls overlap, whether a title lies on its strip, and a context menu used with
// the mouse.
#pragma once

#include "controls/flex_grid.h"
#include "controls/image_control.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QStyle>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include <memory>
#include <vector>

namespace velsaro::testing {

inline int textMargin(const QWidget& view)
{
    return view.style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &view) + 1;
}

inline bool showsWhole(const FlexGrid& grid, int row, int col)
{
    const QTableWidget& table = *grid.table();
    const int needed = QFontMetrics(grid.cellFont(row, col)).horizontalAdvance(grid.textAt(row, col)) + 2 * textMargin(table);
    return needed <= table.visualRect(table.model()->index(row, col)).width();
}

inline bool showsWhole(const QListWidget& list, int row)
{
    const int needed = QFontMetrics(list.font()).horizontalAdvance(list.item(row)->text()) + 2 * textMargin(list);
    return needed <= list.visualItemRect(list.item(row)).width();
}

// Whether some two of controls, children of one window, overlap: one would hide part of the other.
inline bool anyTwoOverlap(const std::vector<const QWidget*>& controls)
{
    for (std::size_t i = 0; i < controls.size(); ++i)
        for (std::size_t j = i + 1; j < controls.size(); ++j)
            if (controls[i]->geometry().intersects(controls[j]->geometry()))
                return true;
    return false;
}

// Whether a title lies on a title strip: a stretched picture beside it holds its centre and comes
// earlier among their parent's children, so that the title is drawn over it.
inline bool liesOnItsStrip(QLabel& title)
{
    const QObjectList& siblings = title.parent()->children();
    for (ImageControl* strip : title.parent()->findChildren<ImageControl*>(Qt::FindDirectChildrenOnly))
        if (strip->geometry().contains(title.geometry().center()) && siblings.indexOf(strip) < siblings.indexOf(&title))
            return true;
    return false;
}

// Opens the context menu of widget at point, as a right-click does, and clicks its entry of that text;
// returns the entries the menu offered (none when no menu opened).
inline QStringList chooseFromContextMenu(QWidget& widget, QPoint point, const QString& entry)
{
    // The menu runs its own event loop: it is read and clicked from there. The timer owns what it
    // touches, in case no menu opens and it fires later.
    auto offered = std::make_shared<QStringList>();
    QTimer::singleShot(0, [offered, entry] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu)
            return;
        QAction* chosen = nullptr;
        for (QAction* action : menu->actions()) {
            offered->append(action->text());
            if (action->text() == entry)
                chosen = action;
        }
        if (chosen)
            QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(chosen).center());
        else
            menu->close();
    });
    QContextMenuEvent event(QContextMenuEvent::Mouse, point, widget.mapToGlobal(point));
    QApplication::sendEvent(&widget, &event);
    return *offered;
}

} // namespace velsaro::testing
