#pragma once
// The main window's editor services that the sheets, pages and project operations carry out (the
// editors' EditorServices forwards to these).
#include <string>

#include "engine/records/records.h"

class QWidget;

namespace engine {
class CpuRecordHandler;
class ProjectManager;
}

namespace editors::sheets {

int AddCpu(engine::ProjectManager& manager, engine::ProjectRecord& project, engine::ConfigRecord& config);
void RemoveCpu(engine::ProjectRecord& project, uint32_t cpuItem);
int AddApplication(engine::ProjectManager& manager, engine::ProjectRecord& project, engine::CpuRecord& cpu);
void RemoveApplication(engine::CpuRecord& cpu, uint32_t applicationItem);
int AddClassObject(engine::ProjectManager& manager, engine::ProjectRecord& project,
                   engine::ApplicationClassEntry& entry, bool showDialog);
int AddChildObject(engine::ProjectManager& manager, engine::ProjectRecord& project, engine::ObjectRecord& parent,
                   bool showDialog);
void DeleteClassObject(engine::ApplicationClassEntry& entry, uint32_t objectItem, engine::ProjectRecord& project);
void DeleteChildObject(engine::ObjectRecord& parent, uint32_t objectItem, engine::ProjectRecord& project);
int MoveObjectToClass(engine::ProjectRecord& project, engine::ObjectRecord& object,
                      engine::ApplicationClassEntry& target, engine::ObjectRecord* position);
int MoveObjectToParent(engine::ProjectRecord& project, engine::ObjectRecord& object, engine::ObjectRecord& target,
                       engine::ObjectRecord* position);
int ShowCpuProperties(engine::CpuRecordHandler& handler, std::string& name, std::string& description);
int ShowApplicationProperties(engine::ProjectManager& manager, engine::ProjectRecord& project,
                              engine::ApplicationRecord& application, engine::CpuRecord& cpu);
int NodeNameDialog(engine::ApplicationRecord& application, std::string& name, const std::string& problem,
                   const std::string& prompt);
int UserTextDialog(engine::ApplicationRecord& application, int classType, QWidget* parent);

} // namespace editors::sheets
