#include "gui/editors/sheets/sheet_services.h"

#include "engine/footprint/footprint.h"
#include "engine/names/project_walk.h"
#include "engine/ops/cpu_record_handler.h"
#include "gui/editors/model/add_remove_move.h"
#include "gui/editors/sheets/application_sheet_view.h"
#include "gui/editors/sheets/cpu_sheet_view.h"
#include "gui/editors/sheets/user_text_dialogs.h"
#include "gui/shell/editor_services.h"
#include "gui/shell/main_dialog.h"
#include "gui/shell/project_tree.h"

namespace editors::sheets {

namespace {

// The main window whose tree the manager holds, or null (a manager without a tree).
CMainDialog* mainWindowOf(engine::ProjectManager& manager)
{
    shell::ProjectTree* tree = shell::ProjectTreeOf(manager);
    return tree && tree->control() ? qobject_cast<CMainDialog*>(tree->control()->window()) : nullptr;
}

// What the application sheet's pages ask of the main window: the tree is rebuilt by the window's own
// queued rebuild (never under the window's feet), relabelled at once, and the footprint recomputed.
ApplicationSheetHooks mainWindowHooks(engine::ProjectManager& manager, engine::ProjectRecord& project,
                                      engine::ApplicationRecord& application)
{
    ApplicationSheetHooks hooks;
    hooks.rebuildTree = [&manager, &project] {
        if (CMainDialog* window = mainWindowOf(manager))
            window->PostProjectChanged();
        else
            shell::BuildProjectTree(manager, project);
    };
    hooks.refreshTreeLabels = [&manager, &project] { shell::RefreshTreeLabels(manager, project); };
    hooks.updateFootprint = [&manager, &project, &application] {
        if (CMainDialog* window = mainWindowOf(manager))
            window->UpdateFootprintStatus(&application, true);
        else
            engine::ComputeApplicationFootprint(project, application);
    };
    return hooks;
}

// The project that holds the CPU: the running main window's, when the CPU is one of its CPUs.
engine::ProjectRecord* projectOfCpu(const engine::CpuRecord* cpu)
{
    engine::ProjectRecord* project = CMainDialog::GetCurrentProject();
    for (int32_t i = 0; cpu && project && project->cpus && i < project->cpuCount; ++i) {
        if (&project->cpus[i] == cpu)
            return project;
    }
    return nullptr;
}

ObjectEditor objectEditor(engine::ProjectManager& manager)
{
    return [&manager](engine::ProjectRecord& project, engine::CpuRecord& cpu, engine::ApplicationRecord& application,
                      engine::ApplicationClassEntry& entry, engine::ObjectRecord& object) {
        return shell::editorServices().EditObjectProperties(manager, project, cpu, application, entry, object);
    };
}

} // namespace

int AddCpu(engine::ProjectManager&, engine::ProjectRecord& project, engine::ConfigRecord& config)
{
    return editors::AddCpu(project, config,
                           [&project](engine::CpuRecordHandler& handler, std::string& name, std::string& description) {
                               CpuSheetParams params{true, false, name, description};
                               const int result = ShowCpuPropertiesSheet(handler, params, &project);
                               name = params.name;
                               description = params.description;
                               return result;
                           });
}

void RemoveCpu(engine::ProjectRecord& project, uint32_t cpuItem)
{
    editors::RemoveCpu(project, cpuItem);
}

int AddApplication(engine::ProjectManager& manager, engine::ProjectRecord& project, engine::CpuRecord& cpu)
{
    return editors::AddApplication(
        project, cpu, [&manager](engine::ProjectRecord& p, engine::ApplicationRecord& a, engine::CpuRecord& c) {
            return ShowApplicationPropertiesSheet(p, a, c, mainWindowHooks(manager, p, a));
        });
}

void RemoveApplication(engine::CpuRecord& cpu, uint32_t applicationItem)
{
    editors::RemoveApplication(cpu, applicationItem);
}

int AddClassObject(engine::ProjectManager& manager, engine::ProjectRecord& project,
                   engine::ApplicationClassEntry& entry, bool showDialog)
{
    const ObjectEditor editor = objectEditor(manager);
    return editors::AddClassObject(project, entry, showDialog ? &editor : nullptr);
}

int AddChildObject(engine::ProjectManager& manager, engine::ProjectRecord& project, engine::ObjectRecord& parent,
                   bool showDialog)
{
    const ObjectEditor editor = objectEditor(manager);
    return editors::AddChildObject(project, parent, showDialog ? &editor : nullptr);
}

void DeleteClassObject(engine::ApplicationClassEntry& entry, uint32_t objectItem, engine::ProjectRecord& project)
{
    engine::ClassEntryPlace place;
    engine::ApplicationRecord* application =
        engine::FindClassEntryPlace(project, entry, place) ? place.application : nullptr;
    editors::DeleteClassObject(entry, objectItem, application);
}

void DeleteChildObject(engine::ObjectRecord& parent, uint32_t objectItem, engine::ProjectRecord& project)
{
    editors::DeleteChildObject(project, parent, objectItem);
}

int MoveObjectToClass(engine::ProjectRecord& project, engine::ObjectRecord& object,
                      engine::ApplicationClassEntry& target, engine::ObjectRecord* position)
{
    return editors::MoveObjectToClass(project, object, target, position);
}

int MoveObjectToParent(engine::ProjectRecord& project, engine::ObjectRecord& object, engine::ObjectRecord& target,
                       engine::ObjectRecord* position)
{
    return editors::MoveObjectToParent(project, object, target, position);
}

int ShowCpuProperties(engine::CpuRecordHandler& handler, std::string& name, std::string& description)
{
    CpuSheetParams params{false, false, name, description};
    // Kernel paths are stored relative to the project file's folder.
    const int result = ShowCpuPropertiesSheet(handler, params, projectOfCpu(handler.GetCpuRecord()));
    if (result == 1) {
        name = params.name;
        description = params.description;
    }
    return result;
}

int ShowApplicationProperties(engine::ProjectManager& manager, engine::ProjectRecord& project,
                              engine::ApplicationRecord& application, engine::CpuRecord& cpu)
{
    return ShowApplicationPropertiesSheet(project, application, cpu, mainWindowHooks(manager, project, application));
}

int NodeNameDialog(engine::ApplicationRecord& application, std::string& name, const std::string& problem,
                   const std::string& prompt)
{
    editors::NodeNameDialog dialog(application, name, problem, prompt);
    if (dialog.exec() != platform::DialogBase::IdOk)
        return 2;
    name = dialog.nodeName();
    return 1;
}

int UserTextDialog(engine::ApplicationRecord& application, int classType, QWidget* parent)
{
    CUserTextDialog dialog(application, classType, parent);
    return dialog.exec() == platform::DialogBase::IdOk ? 1 : 2;
}

} // namespace editors::sheets
