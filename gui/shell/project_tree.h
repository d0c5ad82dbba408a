#pragma once
// The project tree display: fills the main window's tree from the project records, keeps the tree item
// ids in the records, saves and restores which items are expanded and selected across rebuilds, and
// refreshes texts and images after edits. The ProjectManager of the main window holds this object as its
// tree host, so the editors reach it through the manager (ProjectTreeOf).

#include "engine/records/records.h"

#include <QString>

#include <functional>
#include <string>

class DragTreeCtrl;

namespace engine {
class ProjectManager;

// The GUI side of the project manager: its project tree.
class ProjectTreeHost {
public:
    virtual ~ProjectTreeHost() = default;
};
} // namespace engine

namespace shell {

// Tree image indexes.
enum TreeImage : int {
    ImageProject = 0,
    ImageProjectEdited = 1,
    ImageCpu = 2,
    ImageCpuDirty = 3,
    ImageApplication = 4,
    ImageApplicationDirty = 5,
    ImageClass = 6,
    ImageClassDirty = 7,
    ImageObject = 8,
    ImageApplicationEdited = 10,
    ImageCpuEdited = 11,
    ImageApplicationEditedDirty = 12,
    ImageCpuEditedDirty = 13,
    ImageObjectDisabled = 14,
    kTreeImageCount = 16,
};

// ---- texts and images of the nodes
// The class label of a chain: the plural names of each entry's kernel class, joined as "A", "A and B",
// "A, B, and C".
std::string ClassLabel(const engine::CpuRecord& cpu, const engine::ApplicationClassEntry& entry);
// "*" before the name of an MP-enabled CPU.
std::string CpuTreeText(const engine::CpuRecord& cpu);
// "*" before the name of an application that is Is MP.
std::string ApplicationTreeText(const engine::ApplicationRecord& application);
int ProjectImage(const engine::ProjectRecord& project);
int CpuImage(const engine::CpuRecord& cpu);
bool ApplicationNeedsGeneration(const engine::ApplicationRecord& application);
int ApplicationImage(const engine::ApplicationRecord& application);
// Whether the entry or an entry of its chain has its c, h or m file dirty.
bool ClassChainDirty(const engine::ApplicationClassEntry& entry);
int ClassEntryImage(const engine::ApplicationClassEntry& entry);
int ObjectImage(const engine::ObjectRecord& object);

class ProjectTree : public engine::ProjectTreeHost {
public:
    explicit ProjectTree(DragTreeCtrl* tree) : m_tree(tree) {}

    DragTreeCtrl* control() const { return m_tree; }
    // Called at the end of a build; the main window queues the state restore there.
    void setAfterBuild(std::function<void()> afterBuild) { m_afterBuild = std::move(afterBuild); }

    void BuildProjectTree(engine::ProjectRecord& project);
    // 1 when every item was set, 0 at the first item that could not be set.
    int RefreshTreeLabels(engine::ProjectRecord& project);
    void SaveTreeItemStates(engine::ProjectRecord& project);
    void RestoreTreeItemStates(engine::ProjectRecord& project);

private:
    void insertClassEntry(const engine::CpuRecord& cpu, engine::ApplicationClassEntry& entry, uint32_t parent);
    void insertObjects(engine::ApplicationClassEntry& entry, engine::ObjectRecord* objects, int32_t count,
                       uint32_t parent, int depth);

    DragTreeCtrl* m_tree;
    std::function<void()> m_afterBuild;
};

// Clears the selected flag of every record the tree shows (so a rebuild selects what is marked afterwards).
void ClearSelectedFlags(engine::ProjectRecord& project);

// The tree the manager's GUI side holds, or null.
ProjectTree* ProjectTreeOf(engine::ProjectManager& manager);

// The same operations through the project manager (what the editors call); they do nothing when the
// manager has no tree.
void BuildProjectTree(engine::ProjectManager& manager, engine::ProjectRecord& project);
int RefreshTreeLabels(engine::ProjectManager& manager, engine::ProjectRecord& project);
void SaveTreeItemStates(engine::ProjectManager& manager, engine::ProjectRecord& project);
void RestoreTreeItemStates(engine::ProjectManager& manager, engine::ProjectRecord& project);

} // namespace shell
