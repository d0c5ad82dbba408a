#include "plugin/views/windows/task_windows.h"

#include "plugin/views/windows/builtin_windows.h"
#include "plugin/views/windows/class_counts.h"
#include "plugin/views/windows/task_rows.h"

#include "plugin/kernel/object_readers.h"
#include "platform/qt/control_id.h"

#include <QLineEdit>
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
    : DetailListWindow(manager, kDialogId, "Task Register Information", kListId)
{
    resize(620, 300);
    list()->setGeometry(7, 7, 606, 236);
    m_notValid = new QLineEdit(this);
    platform::setControlId(m_notValid, kLegendNotValid);
    m_notValid->setReadOnly(true);
    m_notValid->setGeometry(130, 250, 170, 22);
    m_neverValid = new QLineEdit(this);
    platform::setControlId(m_neverValid, kLegendNeverValid);
    m_neverValid->setReadOnly(true);
    m_neverValid->setGeometry(320, 250, 170, 22);
}

const layout::DynamicMapEntry* TaskRegisterWindow::GetDynamicMap() const
{
    static const layout::DynamicMapEntry kMap[] = {
        layout::mapModes(kListId, 1, 1),
        layout::mapModes(kLegendNotValid, 3, 2),
        layout::mapModes(kLegendNeverValid, 3, 2),
        layout::mapEnd(),
    };
    return kMap;
}

void TaskRegisterWindow::Refresh()
{
    if (m_firstRefresh) {
        list()->useFixedFont();
        m_notValid->setText(QStringLiteral("------: Not Currently Valid"));
        m_neverValid->setText(QStringLiteral("******: Never Valid"));
        m_firstRefresh = false;
    }
    DetailListWindow::Refresh();
}

std::vector<ColumnSpec> TaskRegisterWindow::columns() const { return TaskRegisterGrid().columns; }

ColumnContext TaskRegisterWindow::readContext()
{
    m_counts = taskCounts();
    return ColumnContext{};
}

void TaskRegisterWindow::fillRows(ListSheet& sheet) { FillTaskRegisterRows(sheet, m_counts); }

TaskStacksWindow::TaskStacksWindow(WindowManager* manager)
    : DetailListWindow(manager, kDialogId, "Task Stacks Information", 1064)
{
}

std::vector<ColumnSpec> TaskStacksWindow::columns() const { return TaskStackColumns(); }

ColumnContext TaskStacksWindow::readContext()
{
    m_counts = taskCounts();
    ColumnContext context;
    context.classAttributes = m_counts[0];
    return context;
}

void TaskStacksWindow::fillRows(ListSheet& sheet) { FillTaskStackRows(sheet, m_counts); }

TaskSemaphoresWindow::TaskSemaphoresWindow(WindowManager* manager)
    : DetailListWindow(manager, kDialogId, "Task Semaphores", 1067)
{
}

std::vector<ColumnSpec> TaskSemaphoresWindow::columns() const { return TaskSemaphoreColumns(); }

ColumnContext TaskSemaphoresWindow::readContext()
{
    m_counts = taskCounts();
    return ColumnContext{};
}

void TaskSemaphoresWindow::fillRows(ListSheet& sheet) { FillTaskSemaphoreRows(sheet, m_counts); }

ObjectWindow* CreateTasksWindow(WindowManager& manager) { return new TasksWindow(&manager); }

} // namespace views
