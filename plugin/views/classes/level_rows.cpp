// Rows of the Level Information and Thread Schedule Information windows.

#include "plugin/views/classes/level_rows.h"

#include "plugin/views/classes/cells.h"
#include "plugin/views/classes/timing_rows.h"
#include "plugin/views/windows/class_counts.h"

#include "plugin/kernel/object_readers.h"
#include "plugin/kernel/object_texts.h"

#include <array>

namespace views {

std::vector<ColumnSpec> LevelInfoColumns()
{
    return {{"#", Align::Right, 15},
            {"Name", Align::Left, 100},
            {"Static", Align::Right, 75},
            {"Schedule Method", Align::Left, 100}};
}

void FillLevelInfoRows(ListSheet& sheet, const kernel::ClassCounts& counts)
{
    for (uint32_t n = 1; n <= counts[1]; ++n) {
        const int row = sheet.addRow(n);
        kernel::LevelRecord record{};
        kernel::ReadLevelRecord(n, record);
        sheet.set(row, 0, Dec(n));
        sheet.set(row, 1, kernel::FormatLevelName(n));
        sheet.set(row, 2, Dec(record[1]));
        sheet.set(row, 3, kernel::SchedulingMethodText(record[0]));
    }
    AddNotReadRow(sheet, counts);
}

std::vector<ColumnSpec> LevelScheduleColumns()
{
    return {{"#", Align::Right, 15},
            {"Name", Align::Left, 100},
            {"Current Thread:Level:Order", Align::Left, 75, 0x8},
            {"Scheduled Threads:Order", Align::Left, 75}};
}

void FillLevelScheduleRows(ListSheet& sheet, const kernel::ClassCounts& counts)
{
    std::array<kernel::ScheduledThread, kQueuedEntries + 1> scheduled{}; // one more: a cut list is seen
    for (uint32_t n = 1; n <= counts[1]; ++n) {
        const int row = sheet.addRow(n);
        sheet.set(row, LvlNumber, Dec(n));
        sheet.set(row, LvlName, kernel::FormatLevelName(n));
        if (sheet.isShown(LvlCurrent)) {
            kernel::LevelSchedule schedule{};
            if (kernel::ReadLevelSchedule(n, schedule) && schedule[0] != 0) {
                kernel::ThreadRecord thread{};
                kernel::ReadThreadRecord(schedule[0], thread);
                sheet.set(row, LvlCurrent, kernel::FormatThreadName(schedule[0]) + ":L" + Dec(thread[2]) + ":O" +
                                               Dec(schedule[1]));
            } else {
                sheet.set(row, LvlCurrent, "<None>");
            }
        }
        const uint32_t count = kernel::ReadLevelScheduledThreads(n, scheduled.data(), kQueuedEntries + 1);
        if (count == 0)
            sheet.set(row, LvlScheduled, "<None>");
        for (uint32_t i = 0; i < count && i < kQueuedEntries; ++i) {
            const int at = i == 0 ? row : sheet.addRow(0);
            sheet.set(at, LvlScheduled, kernel::FormatThreadName(scheduled[i][0]) + ":O" + Dec(scheduled[i][1]));
        }
        if (count > kQueuedEntries)
            sheet.set(sheet.addRow(0), LvlScheduled, kMoreNotListed);
    }
    AddNotReadRow(sheet, counts);
}

} // namespace views
