#include "controls/list_box.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <stdexcept>

namespace velsaro::testing {
namespace {

TEST(ListBoxRows, AddReplaceAndRemove)
{
    ListBox list;
    list.addItem("uno");
    list.addItem("dos");
    list.addItem("tres");
    list.setItemText(1, "DOS");
    list.removeItem(0);
    ASSERT_EQ(list.listCount(), 2);
    EXPECT_EQ(list.itemText(0), "DOS");
    EXPECT_EQ(list.itemText(1), "tres");
    list.clear();
    EXPECT_EQ(list.listCount(), 0);
}

TEST(ListBoxRows, WritingRowZeroOfAnEmptyListCreatesIt)
{
    ListBox list;
    list.setItemText(0, "1.2.3.");
    ASSERT_EQ(list.listCount(), 1);
    list.setItemText(0, list.itemText(0) + "4.5.");
    EXPECT_EQ(list.listCount(), 1);
    EXPECT_EQ(list.itemText(0), "1.2.3.4.5.");
}

TEST(ListBoxRows, RowsThatDoNotExistAreRefused)
{
    ListBox list;
    EXPECT_THROW(list.itemText(0), std::out_of_range);
    EXPECT_THROW(list.setItemText(1, "x"), std::out_of_range);
    list.addItem("a");
    EXPECT_THROW(list.removeItem(1), std::out_of_range);
    EXPECT_THROW(list.setSelected(-1, true), std::out_of_range);
    EXPECT_EQ(list.listCount(), 1);
}

TEST(ListBoxSelection, HighlightingARowMakesItCurrentAndUnhighlightingKeepsTheIndex)
{
    ListBox list;
    for (const char* text : {"a", "b", "c", "d", "e"})
        list.addItem(text);
    EXPECT_EQ(list.listIndex(), -1);
    list.setSelected(0, true);
    EXPECT_EQ(list.listIndex(), 0);
    EXPECT_TRUE(list.isSelected(0));
    list.setSelected(0, false);
    EXPECT_FALSE(list.isSelected(0));
    EXPECT_EQ(list.listIndex(), 0);
    list.setSelected(3, true);
    EXPECT_EQ(list.listIndex(), 3);
    EXPECT_TRUE(list.isSelected(3));
    EXPECT_FALSE(list.isSelected(0));
    EXPECT_EQ(list.selectedItems().size(), 1);
}

TEST(ListBoxSelection, DisabledListIgnoresClicks)
{
    ListBox list;
    list.addItem("a");
    list.addItem("b");
    list.setSelected(0, true);
    list.setEnabled(false);
    list.resize(200, 100);
    list.show();
    const QRect second = list.visualItemRect(list.item(1));
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, second.center());
    EXPECT_EQ(list.listIndex(), 0);
    EXPECT_TRUE(list.isSelected(0));
}

TEST(ListBoxDoubleClick, IsReportedOnARowAndBelowTheRows)
{
    ListBox list;
    list.addItem("1.2.3.");
    list.resize(300, 120);
    list.show();
    QSignalSpy doubleClicks(&list, &ListBox::doubleClicked);
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, list.visualItemRect(list.item(0)).center());
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, QPoint(10, 100));
    EXPECT_EQ(doubleClicks.count(), 2);
}

} // namespace
} // namespace velsaro::testing
