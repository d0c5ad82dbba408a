#pragma once
// Rows of the alarm, alarm semaphore, counter and event source lists, read from the target.

#include "plugin/views/kit/list_sheet.h"

#include "plugin/kernel/object_classes.h"

namespace views {

// A counter lists at most this many queued entries, an event source this many counters.
constexpr uint32_t kQueuedEntries = 32;

enum AlarmColumn : int { AlmNumber, AlmName, AlmState, AlmCounter, AlmRemain, AlmInitial, AlmCyclic, AlmAction,
                         AlmWaiters, AlmTrace };
std::vector<ColumnSpec> AlarmColumns();
// Alarms 1 to static + dynamic, item data = the number.
void FillAlarmRows(ListSheet& sheet, const kernel::ClassCounts& counts);

std::vector<ColumnSpec> AlarmSemaphoreColumns();
void FillAlarmSemaphoreRows(ListSheet& sheet, const kernel::ClassCounts& counts);

enum CounterColumn : int { CntNumber, CntName, CntAccumulator, CntEventSource, CntCount, CntModulus, CntTrace,
                           CntType, CntObject, CntRemain, CntInitial, CntCyclic, CntAction, CntWaiters };
std::vector<ColumnSpec> CounterColumns();
// One row per counter and a continuation row (empty "#", item data 0) per further queued entry.
void FillCounterRows(ListSheet& sheet, const kernel::ClassCounts& counts);

enum EventSourceColumn : int { EvtNumber, EvtName, EvtAccumulator, EvtTrace, EvtCounter, EvtCounterAccumulator,
                               EvtCount, EvtModulus };
std::vector<ColumnSpec> EventSourceColumns();
// One row per event source and a continuation row per further attached counter.
void FillEventSourceRows(ListSheet& sheet, const kernel::ClassCounts& counts);

} // namespace views
