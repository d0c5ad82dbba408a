#pragma once
// The editors as the main window sees them: the shell's EditorServices carried out by the dialogs of this
// library. Installed when the program loads (see editors_impl.cpp).
#include "gui/shell/editor_services.h"

namespace editors {

class EditorsImpl : public shell::EditorServices {
public:
    int AddCpu(engine::ProjectManager& manager, engine::ProjectRecord& project, engine::ConfigRecord& config) override;
    void RemoveCpu(engine::ProjectManager& manager, engine::ProjectRecord& project, uint32_t cpuItem) override;
    int AddApplication(engine::ProjectManager& manager, engine::ProjectRecord& project,
                       engine::CpuRecord& cpu) override;
    void RemoveApplication(engine::ProjectManager& manager, engine::CpuRecord& cpu, uint32_t applicationItem) override;
    int AddClassObject(engine::ProjectManager& manager, engine::ProjectRecord& project,
                       engine::ApplicationClassEntry& entry, bool showDialog) override;
    int AddChildObject(engine::ProjectManager& manager, engine::ProjectRecord& project, engine::ObjectRecord& parent,
                       bool showDialog) override;
    using shell::EditorServices::DeleteClassObject;
    void DeleteClassObject(engine::ProjectManager& manager, engine::ApplicationClassEntry& entry, uint32_t objectItem,
                           engine::ProjectRecord& project) override;
    void DeleteChildObject(engine::ProjectManager& manager, engine::ObjectRecord& parent, uint32_t objectItem,
                           engine::ProjectRecord& project) override;
    int MoveObjectToClass(engine::ProjectManager& manager, engine::ProjectRecord& project,
                          engine::ObjectRecord& object, engine::ApplicationClassEntry& target,
                          engine::ObjectRecord* position) override;
    int MoveObjectToParent(engine::ProjectManager& manager, engine::ProjectRecord& project,
                           engine::ObjectRecord& object, engine::ObjectRecord& targetParent,
                           engine::ObjectRecord* position) override;

    int EditObjectProperties(engine::ProjectManager& manager, engine::ProjectRecord& project, engine::CpuRecord& cpu,
                             engine::ApplicationRecord& application, engine::ApplicationClassEntry& entry,
                             engine::ObjectRecord& object) override;
    int ShowCpuProperties(engine::CpuRecordHandler& handler, std::string& name, std::string& description) override;
    int ShowApplicationProperties(engine::ProjectManager& manager, engine::ProjectRecord& project,
                                  engine::ApplicationRecord& application, engine::CpuRecord& cpu) override;
    int ProjectPropertiesDialog(shell::ProjectProperties& properties, QWidget* parent) override;
    int ClassOptionsDialog(engine::ApplicationClassEntry& entry, engine::CpuRecord& cpu,
                           engine::ApplicationRecord& application, QWidget* parent) override;
    int DynamicObjectsDialog(engine::ApplicationClassEntry& entry, engine::KernelRecord& kernel,
                             engine::ApplicationRecord* application, QWidget* parent) override;
    int NodeNameDialog(engine::ApplicationRecord& application, std::string& name, const std::string& problem,
                       const std::string& prompt) override;
    int UserTextDialog(engine::ApplicationRecord& application, int classType, QWidget* parent) override;
};

// The instance the program uses.
EditorsImpl& editorsImpl();

} // namespace editors
