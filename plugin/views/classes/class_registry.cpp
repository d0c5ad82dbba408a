// Enters the windows of the remaining object classes into the window manager's factory at load.

#include "plugin/views/classes/level_windows.h"
#include "plugin/views/classes/pool_windows.h"
#include "plugin/views/classes/service_trace_window.h"
#include "plugin/views/classes/trace_control_window.h"
#include "plugin/views/classes/timing_windows.h"
#include "plugin/views/window_manager.h"

namespace views {
namespace {

template <typename T>
ObjectWindow* create(WindowManager& manager)
{
    return new T(&manager);
}

const DisplayWindowRegistrar kPartitions(5, &create<PartitionsWindow>);
const DisplayWindowRegistrar kQueues(6, &create<QueuesWindow>);
const DisplayWindowRegistrar kMutexes(7, &create<MutexesWindow>);
const DisplayWindowRegistrar kPipes(8, &create<PipesWindow>);
const DisplayWindowRegistrar kEventSources(13, &create<EventSourcesWindow>);
const DisplayWindowRegistrar kCounters(14, &create<CountersWindow>);
const DisplayWindowRegistrar kAlarms(15, &create<AlarmsWindow>);

// Detail windows opened by dialog id: the class list windows' and the level windows of the Threads window.
const bool kDetailWindows = [] {
    WindowManager::RegisterDetailWindow(AlarmSemaphoresWindow::kDialogId, &create<AlarmSemaphoresWindow>);
    WindowManager::RegisterDetailWindow(LevelInfoWindow::kDialogId, &create<LevelInfoWindow>);
    WindowManager::RegisterDetailWindow(LevelScheduleWindow::kDialogId, &create<LevelScheduleWindow>);
    WindowManager::RegisterDetailWindow(PartitionBlocksWindow::kDialogId, &create<PartitionBlocksWindow>);
    WindowManager::RegisterDetailWindow(PartitionSemaphoresWindow::kDialogId, &create<PartitionSemaphoresWindow>);
    WindowManager::RegisterDetailWindow(QueueEntriesWindow::kDialogId, &create<QueueEntriesWindow>);
    WindowManager::RegisterDetailWindow(QueueSemaphoresWindow::kDialogId, &create<QueueSemaphoresWindow>);
    WindowManager::RegisterDetailWindow(MutexSemaphoresWindow::kDialogId, &create<MutexSemaphoresWindow>);
    WindowManager::RegisterDetailWindow(EmptyBuffersWindow::kDialogId, &create<EmptyBuffersWindow>);
    WindowManager::RegisterDetailWindow(FullBuffersWindow::kDialogId, &create<FullBuffersWindow>);
    return true;
}();

// Every services-trace part opens this window; display command 18 runs the trace control window.
const bool kTraceWindows = [] {
    ServiceTraceParent::setWindowFactory([](ServiceTraceParent& owner) { return new ServiceTraceDialog(owner); });
    WindowManager::setTraceControlRunner([](WindowManager&) {
        TraceControlDialog dialog(TraceControlDialog::sharedModel());
        dialog.run();
    });
    return true;
}();

} // namespace
} // namespace views
