#pragma once
// What the object list shows for a node of the project tree: its columns (depending on the view kind and,
// for object views, on the class type and the CPU's kernel record) and one row of cell texts per child
// record. Display-free; ObjectListPane puts it into the list control.

#include "engine/records/records.h"

#include <cstdint>
#include <string>
#include <vector>

namespace shell {

struct ListColumn {
    std::string title;
    bool rightAligned = false;
};

struct ListRow {
    uint32_t treeItem = 0; // the tree item of the row's record
    std::vector<std::string> cells;
    // A class entry chained to the one before it shares that entry's tree item: its place in the chain
    // (0 for the entry the tree item names).
    int chainDepth = 0;
};

// The records a view is built from (null where the view has none).
struct ListSource {
    engine::ProjectRecord* project = nullptr;
    engine::CpuRecord* cpu = nullptr;
    engine::ApplicationRecord* application = nullptr;
    engine::ApplicationClassEntry* entry = nullptr; // the class whose objects kinds 4 and 5 show
};

// The columns of view kind 1 to 5; none for any other kind.
std::vector<ListColumn> ListColumns(int kind, const ListSource& source);
// The rows of the view; footprints of the applications shown are estimated first (kinds 2 and 3).
std::vector<ListRow> ListRows(int kind, const ListSource& source);

// The value as shown, or "value (expression)" when the expression is not blank.
std::string NumberWithExpression(const std::string& value, const char* expression, std::size_t size);
// The object class's cells, in the order of its columns.
std::vector<std::string> ObjectClassCells(const engine::CpuRecord& cpu, const engine::ApplicationRecord& application,
                                          const engine::ApplicationClassEntry& entry,
                                          const engine::ObjectRecord& object);

} // namespace shell
