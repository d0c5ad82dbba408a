#include "project_tree.h"

#include "drag_tree_ctrl.h"

#include "engine/names/kernel_lookup.h"
#include "engine/names/name_conflicts.h"
#include "engine/names/project_walk.h"
#include "engine/ops/project_manager.h"
#include "engine/records/text_field.h"
#include "platform/qt/locale_text.h"

#include <vector>

namespace shell {

namespace {

template <typename T>
int32_t countOf(const T* array, int32_t count)
{
    return array && count > 0 ? count : 0;
}

std::vector<const engine::ApplicationClassEntry*> chainOf(const engine::ApplicationClassEntry& head)
{
    std::vector<const engine::ApplicationClassEntry*> chain;
    for (const engine::ApplicationClassEntry* entry = &head; entry && chain.size() < engine::kMaxChainDepth;
         entry = entry->chained)
        chain.push_back(entry);
    return chain;
}

std::string pluralNameOf(const engine::CpuRecord& cpu, const engine::ApplicationClassEntry& entry)
{
    const engine::KernelClassRecord* kernelClass = engine::FindKernelClassByType(&cpu, entry.classType);
    if (kernelClass && kernelClass->pluralName[0])
        return engine::textString(kernelClass->pluralName);
    return engine::textString(entry.name);
}

QString q(const std::string& text)
{
    return platform::toQString(text);
}

} // namespace

std::string ClassLabel(const engine::CpuRecord& cpu, const engine::ApplicationClassEntry& entry)
{
    const auto chain = chainOf(entry);
    std::string label;
    for (std::size_t i = 0; i < chain.size(); ++i) {
        if (i > 0) {
            label += chain.size() >= 3 ? ", " : " ";
            if (i + 1 == chain.size())
                label += "and ";
        }
        label += pluralNameOf(cpu, *chain[i]);
    }
    return label;
}

std::string CpuTreeText(const engine::CpuRecord& cpu)
{
    const std::string name = engine::textString(cpu.name);
    return engine::IsCpuMpEnabled(cpu) ? "*" + name : name;
}

std::string ApplicationTreeText(const engine::ApplicationRecord& application)
{
    const std::string name = engine::textString(application.name);
    return application.isMp ? "*" + name : name;
}

int ProjectImage(const engine::ProjectRecord& project)
{
    return project.edited ? ImageProjectEdited : ImageProject;
}

int CpuImage(const engine::CpuRecord& cpu)
{
    const bool dirty = cpu.kernel.hFileDirty || cpu.kernel.mFileDirty;
    if (cpu.kernel.edited)
        return dirty ? ImageCpuEditedDirty : ImageCpuEdited;
    return dirty ? ImageCpuDirty : ImageCpu;
}

bool ApplicationNeedsGeneration(const engine::ApplicationRecord& application)
{
    return application.kernelHDirty || application.kernelMDirty || application.projectHDirty ||
           application.projectCDirty || application.regenerate;
}

int ApplicationImage(const engine::ApplicationRecord& application)
{
    const bool dirty = ApplicationNeedsGeneration(application);
    if (application.edited)
        return dirty ? ImageApplicationEditedDirty : ImageApplicationEdited;
    return dirty ? ImageApplicationDirty : ImageApplication;
}

bool ClassChainDirty(const engine::ApplicationClassEntry& entry)
{
    for (const engine::ApplicationClassEntry* link : chainOf(entry)) {
        if (link->cFileDirty || link->hFileDirty || link->mFileDirty)
            return true;
    }
    return false;
}

int ClassEntryImage(const engine::ApplicationClassEntry& entry)
{
    return ClassChainDirty(entry) ? ImageClassDirty : ImageClass;
}

int ObjectImage(const engine::ObjectRecord& object)
{
    return object.enabled ? ImageObject : ImageObjectDisabled;
}

// ---------------------------------------------------------------------------------------------------

void ProjectTree::insertObjects(engine::ApplicationClassEntry& entry, engine::ObjectRecord* objects, int32_t count,
                                uint32_t parent, int depth)
{
    (void)entry;
    if (depth >= engine::kMaxChainDepth)
        return;
    for (int32_t i = 0; i < countOf(objects, count); ++i) {
        engine::ObjectRecord& object = objects[i];
        object.treeItem = m_tree->InsertItem(parent, q(engine::ObjectDisplayName(object, true)), ObjectImage(object));
        insertObjects(entry, object.children, object.childCount, object.treeItem, depth + 1);
    }
}

void ProjectTree::insertClassEntry(const engine::CpuRecord& cpu, engine::ApplicationClassEntry& entry, uint32_t parent)
{
    entry.treeItem = m_tree->InsertItem(parent, q(ClassLabel(cpu, entry)), ClassEntryImage(entry));
    entry.merged = 0;
    int depth = 0;
    for (engine::ApplicationClassEntry* chained = entry.chained; chained && depth < engine::kMaxChainDepth;
         chained = chained->chained, ++depth) {
        chained->treeItem = entry.treeItem;
        chained->merged = 1;
    }
    insertObjects(entry, entry.objects, entry.objectCount, entry.treeItem, 0);
}

// Clears the item ids of every record below the project, so records that get no item (disabled class
// entries and their objects) never keep an id of an earlier build.
static void clearTreeItems(engine::ProjectRecord& project)
{
    project.treeItem = 0;
    engine::VisitProjectCpus(project, [](engine::CpuRecord& cpu) {
        cpu.treeItem = 0;
        return 0;
    });
    engine::VisitProjectApplications(project, [](engine::CpuRecord&, engine::ApplicationRecord& application) {
        application.treeItem = 0;
        return 0;
    });
    engine::VisitProjectClassEntries(project, [](const engine::ClassEntryPlace& place) {
        place.entry->treeItem = 0;
        return 0;
    });
    engine::VisitProjectObjects(project, [](const engine::ObjectPlace& place) {
        place.object->treeItem = 0;
        return 0;
    });
}

void ProjectTree::BuildProjectTree(engine::ProjectRecord& project)
{
    m_tree->setUpdatesEnabled(false);
    m_tree->DeleteAllItems();
    clearTreeItems(project);
    project.treeItem = m_tree->InsertItem(0, q(engine::textString(project.name)), ProjectImage(project));
    for (int32_t c = 0; c < countOf(project.cpus, project.cpuCount); ++c) {
        engine::CpuRecord& cpu = project.cpus[c];
        cpu.treeItem = m_tree->InsertItem(project.treeItem, q(CpuTreeText(cpu)), CpuImage(cpu));
        for (int32_t a = 0; a < countOf(cpu.applications, cpu.applicationCount); ++a) {
            engine::ApplicationRecord& application = cpu.applications[a];
            application.treeItem =
                m_tree->InsertItem(cpu.treeItem, q(ApplicationTreeText(application)), ApplicationImage(application));
            for (int32_t e = 0; e < countOf(application.classEntries, application.classEntryCount); ++e) {
                engine::ApplicationClassEntry& entry = application.classEntries[e];
                if (entry.enabled)
                    insertClassEntry(cpu, entry, application.treeItem);
            }
        }
    }
    RefreshTreeLabels(project);
    if (m_afterBuild)
        m_afterBuild();
    m_tree->setUpdatesEnabled(true);
}

namespace {

bool setObjects(DragTreeCtrl* tree, engine::ObjectRecord* objects, int32_t count, int depth)
{
    if (depth >= engine::kMaxChainDepth)
        return true;
    for (int32_t i = 0; i < countOf(objects, count); ++i) {
        engine::ObjectRecord& object = objects[i];
        if (!tree->SetItem(object.treeItem, q(engine::ObjectDisplayName(object, true)), ObjectImage(object)))
            return false;
        if (!setObjects(tree, object.children, object.childCount, depth + 1))
            return false;
    }
    return true;
}

} // namespace

int ProjectTree::RefreshTreeLabels(engine::ProjectRecord& project)
{
    if (!m_tree->SetItem(project.treeItem, q(engine::textString(project.name)), ProjectImage(project)))
        return 0;
    for (int32_t c = 0; c < countOf(project.cpus, project.cpuCount); ++c) {
        engine::CpuRecord& cpu = project.cpus[c];
        if (!m_tree->SetItem(cpu.treeItem, q(CpuTreeText(cpu)), CpuImage(cpu)))
            return 0;
        for (int32_t a = 0; a < countOf(cpu.applications, cpu.applicationCount); ++a) {
            engine::ApplicationRecord& application = cpu.applications[a];
            if (!m_tree->SetItem(application.treeItem, q(ApplicationTreeText(application)),
                                 ApplicationImage(application)))
                return 0;
            for (int32_t e = 0; e < countOf(application.classEntries, application.classEntryCount); ++e) {
                engine::ApplicationClassEntry& entry = application.classEntries[e];
                if (!entry.enabled || entry.merged)
                    continue;
                if (!m_tree->SetItem(entry.treeItem, q(ClassLabel(cpu, entry)), ClassEntryImage(entry)))
                    return 0;
                if (!setObjects(m_tree, entry.objects, entry.objectCount, 0))
                    return 0;
            }
        }
    }
    return 1;
}

namespace {

template <typename Record>
void readState(const DragTreeCtrl* tree, Record& record)
{
    const QTreeWidgetItem* item = tree->itemOf(record.treeItem);
    record.expanded = item && item->isExpanded() ? 1 : 0;
    record.selected = item && tree->currentItem() == item ? 1 : 0;
}

template <typename Record>
void applyState(DragTreeCtrl* tree, const Record& record)
{
    if (!tree->itemOf(record.treeItem))
        return;
    tree->Expand(record.treeItem, record.expanded != 0);
    if (record.selected)
        tree->SelectItem(record.treeItem);
}

template <typename Visit>
void visitObjects(engine::ObjectRecord* objects, int32_t count, bool shown, int depth, Visit& visit)
{
    if (depth >= engine::kMaxChainDepth)
        return;
    for (int32_t i = 0; i < countOf(objects, count); ++i) {
        visit(objects[i], shown);
        visitObjects(objects[i].children, objects[i].childCount, shown, depth + 1, visit);
    }
}

// Calls visit(record, shown) for the project, each CPU, application, class entry of an application's array
// and every object below it, in tree order; shown is false for a disabled class entry and its objects,
// which have no item.
template <typename Visit>
void visitTreeRecords(engine::ProjectRecord& project, Visit visit)
{
    visit(project, true);
    for (int32_t c = 0; c < countOf(project.cpus, project.cpuCount); ++c) {
        engine::CpuRecord& cpu = project.cpus[c];
        visit(cpu, true);
        for (int32_t a = 0; a < countOf(cpu.applications, cpu.applicationCount); ++a) {
            engine::ApplicationRecord& application = cpu.applications[a];
            visit(application, true);
            for (int32_t e = 0; e < countOf(application.classEntries, application.classEntryCount); ++e) {
                engine::ApplicationClassEntry& entry = application.classEntries[e];
                visit(entry, entry.enabled != 0);
                visitObjects(entry.objects, entry.objectCount, entry.enabled != 0, 0, visit);
            }
        }
    }
}

} // namespace

void ProjectTree::SaveTreeItemStates(engine::ProjectRecord& project)
{
    visitTreeRecords(project, [this](auto& record, bool shown) {
        if (shown) {
            readState(m_tree, record);
        } else {
            record.expanded = 0;
            record.selected = 0;
        }
    });
}

void ProjectTree::RestoreTreeItemStates(engine::ProjectRecord& project)
{
    visitTreeRecords(project, [this](auto& record, bool shown) {
        if (shown)
            applyState(m_tree, record);
    });
}

void ClearSelectedFlags(engine::ProjectRecord& project)
{
    visitTreeRecords(project, [](auto& record, bool) { record.selected = 0; });
}

ProjectTree* ProjectTreeOf(engine::ProjectManager& manager)
{
    return dynamic_cast<ProjectTree*>(manager.Tree());
}

void BuildProjectTree(engine::ProjectManager& manager, engine::ProjectRecord& project)
{
    if (ProjectTree* tree = ProjectTreeOf(manager))
        tree->BuildProjectTree(project);
}

int RefreshTreeLabels(engine::ProjectManager& manager, engine::ProjectRecord& project)
{
    ProjectTree* tree = ProjectTreeOf(manager);
    return tree ? tree->RefreshTreeLabels(project) : 0;
}

void SaveTreeItemStates(engine::ProjectManager& manager, engine::ProjectRecord& project)
{
    if (ProjectTree* tree = ProjectTreeOf(manager))
        tree->SaveTreeItemStates(project);
}

void RestoreTreeItemStates(engine::ProjectManager& manager, engine::ProjectRecord& project)
{
    if (ProjectTree* tree = ProjectTreeOf(manager))
        tree->RestoreTreeItemStates(project);
}

} // namespace shell
