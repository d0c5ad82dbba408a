#pragma once
// The counts of a class at the start of a refresh, its record loaded first when the class is configured.

#include "plugin/views/kit/list_sheet.h"

#include "plugin/kernel/object_classes.h"

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

// The row of a window one of whose linked lists repeats an entry (the walk stops there).
inline constexpr const char* kRepeatedListText = "... a linked list repeats an entry: read up to the repeat";

// The row that ends a list stopped at an object whose record fails its checks (the class claims more
// objects than pass them): "... object #N fails its checks: M more not read" in the first column after
// "#", for object 0 (no popup).
inline void AddNotReadRow(ListSheet& sheet, const kernel::ClassCounts& counts)
{
    if (counts[kernel::kCountsNotRead] == 0)
        return;
    const std::vector<int> shown = sheet.shownColumns();
    if (shown.empty())
        return;
    const int row = sheet.addRow(0);
    sheet.set(row, shown.size() > 1 ? shown[1] : shown[0],
              "... object #" + std::to_string(uint64_t{LastObject(counts)} + 1) + " fails its checks: " +
                  std::to_string(counts[kernel::kCountsNotRead]) + " more not read");
}

} // namespace views
