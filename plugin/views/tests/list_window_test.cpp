// The dockable list window, the string loader, the window factory and the Call Count window over the
// simulated debugger.

#include "plugin/views/listwin/call_count.h"
#include "plugin/views/listwin/plugin_resources.h"
#include "plugin/views/listwin/window_factory.h"
#include "plugin/views/tests/views_fixture.h"

#include "plugin/kernel/tests/scratch_dir.h"
#include "sdk/ide/if_desktop.h"
#include "plugin/sdk/kernel.h"
#include "plugin/sdk/plugin_binding.h"
#include "standins/debugger/sim_kernel.h"

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

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

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
// counted (greyed, its count marked) until a stop sets it again.
TEST_F(CallCountTest, AFunctionTheDebuggerRefusedIsShownAsNotCounted)
{
    ASSERT_TRUE(CallCountStore::AddFunction("main"));
    ASSERT_TRUE(CallCountStore::AddFunction("idle"));
    kernel.hit(0, 0x2000);
    kernel.hit(0, 0x2000);
    ASSERT_EQ(dk::PluginApiExit(), 0);
    kernel.injectFailure(DK_BREAKPOINT_SET, 0xFFFF, 1); // "main" is refused, "idle" set
    ASSERT_EQ(dk::PluginApiInit(kernel.table()), 0);
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

    kernel.notify(DK_NOTIFY_TARGET_STOPPED);
    kernel.hit(0, 0x2000);
    window.RequestUpdate();
    window.OnIdle();
    EXPECT_EQ(row(0).first[1], "1");
    EXPECT_EQ(row(0).second[0].textColour, kDefaultColour);
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

} // namespace
} // namespace views::test
