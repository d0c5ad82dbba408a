// Edit commands of the main window: Add, Delete, Change, Dynamics and Edit User Text, the commands of the
// context menus, the list's commands, and dropping a dragged tree node. The editors themselves are
// reached through EditorServices.

#include "main_dialog.h"

#include "editor_services.h"

#include "engine/names/application_sections.h"
#include "engine/names/kernel_lookup.h"
#include "engine/names/name_conflicts.h"
#include "engine/names/project_walk.h"
#include "engine/ops/cpu_record_handler.h"
#include "engine/project/application_file.h"
#include "engine/records/text_field.h"
#include "engine/util/text.h"
#include "platform/core/message_service.h"
#include "platform/qt/locale_text.h"
#include "platform/qt/wait_cursor.h"

#include <QKeyEvent>
#include <QMenu>

namespace {

bool bit2InBoth(const engine::CpuRecord& cpu)
{
    return (cpu.kernel.framework & engine::kVariantMultiStack) && (cpu.kernel.featureMask & engine::kVariantMultiStack);
}

int32_t kernelMaximum(const engine::CpuRecord* cpu, int32_t classType)
{
    const engine::KernelClassRecord* kernelClass = cpu ? engine::FindKernelClassByType(cpu, classType) : nullptr;
    return kernelClass ? kernelClass->maximum : 0;
}

} // namespace

void CMainDialog::MarkGlobalClass(int32_t classType)
{
    if (classType == engine::ClassLevel)
        return;
    engine::VisitProjectClassEntries(m_project, [classType](const engine::ClassEntryPlace& place) {
        engine::ApplicationClassEntry& entry = *place.entry;
        if (entry.enabled && entry.classType == classType && !(entry.cFileDirty && entry.hFileDirty) && place.cpu &&
            bit2InBoth(*place.cpu)) {
            entry.cFileDirty = 1;
            entry.hFileDirty = 1;
            if (place.application)
                place.application->edited = 1;
        }
        return 0;
    });
}

bool CMainDialog::addByKind(const engine::TreeNode& node)
{
    shell::EditorServices& editors = shell::editorServices();
    int result = shell::EditorCancel;
    switch (node.kind) {
    case engine::NodeProject:
        result = editors.AddCpu(*m_manager, m_project, m_config);
        if (result == shell::EditorOk)
            m_project.edited = 1;
        break;
    case engine::NodeCpu:
        if (node.cpu) {
            result = editors.AddApplication(*m_manager, m_project, *node.cpu);
            if (result == shell::EditorOk)
                m_project.edited = 1;
        }
        break;
    case engine::NodeClassEntry:
        if (node.entry)
            result = editors.AddClassObject(*m_manager, m_project, *node.entry, true);
        break;
    case engine::NodeObject:
        if (node.object)
            result = editors.AddChildObject(*m_manager, m_project, *node.object, true);
        break;
    default:
        break;
    }
    return result == shell::EditorOk;
}

void CMainDialog::OnEditAdd()
{
    m_projectTree->SaveTreeItemStates(m_project);
    uint32_t item = m_selectedItem;
    // Each round re-derives the node from its tree item: an add may move every record.
    for (int round = 0; round < 100000; ++round) {
        m_selectedItem = item;
        engine::TreeNode node = currentNode();
        const bool added = addByKind(node);
        if (!added)
            break;
        engine::FindNodeByTreeItem(m_project, item, node);
        if ((node.kind == engine::NodeClassEntry || node.kind == engine::NodeObject) && node.entry &&
            node.application && node.application->isMp) {
            const int32_t type = node.kind == engine::NodeObject ? engine::dependentClassType(node.entry->classType)
                                                                 : node.entry->classType;
            if (type != engine::ClassLevel)
                MarkGlobalClass(type);
        }
        // Rebuild at once so the question is asked over the new tree with the same node selected.
        ReloadProjectTree();
        m_projectTree->RestoreTreeItemStates(m_project);
        item = m_tree->GetSelectedItem(); // the same node under its new item
        m_selectedItem = item;
        engine::FindNodeByTreeItem(m_project, item, node);
        if (node.kind != engine::NodeClassEntry && node.kind != engine::NodeObject)
            break;
        const engine::ApplicationClassEntry* entry = node.kind == engine::NodeObject && node.entry
                                                         ? node.entry->chained
                                                         : node.entry;
        if (!entry)
            break;
        const int32_t maximum = kernelMaximum(node.cpu, entry->classType);
        const int32_t count = node.application ? engine::CountClassEntryObjects(*node.application, *entry) : 0;
        if (count + entry->numberOfDynamics >= maximum)
            break;
        const engine::KernelClassRecord* kernelClass =
            node.cpu ? engine::FindKernelClassByType(node.cpu, entry->classType) : nullptr;
        const std::string name = kernelClass ? engine::textString(kernelClass->name) : engine::textString(entry->name);
        if (platform::messageBox("Add another " + name + "?", "OMBAgen", platform::MbYesNo | platform::MbIconQuestion) !=
            platform::IdYes)
            break;
    }
    refreshLabels();
    UpdateMenus(0);
}

void CMainDialog::OnEditDelete()
{
    const engine::TreeNode node = currentNode();
    const char* caption = node.kind == engine::NodeCpu           ? "Deleting CPU"
                          : node.kind == engine::NodeApplication ? "Deleting Application"
                          : node.kind == engine::NodeObject || node.kind == engine::NodeChildObject
                              ? "Deleting Static Object"
                              : nullptr;
    if (!caption)
        return;
    m_projectTree->SaveTreeItemStates(m_project);
    const std::string name = node.kind == engine::NodeCpu           ? engine::textString(node.cpu->name)
                             : node.kind == engine::NodeApplication ? engine::textString(node.application->name)
                                                                    : engine::textString(node.object->name);
    if (platform::messageBox("Confirm deletion of '" + name + "'?", caption,
                             platform::MbYesNo | platform::MbIconQuestion) != platform::IdYes)
        return;
    shell::EditorServices& editors = shell::editorServices();
    switch (node.kind) {
    case engine::NodeCpu:
        editors.RemoveCpu(*m_manager, m_project, m_selectedItem);
        m_project.edited = 1;
        break;
    case engine::NodeApplication:
        editors.RemoveApplication(*m_manager, *node.cpu, m_selectedItem);
        m_project.edited = 1;
        break;
    case engine::NodeObject:
    case engine::NodeChildObject: {
        const int32_t classType = node.entry ? node.entry->classType : 0;
        const bool mp = node.application && node.application->isMp;
        engine::ApplicationRecord* application = node.application;
        if (node.kind == engine::NodeObject && node.entry)
            editors.DeleteClassObject(*m_manager, *node.entry, m_selectedItem, m_project);
        else if (node.parent)
            editors.DeleteChildObject(*m_manager, *node.parent, m_selectedItem, m_project);
        if (application)
            application->edited = 1;
        if (classType != engine::ClassLevel && mp)
            MarkGlobalClass(classType);
        break;
    }
    default:
        break;
    }
    clearSelection();
    PostProjectChanged();
}

void CMainDialog::OnEditChange()
{
    m_projectTree->SaveTreeItemStates(m_project);
    engine::TreeNode node = currentNode();
    shell::EditorServices& editors = shell::editorServices();
    switch (node.kind) {
    case engine::NodeProject: {
        shell::ProjectProperties properties{engine::textString(m_project.name), engine::textString(m_project.description)};
        if (editors.ProjectPropertiesDialog(properties, this) == shell::EditorOk) {
            if (!properties.name.empty() && properties.name != engine::textString(m_project.name)) {
                engine::setText(m_project.name, properties.name);
                m_project.edited = 1;
            }
            if (properties.description != engine::textString(m_project.description)) {
                engine::setText(m_project.description, properties.description);
                m_project.edited = 1;
            }
        }
        break;
    }
    case engine::NodeCpu: {
        engine::CpuRecord& cpu = *node.cpu;
        std::string name = engine::textString(cpu.name);
        std::string description = engine::textString(cpu.description);
        const std::string oldName = name, oldDescription = description, oldPath = engine::textString(cpu.kernel.kernelPath);
        const int32_t oldModel = cpu.kernel.modelIndex;
        const bool wasMp = engine::IsCpuMpEnabled(cpu);
        engine::CpuRecordHandler handler(&cpu.kernel, &m_config, &cpu);
        if (editors.ShowCpuProperties(handler, name, description) == shell::EditorOk) {
            engine::setText(cpu.name, name);
            engine::setText(cpu.description, description);
            engine::ProjectManager::UpdateClassEntryFlags(cpu);
            if (name != oldName || description != oldDescription || cpu.kernel.modelIndex != oldModel ||
                engine::textString(cpu.kernel.kernelPath) != oldPath)
                m_project.edited = 1;
            if (wasMp && !engine::IsCpuMpEnabled(cpu)) {
                engine::ForEachCpuApplication(cpu, [this](engine::ApplicationRecord& application) {
                    if (application.isMp)
                        SetApplicationMp(application, false, false);
                    return 0;
                });
            }
            // A model change's option lists and class entries were put in by the sheet, as its OK judged them.
        }
        break;
    }
    case engine::NodeApplication: {
        engine::ApplicationRecord& application = *node.application;
        const std::string oldName = engine::textString(application.name);
        const std::string oldDescription = engine::textString(application.description);
        const std::string oldPath = engine::textString(application.path);
        const int32_t oldInstances = application.instances;
        editors.ShowApplicationProperties(*m_manager, m_project, application, *node.cpu);
        if (engine::textString(application.name) != oldName || engine::textString(application.path) != oldPath ||
            engine::textString(application.description) != oldDescription)
            m_project.edited = 1;
        if (shell::IsCpuMpCapable(*node.cpu) && application.isMp && application.instances != oldInstances) {
            engine::VisitProjectClassEntries(m_project, [](const engine::ClassEntryPlace& place) {
                engine::ApplicationClassEntry& entry = *place.entry;
                if (entry.enabled && entry.classType != engine::ClassLevel && place.application &&
                    place.application->isMp && place.cpu && shell::IsCpuMpCapable(*place.cpu) &&
                    !(entry.cFileDirty && entry.hFileDirty && entry.mFileDirty)) {
                    entry.cFileDirty = entry.hFileDirty = entry.mFileDirty = 1;
                    place.application->edited = 1;
                }
                return 0;
            });
        }
        break;
    }
    case engine::NodeClassEntry:
        editors.ClassOptionsDialog(*node.entry, *node.cpu, *node.application, this);
        break;
    case engine::NodeObject:
    case engine::NodeChildObject: {
        const std::string oldName = engine::textString(node.object->name);
        editors.EditObjectProperties(*m_manager, m_project, *node.cpu, *node.application, *node.entry, *node.object);
        if (engine::textString(node.object->name) != oldName && node.application->isMp && node.object->isMp &&
            node.entry->enabled && node.entry->classType != engine::ClassLevel)
            MarkGlobalClass(node.entry->classType);
        break;
    }
    default:
        return;
    }
    node = currentNode();
    if (node.kind >= engine::NodeApplication && node.application)
        UpdateFootprintStatus(node.application, true);
    if (node.kind != engine::NodeNone)
        fillList();
    PostProjectChanged();
}

void CMainDialog::OnEditDynamics()
{
    const engine::TreeNode node = currentNode();
    if (node.kind != engine::NodeClassEntry || !node.entry || !node.cpu)
        return;
    engine::ApplicationClassEntry* allowing = nullptr;
    int depth = 0;
    for (engine::ApplicationClassEntry* link = node.entry; link && depth < engine::kMaxChainDepth;
         link = link->chained, ++depth) {
        if (link->dynamicsAllowed) {
            allowing = link;
            break;
        }
    }
    const std::string name = engine::textString(node.entry->name);
    if (!allowing) {
        platform::messageBox(name + " class doesn't allow dynamic objects.", name + " Dynamics",
                             platform::MbOk | platform::MbIconInformation);
    } else if (shell::editorServices().DynamicObjectsDialog(*allowing, node.cpu->kernel, node.application, this) ==
                   shell::EditorOk &&
               (allowing->classType == engine::ClassLevel || allowing->classType == engine::ClassThread) &&
               node.application) {
        node.application->kernelHDirty = 1;
        node.application->kernelMDirty = 1;
    }
    // The tree is rebuilt with the states it shows now (the CPU keeps its expansion).
    m_projectTree->SaveTreeItemStates(m_project);
    PostProjectChanged();
}

void CMainDialog::OnEditUserText()
{
    const engine::TreeNode node = currentNode();
    if (m_state.classType == 0 || !node.application)
        return;
    shell::editorServices().UserTextDialog(*node.application, m_state.classType, this);
    refreshLabels();
}

void CMainDialog::OnTreeSaveNode()
{
    const engine::TreeNode node = currentNode();
    switch (node.kind) {
    case engine::NodeProject:
        OnFileSaveProject();
        break;
    case engine::NodeCpu: {
        platform::ScopedWaitCursor wait;
        saveKernel(*node.cpu, false);
        break;
    }
    case engine::NodeApplication: {
        platform::ScopedWaitCursor wait;
        saveApplication(*node.cpu, *node.application, false);
        break;
    }
    default:
        break;
    }
    refreshLabels();
}

void CMainDialog::OnTreeMarkDirty()
{
    const engine::TreeNode node = currentNode();
    switch (node.kind) {
    case engine::NodeCpu:
        if (!node.cpu->kernel.hFileDirty) {
            node.cpu->kernel.edited = 1;
            node.cpu->kernel.hFileDirty = 1;
            node.cpu->kernel.mFileDirty = 1;
        }
        break;
    case engine::NodeApplication: {
        engine::ApplicationRecord& a = *node.application;
        if (!(a.kernelHDirty && a.kernelMDirty && a.projectHDirty && a.projectCDirty)) {
            a.kernelHDirty = a.kernelMDirty = a.projectHDirty = a.projectCDirty = 1;
            a.edited = 1;
        }
        break;
    }
    case engine::NodeClassEntry: {
        engine::ApplicationClassEntry& e = *node.entry;
        if (!(e.cFileDirty && e.hFileDirty && e.mFileDirty)) {
            e.cFileDirty = e.hFileDirty = e.mFileDirty = 1;
            if (node.application)
                node.application->edited = 1;
        }
        break;
    }
    default:
        break;
    }
    refreshLabels();
}

void CMainDialog::OnTreeExpand()
{
    if (m_selectedItem)
        m_tree->Expand(m_selectedItem, !m_tree->IsExpanded(m_selectedItem));
}

int CMainDialog::SetObjectGlobal(engine::ObjectRecord& object, bool enable, bool interactive)
{
    engine::ApplicationRecord* other = nullptr;
    if (enable && engine::FindGlobalNameConflict(m_project, object, &other)) {
        if (interactive)
            platform::messageBox("Object cannot be made global because another global object with that name already "
                                 "exists under application \"" +
                                     (other ? engine::textString(other->name) : std::string()) + "\"",
                                 "", platform::MbOk | platform::MbIconError);
        return 0;
    }
    const int32_t before = object.isMp;
    object.isMp = enable ? 1 : 0;
    if (object.isMp != before) {
        // The change is kept only if the project it leaves would open.
        if (const std::string refusal = engine::KeptEditRefusal(m_project); !refusal.empty()) {
            object.isMp = before;
            if (interactive)
                platform::messageBox(refusal, "", platform::MbOk | platform::MbIconError);
            return 0;
        }
        engine::ObjectPlace place;
        const bool found = engine::FindObjectPlace(m_project, object, place);
        const int32_t classType = found && place.entry ? place.entry->classType : 0;
        if (enable && classType == engine::ClassMutex && object.data) {
            auto* data = static_cast<engine::MutexData*>(object.data);
            if (data->priorityInversion) {
                data->priorityInversion = 0;
                if (interactive)
                    platform::messageBox("Priority inheritance has been disabled for this object", "",
                                         platform::MbOk | platform::MbIconInformation);
            }
        }
        MarkGlobalClass(classType);
    }
    return 1;
}

void CMainDialog::OnObjectEnableMp()
{
    const engine::TreeNode node = currentNode();
    if (node.object)
        SetObjectGlobal(*node.object, !node.object->isMp, true);
    refreshLabels();
}

void CMainDialog::OnApplicationEnableMp()
{
    const engine::TreeNode node = currentNode();
    if (node.application && node.cpu && shell::IsCpuMpCapable(*node.cpu))
        SetApplicationMp(*node.application, !node.application->isMp, true);
    refreshLabels();
}

namespace {

// The entry points and labels of an object that must not clash with the application's other names.
std::string checkLabels(engine::ApplicationRecord& application, const engine::ApplicationClassEntry& entry,
                        const engine::ObjectRecord& object)
{
    std::string what;
    auto clash = [&](const char* label, const std::string& check) {
        if (!label[0] || !engine::FindLabelConflict(application, label, what, &object, true, true))
            return std::string();
        return check + " conflicts with " + what;
    };
    if (!object.data)
        return {};
    switch (entry.classType) {
    case engine::ClassThread:
        return clash(static_cast<const engine::ThreadData*>(object.data)->entryPoint, "Thread entry point");
    case engine::ClassException:
        return clash(static_cast<const engine::ExceptionData*>(object.data)->isrAddress, "Exception entry point");
    case engine::ClassPipe: {
        const auto* data = static_cast<const engine::PipeData*>(object.data);
        return data->manual ? clash(data->label, "Pipe buffer label") : std::string();
    }
    case engine::ClassTask: {
        const auto* data = static_cast<const engine::TaskData*>(object.data);
        std::string text = clash(data->entryPoint, "Task entry point");
        if (text.empty() && data->manual)
            text = clash(data->label, "Task stack label");
        return text;
    }
    case engine::ClassQueue: {
        const auto* data = static_cast<const engine::QueueData*>(object.data);
        return data->manual ? clash(data->label, "Queue manual placement label") : std::string();
    }
    case engine::ClassPartition: {
        const auto* data = static_cast<const engine::PartitionData*>(object.data);
        return data->manual ? clash(data->label, "Partition manual placement label") : std::string();
    }
    default:
        return {};
    }
}

} // namespace

void CMainDialog::OnObjectToggleEnable()
{
    const uint32_t item = m_selectedItem;
    const engine::TreeNode node = currentNode();
    if (!node.object || !node.application || !node.entry)
        return;
    engine::ObjectRecord& object = *node.object;
    bool changed = false;
    if (object.enabled) {
        object.enabled = 0;
        changed = true;
    } else {
        const std::string name = engine::textString(object.name);
        const bool unique = object.isMp ? engine::IsObjectNameUnique(m_project, object)
                                        : engine::IsObjectNameUnique(*node.application, object);
        if (!unique) {
            platform::messageBox("An object with the same name already exists", "", platform::MbOk | platform::MbIconError);
        } else {
            object.enabled = 1;
            std::string what;
            std::string problem;
            if (engine::FindLabelConflict(*node.application, name, what, &object, false, false))
                problem = "Object name conflicts with " + what;
            else
                problem = checkLabels(*node.application, *node.entry, object);
            if (problem.empty())
                problem = engine::KeptEditRefusal(m_project);
            if (!problem.empty()) {
                platform::messageBox(problem, "", platform::MbOk | platform::MbIconError);
                object.enabled = 0;
            } else {
                changed = true;
            }
        }
    }
    if (changed) {
        node.application->edited = 1;
        node.entry->cFileDirty = node.entry->hFileDirty = node.entry->mFileDirty = 1;
    }
    UpdateFootprintStatus(node.application, true);
    refreshLabels();
    fillList();
    const bool expanded = m_tree->IsExpanded(item);
    m_tree->SelectItem(item);
    m_tree->Expand(item, expanded);
}

// ---------------------------------------------------------------------------------------------------
// Context menus and the list's commands

std::vector<shell::MenuItem> CMainDialog::ContextMenuItems(uint32_t item, bool tree)
{
    engine::TreeNode node;
    engine::FindNodeByTreeItem(m_project, item, node);
    // A list row of a chained class stands for the entry down the chain, not for the class it hangs from.
    const int depth = tree || node.kind != engine::NodeClassEntry ? 0 : m_listContextDepth;
    for (int d = 0; d < depth && node.entry; ++d)
        node.entry = node.entry->chained;
    return shell::BuildContextMenu(node, tree, depth > 0);
}

void CMainDialog::ShowContextMenu(uint32_t item, bool tree, const QPoint& globalPos)
{
    const std::vector<shell::MenuItem> items = ContextMenuItems(item, tree);
    if (items.empty())
        return;
    if (tree)
        setSelection(item);
    else
        m_listContextItem = item;
    QMenu menu(this);
    for (const shell::MenuItem& entry : items) {
        if (entry.separator()) {
            menu.addSeparator();
            continue;
        }
        QAction* action = menu.addAction(platform::toQString(entry.text));
        action->setData(entry.id);
        action->setEnabled(entry.enabled);
        if (entry.checked) {
            action->setCheckable(true);
            action->setChecked(true);
        }
    }
    QAction* chosen = menu.exec(globalPos);
    if (!chosen)
        return;
    const int id = chosen->data().toInt();
    if (tree || shell::IsListCommand(id)) {
        OnCommand(id);
        return;
    }
    // A command both menus share (Enable MP, Generate, ...) acts on the list's row, not the tree's node.
    const uint32_t selected = m_selectedItem;
    setSelection(item);
    OnCommand(id);
    restoreSelection(m_tree->itemOf(selected) ? selected : m_tree->GetSelectedItem());
}

void CMainDialog::restoreSelection(uint32_t item)
{
    // A command run on another node refilled the list for that node; the list follows the tree again.
    const bool moved = item != m_selectedItem;
    setSelection(item);
    if (moved && !m_recordsFreed && currentNode().kind != engine::NodeNone)
        fillList();
    UpdateMenus(0);
}

void CMainDialog::reselect(uint32_t item)
{
    // An add rebuilds the tree at once, giving every node a new item; the node the list shows is then the
    // parent of the node the command ran on.
    if (!m_tree->itemOf(item))
        item = m_tree->GetParentItem(m_tree->GetSelectedItem());
    if (!item)
        return;
    m_tree->SelectItem(item);
    if (m_selectedItem != item)
        OnTreeSelChanged(item);
    // A rebuild still to come brings this selection back.
    m_projectTree->SaveTreeItemStates(m_project);
}

void CMainDialog::OnListCommand(int commandId)
{
    const uint32_t item = m_listContextItem;
    if (!item)
        return;
    const uint32_t parent = m_tree->GetParentItem(item);
    const bool parentExpanded = m_tree->IsExpanded(parent);
    const uint32_t previous = m_selectedItem;
    switch (commandId) {
    case shell::CmdListChange:
        if (changeChainedClassEntry(item, m_listContextDepth))
            break;
        [[fallthrough]];
    case shell::CmdListAdd:
    case shell::CmdListMarkDirty:
    case shell::CmdListEditUserText:
        m_tree->SelectItem(item);
        setSelection(item);
        UpdateMenus(0);
        OnCommand(commandId == shell::CmdListAdd      ? shell::CmdEditAdd
                  : commandId == shell::CmdListChange ? shell::CmdEditChange
                  : commandId == shell::CmdListMarkDirty ? shell::CmdTreeMarkDirty
                                                         : shell::CmdEditUserText);
        reselect(parent);
        break;
    case shell::CmdListDynamics:
        setSelection(item);
        OnEditDynamics();
        reselect(previous);
        break;
    case shell::CmdListSaveNode:
        setSelection(item);
        OnTreeSaveNode();
        restoreSelection(previous);
        break;
    case shell::CmdListDelete:
        setSelection(item);
        OnEditDelete();
        setSelection(m_tree->GetSelectedItem());
        break;
    case shell::CmdListExpand:
        m_tree->SelectItem(item);
        OnTreeExpand();
        return;
    default:
        break;
    }
    m_tree->Expand(parent, parentExpanded);
    m_listContextItem = 0;
}

void CMainDialog::onListDoubleClicked(QTreeWidgetItem* row)
{
    const uint32_t item = m_listPane->treeItemOfRow(row);
    if (!item)
        return;
    engine::TreeNode node;
    engine::FindNodeByTreeItem(m_project, item, node);
    if (node.kind == engine::NodeClassEntry) {
        m_tree->SelectItem(item);
        return;
    }
    const uint32_t previous = m_selectedItem;
    m_tree->SelectItem(item);
    OnEditChange();
    reselect(previous);
}

bool CMainDialog::changeChainedClassEntry(uint32_t item, int depth)
{
    if (depth <= 0)
        return false;
    engine::TreeNode node;
    if (engine::FindNodeByTreeItem(m_project, item, node) != engine::NodeClassEntry || !node.entry || !node.cpu ||
        !node.application)
        return false;
    engine::ApplicationClassEntry* entry = node.entry;
    for (int d = 0; d < depth && entry; ++d)
        entry = entry->chained;
    if (!entry)
        return false;
    m_projectTree->SaveTreeItemStates(m_project);
    shell::editorServices().ClassOptionsDialog(*entry, *node.cpu, *node.application, this);
    UpdateFootprintStatus(node.application, true);
    fillList();
    PostProjectChanged();
    return true;
}

bool CMainDialog::OnListKeyDown(int key)
{
    const uint32_t item = m_listPane->treeItemOfRow(m_list->currentItem());
    if (key == Qt::Key_Home) {
        m_tree->SelectItem(m_tree->GetRootItem());
        return true;
    }
    if (!item || !m_tree->itemOf(item))
        return false;
    const uint32_t previous = m_tree->GetSelectedItem();
    if (key == Qt::Key_Control && changeChainedClassEntry(item, m_listPane->chainDepthOfRow(m_list->currentItem())))
        return true;
    switch (key) {
    case Qt::Key_Control:
    case Qt::Key_Insert:
    case Qt::Key_Delete:
        m_tree->SelectItem(item);
        setSelection(item);
        UpdateMenus(0);
        if (key == Qt::Key_Control)
            OnEditChange();
        else if (key == Qt::Key_Insert)
            OnEditAdd();
        else
            OnEditDelete();
        reselect(previous);
        return true;
    case Qt::Key_Space:
        m_tree->SelectItem(item);
        m_tree->Expand(item, !m_tree->IsExpanded(item));
        return true;
    default:
        return false;
    }
}

bool CMainDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_list && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Control || key->modifiers() == Qt::NoModifier) && OnListKeyDown(key->key()))
            return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

// ---------------------------------------------------------------------------------------------------
// Drag and drop

bool CMainDialog::CanDragTreeItem(uint32_t item)
{
    engine::TreeNode node;
    const engine::TreeNodeKind kind = engine::FindNodeByTreeItem(m_project, item, node);
    return kind == engine::NodeObject || kind == engine::NodeChildObject;
}

bool CMainDialog::CanDropTreeItem(uint32_t target, uint32_t dragged)
{
    if (target == dragged)
        return false;
    engine::TreeNode draggedNode, targetNode;
    const engine::TreeNodeKind draggedKind = engine::FindNodeByTreeItem(m_project, dragged, draggedNode);
    if ((draggedKind != engine::NodeObject && draggedKind != engine::NodeChildObject) || !draggedNode.entry)
        return false;
    const int32_t type = draggedNode.entry->classType;
    switch (engine::FindNodeByTreeItem(m_project, target, targetNode)) {
    case engine::NodeClassEntry:
        return targetNode.entry && targetNode.entry->classType == type;
    case engine::NodeObject:
        return targetNode.entry && (engine::dependentClassType(targetNode.entry->classType) == type ||
                                    targetNode.entry->classType == type);
    case engine::NodeChildObject:
        return targetNode.entry && targetNode.entry->classType == type;
    default:
        return false;
    }
}

namespace {

// The object list a drop creates in the destination's file: the list of the class entry or of the new
// parent when it holds no object yet.
std::vector<std::string> listStartedByDrop(const engine::TreeNode& target, const engine::TreeNode& dragged)
{
    if (target.kind == engine::NodeClassEntry && target.entry && target.entry->objectCount == 0)
        return {"OBJS " + engine::textString(target.entry->name)};
    if (target.object && target.entry && dragged.entry && target.entry->classType != dragged.entry->classType &&
        target.object->childCount == 0)
        return {"OBJS " + engine::textString(target.object->name)};
    return {};
}

// The name a refused drop reports: as the object already in the destination spells it, when one there
// bears it in another letter case.
std::string nameAlreadyThere(engine::ApplicationRecord& destination, const engine::ObjectRecord& dragged,
                             const std::string& clash)
{
    std::string held = clash;
    engine::VisitApplicationObjects(destination, [&](const engine::ObjectPlace& place) {
        if (place.object == &dragged || !engine::EqualNoCase(engine::textString(place.object->name), clash))
            return 0;
        held = engine::textString(place.object->name);
        return 1;
    });
    return held;
}

} // namespace

void CMainDialog::DropTreeItem(uint32_t target, uint32_t dragged)
{
    m_projectTree->SaveTreeItemStates(m_project);
    engine::TreeNode draggedNode, targetNode;
    engine::FindNodeByTreeItem(m_project, dragged, draggedNode);
    engine::FindNodeByTreeItem(m_project, target, targetNode);
    if (!draggedNode.object || !draggedNode.entry)
        return;
    if (targetNode.application) {
        // The object and every object below it take sections of the destination's file, as may the list
        // the move starts; a name the file would then hold twice refuses the move before anything moves.
        // That is all of the project check a move can change: CPU and application names and files stay,
        // the source file only loses sections, and the objects keep their class and so their values' ranges.
        const std::string clash = engine::MovedObjectNameClash(*targetNode.application, *draggedNode.object,
                                                               listStartedByDrop(targetNode, draggedNode));
        if (!clash.empty()) {
            platform::messageBox("There is already an object named \"" +
                                     nameAlreadyThere(*targetNode.application, *draggedNode.object, clash) +
                                     "\" in the destination application",
                                 "", platform::MbOk | platform::MbIconError);
            return;
        }
    }
    // The view comes back with the target selected: the flag travels with its record through the move.
    shell::ClearSelectedFlags(m_project);
    if (targetNode.kind == engine::NodeClassEntry && targetNode.entry)
        targetNode.entry->selected = 1;
    else if (targetNode.object)
        targetNode.object->selected = 1;
    shell::EditorServices& editors = shell::editorServices();
    const int32_t type = draggedNode.entry->classType;
    int result = shell::EditorCancel;
    if (targetNode.kind == engine::NodeClassEntry && targetNode.entry) {
        result = editors.MoveObjectToClass(*m_manager, m_project, *draggedNode.object, *targetNode.entry, nullptr);
    } else if (targetNode.object && targetNode.entry && targetNode.entry->classType != type) {
        result = editors.MoveObjectToParent(*m_manager, m_project, *draggedNode.object, *targetNode.object, nullptr);
    } else if (targetNode.object) {
        if (targetNode.kind == engine::NodeObject && targetNode.entry)
            result = editors.MoveObjectToClass(*m_manager, m_project, *draggedNode.object, *targetNode.entry,
                                               targetNode.object);
        else if (targetNode.parent)
            result = editors.MoveObjectToParent(*m_manager, m_project, *draggedNode.object, *targetNode.parent,
                                                targetNode.object);
    }
    if (result != shell::EditorOk)
        return;
    // The rebuild gives every node a new item; the saved states bring the view back, the target selected.
    clearSelection();
    ReloadProjectTree();
}

void CMainDialog::RecordTreeExpansion(uint32_t item, bool expanded)
{
    engine::TreeNode node;
    switch (engine::FindNodeByTreeItem(m_project, item, node)) {
    case engine::NodeProject: m_project.expanded = expanded; break;
    case engine::NodeCpu: node.cpu->expanded = expanded; break;
    case engine::NodeApplication: node.application->expanded = expanded; break;
    case engine::NodeClassEntry: node.entry->expanded = expanded; break;
    case engine::NodeObject:
    case engine::NodeChildObject: node.object->expanded = expanded; break;
    default: break;
    }
}
