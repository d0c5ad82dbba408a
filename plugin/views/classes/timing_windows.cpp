#include "plugin/views/classes/timing_windows.h"

#include "plugin/views/classes/timing_rows.h"
#include "plugin/views/windows/class_counts.h"

#include "plugin/kernel/object_readers.h"

#include <QPushButton>

namespace views {
namespace {

kernel::ClassCounts alarmCounts()
{
    return RefreshCounts(&kernel::IsAlarmClassConfigured, &kernel::EnsureAlarmClassRecord, &kernel::GetAlarmCounts);
}

kernel::ClassCounts counterCounts()
{
    return RefreshCounts(&kernel::IsCounterClassConfigured, &kernel::EnsureCounterClassRecord,
                         &kernel::GetCounterCounts);
}

kernel::ClassCounts eventSourceCounts()
{
    return RefreshCounts(&kernel::IsEventSourceClassConfigured, &kernel::EnsureEventSourceClassRecord,
                      &kernel::GetEventSourceCounts);
}

} // namespace

AlarmsWindow::AlarmsWindow(WindowManager* manager)
    : SingleTraceListWindow(manager,
                            SingleTraceSpec(kDialogId, "Alarms", "Alarm", 4, List, LogData,
                                            {{Semaphores, "Semaphores"}}),
                            AlmTrace,
                            {&kernel::IsAlarmInUse, &RecordFlags<kernel::AlarmRecord, &kernel::ReadAlarmRecord>,
                             &kernel::SetAlarmTrace})
{
}

std::vector<ColumnSpec> AlarmsWindow::columns() const { return AlarmColumns(); }

ColumnContext AlarmsWindow::readContext()
{
    m_counts = alarmCounts();
    ColumnContext context;
    context.classAttributes = m_counts[0];
    context.taskClass = kernel::IsTaskClassConfigured();
    return context;
}

void AlarmsWindow::fillRows(ListSheet& sheet) { FillAlarmRows(sheet, m_counts); }

void AlarmsWindow::endOfRefreshEnables()
{
    button(Semaphores)->setEnabled(kernel::IsSemaphoreClassConfigured() && kernel::EnsureSemaphoreClassRecord() != 0);
}

void AlarmsWindow::onButton(int id)
{
    if (id == Semaphores)
        openRegisteredDetail(AlarmSemaphoresWindow::kDialogId);
}

AlarmSemaphoresWindow::AlarmSemaphoresWindow(WindowManager* manager)
    : CountedDetailWindow(manager, {kDialogId, "Alarm Semaphores", 1034, &AlarmSemaphoreColumns, &alarmCounts,
                                  &FillAlarmSemaphoreRows})
{
}

CountersWindow::CountersWindow(WindowManager* manager)
    : ClassListWindow(manager,
                      {SingleTraceSpec(kDialogId, "Counters", "Counter", 3, List, LogData),
                       CntTrace,
                       {&kernel::IsCounterInUse, &RecordFlags<kernel::CounterRecord, &kernel::ReadCounterRecord>,
                        &kernel::SetCounterTrace},
                       &CounterColumns,
                       &FillCounterRows,
                       &counterCounts,
                       {}})
{
}

EventSourcesWindow::EventSourcesWindow(WindowManager* manager)
    : ClassListWindow(manager,
                      {SingleTraceSpec(kDialogId, "Event Sources", "Event Source", 2, List, LogData),
                       EvtTrace,
                       {&kernel::IsEventSourceInUse,
                        &RecordFlags<kernel::EventSourceRecord, &kernel::ReadEventSourceRecord>,
                        &kernel::SetEventSourceTrace},
                       &EventSourceColumns,
                       &FillEventSourceRows,
                       &eventSourceCounts,
                       {}})
{
}

} // namespace views
