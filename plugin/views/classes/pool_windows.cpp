#include "plugin/views/classes/pool_windows.h"

#include "plugin/views/classes/pool_rows.h"
#include "plugin/views/windows/class_counts.h"

#include "plugin/kernel/object_readers.h"

namespace views {
namespace {

kernel::ClassCounts partitionCounts()
{
    return RefreshCounts(&kernel::IsPartitionClassConfigured, &kernel::EnsurePartitionClassRecord,
                      &kernel::GetPartitionCounts);
}

kernel::ClassCounts queueCounts()
{
    return RefreshCounts(&kernel::IsQueueClassConfigured, &kernel::EnsureQueueClassRecord, &kernel::GetQueueCounts);
}

kernel::ClassCounts mutexCounts()
{
    return RefreshCounts(&kernel::IsMutexClassConfigured, &kernel::EnsureMutexClassRecord, &kernel::GetMutexCounts);
}

kernel::ClassCounts pipeCounts()
{
    return RefreshCounts(&kernel::IsPipeClassConfigured, &kernel::EnsurePipeClassRecord, &kernel::GetPipeCounts);
}

void fillEmptyBuffers(ListSheet& sheet, const kernel::ClassCounts& counts) { FillPipeBufferRows(sheet, counts, false); }
void fillFullBuffers(ListSheet& sheet, const kernel::ClassCounts& counts) { FillPipeBufferRows(sheet, counts, true); }
std::vector<ColumnSpec> emptyBufferColumns() { return PipeBufferColumns(false); }
std::vector<ColumnSpec> fullBufferColumns() { return PipeBufferColumns(true); }

} // namespace

PartitionBlocksWindow::PartitionBlocksWindow(WindowManager* manager)
    : CountedDetailWindow(manager, {kDialogId, "Partition Block Information", 1022, &PartitionBlockColumns,
                                  &partitionCounts, &FillPartitionBlockRows})
{
}

PartitionSemaphoresWindow::PartitionSemaphoresWindow(WindowManager* manager)
    : CountedDetailWindow(manager, {kDialogId, "Partition Semaphores", 1019, &PartitionSemaphoreColumns, &partitionCounts,
                                  &FillPartitionSemaphoreRows})
{
}

PartitionsWindow::PartitionsWindow(WindowManager* manager)
    : ClassListWindow(manager,
                     {SingleTraceSpec(kDialogId, "Partitions", "Partition", 10, List, LogData,
                                      {{BlockInfo, "Block Info"}, {Semaphores, "Semaphores"},
                                       {ResetStatistics, "Reset Statistics"}}),
                      PrtTrace,
                      {&kernel::IsPartitionInUse, &RecordFlags<kernel::PartitionRecord, &kernel::ReadPartitionRecord>,
                       &kernel::SetPartitionTrace},
                      &PartitionColumns,
                      &FillPartitionRows,
                      &partitionCounts,
                      {{BlockInfo, 0, PartitionBlocksWindow::kDialogId},
                       {Semaphores, 0x4, PartitionSemaphoresWindow::kDialogId}},
                      ResetStatistics,
                      &kernel::ResetPartitionStatistics,
                      true})
{
}

QueueEntriesWindow::QueueEntriesWindow(WindowManager* manager)
    : CountedDetailWindow(manager, {kDialogId, "Queue Entry Information", 1037, &QueueEntryColumns, &queueCounts,
                                  &FillQueueEntryRows})
{
}

QueueSemaphoresWindow::QueueSemaphoresWindow(WindowManager* manager)
    : CountedDetailWindow(manager, {kDialogId, "Queue Semaphores", 1036, &QueueSemaphoreColumns, &queueCounts,
                                  &FillQueueSemaphoreRows})
{
}

QueuesWindow::QueuesWindow(WindowManager* manager)
    : ClassListWindow(manager,
                     {SingleTraceSpec(kDialogId, "Queues", "Queue", 11, List, LogData,
                                      {{EntryInfo, "Entry Info"}, {Semaphores, "Semaphores"},
                                       {ResetStatistics, "Reset Statistics"}}),
                      QueTrace,
                      {&kernel::IsQueueInUse, &RecordFlags<kernel::QueueRecord, &kernel::ReadQueueRecord>,
                       &kernel::SetQueueTrace},
                      &QueueColumns,
                      &FillQueueRows,
                      &queueCounts,
                      {{EntryInfo, 0, QueueEntriesWindow::kDialogId},
                       {Semaphores, 0x4, QueueSemaphoresWindow::kDialogId}},
                      ResetStatistics,
                      &kernel::ResetQueueStatistics,
                      false})
{
}

MutexSemaphoresWindow::MutexSemaphoresWindow(WindowManager* manager)
    : CountedDetailWindow(manager, {kDialogId, "Mutex Semaphores", 1039, &MutexSemaphoreColumns, &mutexCounts,
                                  &FillMutexSemaphoreRows})
{
}

MutexesWindow::MutexesWindow(WindowManager* manager)
    : ClassListWindow(manager,
                     {SingleTraceSpec(kDialogId, "Mutexes", "Mutex", 12, List, LogData,
                                      {{Semaphores, "Semaphores"}, {ResetStatistics, "Reset Statistics"}}),
                      MtxTrace,
                      {&kernel::IsMutexInUse, &RecordFlags<kernel::MutexRecord, &kernel::ReadMutexRecord>,
                       &kernel::SetMutexTrace},
                      &MutexColumns,
                      &FillMutexRows,
                      &mutexCounts,
                      {{Semaphores, 0x4, MutexSemaphoresWindow::kDialogId}},
                      ResetStatistics,
                      &kernel::ResetMutexStatistics,
                      true})
{
}

EmptyBuffersWindow::EmptyBuffersWindow(WindowManager* manager)
    : CountedDetailWindow(manager, {kDialogId, "Empty Buffer Addresses", 1050, &emptyBufferColumns, &pipeCounts,
                                  &fillEmptyBuffers})
{
}

FullBuffersWindow::FullBuffersWindow(WindowManager* manager)
    : CountedDetailWindow(manager, {kDialogId, "Full Buffer Addresses", 1054, &fullBufferColumns, &pipeCounts,
                                  &fillFullBuffers})
{
}

PipesWindow::PipesWindow(WindowManager* manager)
    : ClassListWindow(manager,
                     {SingleTraceSpec(kDialogId, "Pipes", "Pipe", 5, List, LogData,
                                      {{EmptyBuffers, "Empty Buffers"}, {FullBuffers, "Full Buffers"},
                                       {ResetStatistics, "Reset Statistics"}}),
                      PipTrace,
                      {&kernel::IsPipeInUse, &RecordFlags<kernel::PipeRecord, &kernel::ReadPipeRecord>,
                       &kernel::SetPipeTrace},
                      &PipeColumns,
                      &FillPipeRows,
                      &pipeCounts,
                      {{EmptyBuffers, 0, EmptyBuffersWindow::kDialogId},
                       {FullBuffers, 0, FullBuffersWindow::kDialogId}},
                      ResetStatistics,
                      &kernel::ResetPipeStatistics,
                      false})
{
}

} // namespace views
