#include "plugin/views/windows/ready_window.h"

#include "plugin/views/windows/builtin_windows.h"
#include "plugin/views/windows/class_counts.h"

#include "plugin/kernel/object_texts.h"
#include "plugin/kernel/text_utils.h"

#include <array>

namespace views {

void FillReadyListRows(ListSheet& sheet)
{
    // One entry more than is listed, so a longer list is seen to be cut.
    std::array<kernel::ReadyEntry, kReadyListMaximum + 1> entries{};
    uint32_t read = 0;
    uint32_t current = 0;
    if (kernel::IsTaskClassConfigured()) {
        current = kernel::GetCurrentTask();
        read = std::min<uint32_t>(kernel::ReadReadyList(entries.data(), kReadyListMaximum + 1), kReadyListMaximum + 1);
    }
    const uint32_t count = std::min(read, kReadyListMaximum);
    if (count == 0) {
        sheet.set(sheet.addRow(), 0, "<No ready tasks>");
        return;
    }
    for (uint32_t i = 0; i < count; ++i) {
        const uint32_t task = entries[i][0];
        const int row = sheet.addRow(task);
        sheet.set(row, 0, kernel::DecimalText(static_cast<int32_t>(task)));
        sheet.set(row, 1, kernel::FormatTaskName(task));
        sheet.set(row, 2, kernel::DecimalText(static_cast<int32_t>(entries[i][1])));
        sheet.set(row, 3, task == current ? "<Current>" : "<Ready>");
    }
    if (read > count)
        sheet.set(sheet.addRow(), 1, kMoreNotListed);
}

ReadyListWindow::ReadyListWindow(WindowManager* manager) : DetailListWindow(manager, kDialogId, "Task Ready List", 1062) {}

std::vector<ColumnSpec> ReadyListWindow::columns() const
{
    return {{"#", Align::Right, 15}, {"Name", Align::Left, 100}, {"Priority", Align::Right, 75}, {"State", Align::Left, 75}};
}

ObjectWindow* CreateReadyListWindow(WindowManager& manager) { return new ReadyListWindow(&manager); }

} // namespace views
