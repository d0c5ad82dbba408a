#include "gui/shell/custom_check_list_box.h"

#include <QApplication>
#include <QImage>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

constexpr int kCell = CustomCheckListBox::kCellWidth;

// A shown list of items "Item 0".."Item n-1".
struct ShownList {
    CustomCheckListBox list;
    explicit ShownList(int items, QAbstractItemView::SelectionMode mode = QAbstractItemView::SingleSelection)
    {
        list.setSelectionMode(mode);
        for (int i = 0; i < items; ++i)
            list.AddString(QString("Item %1").arg(i));
        list.resize(240, 200);
        list.show();
    }
    QPoint onCheck(int row) { return list.checkRect(row).center(); }
    QPoint onText(int row)
    {
        const QRect r = list.visualItemRect(list.item(row));
        return QPoint(r.left() + list.textOffset(row) + 20, r.center().y());
    }
    void click(const QPoint& at, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QTest::mouseClick(list.viewport(), Qt::LeftButton, mods, at);
    }
};

TEST(CheckListBoxTest, ItemsStartUncheckedAndEnabled)
{
    ShownList s(2);
    EXPECT_EQ(s.list.GetCheck(0), 0);
    EXPECT_EQ(s.list.IsEnabled(0), 1);
    EXPECT_EQ(s.list.GetItemData(1), 0u);
    // Items that do not exist.
    EXPECT_EQ(s.list.SetCheck(7, 1), -1);
    EXPECT_EQ(s.list.Enable(7, false), -1);
    EXPECT_EQ(s.list.GetCheck(7), 0);
    EXPECT_EQ(s.list.IsEnabled(-1), 1);
    EXPECT_EQ(s.list.SetItemData(1, 0xdeadbeef), 1);
    EXPECT_EQ(s.list.GetItemData(1), 0xdeadbeefu);
    // Tags: a read beyond the end grows the array and gives 0; a negative number fails.
    EXPECT_EQ(s.list.GetItemTag(40), 0);
    EXPECT_EQ(s.list.SetItemTag(-1, 3), 0);
    EXPECT_EQ(s.list.SetItemTag(41, 3), 1);
    EXPECT_EQ(s.list.GetItemTag(41), 3);
    EXPECT_EQ(s.list.minimumItemHeight(), std::max(s.list.fontMetrics().height(), 14));
}

TEST(CheckListBoxTest, ClicksOnTheBoxToggleAndNotifyOnce)
{
    ShownList s(3);
    QSignalSpy changed(&s.list, &CustomCheckListBox::checkChanged);
    s.click(s.onCheck(1));
    EXPECT_EQ(s.list.GetCheck(1), 1);
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(s.list.currentRow(), 1); // a single-selection list also selects the item
    s.click(s.onCheck(1));
    EXPECT_EQ(s.list.GetCheck(1), 0);
    EXPECT_EQ(changed.count(), 2);

    // An indeterminate state set by the program becomes unchecked.
    s.list.SetCheck(2, 2);
    s.click(s.onCheck(2));
    EXPECT_EQ(s.list.GetCheck(2), 0);
    EXPECT_EQ(CustomCheckListBox::nextState(2), 0);

    // A click on the text only selects.
    s.click(s.onText(0));
    EXPECT_EQ(s.list.GetCheck(0), 0);
    EXPECT_EQ(s.list.currentRow(), 0);
    EXPECT_EQ(changed.count(), 3);

    // The double-click message that replaces a second click on the box does nothing.
    const QPoint at = s.onCheck(0);
    QMouseEvent twice(QEvent::MouseButtonDblClick, at, s.list.viewport()->mapToGlobal(at), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(s.list.viewport(), &twice);
    QTest::mouseRelease(s.list.viewport(), Qt::LeftButton, Qt::NoModifier, at);
    EXPECT_EQ(s.list.GetCheck(0), 0);
    EXPECT_EQ(changed.count(), 3);
}

TEST(CheckListBoxTest, DisabledItemsIgnoreClicks)
{
    ShownList s(2);
    s.list.setCurrentRow(0);
    s.list.SetCheck(1, 1);
    s.list.Enable(1, false);
    QSignalSpy changed(&s.list, &CustomCheckListBox::checkChanged);
    s.click(s.onCheck(1));
    s.click(s.onText(1));
    EXPECT_EQ(s.list.GetCheck(1), 1);
    EXPECT_EQ(s.list.currentRow(), 0);
    EXPECT_FALSE(s.list.item(1)->isSelected());
    EXPECT_EQ(changed.count(), 0);
}

TEST(CheckListBoxTest, TagsShiftTheBoxAndItsHitZone)
{
    ShownList s(2);
    s.list.SetItemTag(1, 2);
    const QRect item = s.list.visualItemRect(s.list.item(1));
    EXPECT_EQ(s.list.checkRect(1).left(), item.left() + 3 + 2 * kCell);
    EXPECT_EQ(s.list.textOffset(1), 4 + 3 * kCell);
    QSignalSpy changed(&s.list, &CustomCheckListBox::checkChanged);
    // Left of the shifted box: no toggle.
    s.click(QPoint(item.left() + 2 * kCell - 2, item.center().y()));
    EXPECT_EQ(s.list.GetCheck(1), 0);
    // The hit zone runs from tag * cell to (tag + 1) * cell + 4.
    s.click(QPoint(item.left() + 2 * kCell, item.center().y()));
    EXPECT_EQ(s.list.GetCheck(1), 1);
    s.click(QPoint(item.left() + 3 * kCell + 3, item.center().y()));
    EXPECT_EQ(s.list.GetCheck(1), 0);
    s.click(QPoint(item.left() + 3 * kCell + 4, item.center().y()));
    EXPECT_EQ(s.list.GetCheck(1), 0);
    EXPECT_EQ(changed.count(), 2);
}

TEST(CheckListBoxTest, AClickOverASelectionSetsEverySelectedEnabledItem)
{
    ShownList s(4, QAbstractItemView::ExtendedSelection);
    for (int i : {0, 1, 3})
        s.list.item(i)->setSelected(true);
    s.list.SetCheck(1, 2);
    s.list.Enable(3, false);
    QSignalSpy changed(&s.list, &CustomCheckListBox::checkChanged);
    s.click(s.onCheck(0));
    EXPECT_EQ(s.list.GetCheck(0), 1);
    EXPECT_EQ(s.list.GetCheck(1), 1);
    EXPECT_EQ(s.list.GetCheck(2), 0); // not selected
    EXPECT_EQ(s.list.GetCheck(3), 0); // disabled
    EXPECT_EQ(changed.count(), 1);
    // The selection is kept.
    EXPECT_TRUE(s.list.item(0)->isSelected());
    EXPECT_TRUE(s.list.item(1)->isSelected());

    // Space gives the caret item's next state to every selected enabled item.
    s.list.setCurrentRow(1, QItemSelectionModel::NoUpdate);
    QTest::keyClick(&s.list, Qt::Key_Space);
    EXPECT_EQ(s.list.GetCheck(0), 0);
    EXPECT_EQ(s.list.GetCheck(1), 0);
    EXPECT_EQ(changed.count(), 2);
    // On a disabled caret item Space only deselects it.
    s.list.setCurrentRow(3, QItemSelectionModel::NoUpdate);
    s.list.item(3)->setSelected(true);
    QTest::keyClick(&s.list, Qt::Key_Space);
    EXPECT_FALSE(s.list.item(3)->isSelected());
    EXPECT_EQ(changed.count(), 2);
}

TEST(CheckListBoxTest, SpaceInAMultipleSelectionListTogglesSelectedItemsAndFlipsSelection)
{
    ShownList s(2, QAbstractItemView::MultiSelection);
    QSignalSpy changed(&s.list, &CustomCheckListBox::checkChanged);
    s.list.setCurrentRow(0, QItemSelectionModel::NoUpdate);
    QTest::keyClick(&s.list, Qt::Key_Space); // not selected: selects only
    EXPECT_EQ(s.list.GetCheck(0), 0);
    EXPECT_TRUE(s.list.item(0)->isSelected());
    QTest::keyClick(&s.list, Qt::Key_Space); // selected: toggles, then deselects
    EXPECT_EQ(s.list.GetCheck(0), 1);
    EXPECT_FALSE(s.list.item(0)->isSelected());
    EXPECT_EQ(changed.count(), 1);
}

TEST(CheckListBoxTest, DisabledItemsLookUncheckedAndGrey)
{
    // Draws one item of a list and returns its image.
    auto render = [](int state, bool enabled) {
        CustomCheckListBox list;
        list.AddString("Option\t12");
        list.SetCheck(0, state);
        list.Enable(0, enabled);
        list.resize(200, 60);
        list.show();
        const QRect r = list.visualItemRect(list.item(0));
        return list.viewport()->grab(r).toImage();
    };
    const QImage disabledChecked = render(1, false);
    EXPECT_EQ(disabledChecked, render(0, false));
    EXPECT_NE(render(1, true), render(0, true));
    // The text of a disabled item is drawn in the light grey.
    bool grey = false;
    for (int y = 0; y < disabledChecked.height() && !grey; ++y) {
        for (int x = 4 + kCell; x < disabledChecked.width() && !grey; ++x)
            grey = disabledChecked.pixelColor(x, y) == QColor(0xC0, 0xC0, 0xC0);
    }
    EXPECT_TRUE(grey);
}

} // namespace
