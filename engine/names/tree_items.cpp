#include "engine/names/tree_items.h"

#include "engine/names/project_walk.h"

namespace engine {

TreeNodeKind FindNodeByTreeItem(ProjectRecord& project, uint32_t treeItem, TreeNode& node)
{
    node = TreeNode{};
    if (treeItem == 0)
        return NodeNone;
    if (project.treeItem == treeItem) {
        node.kind = NodeProject;
        node.project = &project;
        return node.kind;
    }
    const int found = VisitProjectCpus(project, [&](CpuRecord& cpu) {
        if (cpu.treeItem == treeItem) {
            node = TreeNode{NodeCpu, &project, &cpu};
            return 1;
        }
        return VisitCpuApplications(cpu, [&](CpuRecord& owner, ApplicationRecord& application) {
            if (application.treeItem == treeItem) {
                node = TreeNode{NodeApplication, &project, &owner, &application};
                return 1;
            }
            const int entryFound = VisitApplicationClassEntries(application, [&](const ClassEntryPlace& place) {
                if (place.entry->treeItem != treeItem)
                    return 0;
                node = TreeNode{NodeClassEntry, &project, &owner, &application, place.entry};
                return 1;
            }, &owner);
            if (entryFound)
                return 1;
            return VisitApplicationObjects(application, [&](const ObjectPlace& place) {
                if (place.object->treeItem != treeItem)
                    return 0;
                node = TreeNode{place.parent ? NodeChildObject : NodeObject, &project, &owner, &application,
                                place.entry, place.parent, place.object};
                return 1;
            }, &owner);
        });
    });
    return found ? node.kind : NodeNone;
}

ApplicationClassEntry* ClassEntryOfTreeItem(ProjectRecord& project, uint32_t treeItem)
{
    TreeNode node;
    switch (FindNodeByTreeItem(project, treeItem, node)) {
    case NodeClassEntry:
    case NodeObject:
    case NodeChildObject:
        return node.entry;
    default:
        return nullptr;
    }
}

ApplicationClassEntry* ChildClassEntryOfTreeItem(ProjectRecord& project, const ObjectRecord& object)
{
    ObjectPlace place;
    return FindObjectPlace(project, object, place) ? place.entry : nullptr;
}

} // namespace engine
