#pragma once
// The trace switches of the object lists, free of widgets: the popup of one row (the object/actor
// popup with eight items, or the single popup with three), and the commands that toggle one row or
// switch a whole column. Cells read "Yes" or "No"; rows not in use have empty cells and count for
// neither.

#include "plugin/views/kit/list_sheet.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace views {

struct PopupItem {
    std::string text;
    int command = 0;     // 0 for a separator
    bool greyed = false;
    bool checked = false;
    bool separator() const { return command == 0; }
};

// Column tests: "all traced" = no row reads "No" (true for an empty list); "some traced" = a row reads
// "Yes".
bool AllTraced(const ListSheet& sheet, int column);
bool SomeTraced(const ListSheet& sheet, int column);

// Eight items: object part, actor part, all/none. Checks come from bits 0x200 and 0x100 of `attributes`.
std::vector<PopupItem> BuildObjectActorPopup(const ListSheet& sheet, int objectColumn, int actorColumn,
                                             uint32_t attributes, bool trailingSeparator = false);
// Three items: "&Trace" (checked by bit 0x200), "Trace &All", "Trace &None".
std::vector<PopupItem> BuildSinglePopup(const ListSheet& sheet, int traceColumn, uint32_t attributes);

// The target side of the switches.
struct TraceAccess {
    std::function<uint32_t(uint32_t n)> readAttributes;       // the object's trace word, read afresh
    std::function<void(uint32_t n, bool actor, bool on)> set; // the object (actor false) or actor switch
};

inline constexpr const char* kYes = "Yes";
inline constexpr const char* kNo = "No";
inline const char* YesNo(bool on) { return on ? kYes : kNo; }

// Toggles the switch of object n shown in `row`: set to (cell is not "Yes"), then the cell is rewritten
// from the record read back.
void ToggleTrace(ListSheet& sheet, int row, uint32_t n, int column, bool actor, const TraceAccess& access);
// Switches every row of a column that reads "No" (wantOn) or "Yes" (!wantOn); rows are given their
// object numbers by `objectOf`. True when a row changed.
bool SwitchTraceColumn(ListSheet& sheet, int column, bool actor, bool wantOn,
                       const std::function<uint32_t(int row)>& objectOf, const TraceAccess& access);

} // namespace views
