#include "plugin/views/windows/task_windows.h"

#include "plugin/views/windows/builtin_windows.h"
#include "plugin/views/windows/class_counts.h"
#include "plugin/views/windows/task_rows.h"

#include "plugin/kernel/object_readers.h"
#include <QPushButton>

namespace views {
namespace {

kernel::ClassCounts taskCounts()
{
    return ReadCounts(&kernel::IsTaskClassConfigured, &kernel::EnsureTaskClassRecord, &kernel::GetTaskCounts);
}

ListWindowSpec tasksSpec()
{
    return ListWindowSpec{TasksWindow::kDialogId,
                          "Tasks",
                          "Task",
                          7,
                          TasksWindow::List,
                          TasksWindow::LogData,
                          TraceKind::ObjectActor,
                          {{TasksWindow::LogData, "Log Data"},
                           {kServicesTraceButton, "Services Trace"},
                           {TasksWindow::RegisterInfo, "Register Info"},
                           {TasksWindow::StackInfo, "Stack Info"},
                           {TasksWindow::Semaphores, "Semaphores"}}};
}

} // namespace

TasksWindow::TasksWindow(WindowManager* manager) : ObjectListWindow(manager, tasksSpec()) {}

std::vector<ColumnSpec> TasksWindow::columns() const { return TaskColumns(); }

ColumnContext TasksWindow::readContext()
{
    m_counts = taskCounts();
    ColumnContext context;
    context.classAttributes = m_counts[0];
    return context;
}

void TasksWindow::fillRows(ListSheet& sheet) { FillTaskRows(sheet, m_counts); }

void TasksWindow::endOfRefreshEnables()
{
    button(RegisterInfo)->setEnabled(true);
    button(StackInfo)->setEnabled(true);
    button(Semaphores)->setEnabled((m_counts[0] & 0x4) != 0);
}

void TasksWindow::onButton(int id)
{
    if (id == RegisterInfo)
        openDetail<TaskRegisterWindow>(TaskRegisterWindow::kDialogId);
    else if (id == StackInfo)
        openDetail<TaskStacksWindow>(TaskStacksWindow::kDialogId);
    else if (id == Semaphores)
        openDetail<TaskSemaphoresWindow>(TaskSemaphoresWindow::kDialogId);
}

int TasksWindow::traceObjectColumn() const { return TaskTraceObject; }
int TasksWindow::traceActorColumn() const { return TaskTraceActor; }
bool TasksWindow::objectInUse(uint32_t n) { return kernel::IsTaskInUse(n) != 0; }

uint32_t TasksWindow::traceWord(uint32_t n)
{
    kernel::TaskRecord record{};
    kernel::ReadTaskRecord(n, record);
    return record[0];
}

void TasksWindow::setTrace(uint32_t n, bool actor, bool on)
{
    if (actor)
        kernel::SetTaskTraceActor(n, on ? 1 : 0);
    else
        kernel::SetTaskTraceObject(n, on ? 1 : 0);
}

TaskRegisterWindow::TaskRegisterWindow(WindowManager* manager)
    : RegisterListWindow(manager, kDialogId, "Task Register Information", kListId, kLegendNotValid,
                         "------: Not Currently Valid", kLegendNeverValid)
{
}

std::vector<ColumnSpec> TaskRegisterWindow::columns() const { return TaskRegisterGrid().columns; }

ColumnContext TaskRegisterWindow::readContext()
{
    m_counts = taskCounts();
    return ColumnContext{};
}

void TaskRegisterWindow::fillRows(ListSheet& sheet) { FillTaskRegisterRows(sheet, m_counts); }

TaskStacksWindow::TaskStacksWindow(WindowManager* manager)
    : CountedDetailWindow(manager, {kDialogId, "Task Stacks Information", 1064, &TaskStackColumns, &taskCounts,
                                  &FillTaskStackRows})
{
}

TaskSemaphoresWindow::TaskSemaphoresWindow(WindowManager* manager)
    : CountedDetailWindow(manager, {kDialogId, "Task Semaphores", 1067, &TaskSemaphoreColumns, &taskCounts,
                                  &FillTaskSemaphoreRows})
{
}

ObjectWindow* CreateTasksWindow(WindowManager& manager) { return new TasksWindow(&manager); }

} // namespace views
