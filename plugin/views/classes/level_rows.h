#pragma once
// Rows of the level windows: levels 1 to the static count (levels are static objects only).

#include "plugin/views/kit/list_sheet.h"

#include "plugin/kernel/object_classes.h"

namespace views {

std::vector<ColumnSpec> LevelInfoColumns();
void FillLevelInfoRows(ListSheet& sheet, const kernel::ClassCounts& counts);

enum LevelScheduleColumn : int { LvlNumber, LvlName, LvlCurrent, LvlScheduled };
// "Current Thread:Level:Order" needs level class attribute 0x8.
std::vector<ColumnSpec> LevelScheduleColumns();
// A continuation row (empty "#") per further scheduled thread, at most 32 in all.
void FillLevelScheduleRows(ListSheet& sheet, const kernel::ClassCounts& counts);

} // namespace views
