#pragma once
// Rows of the partition, queue, pipe and mutex lists and their detail lists, read from the target.

#include "plugin/views/kit/list_sheet.h"

#include "plugin/kernel/object_classes.h"

namespace views {

enum PartitionColumn : int { PrtNumber, PrtName, PrtAddress, PrtAvailable, PrtTotal, PrtBsize, PrtWorst, PrtUsage,
                             PrtOrder, PrtWaiters, PrtTrace };
std::vector<ColumnSpec> PartitionColumns();
void FillPartitionRows(ListSheet& sheet, const kernel::ClassCounts& counts);
std::vector<ColumnSpec> PartitionBlockColumns();
void FillPartitionBlockRows(ListSheet& sheet, const kernel::ClassCounts& counts);
std::vector<ColumnSpec> PartitionSemaphoreColumns();
void FillPartitionSemaphoreRows(ListSheet& sheet, const kernel::ClassCounts& counts);

enum QueueColumn : int { QueNumber, QueName, QueAddress, QueCurrent, QueDepth, QueWidth, QueWorst, QueUsage, QueOrder,
                         QueWaiters, QueTrace };
std::vector<ColumnSpec> QueueColumns();
void FillQueueRows(ListSheet& sheet, const kernel::ClassCounts& counts);
std::vector<ColumnSpec> QueueEntryColumns();
void FillQueueEntryRows(ListSheet& sheet, const kernel::ClassCounts& counts);
std::vector<ColumnSpec> QueueSemaphoreColumns();
void FillQueueSemaphoreRows(ListSheet& sheet, const kernel::ClassCounts& counts);

enum PipeColumn : int { PipNumber, PipName, PipFull, PipEmpty, PipBuffers, PipBsize, PipWorst, PipUsage, PipPutFull,
                        PipPutEmpty, PipTrace };
std::vector<ColumnSpec> PipeColumns();
void FillPipeRows(ListSheet& sheet, const kernel::ClassCounts& counts);
// The buffer lists: with class attribute 0x1 a pipe not in use reads "<not in use>"; without it every
// pipe number is listed.
std::vector<ColumnSpec> PipeBufferColumns(bool full);
void FillPipeBufferRows(ListSheet& sheet, const kernel::ClassCounts& counts, bool full);

enum MutexColumn : int { MtxNumber, MtxName, MtxLevel, MtxUsage, MtxConflicts, MtxOrder, MtxInversion, MtxOwner,
                         MtxWaiters, MtxTrace };
std::vector<ColumnSpec> MutexColumns();
void FillMutexRows(ListSheet& sheet, const kernel::ClassCounts& counts);
std::vector<ColumnSpec> MutexSemaphoreColumns();
void FillMutexSemaphoreRows(ListSheet& sheet, const kernel::ClassCounts& counts);

} // namespace views
