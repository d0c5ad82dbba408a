#pragma once
// What the main window asks of the object and property editors: adding, removing and moving CPUs,
// applications and objects, and the property dialogs and sheets. The editors library derives from
// EditorServices and installs itself with setEditorServices; until then the stand-in below answers every
// dialog with Cancel and changes nothing, so the shell runs without editors.
//
// Results follow the dialog codes: 1 done or OK, 2 cancelled, refused or failed. Every operation runs
// modally on the GUI thread and reports its own refusals through the message service. Operations that
// change the project's arrays invalidate record pointers held by the caller; the main window re-derives
// its selection from tree item ids afterwards.

#include "engine/records/records.h"

#include <string>

namespace engine {
class CpuRecordHandler;
class ProjectManager;
}

class QWidget;

namespace shell {

enum EditorResult : int { EditorOk = 1, EditorCancel = 2 };

// The values the Project Properties dialog edits.
struct ProjectProperties {
    std::string name;
    std::string description;
};

class EditorServices {
public:
    virtual ~EditorServices() = default;

    // ---- adding, removing and moving
    // Appends a CPU with kernel defaults and runs the CPU Properties sheet on it.
    virtual int AddCpu(engine::ProjectManager& manager, engine::ProjectRecord& project, engine::ConfigRecord& config);
    // Removes the CPU shown by the tree item, with its applications.
    virtual void RemoveCpu(engine::ProjectManager& manager, engine::ProjectRecord& project, uint32_t cpuItem);
    // Appends an application to the CPU and runs the Application Properties sheet.
    virtual int AddApplication(engine::ProjectManager& manager, engine::ProjectRecord& project,
                               engine::CpuRecord& cpu);
    virtual void RemoveApplication(engine::ProjectManager& manager, engine::CpuRecord& cpu, uint32_t applicationItem);
    // Appends an object under the class entry (after the class maximum check); with showDialog its
    // properties dialog runs. Marks the application and the class entry changed itself.
    virtual int AddClassObject(engine::ProjectManager& manager, engine::ProjectRecord& project,
                               engine::ApplicationClassEntry& entry, bool showDialog);
    virtual int AddChildObject(engine::ProjectManager& manager, engine::ProjectRecord& project,
                               engine::ObjectRecord& parent, bool showDialog);
    // Removes a top-level object of the class entry; the project lets the editors find the entry's
    // application (deleting a Level or Thread object marks its kernel files). By default the form without
    // the project runs.
    virtual void DeleteClassObject(engine::ProjectManager& manager, engine::ApplicationClassEntry& entry,
                                   uint32_t objectItem, engine::ProjectRecord& project);
    virtual void DeleteClassObject(engine::ProjectManager& manager, engine::ApplicationClassEntry& entry,
                                   uint32_t objectItem);
    virtual void DeleteChildObject(engine::ProjectManager& manager, engine::ObjectRecord& parent, uint32_t objectItem,
                                   engine::ProjectRecord& project);
    // Moves the object to the top level of the target class entry, next to position when given.
    virtual int MoveObjectToClass(engine::ProjectManager& manager, engine::ProjectRecord& project,
                                  engine::ObjectRecord& object, engine::ApplicationClassEntry& target,
                                  engine::ObjectRecord* position);
    // Moves the object under the target parent object, next to position when given.
    virtual int MoveObjectToParent(engine::ProjectManager& manager, engine::ProjectRecord& project,
                                   engine::ObjectRecord& object, engine::ObjectRecord& targetParent,
                                   engine::ObjectRecord* position);

    // ---- dialogs and sheets
    // The properties dialog of one object (snapshot, restore on Cancel, edited flag on a difference).
    virtual int EditObjectProperties(engine::ProjectManager& manager, engine::ProjectRecord& project,
                                     engine::CpuRecord& cpu, engine::ApplicationRecord& application,
                                     engine::ApplicationClassEntry& entry, engine::ObjectRecord& object);
    // The "CPU Properties" sheet; on OK the changes are in the CPU record and in the snapshot.
    virtual int ShowCpuProperties(engine::CpuRecordHandler& handler, std::string& name, std::string& description);
    // The "Application Properties" sheet on a snapshot; OK copies it back and marks the application changed.
    virtual int ShowApplicationProperties(engine::ProjectManager& manager, engine::ProjectRecord& project,
                                          engine::ApplicationRecord& application, engine::CpuRecord& cpu);
    // The Project Properties dialog; OK leaves the edited values in properties.
    virtual int ProjectPropertiesDialog(ProjectProperties& properties, QWidget* parent);
    // The Class Options dialog on a class entry.
    virtual int ClassOptionsDialog(engine::ApplicationClassEntry& entry, engine::CpuRecord& cpu,
                                   engine::ApplicationRecord& application, QWidget* parent);
    // The Dynamic Objects dialog on the class entry that allows dynamic objects. The application (when
    // known) counts the static objects of chained entries and is marked edited on a change.
    virtual int DynamicObjectsDialog(engine::ApplicationClassEntry& entry, engine::KernelRecord& kernel,
                                     engine::ApplicationRecord* application, QWidget* parent);
    // "Enter Node Name": shows the problem and prompt texts; OK (1) leaves the edited name in name.
    virtual int NodeNameDialog(engine::ApplicationRecord& application, std::string& name, const std::string& problem,
                               const std::string& prompt);
    // "Select file to edit": the user text files of the application (class type -1: the application's own).
    virtual int UserTextDialog(engine::ApplicationRecord& application, int classType, QWidget* parent);
};

// The services in use: the installed editors, else the stand-in that cancels everything.
EditorServices& editorServices();
// Installs the editors (not owned; null restores the stand-in). Returns the previous ones.
EditorServices* setEditorServices(EditorServices* services);

} // namespace shell
