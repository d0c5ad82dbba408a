#include "plugin/views/kit/trace_popup.h"

#include "plugin/views/commands.h"

#include "plugin/kernel/object_classes.h"

namespace views {
namespace {

bool anyCell(const ListSheet& sheet, int column, const char* text)
{
    for (int r = 0; r < sheet.rowCount(); ++r)
        if (sheet.cell(r, column) == text)
            return true;
    return false;
}

PopupItem separator() { return PopupItem{}; }

} // namespace

bool AllTraced(const ListSheet& sheet, int column) { return !anyCell(sheet, column, kNo); }
bool SomeTraced(const ListSheet& sheet, int column) { return anyCell(sheet, column, kYes); }

std::vector<PopupItem> BuildObjectActorPopup(const ListSheet& sheet, int objectColumn, int actorColumn,
                                             uint32_t attributes, bool trailingSeparator)
{
    const bool allObjects = AllTraced(sheet, objectColumn);
    const bool someObject = SomeTraced(sheet, objectColumn);
    const bool allActors = AllTraced(sheet, actorColumn);
    const bool someActor = SomeTraced(sheet, actorColumn);
    std::vector<PopupItem> items{
        {"Trace &Object", kTraceObject, false, (attributes & kernel::kTraceObjectBit) != 0},
        {"Trace All O&bjects", kTraceAllObjects, allObjects, false},
        {"Trace &No Objects", kTraceNoObjects, !someObject, false},
        separator(),
        {"Trace &Actor", kTraceActor, false, (attributes & kernel::kTraceActorBit) != 0},
        {"Trace All A&ctors", kTraceAllActors, allActors, false},
        {"Trace No Ac&tors", kTraceNoActors, !someActor, false},
        separator(),
        {"T&race All", kTraceAll, allObjects && allActors, false},
        {"Trac&e None", kTraceNone, !someObject && !someActor, false},
    };
    if (trailingSeparator)
        items.push_back(separator());
    return items;
}

std::vector<PopupItem> BuildSinglePopup(const ListSheet& sheet, int traceColumn, uint32_t attributes)
{
    return {
        {"&Trace", kTraceObject, false, (attributes & kernel::kTraceObjectBit) != 0},
        {"Trace &All", kTraceAllObjects, !anyCell(sheet, traceColumn, kNo), false},
        {"Trace &None", kTraceNoObjects, !anyCell(sheet, traceColumn, kYes), false},
    };
}

void ToggleTrace(ListSheet& sheet, int row, uint32_t n, int column, bool actor, const TraceAccess& access)
{
    if (!access.set || !access.readAttributes)
        return;
    access.set(n, actor, sheet.cell(row, column) != kYes);
    const uint32_t bit = actor ? kernel::kTraceActorBit : kernel::kTraceObjectBit;
    sheet.set(row, column, YesNo((access.readAttributes(n) & bit) != 0));
}

bool SwitchTraceColumn(ListSheet& sheet, int column, bool actor, bool wantOn,
                       const std::function<uint32_t(int row)>& objectOf, const TraceAccess& access)
{
    const char* from = wantOn ? kNo : kYes;
    bool changed = false;
    for (int r = 0; r < sheet.rowCount(); ++r) {
        if (sheet.cell(r, column) != from)
            continue;
        ToggleTrace(sheet, r, objectOf(r), column, actor, access);
        changed = true;
    }
    return changed;
}

} // namespace views
