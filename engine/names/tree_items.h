#pragma once
// From a tree item id back to the record that shows it. Records keep the id of their tree item (0 when
// not shown); a chained class entry shares its head entry's id and is found as the head.

#include <cstdint>

#include "engine/records/records.h"

namespace engine {

// Node kinds, as the main window's selection model counts them.
enum TreeNodeKind : int {
    NodeNone = 0,
    NodeProject = 1,
    NodeCpu = 2,
    NodeApplication = 3,
    NodeClassEntry = 4,
    NodeObject = 5,
    NodeChildObject = 6,
};

// The record of a node and the records above it (null where the kind has none).
struct TreeNode {
    TreeNodeKind kind = NodeNone;
    ProjectRecord* project = nullptr;
    CpuRecord* cpu = nullptr;
    ApplicationRecord* application = nullptr;
    ApplicationClassEntry* entry = nullptr; // the class entry of a class node, or the object's entry
    ObjectRecord* parent = nullptr;         // the parent of a child object
    ObjectRecord* object = nullptr;
};

// The kind of the node showing the tree item, and its records; NodeNone for 0 or an unknown id.
TreeNodeKind FindNodeByTreeItem(ProjectRecord& project, uint32_t treeItem, TreeNode& node);
// The class entry a node belongs to: the entry itself for a class node, the object's entry for an
// object; null for other nodes.
ApplicationClassEntry* ClassEntryOfTreeItem(ProjectRecord& project, uint32_t treeItem);
// The class entry that holds an object (its chained entry is the class of the object's children); null
// when the project does not hold the object.
ApplicationClassEntry* ChildClassEntryOfTreeItem(ProjectRecord& project, const ObjectRecord& object);

} // namespace engine
