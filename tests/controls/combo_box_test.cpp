#include "controls/combo_box.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <stdexcept>

namespace velsaro::testing {
namespace {

TEST(ComboBoxIndex, SettingItFromTheProgramRaisesTheClick)
{
    ComboBox combo;
    combo.addItem("1:a.bmp");
    combo.addItem("2:b.bmp");
    QSignalSpy clicks(&combo, &ComboBox::clicked);
    QString seen;
    QObject::connect(&combo, &ComboBox::clicked, [&] { seen = combo.text(); });
    combo.setListIndex(1);
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_EQ(seen, "2:b.bmp");
    // Also when the entry is already the current one: the handler must show it all the same.
    combo.setListIndex(1);
    EXPECT_EQ(clicks.count(), 2);
    combo.setListIndex(0);
    EXPECT_EQ(seen, "1:a.bmp");
    EXPECT_EQ(combo.listIndex(), 0);
}

TEST(ComboBoxIndex, EntriesThatDoNotExistAreRefused)
{
    ComboBox combo;
    combo.addItem("1:a.bmp");
    QSignalSpy clicks(&combo, &ComboBox::clicked);
    EXPECT_THROW(combo.setListIndex(1), std::out_of_range);
    EXPECT_THROW(combo.setListIndex(-2), std::out_of_range);
    EXPECT_EQ(clicks.count(), 0);
}

TEST(ComboBoxIndex, UserPickingAnEntryRaisesTheClick)
{
    ComboBox combo;
    combo.addItem("1:a.bmp");
    combo.addItem("2:b.bmp");
    combo.setListIndex(0);
    combo.show();
    combo.setFocus();
    QSignalSpy clicks(&combo, &ComboBox::clicked);
    QTest::keyClick(&combo, Qt::Key_Down);
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_EQ(combo.text(), "2:b.bmp");
}

TEST(ComboBoxIndex, ClearingLeavesNoTextAndDoesNotClick)
{
    ComboBox combo;
    combo.addItem("1:a.bmp");
    combo.setListIndex(0);
    QSignalSpy clicks(&combo, &ComboBox::clicked);
    combo.clear();
    EXPECT_EQ(combo.listCount(), 0);
    EXPECT_EQ(combo.listIndex(), -1);
    EXPECT_TRUE(combo.text().isEmpty());
    EXPECT_EQ(clicks.count(), 0);
}

} // namespace
} // namespace velsaro::testing
