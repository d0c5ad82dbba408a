#pragma once
// The counts of a class at the start of a refresh, its record loaded first when the class is configured.

#include "plugin/views/kit/list_sheet.h"

#include "plugin/kernel/object_classes.h"
#include "plugin/kernel/read_budget.h"

#include <string>

namespace views {

inline kernel::ClassCounts ReadCounts(bool (*configured)(), int (*ensure)(), void (*get)(kernel::ClassCounts&))
{
    kernel::ClassCounts counts{};
    if (configured())
        ensure();
    get(counts);
    return counts;
}

// The last object number of a class: static + dynamic.
inline uint32_t LastObject(const kernel::ClassCounts& counts) { return counts[1] + counts[2]; }

inline constexpr const char* kNotInUse = "<not in use>";
// The last row of a list of entries that shows only its first ones.
inline constexpr const char* kMoreNotListed = "... more not listed";

// The row that ends a list cut short (the class claims objects beyond the target's memory or the read
// budget): "... N more objects not read" in the first column after "#", for object 0 (no popup).
inline void AddNotReadRow(ListSheet& sheet, const kernel::ClassCounts& counts)
{
    if (counts[kernel::kCountsNotRead] == 0)
        return;
    const std::vector<int> shown = sheet.shownColumns();
    if (shown.empty())
        return;
    const int row = sheet.addRow(0);
    sheet.set(row, shown.size() > 1 ? shown[1] : shown[0],
              "... " + std::to_string(counts[kernel::kCountsNotRead]) + " more objects not read");
}

} // namespace views
