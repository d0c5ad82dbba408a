// The object list window pattern on the task windows, offscreen over a generated kernel: rows, columns,
// trace popup and switches, detail windows, logging and greying.

#include "plugin/views/commands.h"
#include "plugin/views/data_log.h"
#include "plugin/views/kit/register_grid.h"
#include "plugin/views/tests/views_fixture.h"
#include "plugin/views/windows/task_rows.h"
#include "plugin/views/windows/task_windows.h"

#include "plugin/kernel/layout.h"
#include "plugin/kernel/object_readers.h"

#include <QApplication>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

namespace views::test {
namespace {

using kernel::ObjectKind;

// Task 1 current, 2 ready and traced as object, 3 suspended, 4 inactive, 5 dynamic and free.
void BuildTaskKernel(simtarget::TargetBuilder& b, uint32_t attributes)
{
    b.addClass(ObjectKind::Task, 4, 1, attributes);
    b.addClass(ObjectKind::Semaphore, 2, 0, 0);
    b.setName(ObjectKind::Semaphore, 1, "TaskSem");
    const uint32_t status[] = {0, 0, 0x1, 0x800};
    for (uint32_t n = 1; n <= 4; ++n) {
        b.setName(ObjectKind::Task, n, "Task" + std::to_string(n));
        simtarget::TaskOptions options;
        options.status = status[n - 1];
        options.priority = static_cast<int32_t>(n);
        options.attributes = n == 2 ? 0x200 : 0;
        simtarget::MakeTask(b, n, options);
    }
    b.setInUse(ObjectKind::Task, 5, false);
    b.setField(ObjectKind::Task, 3, 16, 1); // task 3's semaphore
    simtarget::LinkReadyList(b, {1, 2});
    simtarget::MakeTrace(b, simtarget::TraceSetup{});
}

// The Tasks window with a recording trace setter.
class RecordingTasksWindow : public TasksWindow {
public:
    using TasksWindow::TasksWindow;
    std::vector<std::string> calls;

protected:
    void setTrace(uint32_t n, bool actor, bool on) override
    {
        calls.push_back((actor ? "actor " : "object ") + std::to_string(n) + (on ? " on" : " off"));
        TasksWindow::setTrace(n, actor, on);
    }
};

std::vector<std::string> headers(const ReportList& list)
{
    std::vector<std::string> titles;
    for (int c = 0; c < list.columnCount(); ++c)
        titles.push_back(list.headerText(c));
    return titles;
}

std::vector<std::string> column(const ReportList& list, int c)
{
    std::vector<std::string> cells;
    for (int r = 0; r < list.rowCount(); ++r)
        cells.push_back(list.cellText(r, c));
    return cells;
}

TEST(TasksWindow, RowsColumnsAndButtons)
{
    QuietEnvironment quiet;
    GeneratedKernel kernel([](simtarget::TargetBuilder& b) { BuildTaskKernel(b, 0x4 | 0x8 | 0x100); });
    ASSERT_EQ(kernel.load(), 0);
    ClearLogFile();
    WindowManager manager;
    manager.OnDisplayCommand(2);
    drainEvents();
    auto* window = dynamic_cast<TasksWindow*>(manager.FindOpenWindow(1000));
    ASSERT_NE(window, nullptr);
    const ReportList& list = *window->list();
    EXPECT_EQ(headers(list), (std::vector<std::string>{"#", "Name", "Priority", "Entry", "Arg Address", "State",
                                                       "Trace Object", "Trace Actor"}));
    EXPECT_EQ(column(list, 0), (std::vector<std::string>{"0", "1", "2", "3", "4", "5"}));
    EXPECT_EQ(list.cellText(1, 1), "Task1");
    EXPECT_EQ(list.cellText(5, 1), "<not in use>");
    EXPECT_EQ(list.cellText(5, 2), "");
    EXPECT_EQ(list.cellText(2, 2), "2");
    EXPECT_EQ(list.cellText(2, 3), "0x00400200");
    EXPECT_EQ(list.cellText(1, 5), "(Current)");
    EXPECT_EQ(list.cellText(3, 5), "Suspended");
    EXPECT_EQ(column(list, 6)[2], "Yes");
    EXPECT_EQ(column(list, 6)[1], "No");
    EXPECT_EQ(window->sheet().itemData(4), 4u);
    saveScreenshot(window, "tasks_window.png");

    EXPECT_FALSE(window->button(TasksWindow::LogData)->isEnabled());
    EXPECT_FALSE(window->button(kServicesTraceButton)->isEnabled());
    EXPECT_TRUE(window->button(TasksWindow::RegisterInfo)->isEnabled());
    EXPECT_TRUE(window->button(TasksWindow::Semaphores)->isEnabled());

    // Greyed while running; Log Data keeps its state.
    manager.OnTargetRunning();
    drainEvents();
    EXPECT_FALSE(list.isEnabled());
    EXPECT_FALSE(window->button(TasksWindow::RegisterInfo)->isEnabled());
    EXPECT_FALSE(window->button(TasksWindow::LogData)->isEnabled());

    // With a log file, Log Data appends the list as shown.
    ASSERT_TRUE(SetLogFile((kernel.fixture().dir().path() / "log.csv").string()));
    window->onCommand(TasksWindow::LogData);
    EXPECT_TRUE(quiet.messages().texts().empty());
    ClearLogFile();
}

TEST(TasksWindow, ConditionalColumnsAndMissingClass)
{
    QuietEnvironment quiet;
    {
        GeneratedKernel kernel([](simtarget::TargetBuilder& b) {
            b.addClass(ObjectKind::Task, 2, 0, 0);
            for (uint32_t n = 1; n <= 2; ++n)
                simtarget::MakeTask(b, n, simtarget::TaskOptions{});
        });
        ASSERT_EQ(kernel.load(), 0);
        TasksWindow window(nullptr);
        window.Refresh();
        EXPECT_EQ(headers(*window.list()), (std::vector<std::string>{"#", "Name", "Priority", "Entry", "State"}));
        EXPECT_FALSE(window.button(TasksWindow::Semaphores)->isEnabled());
        EXPECT_TRUE(window.popupForRow(1).empty()); // no trace, no popup
    }
    {
        GeneratedKernel kernel([](simtarget::TargetBuilder& b) {
            b.addClass(ObjectKind::Task, 2, 0, 0);
            b.clearClassPointer(ObjectKind::Task);
        });
        ASSERT_EQ(kernel.load(), 0);
        TasksWindow tasks(nullptr);
        tasks.Refresh();
        EXPECT_EQ(tasks.list()->rowCount(), 1);
        EXPECT_EQ(tasks.list()->cellText(0, 1), "<not in use>");
        TaskStacksWindow stacks(nullptr);
        stacks.Refresh();
        EXPECT_EQ(stacks.list()->rowCount(), 1);
        EXPECT_EQ(stacks.list()->cellText(0, 1), "<Kernel>");
        TaskSemaphoresWindow semaphores(nullptr);
        semaphores.Refresh();
        EXPECT_EQ(semaphores.list()->rowCount(), 0);
    }
}

std::vector<std::string> popupTexts(const std::vector<PopupItem>& items, bool greyedOnly)
{
    std::vector<std::string> texts;
    for (const PopupItem& item : items)
        if (!item.separator() && (!greyedOnly || item.greyed))
            texts.push_back(item.text);
    return texts;
}

TEST(TasksWindow, SessionEndingWithTheTracePopupOpenFreesItOnce)
{
    QuietEnvironment quiet;
    GeneratedKernel kernel([](simtarget::TargetBuilder& b) { BuildTaskKernel(b, 0); });
    ASSERT_EQ(kernel.load(), 0);
    auto* window = new RecordingTasksWindow(nullptr);
    window->Refresh();
    ASSERT_TRUE(window->traceAvailable());
    window->show();
    ReportList* list = window->list();
    const QPoint row2 = list->visualItemRect(list->topLevelItem(2)).center();
    ASSERT_EQ(list->rowAt(row2), 2);
    QPointer<RecordingTasksWindow> alive(window);
    bool menuWasOpen = false;
    // The window goes while its menu runs, as when the session ends with the menu open.
    QTimer::singleShot(50, [&] {
        menuWasOpen = qobject_cast<QMenu*>(QApplication::activePopupWidget()) != nullptr;
        delete window;
    });
    emit list->customContextMenuRequested(row2);
    EXPECT_TRUE(menuWasOpen);
    EXPECT_TRUE(alive.isNull());
    drainEvents();
}

TEST(TasksWindow, TracePopupAndSwitches)
{
    QuietEnvironment quiet;
    GeneratedKernel kernel([](simtarget::TargetBuilder& b) { BuildTaskKernel(b, 0); });
    ASSERT_EQ(kernel.load(), 0);
    RecordingTasksWindow window(nullptr);
    window.Refresh();
    ASSERT_TRUE(window.traceAvailable());

    EXPECT_TRUE(window.popupForRow(5).empty()); // not in use
    EXPECT_TRUE(window.popupForRow(17).empty());
    std::vector<PopupItem> popup = window.popupForRow(2);
    ASSERT_EQ(popup.size(), 10u);
    EXPECT_EQ(popup[0].text, "Trace &Object");
    EXPECT_TRUE(popup[0].checked);
    EXPECT_FALSE(popup[4].checked);
    EXPECT_EQ(popupTexts(popup, true), (std::vector<std::string>{"Trace No Ac&tors"}));

    // Toggle: "Yes" clears, the cell is read back.
    window.setSelectedRow(2);
    window.onCommand(kTraceObject);
    EXPECT_EQ(window.calls, (std::vector<std::string>{"object 2 off"}));
    EXPECT_EQ(window.sheet().cell(2, TaskTraceObject), "No");
    EXPECT_EQ(window.list()->cellText(2, 5), "No"); // no argument column: the switches move up
    EXPECT_EQ(window.selectedRow(), -1);
    EXPECT_EQ(popupTexts(window.popupForRow(1), true),
              (std::vector<std::string>{"Trace &No Objects", "Trace No Ac&tors", "Trac&e None"}));

    // Trace All: every actor first, then every object; all in-use rows read Yes twice.
    window.calls.clear();
    window.onCommand(kTraceAll);
    // The in-use rows (task 0 counts only when the engine takes it as in use).
    std::vector<int> inUse;
    for (int r = 0; r < window.sheet().rowCount(); ++r)
        if (window.sheet().cell(r, TaskName) != "<not in use>")
            inUse.push_back(r);
    ASSERT_GE(inUse.size(), 4u);
    std::vector<std::string> expected;
    for (const char* kind : {"actor ", "object "})
        for (int r : inUse)
            expected.push_back(kind + std::to_string(r) + " on");
    EXPECT_EQ(window.calls, expected);
    for (int r : inUse) {
        EXPECT_EQ(window.sheet().cell(r, TaskTraceObject), "Yes") << r;
        EXPECT_EQ(window.sheet().cell(r, TaskTraceActor), "Yes") << r;
    }
    EXPECT_EQ(window.sheet().cell(5, TaskTraceObject), "");
    kernel::TaskRecord record{};
    kernel::ReadTaskRecord(3, record);
    EXPECT_EQ(record[0] & 0x300, 0x300u);
    EXPECT_EQ(popupTexts(window.popupForRow(1), true),
              (std::vector<std::string>{"Trace All O&bjects", "Trace All A&ctors", "T&race All"}));

    window.calls.clear();
    window.onCommand(kTraceNoObjects);
    EXPECT_EQ(window.calls.size(), inUse.size());
    EXPECT_EQ(window.sheet().cell(3, TaskTraceObject), "No");
    EXPECT_EQ(window.sheet().cell(3, TaskTraceActor), "Yes");
}

TEST(TaskDetailWindows, RegistersStacksSemaphoresAndOpening)
{
    QuietEnvironment quiet;
    GeneratedKernel kernel([](simtarget::TargetBuilder& b) { BuildTaskKernel(b, 0x4 | 0x8); });
    ASSERT_EQ(kernel.load(), 0);
    WindowManager manager;
    auto* tasks = OpenDisplay<TasksWindow>(manager, 2, 1000);
    ASSERT_NE(tasks, nullptr);

    tasks->button(TasksWindow::RegisterInfo)->click();
    drainEvents();
    tasks->button(TasksWindow::RegisterInfo)->click();
    drainEvents();
    ASSERT_EQ(manager.windows().size(), 2u);
    auto* registers = dynamic_cast<TaskRegisterWindow*>(manager.FindOpenWindow(1013));
    ASSERT_NE(registers, nullptr);
    const ReportList& regs = *registers->list();
    EXPECT_EQ(headers(regs).size(), 20u);
    EXPECT_EQ(headers(regs)[3], "PC");
    EXPECT_EQ(regs.cellText(1, 2), "<current>");
    EXPECT_EQ(regs.cellText(1, 3), "");
    EXPECT_EQ(regs.cellText(4, 2), "<inactive>");
    EXPECT_EQ(regs.cellText(2, 2), "");
    EXPECT_EQ(regs.cellText(2, 4).size(), 10u); // SP as 0x + 8 digits
    saveScreenshot(registers, "task_register_window.png");

    tasks->button(TasksWindow::StackInfo)->click();
    drainEvents();
    auto* stacks = dynamic_cast<TaskStacksWindow*>(manager.FindOpenWindow(1032));
    ASSERT_NE(stacks, nullptr);
    const ReportList& st = *stacks->list();
    EXPECT_EQ(headers(st), (std::vector<std::string>{"#", "Name", "Address", "Size", "Max Used", "Least Spare",
                                                     "Current Used", "Current Spare"}));
    EXPECT_EQ(column(st, 0), (std::vector<std::string>{"-", "1", "2", "3", "4", "5"}));
    EXPECT_EQ(st.cellText(0, 1), "<Kernel>");
    EXPECT_EQ(st.cellText(0, 6), "N/A");
    EXPECT_EQ(st.cellText(1, 6), "<current task>");
    EXPECT_EQ(st.cellText(1, 7), "");
    // An inactive task holds nothing on its stack.
    EXPECT_EQ(st.cellText(4, 6), "0");
    EXPECT_EQ(st.cellText(4, 7), st.cellText(4, 3));
    const int size = std::stoi(st.cellText(2, 3));
    EXPECT_EQ(std::stoi(st.cellText(2, 6)) + std::stoi(st.cellText(2, 7)), size);
    EXPECT_EQ(std::stoi(st.cellText(2, 4)) + std::stoi(st.cellText(2, 5)), size);

    tasks->button(TasksWindow::Semaphores)->click();
    drainEvents();
    auto* semaphores = dynamic_cast<TaskSemaphoresWindow*>(manager.FindOpenWindow(1034));
    ASSERT_NE(semaphores, nullptr);
    EXPECT_EQ(column(*semaphores->list(), 0), (std::vector<std::string>{"1", "2", "3", "4", "5"}));
    EXPECT_EQ(semaphores->list()->cellText(2, 2), "TaskSem");
    EXPECT_EQ(semaphores->list()->cellText(0, 2), "");
    EXPECT_EQ(semaphores->list()->cellText(4, 1), "<not in use>");
}

TEST(RegisterGrid, NeverValidRegistersDropTheirColumns)
{
    RegisterGrid grid = MakeRegisterGrid({{"#", Align::Right, 15}, {"Name", Align::Left, 90}, {"Status", Align::Left, 100}});
    ASSERT_EQ(grid.columns.size(), 20u);
    ListSheet sheet;
    sheet.setColumns(grid.columns, ColumnContext{});
    RegisterMaximum maximum;
    RegisterStates states{};
    states[1] = 2;  // SP: always shown
    states[5] = 1;  // R2 not currently valid: kept
    states[16] = 3; // LR never valid: dropped
    states[3] = 2;  // R0 dropped
    maximum.raise(states);
    maximum.applyTo(grid, sheet);
    EXPECT_TRUE(sheet.isShown(4));
    EXPECT_FALSE(sheet.isShown(6));
    EXPECT_TRUE(sheet.isShown(8));
    EXPECT_FALSE(sheet.isShown(19));
    // A cell written to a dropped column is not shown under another header.
    int row = sheet.addRow();
    sheet.set(row, 6, "R0 value");
    sheet.set(row, 7, "R1 value");
    EXPECT_EQ(sheet.shownIndex(7), 6);
    EXPECT_EQ(sheet.shownIndex(6), -1);
    EXPECT_EQ(sheet.shownTable().rows[0][6], "R1 value");
    EXPECT_EQ(sheet.shownTable().headers[6], "R1");
}

} // namespace
} // namespace views::test
