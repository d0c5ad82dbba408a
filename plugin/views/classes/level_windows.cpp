#include "plugin/views/classes/level_windows.h"

#include "plugin/views/classes/level_rows.h"

namespace views {
namespace {

// {level attributes, static count, dynamic count}, the thread and level records loaded first.
kernel::ClassCounts levelCounts()
{
    EnsureConfiguredClassRecords();
    if (kernel::IsThreadClassConfigured())
        kernel::EnsureThreadClassRecords();
    kernel::ClassCounts counts{};
    kernel::GetLevelCounts(counts);
    return counts;
}

} // namespace

LevelInfoWindow::LevelInfoWindow(WindowManager* manager)
    : CountedDetailWindow(manager,
                        {kDialogId, "Level Information", 1046, &LevelInfoColumns, &levelCounts, &FillLevelInfoRows})
{
}

LevelScheduleWindow::LevelScheduleWindow(WindowManager* manager)
    : CountedDetailWindow(manager, {kDialogId, "Thread Schedule Information", 1047, &LevelScheduleColumns,
                                  &levelCounts, &FillLevelScheduleRows})
{
}

} // namespace views
