// Rows of the timing windows: alarms, their semaphores, counters with their queued entries and event
// sources with their counters. Record words follow the mapping documented with the readers.

#include "plugin/views/classes/timing_rows.h"

#include "plugin/views/classes/cells.h"
#include "plugin/views/kit/trace_popup.h"
#include "plugin/views/windows/class_counts.h"

#include "plugin/kernel/object_readers.h"
#include "plugin/kernel/object_texts.h"

#include <array>

namespace views {
namespace {

bool traced(uint32_t flags) { return (flags & kernel::kTraceObjectBit) != 0; }

// Writes the row of a list entry: the object's own row for the first, a continuation row after it.
int entryRow(ListSheet& sheet, int firstRow, uint32_t index)
{
    return index == 0 ? firstRow : sheet.addRow(0);
}

} // namespace

std::vector<ColumnSpec> AlarmColumns()
{
    return {
        {"#", Align::Right, 15},
        {"Name", Align::Left, 100},
        {"State", Align::Left, 75},
        {"Counter", Align::Left, 100},
        {"Remain", Align::Right, 50},
        {"Initial", Align::Right, 50},
        {"Cyclic", Align::Right, 50},
        {"Action", Align::Left, 150},
        {"Waiters", Align::Left, 200, 0, false, true},
        {"Trace", Align::Left, 150, 0, true},
    };
}

void FillAlarmRows(ListSheet& sheet, const kernel::ClassCounts& counts)
{
    for (uint32_t n = 1; n <= LastObject(counts); ++n) {
        const int row = sheet.addRow(n);
        sheet.set(row, AlmNumber, Dec(n));
        if (!kernel::IsAlarmInUse(n)) {
            sheet.set(row, AlmName, kNotInUse);
            continue;
        }
        kernel::AlarmRecord record{};
        kernel::ReadAlarmRecord(n, record);
        sheet.set(row, AlmName, kernel::FormatAlarmName(n));
        sheet.set(row, AlmState, kernel::AlarmStateText(record[8]));
        sheet.set(row, AlmCounter, kernel::FormatCounterName(record[7]));
        sheet.set(row, AlmRemain, kernel::AlarmTicksText(record));
        sheet.set(row, AlmInitial, Ticks(record[2]));
        sheet.set(row, AlmCyclic, Ticks(record[3]));
        sheet.set(row, AlmAction, kernel::ThreadGateActionText(record[4], record[5]));
        if (sheet.isShown(AlmWaiters))
            sheet.set(row, AlmWaiters, kernel::AlarmWaitersText(n));
        sheet.set(row, AlmTrace, YesNo(traced(record[0])));
    }
    AddNotReadRow(sheet, counts);
}

std::vector<ColumnSpec> AlarmSemaphoreColumns()
{
    return {{"#", Align::Right, 15}, {"Name", Align::Left, 100}, {"Semaphores", Align::Left, 200}};
}

void FillAlarmSemaphoreRows(ListSheet& sheet, const kernel::ClassCounts& counts)
{
    for (uint32_t n = 1; n <= LastObject(counts); ++n) {
        const int row = sheet.addRow(n);
        sheet.set(row, 0, Dec(n));
        if (!kernel::IsAlarmInUse(n)) {
            sheet.set(row, 1, kNotInUse);
            continue;
        }
        sheet.set(row, 1, kernel::FormatAlarmName(n));
        std::string text;
        if (uint32_t expired = kernel::GetAlarmExpiredSemaphore(n))
            text = kernel::FormatSemaName(expired) + "<AE>";
        if (uint32_t aborted = kernel::GetAlarmAbortedSemaphore(n))
            text += kernel::SeparatorIfNotEmpty(text) + kernel::FormatSemaName(aborted) + "<AA>";
        sheet.set(row, 2, text);
    }
    AddNotReadRow(sheet, counts);
}

std::vector<ColumnSpec> CounterColumns()
{
    return {
        {"#", Align::Right, 15},
        {"Name", Align::Left, 100},
        {"Accumulator", Align::Right, 75},
        {"EventSrc", Align::Left, 75},
        {"Count", Align::Right, 50},
        {"Modulus", Align::Right, 50},
        {"Trace", Align::Left, 50, 0, true},
        {"Type", Align::Left, 75},
        {"Object", Align::Left, 100},
        {"Remain", Align::Right, 50},
        {"Initial", Align::Right, 50},
        {"Cyclic", Align::Right, 50},
        {"Action", Align::Left, 150},
        {"Waiters", Align::Left, 200, 0, false, true},
    };
}

void FillCounterRows(ListSheet& sheet, const kernel::ClassCounts& counts)
{
    const int alarmClass = kernel::ClassOf(kernel::ObjectKind::Alarm);
    const int semaphoreClass = kernel::ClassOf(kernel::ObjectKind::Semaphore);
    std::array<kernel::CounterAlarm, kQueuedEntries + 1> entries{}; // one more: a cut list is seen
    for (uint32_t n = 1; n <= LastObject(counts); ++n) {
        const int row = sheet.addRow(n);
        sheet.set(row, CntNumber, Dec(n));
        if (!kernel::IsCounterInUse(n)) {
            sheet.set(row, CntName, kNotInUse);
            continue;
        }
        kernel::CounterRecord record{};
        kernel::ReadCounterRecord(n, record);
        sheet.set(row, CntName, kernel::FormatCounterName(n));
        sheet.set(row, CntAccumulator, Ticks(record[4]));
        sheet.set(row, CntEventSource, kernel::FormatEventSourceName(record[1]));
        sheet.set(row, CntCount, Ticks(record[2]));
        sheet.set(row, CntModulus, Ticks(record[3]));
        sheet.set(row, CntTrace, YesNo(traced(record[0])));
        const uint32_t queued = kernel::ReadCounterAlarms(n, entries.data(), kQueuedEntries + 1);
        for (uint32_t i = 0; i < queued && i < kQueuedEntries; ++i) {
            const kernel::CounterAlarm& e = entries[i];
            const int at = entryRow(sheet, row, i);
            const int cls = static_cast<int>(e[5]);
            sheet.set(at, CntType, kernel::ClassNameText(cls));
            const bool several = cls >= 0 && cls == semaphoreClass && e[7] == 0;
            sheet.set(at, CntObject, several ? "<Multiple>" : kernel::FormatHandleText(cls, e[7]));
            sheet.set(at, CntRemain, Ticks(e[0]));
            if (cls != alarmClass)
                continue;
            sheet.set(at, CntInitial, Ticks(e[1]));
            sheet.set(at, CntCyclic, Ticks(e[2]));
            sheet.set(at, CntAction, kernel::ThreadGateActionText(e[3], e[4]));
            if (sheet.isShown(CntWaiters))
                sheet.set(at, CntWaiters, kernel::AlarmWaitersText(e[7]));
        }
        if (queued > kQueuedEntries)
            sheet.set(entryRow(sheet, row, kQueuedEntries), CntType, kMoreNotListed);
    }
    AddNotReadRow(sheet, counts);
}

std::vector<ColumnSpec> EventSourceColumns()
{
    return {
        {"#", Align::Right, 15},
        {"Name", Align::Left, 100},
        {"Accumulator", Align::Right, 75},
        {"Trace", Align::Left, 60, 0, true},
        {"Counter", Align::Left, 100},
        {"Accumulator", Align::Right, 60},
        {"Count", Align::Right, 60},
        {"Modulus", Align::Right, 60},
    };
}

void FillEventSourceRows(ListSheet& sheet, const kernel::ClassCounts& counts)
{
    std::array<kernel::EventSourceCounter, kQueuedEntries + 1> counters{}; // one more: a cut list is seen
    for (uint32_t n = 1; n <= LastObject(counts); ++n) {
        const int row = sheet.addRow(n);
        sheet.set(row, EvtNumber, Dec(n));
        if (!kernel::IsEventSourceInUse(n)) {
            sheet.set(row, EvtName, kNotInUse);
            continue;
        }
        kernel::EventSourceRecord record{};
        kernel::ReadEventSourceRecord(n, record);
        sheet.set(row, EvtName, kernel::FormatEventSourceName(n));
        sheet.set(row, EvtAccumulator, Ticks(record[1]));
        sheet.set(row, EvtTrace, YesNo(traced(record[0])));
        const uint32_t attached = kernel::ReadEventSourceCounters(n, counters.data(), kQueuedEntries + 1);
        for (uint32_t i = 0; i < attached && i < kQueuedEntries; ++i) {
            const kernel::EventSourceCounter& c = counters[i];
            const int at = entryRow(sheet, row, i);
            sheet.set(at, EvtCounter, kernel::FormatCounterName(c[3]));
            sheet.set(at, EvtCounterAccumulator, Ticks(c[2]));
            sheet.set(at, EvtCount, Ticks(c[0]));
            sheet.set(at, EvtModulus, Ticks(c[1]));
        }
        if (attached > kQueuedEntries)
            sheet.set(entryRow(sheet, row, kQueuedEntries), EvtCounter, kMoreNotListed);
    }
    AddNotReadRow(sheet, counts);
}

} // namespace views
