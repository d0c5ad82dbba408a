// The dockable list window, the string loader, the window factory and the Call Count window over the
// simulated debugger.

#include "plugin/views/listwin/call_count.h"
#include "plugin/views/listwin/plugin_resources.h"
#include "plugin/views/listwin/resource_pictures.h"
#include "plugin/views/listwin/window_factory.h"
#include "plugin/views/tests/views_fixture.h"

#include "plugin/kernel/tests/scratch_dir.h"
#include "sdk/ide/if_desktop.h"
#include "plugin/sdk/kernel.h"
#include "plugin/sdk/plugin_binding.h"
#include "standins/debugger/sim_kernel.h"
#include "platform/qt/locale_text.h"

#include <QApplication>
#include <QComboBox>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QHeaderView>
#include <QTest>
#include <QTimer>
#include <QLineEdit>
#include <QToolBar>
#include <QToolTip>
#include <QHelpEvent>
#include <QLayout>

#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <thread>
#include <sstream>
#include <sys/stat.h>

namespace views::test {
namespace {

class RecordingList : public DpListWindow {
public:
    std::vector<std::string> edits;
    bool accept = true;
    std::vector<std::string> choices{"Low", "Mid", "High"};

    bool OnCellEdited(int row, int column, const std::string& text) override
    {
        edits.push_back(std::to_string(row) + ":" + std::to_string(column) + ":" + text);
        return accept;
    }
    void GetCellChoices(int, int, std::vector<std::string>& out) override { out = choices; }
};

TEST(ListWindow, RowsCellsEditingAndExport)
{
    RecordingList list;
    list.OnInitialUpdate();
    EXPECT_TRUE(list.IsReady());
    EXPECT_EQ(list.AddColumn("Name", 100, 0), 0);
    EXPECT_EQ(list.AddColumn("Value", 60, 2), 1);
    EXPECT_EQ(list.InsertRow("b", 1), 0);
    EXPECT_EQ(list.InsertRow("a", 0), 0);
    EXPECT_EQ(list.InsertRowAt("c", 2), 2);
    EXPECT_EQ(list.InsertRowAt("x", 7), -1);
    EXPECT_EQ(list.InsertRowAt("x", -1), -1);
    EXPECT_TRUE(list.SetItemText(1, 1, "2"));
    EXPECT_FALSE(list.SetItemText(3, 0, "no such row"));
    EXPECT_FALSE(list.SetItemText(0, 2, "no such column"));

    std::vector<std::string> texts;
    std::vector<CellAttributes> attributes;
    ASSERT_TRUE(list.GetRow(1, texts, attributes));
    EXPECT_EQ(texts, (std::vector<std::string>{"b", "2"}));
    EXPECT_EQ(attributes[0].style, StyleProportional);
    EXPECT_EQ(attributes[0].textColour, kDefaultColour);
    EXPECT_FALSE(list.GetRow(3, texts, attributes));

    // A bitmap cell cannot be made editable.
    EXPECT_TRUE(list.SetCellBitmap(2, 1, 7, 0xFF00FF));
    EXPECT_FALSE(list.SetCellEditable(2, 1, true));
    ASSERT_TRUE(list.GetRow(2, texts, attributes));
    EXPECT_EQ(attributes[1].bitmap, 7u);
    EXPECT_TRUE(list.SetItemText(2, 1, "3")); // text replaces the bitmap
    EXPECT_TRUE(list.SetCellEditable(2, 1, true));
    EXPECT_TRUE(list.SetCellStyle(0, 0, StyleFixedBold));
    EXPECT_TRUE(list.SetRowTextColour(0, 0x0000FF));
    ASSERT_TRUE(list.GetRow(0, texts, attributes));
    EXPECT_EQ(attributes[0].style, StyleFixedBold);
    EXPECT_EQ(attributes[1].textColour, 0x0000FFu);

    // An edit committed unchanged asks nothing; a changed one asks and stores the text.
    list.OpenEditBox(2, 1);
    ASSERT_NE(list.editBox(), nullptr);
    list.CommitEdit();
    EXPECT_TRUE(list.edits.empty());
    list.OpenEditBox(2, 1);
    list.editBox()->setText("30");
    list.CommitEdit();
    EXPECT_EQ(list.edits, (std::vector<std::string>{"2:1:30"}));
    std::string value;
    ASSERT_TRUE(list.GetItemText(2, 1, value));
    EXPECT_EQ(value, "30");
    // A refused edit keeps the old text.
    list.accept = false;
    list.OpenEditBox(2, 1);
    list.editBox()->setText("31");
    list.CommitEdit();
    ASSERT_TRUE(list.GetItemText(2, 1, value));
    EXPECT_EQ(value, "30");
    list.accept = true;

    // A drop-down starts on the current text and always asks on commit.
    list.SetItemText(1, 1, "Mid");
    list.OpenDropDown(1, 1);
    ASSERT_NE(list.dropDown(), nullptr);
    EXPECT_EQ(list.dropDown()->currentText(), "Mid");
    list.CommitEdit();
    EXPECT_EQ(list.edits.back(), "1:1:Mid");
    list.choices.clear();
    list.OpenDropDown(1, 1);
    EXPECT_EQ(list.dropDown(), nullptr);

    // Export: one line per row, cells separated by a tab.
    kernel::test::ScratchDir dir;
    const std::string path = (dir.path() / "rows.txt").string();
    ASSERT_TRUE(list.ExportToFile(path));
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_EQ(text.str(), "a\t\nb\tMid\nc\t30\n");
    EXPECT_FALSE(list.ExportToFile((dir.path() / "no" / "rows.txt").string()));
    // Only a regular file is written: a named pipe (no reader: an open would wait) or a device is
    // refused before it is opened, and nothing is truncated.
    const std::string fifo = (dir.path() / "pipe").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_FALSE(list.ExportToFile(fifo));
    EXPECT_FALSE(list.ExportToFile("/dev/null"));
    EXPECT_FALSE(list.ExportToFile(dir.path().string()));
    std::ofstream(path) << std::string(200, 'x');
    ASSERT_TRUE(list.ExportToFile(path)); // a longer file is replaced whole
    std::ifstream again(path);
    std::stringstream replaced;
    replaced << again.rdbuf();
    EXPECT_EQ(replaced.str(), "a\t\nb\tMid\nc\t30\n");

    // Check boxes in the first column.
    list.SetCheckBoxes(true);
    EXPECT_TRUE(list.HasCheckBoxes());
    EXPECT_FALSE(list.GetItemCheck(0));
    list.ToggleItemCheck(0);
    EXPECT_TRUE(list.GetItemCheck(0));

    EXPECT_TRUE(list.DeleteRow(1));
    EXPECT_EQ(list.GetRowCount(), 2);
    list.DeleteAllRows();
    EXPECT_EQ(list.GetRowCount(), 0);
}

TEST(ListWindow, CheckBoxesToggleOnceAClickAndCellsTakeTheColumnAlignment)
{
    RecordingList list;
    list.OnInitialUpdate();
    list.AddColumn("Name", 120, 0);
    list.AddColumn("Count", 60, 2);
    list.AddColumn("State", 60, 1);
    list.SetCheckBoxes(true);
    list.InsertRow("a", 0);
    list.SetItemText(0, 1, "12");
    list.resize(320, 200);
    list.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    QTreeWidgetItem* item = list.topLevelItem(0);
    const QRect cell = list.visualItemRect(item);
    const QPoint box(cell.left() + 4 + cell.height() / 2, cell.center().y());
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, box);
    EXPECT_TRUE(list.GetItemCheck(0));
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, box);
    EXPECT_FALSE(list.GetItemCheck(0));

    auto alignment = [&](int column) {
        return Qt::Alignment(item->data(column, Qt::TextAlignmentRole).toInt()) & Qt::AlignHorizontal_Mask;
    };
    EXPECT_EQ(alignment(0), Qt::AlignLeft);
    EXPECT_EQ(alignment(1), Qt::AlignRight);
    EXPECT_EQ(alignment(2), Qt::AlignHCenter);
}

TEST(ListWindow, DeletingAColumnMovesEverythingItCarriesAndColumnsStayInPlace)
{
    RecordingList list;
    list.OnInitialUpdate();
    list.AddColumn("Name", 80, 0);
    list.AddColumn("Gone", 40, 1);
    list.AddColumn("Count", 60, 2);
    list.AddColumn("State", 60, 1);
    list.InsertRow("a", 0);
    list.SetItemText(0, 2, "12");
    list.SetCellEditable(0, 3, true);
    ASSERT_TRUE(list.DeleteColumn(1));
    ASSERT_EQ(list.columnCount(), 3);
    QTreeWidgetItem* item = list.topLevelItem(0);
    auto alignment = [&](int column) {
        return Qt::Alignment(item->data(column, Qt::TextAlignmentRole).toInt()) & Qt::AlignHorizontal_Mask;
    };
    EXPECT_EQ(list.headerItem()->text(1), "Count");
    EXPECT_EQ(alignment(1), Qt::AlignRight);
    EXPECT_EQ(alignment(2), Qt::AlignHCenter);
    std::string text;
    ASSERT_TRUE(list.GetItemText(0, 1, text));
    EXPECT_EQ(text, "12");
    EXPECT_TRUE(list.IsCellTextEditable(0, 2));
    EXPECT_FALSE(list.IsCellTextEditable(0, 1));
    EXPECT_FALSE(list.DeleteColumn(3));

    // The header's sections cannot be dragged into another order: the check box stays in column 0.
    EXPECT_FALSE(list.header()->sectionsMovable());
    list.SetCheckBoxes(true);
    list.resize(320, 200);
    list.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    list.header()->moveSection(0, 2); // even when the program moves one
    const QRect first = list.visualRect(list.model()->index(0, 0));
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, QPoint(first.left() + 4 + first.height() / 2, first.center().y()));
    EXPECT_TRUE(list.GetItemCheck(0));
}

// A row's check state shows as a check box only in a list that has check boxes, whichever road sets
// it (a new row, the check-box switch, SetItemCheck, a toggle, a click where the box would be). The
// state is kept meanwhile; turning check boxes on starts every row unchecked, as a new row starts.
// An edit open while a column or row goes keeps what was typed: in the column or row that goes it is
// committed while that is still there; in a later one it moves with its cell and commits there.
TEST(ListWindow, AnOpenEditFollowsItsCellOrIsCommittedBeforeItGoes)
{
    RecordingList list;
    list.OnInitialUpdate();
    for (const char* title : {"A", "B", "C", "D"})
        list.AddColumn(title, 60, 0);
    list.InsertRowAt("a0", 0);
    for (int c = 1; c < 4; ++c)
        list.SetItemText(0, c, "v" + std::to_string(c));
    list.resize(400, 120);
    list.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    auto cellRect = [&](int column) {
        return list.visualRect(list.model()->index(0, column)).adjusted(0, -2, 0, 2);
    };

    list.OpenEditBox(0, 3);
    ASSERT_NE(list.editBox(), nullptr);
    list.editBox()->setText("typed");
    ASSERT_TRUE(list.DeleteColumn(1));
    ASSERT_NE(list.editBox(), nullptr);
    EXPECT_EQ(list.editBox()->geometry(), cellRect(2));
    list.CommitEdit();
    EXPECT_EQ(list.edits, (std::vector<std::string>{"0:2:typed"}));
    std::string text;
    ASSERT_TRUE(list.GetItemText(0, 2, text));
    EXPECT_EQ(text, "typed");

    list.OpenDropDown(0, 2);
    ASSERT_NE(list.dropDown(), nullptr);
    list.dropDown()->setCurrentIndex(2);
    ASSERT_TRUE(list.DeleteColumn(0));
    ASSERT_NE(list.dropDown(), nullptr);
    EXPECT_EQ(list.dropDown()->geometry(), cellRect(1));
    list.CommitEdit();
    EXPECT_EQ(list.edits.back(), "0:1:High");

    list.OpenEditBox(0, 0);
    list.editBox()->setText("last word");
    ASSERT_TRUE(list.DeleteColumn(0));
    EXPECT_EQ(list.editBox(), nullptr);
    EXPECT_EQ(list.edits.back(), "0:0:last word");
    EXPECT_EQ(list.columnCount(), 1);

    // A column to the left of the edit: it stays where it is.
    list.OpenEditBox(0, 0);
    list.AddColumn("E", 60, 0);
    list.editBox()->setText("kept");
    ASSERT_TRUE(list.DeleteColumn(1));
    ASSERT_NE(list.editBox(), nullptr);
    list.CommitEdit();
    EXPECT_EQ(list.edits.back(), "0:0:kept");

    // Rows likewise: a row above the edit goes and the edit moves up with its row; its own row goes
    // and it is committed first.
    list.InsertRowAt("a1", 1);
    list.InsertRowAt("a2", 2);
    list.OpenEditBox(2, 0);
    list.editBox()->setText("row two");
    ASSERT_TRUE(list.DeleteRow(0));
    ASSERT_NE(list.editBox(), nullptr);
    EXPECT_EQ(list.editBox()->geometry(),
              list.visualRect(list.model()->index(1, 0)).adjusted(0, -2, 0, 2));
    list.CommitEdit();
    EXPECT_EQ(list.edits.back(), "1:0:row two");
    ASSERT_TRUE(list.GetItemText(1, 0, text));
    EXPECT_EQ(text, "row two");
    list.OpenEditBox(1, 0);
    list.editBox()->setText("going");
    ASSERT_TRUE(list.DeleteRow(1));
    EXPECT_EQ(list.editBox(), nullptr);
    EXPECT_EQ(list.edits.back(), "1:0:going");
    EXPECT_EQ(list.topLevelItemCount(), 1);

    // Every row going (an update that rebuilds them): the edit box and the drop-down are committed
    // while their rows are there, and none is left over the emptied list.
    list.OpenEditBox(0, 0);
    list.editBox()->setText("all go");
    list.DeleteAllRows();
    EXPECT_EQ(list.editBox(), nullptr);
    EXPECT_EQ(list.edits.back(), "0:0:all go");
    list.InsertRowAt("b0", 0);
    list.OpenDropDown(0, 0);
    ASSERT_NE(list.dropDown(), nullptr);
    list.dropDown()->setCurrentIndex(0);
    list.DeleteAllRows();
    EXPECT_EQ(list.dropDown(), nullptr);
    EXPECT_EQ(list.edits.back(), "0:0:Low");
    EXPECT_EQ(list.topLevelItemCount(), 0);
}

TEST(ListWindow, ACheckStateShowsOnlyInAListWithCheckBoxes)
{
    RecordingList list;
    list.OnInitialUpdate();
    list.AddColumn("Name", 120, 0);
    list.InsertRow("a", 1);
    list.InsertRow("b", 1);
    auto shown = [&](int row) { return list.topLevelItem(row)->data(0, Qt::CheckStateRole).isValid(); };
    EXPECT_TRUE(list.GetItemCheck(0)); // no state yet is not "unchecked"
    list.SetItemCheck(0, true);
    list.SetItemCheck(1, false);
    list.ToggleItemCheck(1);
    EXPECT_FALSE(shown(0));
    EXPECT_FALSE(shown(1));
    EXPECT_TRUE(list.GetItemCheck(0));
    EXPECT_TRUE(list.GetItemCheck(1));
    list.SetItemCheck(1, false);
    EXPECT_FALSE(list.GetItemCheck(1));
    list.resize(320, 200);
    list.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    const QRect cell = list.visualItemRect(list.topLevelItem(1));
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, QPoint(cell.left() + 4 + cell.height() / 2, cell.center().y()));
    EXPECT_FALSE(list.GetItemCheck(1));
    EXPECT_FALSE(shown(1));

    list.SetCheckBoxes(true);
    list.InsertRow("c", 1);
    for (int r = 0; r < 3; ++r) {
        EXPECT_TRUE(shown(r)) << r;
        EXPECT_FALSE(list.GetItemCheck(r)) << r;
    }
    list.SetItemCheck(2, true);
    EXPECT_EQ(list.topLevelItem(2)->checkState(0), Qt::Checked);
    list.SetCheckBoxes(false);
    list.InsertRow("d", 1);
    for (int r = 0; r < 4; ++r)
        EXPECT_FALSE(shown(r)) << r;
    EXPECT_TRUE(list.GetItemCheck(2));
    EXPECT_FALSE(list.GetItemCheck(7));
}

// Deleting any column of 250/60/100 px moves the widths to the right of it along with the titles.
TEST(ListWindow, DeletingAColumnMovesTheWidthsWithTheTexts)
{
    struct Case {
        int gone;
        std::vector<std::string> titles;
        std::vector<int> widths;
    };
    for (const Case& c : {Case{0, {"Calls", "Note"}, {60, 100}}, Case{1, {"Function", "Note"}, {250, 100}},
                          Case{2, {"Function", "Calls"}, {250, 60}}}) {
        SCOPED_TRACE(c.gone);
        RecordingList list;
        list.OnInitialUpdate();
        list.AddColumn("Function", 250, 0);
        list.AddColumn("Calls", 60, 0);
        list.AddColumn("Note", 100, 0);
        list.InsertRow("Function", 1);
        list.SetItemText(0, 1, "Calls");
        list.SetItemText(0, 2, "Note");
        ASSERT_TRUE(list.DeleteColumn(c.gone));
        ASSERT_EQ(list.columnCount(), 2);
        for (int column = 0; column < 2; ++column) {
            std::string text;
            list.GetItemText(0, column, text);
            EXPECT_EQ(text, c.titles[static_cast<std::size_t>(column)]);
            EXPECT_EQ(platform::toBytes(list.headerItem()->text(column)), c.titles[static_cast<std::size_t>(column)]);
            EXPECT_EQ(list.GetColumnWidthAt(column), c.widths[static_cast<std::size_t>(column)]);
        }
    }
}

// Deleting columns and adding new ones, in several orders, over three rows with coloured cells: every
// cell of every column reads, and shows, what the column it now belongs to held, and an added column
// is empty in the list's own colours (also when every column went before).
TEST(ListWindow, DeletedColumnsLeaveNothingBehindForAddedOnes)
{
    struct Cell {
        std::string text;
        uint32_t colour = kDefaultColour;
        uint32_t background = kDefaultColour;
    };
    struct Column {
        std::string title;
        std::vector<Cell> cells;
    };
    // A step deletes the column at an index, or (index -1) adds a column with the title.
    struct Step {
        int gone;
        std::string title;
    };
    const std::vector<std::vector<Step>> orders = {
        {{0, ""}, {-1, "Added"}},
        {{1, ""}, {-1, "Added"}},
        {{2, ""}, {-1, "Added"}},
        {{2, ""}, {0, ""}, {-1, "Added"}, {-1, "More"}},
        {{0, ""}, {0, ""}, {0, ""}, {-1, "Added"}},
        {{2, ""}, {1, ""}, {0, ""}, {-1, "A"}, {-1, "B"}, {-1, "C"}, {-1, "D"}},
    };
    constexpr uint32_t kRed = 0xFF0000, kBlue = 0x0000FF, kGreen = 0x00FF00, kYellow = 0xFFFF00;
    for (std::size_t order = 0; order < orders.size(); ++order) {
        SCOPED_TRACE(order);
        RecordingList list;
        list.OnInitialUpdate();
        std::vector<Column> expected = {{"Function", {}}, {"Calls", {}}, {"Note", {}}};
        for (const Column& column : expected)
            list.AddColumn(column.title, 80, 0);
        for (int r = 0; r < 3; ++r) {
            const std::string n = std::to_string(r);
            list.InsertRow("function " + n, 1);
            list.SetItemText(r, 1, "calls " + n);
            list.SetItemText(r, 2, "old note " + n);
            expected[0].cells.push_back({"function " + n});
            expected[1].cells.push_back({"calls " + n});
            expected[2].cells.push_back({"old note " + n});
        }
        list.SetCellTextColour(1, 2, kRed); // the red note of row 1
        expected[2].cells[1].colour = kRed;
        list.SetCellTextColour(0, 1, kBlue);
        expected[1].cells[0].colour = kBlue;
        list.SetRowBackground(2, kGreen); // the whole row, then one cell of it
        list.SetCellBackground(2, 2, kYellow);
        for (Column& column : expected)
            column.cells[2].background = kGreen;
        expected[2].cells[2].background = kYellow;
        list.SetCellEditable(1, 2, true);

        for (const Step& step : orders[order]) {
            if (step.gone >= 0) {
                ASSERT_TRUE(list.DeleteColumn(step.gone));
                expected.erase(expected.begin() + step.gone);
            } else {
                EXPECT_EQ(list.AddColumn(step.title, 60, 0), static_cast<int>(expected.size()));
                expected.push_back({step.title, std::vector<Cell>(3)});
            }
        }

        ASSERT_EQ(list.columnCount(), static_cast<int>(expected.size()));
        const auto shown = [](const QTreeWidgetItem* item, int column, int role) {
            const QVariant value = item->data(column, role);
            return value.isValid() ? value.value<QColor>().rgb() & 0xFFFFFFu : kDefaultColour;
        };
        for (int r = 0; r < 3; ++r) {
            std::vector<std::string> texts;
            std::vector<CellAttributes> attributes;
            ASSERT_TRUE(list.GetRow(r, texts, attributes));
            ASSERT_EQ(texts.size(), expected.size());
            const QTreeWidgetItem* item = list.topLevelItem(r);
            for (std::size_t c = 0; c < expected.size(); ++c) {
                SCOPED_TRACE("row " + std::to_string(r) + ", column " + expected[c].title);
                const Cell& cell = expected[c].cells[static_cast<std::size_t>(r)];
                const int column = static_cast<int>(c);
                EXPECT_EQ(platform::toBytes(list.headerItem()->text(column)), expected[c].title);
                EXPECT_EQ(texts[c], cell.text);
                EXPECT_EQ(platform::toBytes(item->text(column)), cell.text);
                EXPECT_EQ(attributes[c].textColour, cell.colour);
                EXPECT_EQ(shown(item, column, Qt::ForegroundRole), cell.colour);
                EXPECT_EQ(attributes[c].background, cell.background);
                EXPECT_EQ(shown(item, column, Qt::BackgroundRole), cell.background);
                EXPECT_EQ(attributes[c].style, static_cast<int>(StyleProportional));
                EXPECT_EQ(attributes[c].editable, r == 1 && expected[c].title == "Note");
                EXPECT_FALSE(item->data(column, Qt::FontRole).isValid() &&
                             item->data(column, Qt::FontRole).value<QFont>() != list.StyleFont(StyleProportional));
            }
        }
    }
}

// A resource module of the test's own: a 6 x 5 bitmap (a red frame around a transparent green inside),
// a toolbar of two buttons with its images, and a toolbar whose images are too narrow for its buttons.
class TestResources final : public IfResourceModule {
public:
    static constexpr unsigned kFrame = 4800, kToolbar = 4801, kNarrowToolbar = 4802, kSolid = 4803, kHello = 4810,
                              kBye = 4811;
    static constexpr uint32_t kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF;

    bool GetMenu(unsigned, IfMenu&) const override { return false; }
    bool GetString(unsigned id, std::string& text) const override
    {
        if (id != kHello)
            return false;
        text = "Say hello to everyone\nHello";
        return true;
    }
    bool GetBitmap(unsigned id, IfBitmap& bitmap) const override
    {
        if (id == kFrame) {
            bitmap = frame(kGreen);
            return true;
        }
        if (id == kSolid) { // 40 x 30 of blue
            bitmap = IfBitmap{40, 30, std::vector<uint32_t>(40 * 30, kBlue)};
            return true;
        }
        if (id == kToolbar || id == kNarrowToolbar) { // two 6 x 5 images side by side
            const IfBitmap one = frame(kIfToolbarBackground);
            bitmap.width = 12;
            bitmap.height = 5;
            for (int y = 0; y < 5; ++y)
                for (int x = 0; x < 12; ++x)
                    bitmap.pixels.push_back(one.pixels[static_cast<std::size_t>(y * 6 + x % 6)]);
            return true;
        }
        return false;
    }
    bool GetToolbar(unsigned id, IfToolbar& toolbar) const override
    {
        if (id == kToolbar)
            toolbar = IfToolbar{6, 5, {kHello, 0, kBye}};
        else if (id == kNarrowToolbar)
            toolbar = IfToolbar{7, 5, {kHello, kBye}};
        else
            return false;
        return true;
    }

private:
    static IfBitmap frame(uint32_t inside)
    {
        IfBitmap bitmap{6, 5, {}};
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 6; ++x)
                bitmap.pixels.push_back(x == 0 || x == 5 || y == 0 || y == 4 ? kRed : inside);
        return bitmap;
    }
};

// Records the test's module as the plug-in's resource module for the scope.
class RecordedModule {
public:
    explicit RecordedModule(IfResourceModule& resources)
    {
        IfRegisterResourceModuleHandle(&m_tag, &resources);
        dk::DpSetModuleHandle(&m_tag);
    }
    ~RecordedModule()
    {
        dk::DpSetModuleHandle(nullptr);
        IfUnregisterResourceModuleHandle(&m_tag);
    }

private:
    char m_tag = 0;
};

// Cell bitmaps come from the module that holds them (the recorded one, else the plug-in's own), are
// drawn at the cell's top-left corner with their transparent colour left out, and a bitmap no module
// holds draws nothing.
TEST(ListWindow, CellBitmapsAreDrawnFromTheResourceModules)
{
    TestResources resources;
    RecordedModule recorded(resources);
    RecordingList list;
    list.OnInitialUpdate();
    list.AddColumn("A", 80, 0);
    list.AddColumn("B", 80, 0);
    ASSERT_EQ(list.InsertBitmapRow(kCountersToolbar, kIfToolbarBackground, 1), 0); // the plug-in's own
    list.InsertRow("x", 1);
    ASSERT_TRUE(list.SetCellBitmap(1, 1, TestResources::kFrame, TestResources::kGreen)); // the recorded
    list.InsertRow("y", 1);
    ASSERT_TRUE(list.SetCellBitmap(2, 1, 4899, 0)); // held by none
    list.SetItemText(2, 0, "");
    list.resize(240, 160);
    list.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    const QImage image = list.viewport()->grab().toImage();
    auto at = [&](int row, int column, int x, int y) {
        const QRect cell = list.visualRect(list.model()->index(row, column));
        return image.pixelColor(cell.topLeft() + QPoint(x, y));
    };
    // The cell's background, taken right of where its bitmap ends.
    EXPECT_EQ(at(0, 0, 6, 1), QColor(Qt::black));  // the counter image's digit
    EXPECT_EQ(at(0, 0, 2, 2), at(0, 0, 60, 2));    // its toolbar grey left out
    EXPECT_NE(at(0, 0, 2, 2), QColor(0xC0, 0xC0, 0xC0));
    EXPECT_EQ(at(1, 1, 5, 2), QColor(Qt::red));    // the frame's right edge
    EXPECT_EQ(at(1, 1, 2, 2), at(1, 1, 30, 2));    // its green inside left out
    EXPECT_NE(at(1, 1, 2, 2), QColor(Qt::green));
    for (int x = 1; x < 8; ++x)
        EXPECT_EQ(at(2, 1, x, 2), at(2, 1, 30, 2)) << x;
    std::vector<std::string> texts;
    std::vector<CellAttributes> attributes;
    ASSERT_TRUE(list.GetRow(2, texts, attributes));
    EXPECT_EQ(attributes[1].bitmap, 4899u);
}

// In a list with check boxes the row's check box is drawn over a picture in its first cell: the box
// shows, checked or not, where the picture would otherwise cover it.
TEST(ListWindow, TheCheckBoxIsDrawnOverTheCellsPicture)
{
    TestResources resources;
    RecordedModule recorded(resources);
    RecordingList list;
    list.OnInitialUpdate();
    list.AddColumn("A", 80, 0);
    list.SetCheckBoxes(true);
    ASSERT_EQ(list.InsertBitmapRow(TestResources::kSolid, 0xFFFFFF, 1), 0);
    ASSERT_EQ(list.InsertBitmapRow(TestResources::kSolid, 0xFFFFFF, 1), 1);
    list.SetItemCheck(0, true);
    list.resize(240, 160);
    list.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    const QImage image = list.viewport()->grab().toImage();
    // The box lies at the cell's left, as high as the row; the edges are left out, where a focus
    // frame may be drawn.
    auto boxArea = [&](int row) {
        const QRect cell = list.visualRect(list.model()->index(row, 0));
        return image.copy(QRect(cell.left() + 2, cell.top() + 2, cell.height() + 4, cell.height() - 4));
    };
    auto notBlue = [](const QImage& area) {
        int count = 0;
        for (int y = 0; y < area.height(); ++y)
            for (int x = 0; x < area.width(); ++x)
                count += area.pixelColor(x, y) != QColor(Qt::blue) ? 1 : 0;
        return count;
    };
    const QImage checked = boxArea(0);
    const QImage unchecked = boxArea(1);
    EXPECT_GT(notBlue(checked), 0);
    EXPECT_GT(notBlue(unchecked), 0);
    EXPECT_NE(checked, unchecked);
    // The picture is still drawn beside the box.
    const QRect cell = list.visualRect(list.model()->index(1, 0));
    EXPECT_EQ(image.pixelColor(cell.left() + 36, cell.top() + 2), QColor(Qt::blue));
}

class ToolbarList final : public DpListWindow {
public:
    explicit ToolbarList(unsigned toolbar) { m_toolbarId = toolbar; }
    void OnCommand(unsigned id) override { commands.push_back(id); }
    std::vector<unsigned> commands;
};

// A toolbar resource gives the window a flat toolbar at the top of its frame, built from the module
// that holds it: a button per command with its image, tool tip and status prompt, which the window's
// command handler receives. Without a frame, or with images too narrow for the buttons, there is none.
TEST(ListWindow, AToolbarResourceMakesTheFramesToolbar)
{
    const bool ownDesktop = IfDesktop::Instance() == nullptr;
    IfDesktop* desktop = ownDesktop ? IfDesktop::Create() : IfDesktop::Instance();
    TestResources resources;
    RecordedModule recorded(resources);
    struct Case {
        unsigned toolbar;
        std::vector<std::string> buttons; // "" for a separator
        std::string tip;                  // of the first button
        std::string prompt;
    };
    for (const Case& c :
         {Case{kCountersToolbar, {"32784", "32785", "", "32786"}, "Reset counter for the selected function.",
               "Reset counter for the selected function."},
          Case{TestResources::kToolbar, {"4810", "", "4811"}, "Hello", "Say hello to everyone"}}) {
        SCOPED_TRACE(c.toolbar);
        IfDockableFrame frame;
        auto* view = new ToolbarList(c.toolbar);
        frame.SetDockingWnd(view);
        view->OnInitialUpdate();
        QToolBar* bar = view->toolbar();
        ASSERT_NE(bar, nullptr);
        EXPECT_EQ(bar->parentWidget(), &frame);
        EXPECT_EQ(frame.layout()->indexOf(bar), 0);
        EXPECT_EQ(bar->objectName(), "59392");
        std::vector<std::string> buttons;
        for (QAction* action : bar->actions())
            buttons.push_back(action->isSeparator() ? "" : action->objectName().toStdString());
        EXPECT_EQ(buttons, c.buttons);
        QAction* first = bar->actions().front();
        EXPECT_EQ(first->toolTip().toStdString(), c.tip);
        const QImage icon = first->icon().pixmap(bar->iconSize()).toImage();
        EXPECT_EQ(icon.pixelColor(2, 2).alpha(), 0); // the toolbar grey shows the bar's background
        first->hover();
        EXPECT_EQ(desktop->StatusText(), c.prompt);
        first->trigger();
        EXPECT_EQ(view->commands, (std::vector<unsigned>{static_cast<unsigned>(std::stoul(c.buttons[0]))}));
        delete view;
        EXPECT_EQ(frame.findChild<QToolBar*>(), nullptr); // the window's toolbar goes with it
    }
    IfDockableFrame frame;
    auto* narrow = new ToolbarList(TestResources::kNarrowToolbar);
    frame.SetDockingWnd(narrow);
    narrow->OnInitialUpdate();
    EXPECT_EQ(narrow->toolbar(), nullptr);
    ToolbarList unframed(kCountersToolbar);
    unframed.OnInitialUpdate();
    EXPECT_EQ(unframed.toolbar(), nullptr);
    desktop->SetStatusText("");
    if (ownDesktop)
        IfDesktop::Destroy();
}

TEST(ListWindow, LayoutStorageAndSelectionColours)
{
    kernel::test::ScratchDir dir;
    IfContentStorage::SetFilePath((dir.path() / "ide.ini").string());
    {
        DpListWindow list;
        list.OnInitialUpdate();
        list.AddColumn("A", 80, 0);
        list.AddColumn("B", 40, 0);
        for (int i = 0; i < 3; ++i)
            list.InsertRow(std::to_string(i), 1);
        IfContentStorage storage("LIST");
        ASSERT_TRUE(list.SaveContent(storage));
        DpListWindow restored;
        restored.OnInitialUpdate();
        restored.AddColumn("A", 10, 0);
        restored.AddColumn("B", 10, 0);
        for (int i = 0; i < 3; ++i)
            restored.InsertRow(std::to_string(i), 1);
        ASSERT_TRUE(restored.RestoreContent(storage));
        EXPECT_EQ(restored.GetColumnWidthAt(0), 80);
        EXPECT_EQ(restored.GetColumnWidthAt(1), 40);
        EXPECT_TRUE(restored.selectedItems().isEmpty()); // a saved selection of -1 selects nothing
    }
    IfContentStorage::SetFilePath("");
    EXPECT_EQ(SelectionTextColour(QColor(0x20, 0x20, 0x60)), QColor(Qt::white));
    EXPECT_EQ(SelectionTextColour(QColor(0xF0, 0xE0, 0x80)), QColor(Qt::black));
}

TEST(PluginResources, StringsAndMenus)
{
    EXPECT_EQ(LoadResourceString(kResetCounterCommand), "Reset counter for the selected function.");
    EXPECT_EQ(LoadResourceString(4711), "<?not found (4711)?>");
    EXPECT_EQ(LoadResourceStringW(kResetAllCountersCommand), L"Reset all counters");
    std::string text = "stale";
    EXPECT_FALSE(LoadCommandString(4711, text));
    EXPECT_EQ(text, "");
    IfMenu menu;
    ASSERT_TRUE(PluginResources().GetMenu(kMainMenu, menu));
    EXPECT_EQ(menu.text, "Plugin Sample");
    ASSERT_EQ(menu.items.size(), 1u);
    EXPECT_EQ(menu.items[0].id, static_cast<unsigned>(kCallCountCommand));
    ASSERT_TRUE(PluginResources().GetMenu(kCallCountMenu, menu));
    ASSERT_EQ(menu.items.size(), 4u);
    EXPECT_TRUE(menu.items[2].separator);

    // The own toolbar's images: three whole 16 x 15 pictures side by side.
    IfBitmap images;
    ASSERT_TRUE(LoadBitmap(kCountersToolbar, images));
    EXPECT_EQ(images.width, 48);
    EXPECT_EQ(images.height, 15);
    const std::map<char, uint32_t> palette{{'.', 0}, {'#', 1}};
    EXPECT_EQ(Picture({"#.", ".#"}, palette).pixels, (std::vector<uint32_t>{1, 0, 0, 1}));
    EXPECT_EQ(Picture({"#.", "."}, palette).width, 0);  // rows of unequal length
    EXPECT_EQ(Picture({"#x", ".."}, palette).width, 0); // a colour the palette lacks
}

class CallCountTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        kernel.activate();
        kernel.symbols().add(simdbg::Symbol{"main", true, 0, 0x2000, 5});
        kernel.symbols().add(simdbg::Symbol{"idle", true, 0, 0x2100, 5});
        kernel.symbols().add(simdbg::Symbol{"nowhere", false, 0, 0, 5});
        ASSERT_EQ(dk::PluginApiInit(kernel.table()), 0);
    }
    void TearDown() override
    {
        while (CallCountStore::RemoveFunction("main") || CallCountStore::RemoveFunction("idle")) {
        }
        if (kernel.registered())
            dk::PluginApiExit();
        dk::bindKernelTable(nullptr);
    }
    // "main" counted twice and "idle" added; then a new session in which the debugger refuses to set
    // the breakpoint of "main" again and sets the one of "idle".
    void countMainTwiceThenRefuseIt()
    {
        ASSERT_TRUE(CallCountStore::AddFunction("main"));
        ASSERT_TRUE(CallCountStore::AddFunction("idle"));
        kernel.hit(0, 0x2000);
        kernel.hit(0, 0x2000);
        ASSERT_EQ(dk::PluginApiExit(), 0);
        kernel.injectFailure(DK_BREAKPOINT_SET, 0xFFFF, 1); // "main" is refused, "idle" set
        ASSERT_EQ(dk::PluginApiInit(kernel.table()), 0);
    }

    simdbg::SimKernel kernel;
};

TEST_F(CallCountTest, CountsCallsOfTypedFunctions)
{
    CallCountWindow window;
    window.OnInitialUpdate();
    ASSERT_EQ(window.GetRowCount(), 1);
    std::string text;
    window.GetItemText(0, 0, text);
    EXPECT_EQ(text, "<Enter function here>");
    EXPECT_TRUE(window.IsCellTextEditable(0, 0));

    // A name without a location is refused: nothing set, the entry row stays.
    window.OpenEditBox(0, 0);
    window.editBox()->setText("nowhere");
    window.CommitEdit();
    EXPECT_EQ(window.GetRowCount(), 1);
    EXPECT_TRUE(kernel.breakpoints().empty());

    for (const char* name : {"main", "idle", "main"}) {
        window.OpenEditBox(window.EntryRow(), 0);
        window.editBox()->setText(name);
        window.CommitEdit();
    }
    ASSERT_EQ(window.GetRowCount(), 4);
    window.GetItemText(0, 0, text);
    EXPECT_EQ(text, "main");
    window.GetItemText(0, 1, text);
    EXPECT_EQ(text, "0");
    EXPECT_FALSE(window.IsCellTextEditable(0, 0));
    EXPECT_EQ(window.EntryRow(), 3);
    EXPECT_EQ(kernel.breakpoints().size(), 3u);

    kernel.hit(0, 0x2000);
    kernel.hit(0, 0x2100);
    kernel.hit(0, 0x2100);
    window.RequestUpdate();
    window.OnIdle();
    window.GetItemText(0, 1, text);
    EXPECT_EQ(text, "1");
    window.GetItemText(1, 1, text);
    EXPECT_EQ(text, "2");

    // Commands on the entry row or without a row do nothing.
    window.SetContextRow(window.EntryRow());
    window.OnCommand(kRemoveFunctionCommand);
    window.SetContextRow(-1);
    window.OnCommand(kResetCounterCommand);
    EXPECT_EQ(CallCountStore::Snapshot().size(), 3u);

    // Remove Function on either "main" row removes the first one in the store.
    window.SetContextRow(2);
    window.OnCommand(kRemoveFunctionCommand);
    window.OnIdle();
    std::vector<CallCount> counts = CallCountStore::Snapshot();
    ASSERT_EQ(counts.size(), 2u);
    EXPECT_EQ(counts[0].function, "idle");
    EXPECT_EQ(counts[1].function, "main");
    EXPECT_EQ(kernel.breakpoints().size(), 2u);

    window.OnCommand(kResetAllCountersCommand);
    window.OnIdle();
    window.GetItemText(0, 1, text);
    EXPECT_EQ(text, "0");
    EXPECT_EQ(window.GetRowCount(), 3);
}

// The store outlives the session: after Exit and a new Init (and after Init twice) its functions are
// set on the new registration and count on; removing one after Exit asks the debugger for nothing.
TEST_F(CallCountTest, FunctionsCountOnAcrossSessions)
{
    ASSERT_TRUE(CallCountStore::AddFunction("main"));
    for (int i = 0; i < 3; ++i)
        kernel.hit(0, 0x2000);
    ASSERT_EQ(dk::PluginApiExit(), 0);
    EXPECT_TRUE(kernel.breakpoints().empty());
    ASSERT_EQ(dk::PluginApiInit(kernel.table()), 0);
    EXPECT_EQ(kernel.breakpoints().size(), 1u);
    ASSERT_EQ(dk::PluginApiInit(kernel.table()), 0);
    EXPECT_EQ(kernel.breakpoints().size(), 1u);
    kernel.hit(0, 0x2000);

    CallCountWindow window;
    window.OnInitialUpdate();
    window.Update();
    std::string text;
    window.GetItemText(0, 0, text);
    EXPECT_EQ(text, "main");
    window.GetItemText(0, 1, text);
    EXPECT_EQ(text, "4");

    ASSERT_EQ(dk::PluginApiExit(), 0);
    const uint64_t removals = kernel.callCount(DK_BREAKPOINT_REMOVE);
    window.SetContextRow(0);
    window.OnCommand(kRemoveFunctionCommand);
    EXPECT_TRUE(CallCountStore::Snapshot().empty());
    ASSERT_EQ(dk::PluginApiInit(kernel.table()), 0);
    EXPECT_TRUE(kernel.breakpoints().empty());
    kernel.notify(DK_NOTIFY_TARGET_STOPPED);
    ASSERT_EQ(dk::PluginApiExit(), 0);
    EXPECT_EQ(kernel.callCount(DK_BREAKPOINT_REMOVE), removals);
}

// A function whose breakpoint the debugger refused to set again in the new session is shown as not
// counted (greyed, its count marked) until a stop sets it again, which the window shows by itself.
TEST_F(CallCountTest, AFunctionTheDebuggerRefusedIsShownAsNotCounted)
{
    ASSERT_NO_FATAL_FAILURE(countMainTwiceThenRefuseIt());
    kernel.hit(0, 0x2000);

    CallCountWindow window;
    window.OnInitialUpdate();
    window.OnIdle();
    auto row = [&](int r) {
        std::vector<std::string> texts;
        std::vector<CellAttributes> attributes;
        window.GetRow(r, texts, attributes);
        return std::make_pair(texts, attributes);
    };
    auto [mainTexts, mainCells] = row(0);
    EXPECT_EQ(mainTexts, (std::vector<std::string>{"main", "2 (not counted)"}));
    EXPECT_EQ(mainCells[0].textColour, CallCountWindow::kNotCountedColour);
    auto [idleTexts, idleCells] = row(1);
    EXPECT_EQ(idleTexts, (std::vector<std::string>{"idle", "0"}));
    EXPECT_EQ(idleCells[0].textColour, kDefaultColour);

    // Commands still find the function by its name.
    window.SetContextRow(0);
    window.OnCommand(kResetCounterCommand);
    window.OnIdle();
    EXPECT_EQ(row(0).first[1], "0 (not counted)");

    // The stop sets it again: the next idle pass sees the change and the one after shows it.
    window.OnIdle();
    EXPECT_FALSE(window.UpdatePending());
    kernel.notify(DK_NOTIFY_TARGET_STOPPED);
    kernel.hit(0, 0x2000);
    window.OnIdle();
    window.OnIdle();
    EXPECT_EQ(row(0).first[1], "1");
    EXPECT_EQ(row(0).second[0].textColour, kDefaultColour);
}

// At the default width of "Calls" the warning of a function that is not counted is cut off: the cell
// shows its whole text as a tool tip. Cells whose text fits show none.
TEST_F(CallCountTest, TheNotCountedWarningIsReadableAsTheCellsToolTip)
{
    ASSERT_NO_FATAL_FAILURE(countMainTwiceThenRefuseIt());

    CallCountWindow window;
    window.OnInitialUpdate();
    window.OnIdle();
    window.resize(400, 200);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    ASSERT_EQ(window.GetColumnWidthAt(1), 60);
    auto hover = [&](int row, int column) {
        const QRect cell = window.visualRect(window.model()->index(row, column));
        QHelpEvent event(QEvent::ToolTip, cell.center(), window.viewport()->mapToGlobal(cell.center()));
        QApplication::sendEvent(window.viewport(), &event);
        return event.isAccepted();
    };
    for (const auto& [row, column] : {std::pair{0, 0}, std::pair{1, 0}, std::pair{1, 1}}) {
        EXPECT_FALSE(hover(row, column)) << row << ", " << column;
        EXPECT_FALSE(QToolTip::isVisible()) << row << ", " << column;
    }
    EXPECT_TRUE(hover(0, 1));
    EXPECT_TRUE(QToolTip::isVisible());
    EXPECT_EQ(QToolTip::text(), "2 (not counted)");
    QToolTip::hideText();
}

// Right after the program loaded the control panel has the focus: a cut cell of an IDE window that is
// not active shows its tool tip when the mouse rests on it, as in the active one.
TEST_F(CallCountTest, TheToolTipShowsWhileAnotherWindowIsActive)
{
    ASSERT_NO_FATAL_FAILURE(countMainTwiceThenRefuseIt());
    QMainWindow ide;
    auto* window = new CallCountWindow;
    ide.setCentralWidget(window);
    window->OnInitialUpdate();
    window->OnIdle();
    ide.resize(400, 200);
    ide.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&ide));
    QWidget panel;
    panel.resize(100, 100);
    panel.show();
    panel.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&panel));
    ASSERT_FALSE(ide.isActiveWindow());

    const QRect cell = window->visualRect(window->model()->index(0, 1));
    QTest::mouseMove(window->viewport(), cell.center());
    ASSERT_TRUE(QTest::qWaitFor([] { return QToolTip::isVisible(); }, 10000));
    EXPECT_EQ(QToolTip::text(), "2 (not counted)");
    QToolTip::hideText();
}

// Each command of the context menu shows its prompt in the IDE's status bar while the user is on it;
// the prompt goes when the menu closes.
TEST_F(CallCountTest, TheContextMenuShowsEachCommandsPrompt)
{
    const bool ownDesktop = IfDesktop::Instance() == nullptr;
    IfDesktop* desktop = ownDesktop ? IfDesktop::Create() : IfDesktop::Instance();
    CallCountWindow window;
    window.OnInitialUpdate();
    window.show();
    std::vector<std::string> prompts;
    QTimer::singleShot(50, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (menu == nullptr)
            return;
        for (QAction* action : menu->actions())
            if (!action->isSeparator()) {
                menu->setActiveAction(action);
                prompts.push_back(desktop->StatusText());
            }
        menu->close();
    });
    EXPECT_TRUE(window.ShowContextMenu(-1, QPoint(20, 20)));
    EXPECT_EQ(prompts, (std::vector<std::string>{"Reset counter for the selected function.",
                                                 "Remove the selected function.", "Reset all counters"}));
    EXPECT_EQ(desktop->StatusText(), "");
    if (ownDesktop)
        IfDesktop::Destroy();
}

TEST_F(CallCountTest, SessionEndingWithTheContextMenuOpenFreesItOnce)
{
    auto* window = new CallCountWindow;
    window->OnInitialUpdate();
    window->show();
    QPointer<CallCountWindow> alive(window);
    bool menuWasOpen = false;
    // The window goes while its menu runs, as when the session ends with the menu open.
    QTimer::singleShot(50, [&] {
        menuWasOpen = qobject_cast<QMenu*>(QApplication::activePopupWidget()) != nullptr;
        delete window;
    });
    EXPECT_TRUE(window->ShowContextMenu(0, QPoint(20, 20)));
    EXPECT_TRUE(menuWasOpen);
    EXPECT_TRUE(alive.isNull());
    drainEvents();
}

TEST(MenuPart, BuiltFromAMenuAtHand)
{
    const bool ownDesktop = IfDesktop::Instance() == nullptr;
    IfDesktop* desktop = ownDesktop ? IfDesktop::Create() : IfDesktop::Instance();
    auto menuTitles = [&] {
        QStringList titles;
        for (QAction* action : desktop->MainWindow()->menuBar()->actions())
            if (action->isVisible())
                titles << action->text();
        return titles;
    };
    IfMenu menu;
    ASSERT_TRUE(PluginResources().GetMenu(kMainMenu, menu));
    menu.text = "Handed Menu";
    {
        IfMenuPart part(PluginResources(), "IP_HANDED", menu);
        drainEvents();
        EXPECT_TRUE(menuTitles().contains("Handed Menu"));
        part.Hide();
        drainEvents();
        EXPECT_FALSE(menuTitles().contains("Handed Menu"));
        part.Show();
        drainEvents();
        EXPECT_TRUE(menuTitles().contains("Handed Menu"));
    }
    drainEvents();
    EXPECT_FALSE(menuTitles().contains("Handed Menu"));
    if (ownDesktop)
        IfDesktop::Destroy();
}

TEST(WindowFactory, CommandPlacementAndViews)
{
    WindowFactorySettings settings;
    settings.command = kCallCountCommand;
    settings.key = "TESTLIST";
    settings.title = "Test List";
    settings.companions = {"OTHER"};
    DpWindowFactory<DpListWindow> factory(settings);
    IfCmdUi ui;
    EXPECT_TRUE(IfQueryCommand(kCallCountCommand, ui));
    EXPECT_TRUE(ui.enabled);
    IfCmdUi other;
    EXPECT_FALSE(factory.OnCmdMsg(4242, IF_CMD_UPDATE_UI, &other, nullptr));
    IfDockPlacement placement;
    placement.companions = {"FIRST"};
    EXPECT_TRUE(factory.GetPreferedPosition(placement));
    EXPECT_EQ(placement.position, 3);
    EXPECT_EQ(placement.companions, (std::vector<std::string>{"FIRST", "OTHER"}));
    EXPECT_EQ(factory.GetFlag(), 1u);

    IfDockableFrame frame;
    ASSERT_TRUE(factory.CreateDockingWindow(frame));
    auto* view = dynamic_cast<DpListWindow*>(frame.DockingWnd());
    ASSERT_NE(view, nullptr);
    EXPECT_TRUE(view->IsReady());
}

// A factory that goes (the session ended) saves its open window's layout first, on whichever thread
// it goes: the GUI thread itself, or another while the GUI thread runs its events.
TEST(WindowFactory, AWindowKeepsItsLayoutWhenItsFactoryGoes)
{
    const bool ownDesktop = IfDesktop::Instance() == nullptr;
    IfDesktop* desktop = ownDesktop ? IfDesktop::Create() : IfDesktop::Instance();
    kernel::test::ScratchDir dir;
    IfContentStorage::SetFilePath((dir.path() / "ide.ini").string());
    for (const bool otherThread : {false, true}) {
        SCOPED_TRACE(otherThread ? "on another thread" : "on the GUI thread");
        WindowFactorySettings settings;
        settings.command = 4711;
        settings.key = otherThread ? "KEPT2" : "KEPT1";
        settings.title = "Kept";
        auto* factory = new DpWindowFactory<DpListWindow>(settings);
        ASSERT_TRUE(desktop->CreateWnd(settings.key, true));
        auto* view = dynamic_cast<DpListWindow*>(desktop->FindWnd(settings.key));
        ASSERT_NE(view, nullptr);
        view->AddColumn("A", 80, 0);
        view->SetColumnWidthAt(0, 123);
        if (otherThread) {
            std::atomic<bool> gone{false};
            std::thread session([&] {
                delete factory;
                gone = true;
            });
            while (!gone)
                QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            session.join();
        } else {
            delete factory;
        }
        drainEvents();
        EXPECT_EQ(desktop->FindWnd(settings.key), nullptr);
        int width = 0;
        EXPECT_TRUE(IfContentStorage(settings.key).Restore("Column0", width, 0));
        EXPECT_EQ(width, 123);
    }
    IfContentStorage::SetFilePath("");
    if (ownDesktop)
        IfDesktop::Destroy();
}

} // namespace
} // namespace views::test
