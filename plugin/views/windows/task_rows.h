#pragma once
// Rows of the task windows, read from the target: the task list, register, stack and semaphore lists.

#include "plugin/views/kit/list_sheet.h"
#include "plugin/views/kit/register_grid.h"

#include "plugin/kernel/object_classes.h"

namespace views {

enum TaskColumn : int { TaskNumber, TaskName, TaskPriority, TaskEntry, TaskArg, TaskState, TaskTraceObject, TaskTraceActor };
std::vector<ColumnSpec> TaskColumns();
// Tasks 0 to static + dynamic, row = number; item data = the number.
void FillTaskRows(ListSheet& sheet, const kernel::ClassCounts& counts);

// Leading columns "#", "Name", "Status", then the register columns.
const RegisterGrid& TaskRegisterGrid();
// Sets the register columns from the listed tasks' states, then fills the rows.
void FillTaskRegisterRows(ListSheet& sheet, const kernel::ClassCounts& counts);

enum TaskStackColumn : int { StackNumber, StackName, StackAddress, StackSize, StackMaxUsed, StackLeastSpare,
                             StackCurrentUsed, StackCurrentSpare };
std::vector<ColumnSpec> TaskStackColumns();
// The kernel row, then tasks 1 to static + dynamic.
void FillTaskStackRows(ListSheet& sheet, const kernel::ClassCounts& counts);

std::vector<ColumnSpec> TaskSemaphoreColumns();
void FillTaskSemaphoreRows(ListSheet& sheet, const kernel::ClassCounts& counts);

} // namespace views
