#pragma once
// The counts of a class at the start of a refresh, its record loaded first when the class is configured.

#include "plugin/kernel/object_classes.h"

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

} // namespace views
