#pragma once
// Walks over the project tree: CPUs, applications, class entries (chained ones included) and objects
// (child objects included), each in array order. A walk calls its callback once per record and stops at
// the first non-zero result, which it returns; 0 when the walk ran to its end. The find operations are
// such walks with a callback that compares identity or name.
//
// Chains and object trees come from files and editors, so every walk is bounded: a chain is followed at
// most kMaxChainDepth entries deep, and a child object is visited only when a chained entry exists for
// its depth (its class is that entry's class).

#include <functional>

#include "engine/records/records.h"

namespace engine {

constexpr int kMaxChainDepth = 16;

// Where a class entry stands: its application and CPU, the head entry of its chain and its depth in the
// chain (0 for an entry of the application's array).
struct ClassEntryPlace {
    CpuRecord* cpu = nullptr;
    ApplicationRecord* application = nullptr;
    ApplicationClassEntry* head = nullptr;
    ApplicationClassEntry* entry = nullptr;
    int depth = 0;
};

// Where an object stands: its class entry (which gives its class), its parent object (none for an object
// of an entry of the application's array) and its depth below the head entry's objects.
struct ObjectPlace {
    CpuRecord* cpu = nullptr;
    ApplicationRecord* application = nullptr;
    ApplicationClassEntry* entry = nullptr;
    ObjectRecord* parent = nullptr;
    ObjectRecord* object = nullptr;
    int depth = 0;
};

using CpuVisitor = std::function<int(CpuRecord&)>;
using ApplicationVisitor = std::function<int(CpuRecord&, ApplicationRecord&)>;
using ClassEntryVisitor = std::function<int(const ClassEntryPlace&)>;
using ObjectVisitor = std::function<int(const ObjectPlace&)>;

int VisitProjectCpus(const ProjectRecord& project, const CpuVisitor& visit);
int VisitProjectApplications(const ProjectRecord& project, const ApplicationVisitor& visit);
int VisitCpuApplications(CpuRecord& cpu, const ApplicationVisitor& visit);
int ForEachCpuApplication(CpuRecord& cpu, const std::function<int(ApplicationRecord&)>& visit);

int VisitProjectClassEntries(const ProjectRecord& project, const ClassEntryVisitor& visit);
int VisitCpuClassEntries(CpuRecord& cpu, const ClassEntryVisitor& visit);
// The application's entries; cpu may be null when the application is not in a project (a copy).
int VisitApplicationClassEntries(ApplicationRecord& application, const ClassEntryVisitor& visit,
                                 CpuRecord* cpu = nullptr);
int ForEachApplicationClassEntry(ApplicationRecord& application,
                                 const std::function<int(ApplicationClassEntry&)>& visit);

int VisitProjectObjects(const ProjectRecord& project, const ObjectVisitor& visit);
int VisitCpuObjects(CpuRecord& cpu, const ObjectVisitor& visit);
int VisitApplicationObjects(ApplicationRecord& application, const ObjectVisitor& visit,
                            CpuRecord* cpu = nullptr);
int ForEachApplicationObject(ApplicationRecord& application, const std::function<int(ObjectRecord&)>& visit);
// The objects of the class entry at the given depth of a chain: depth 0 gives the head's objects,
// depth d the objects d levels below them. place gives the CPU and application to report.
int VisitChainObjectsAtDepth(const ClassEntryPlace& place, const ObjectVisitor& visit);

// The records that hold an application, a class entry or an object; null when the project holds none.
CpuRecord* FindCpuOfApplication(const ProjectRecord& project, const ApplicationRecord& application);
CpuRecord* FindCpuOfClassEntry(const ProjectRecord& project, const ApplicationClassEntry& entry);
ApplicationRecord* FindApplicationOfClassEntry(const ProjectRecord& project, const ApplicationClassEntry& entry);
CpuRecord* FindCpuOfObject(const ProjectRecord& project, const ObjectRecord& object);
ApplicationRecord* FindApplicationOfObject(const ProjectRecord& project, const ObjectRecord& object);
// The first object of the project bearing the name (exact comparison), or null.
ObjectRecord* FindObjectByName(const ProjectRecord& project, const char* name);
// Where a class entry or an object stands in the project; false when the project holds none.
bool FindClassEntryPlace(const ProjectRecord& project, const ApplicationClassEntry& entry, ClassEntryPlace& place);
bool FindObjectPlace(const ProjectRecord& project, const ObjectRecord& object, ObjectPlace& place);

// The application's class entry of a class type, head or chained, or null.
ApplicationClassEntry* FindApplicationClassEntryByType(ApplicationRecord& application, int32_t classType);
const ApplicationClassEntry* FindApplicationClassEntryByType(const ApplicationRecord& application,
                                                             int32_t classType);
// Where a class entry stands in its application's chains; false when the application holds none.
bool FindClassEntryInApplication(ApplicationRecord& application, const ApplicationClassEntry& entry,
                                 ClassEntryPlace& place);

// The number of static objects of a class entry: for an entry of the application's array its object
// count; for an entry at depth d of a chain, the objects at depth d below the chain head's objects (each
// object's children belong to the next chained entry). An entry the application does not hold counts
// its own objects.
int32_t CountClassEntryObjects(const ApplicationRecord& application, const ApplicationClassEntry& entry);

} // namespace engine
