#pragma once
// Adding, removing and moving CPUs, applications and kernel objects of a project, within the class limits
// of the CPU's model. Every operation works on the records in place; arrays grow and shrink, so record
// pointers the caller holds into a changed array are stale afterwards (the caller rebuilds its tree).
// The interactive steps (the CPU and application sheets, an object's dialog) are handed in as functions.
#include <functional>
#include <string>

#include "engine/records/records.h"

namespace engine {
class CpuRecordHandler;
}

namespace editors {

// Runs the CPU sheet on the handler's CPU; name and description are the sheet's parameter block.
using CpuSheetRunner = std::function<int(engine::CpuRecordHandler& handler, std::string& name,
                                         std::string& description)>;
using ApplicationSheetRunner = std::function<int(engine::ProjectRecord& project, engine::ApplicationRecord& application,
                                                 engine::CpuRecord& cpu)>;
using ObjectEditor = std::function<int(engine::ProjectRecord& project, engine::CpuRecord& cpu,
                                       engine::ApplicationRecord& application, engine::ApplicationClassEntry& entry,
                                       engine::ObjectRecord& object)>;

// Appends a CPU with a reset kernel record and runs the sheet; anything but OK removes it again.
int AddCpu(engine::ProjectRecord& project, engine::ConfigRecord& config, const CpuSheetRunner& runSheet);
// Removes the CPU shown by the tree item with everything it owns.
void RemoveCpu(engine::ProjectRecord& project, uint32_t cpuItem);

// Appends an application with the CPU's defaults, its option rows and class entries, and runs the sheet;
// anything but OK removes it again.
int AddApplication(engine::ProjectRecord& project, engine::CpuRecord& cpu, const ApplicationSheetRunner& runSheet);
void RemoveApplication(engine::CpuRecord& cpu, uint32_t applicationItem);

// Appends an object to a class entry (after the class Maximum check) or to a parent object's children
// (after the class and per-parent checks); with an editor the object's dialog runs and anything but OK
// removes it again. On success the application and the class entry are marked changed.
int AddClassObject(engine::ProjectRecord& project, engine::ApplicationClassEntry& entry, const ObjectEditor* editor);
int AddChildObject(engine::ProjectRecord& project, engine::ObjectRecord& parent, const ObjectEditor* editor);

// Removes the object shown by the tree item with its children and marks the class entries changed.
// application, when given, is the entry's application (its kernel files are marked for Level and Thread).
void DeleteClassObject(engine::ApplicationClassEntry& entry, uint32_t objectItem,
                       engine::ApplicationRecord* application);
void DeleteChildObject(engine::ProjectRecord& project, engine::ObjectRecord& parent, uint32_t objectItem);

// Moves an object to the top level of a class entry, or under a parent object, just after position when
// it is found there (at the end when given but not found, at the front when none). The limits of the
// destination apply, counting the moved object once. Both applications are marked edited.
int MoveObjectToClass(engine::ProjectRecord& project, engine::ObjectRecord& object,
                      engine::ApplicationClassEntry& target, const engine::ObjectRecord* position);
int MoveObjectToParent(engine::ProjectRecord& project, engine::ObjectRecord& object, engine::ObjectRecord& newParent,
                       const engine::ObjectRecord* position);

} // namespace editors
