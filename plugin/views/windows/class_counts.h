#pragma once
// The counts of a class at the start of a refresh, its record loaded first when the class is configured.

#include "plugin/views/kit/list_sheet.h"

#include "plugin/kernel/object_classes.h"

#include <string>
#include <vector>

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

// A cell whose value the target refused to give.
inline constexpr const char* kStackNotRead = "could not be read";

// The row of a window some of whose reads the target refused: the rows are those last read.
inline constexpr const char* kReadsRefusedText = "... the target refused some reads: shown as last read";
// The same for a window that had read nothing before: it shows no value.
inline constexpr const char* kReadsRefusedNothingText = "... the target refused the reads: nothing read yet";

// The text of the row that ends a list cut before the last object its class claims, by why it is cut:
// "... object #N fails its checks: M more not read" at an object whose record fails its checks, "... the
// class claims C objects, more than the target holds: none read" for a count no kernel or memory holds,
// "... the class record fails its checks: C objects not read" for a record no kernel writes, and the row
// of refused reads when the target refused them.
inline std::string NotReadText(const kernel::ClassCounts& counts)
{
    const std::string claimed = std::to_string(uint64_t{LastObject(counts)} + counts[kernel::kCountsNotRead]);
    switch (counts[kernel::kCountsStop]) {
    case kernel::StopClaim:
        return "... the class claims " + claimed + " objects, more than the target holds: none read";
    case kernel::StopRecord:
        return "... the class record fails its checks: " + claimed + " objects not read";
    case kernel::StopRefused:
        return LastObject(counts) == 0 ? kReadsRefusedNothingText : kReadsRefusedText;
    default:
        return "... object #" + std::to_string(uint64_t{LastObject(counts)} + 1) + " fails its checks: " +
               std::to_string(counts[kernel::kCountsNotRead]) + " more not read";
    }
}

// The row that ends a list cut before the last object its class claims, in the first column after "#".
// Like every note row it is no object: it has no popup and no write reaches the target through it.
inline void AddNotReadRow(ListSheet& sheet, const kernel::ClassCounts& counts)
{
    if (counts[kernel::kCountsNotRead] != 0)
        sheet.addNoteRow(NotReadText(counts));
}

// Every note a list window may show, at its widest: the window's first size lets each read whole.
inline std::vector<std::string> ListNoteSamples()
{
    std::vector<std::string> notes{kRepeatedListText, kReadsRefusedText, kReadsRefusedNothingText};
    for (uint32_t stop : {kernel::StopCheck, kernel::StopClaim, kernel::StopRecord})
        notes.push_back(NotReadText({0, 0xFFFFFFFEu, 0, 0xFFFFFFFFu, stop}));
    return notes;
}

} // namespace views
