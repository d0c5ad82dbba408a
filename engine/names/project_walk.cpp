#include "engine/names/project_walk.h"

#include <cstring>

#include "engine/names/record_arrays.h"
#include "engine/records/text_field.h"

namespace engine {

namespace {

// Visits the children of one object at depth + 1 when the chain has an entry for that depth.
int VisitObjectTree(const ObjectPlace& place, ApplicationClassEntry* childEntry, const ObjectVisitor& visit)
{
    if (int result = visit(place))
        return result;
    if (!childEntry || place.depth + 1 >= kMaxChainDepth)
        return 0;
    for (ObjectRecord& child : Children(*place.object)) {
        ObjectPlace childPlace{place.cpu, place.application, childEntry, place.object, &child, place.depth + 1};
        if (int result = VisitObjectTree(childPlace, childEntry->chained, visit))
            return result;
    }
    return 0;
}

// Collects the objects at a given depth below a list of objects.
int VisitAtDepth(const ClassEntryPlace& place, ApplicationClassEntry* entry, ObjectRecord* parent,
                 RecordSpan<ObjectRecord> objects, int depth, const ObjectVisitor& visit)
{
    for (ObjectRecord& object : objects) {
        if (depth == place.depth) {
            ObjectPlace objectPlace{place.cpu, place.application, entry, parent, &object, depth};
            if (int result = visit(objectPlace))
                return result;
        } else if (entry->chained) {
            if (int result = VisitAtDepth(place, entry->chained, &object, Children(object), depth + 1, visit))
                return result;
        }
    }
    return 0;
}

} // namespace

int VisitProjectCpus(const ProjectRecord& project, const CpuVisitor& visit)
{
    for (CpuRecord& cpu : Cpus(project)) {
        if (int result = visit(cpu))
            return result;
    }
    return 0;
}

int VisitCpuApplications(CpuRecord& cpu, const ApplicationVisitor& visit)
{
    for (ApplicationRecord& application : Applications(cpu)) {
        if (int result = visit(cpu, application))
            return result;
    }
    return 0;
}

int ForEachCpuApplication(CpuRecord& cpu, const std::function<int(ApplicationRecord&)>& visit)
{
    return VisitCpuApplications(cpu, [&](CpuRecord&, ApplicationRecord& application) { return visit(application); });
}

int VisitProjectApplications(const ProjectRecord& project, const ApplicationVisitor& visit)
{
    return VisitProjectCpus(project, [&](CpuRecord& cpu) { return VisitCpuApplications(cpu, visit); });
}

int VisitApplicationClassEntries(ApplicationRecord& application, const ClassEntryVisitor& visit, CpuRecord* cpu)
{
    for (ApplicationClassEntry& head : ClassEntries(application)) {
        ApplicationClassEntry* entry = &head;
        for (int depth = 0; entry && depth < kMaxChainDepth; ++depth, entry = entry->chained) {
            if (int result = visit(ClassEntryPlace{cpu, &application, &head, entry, depth}))
                return result;
        }
    }
    return 0;
}

int ForEachApplicationClassEntry(ApplicationRecord& application,
                                 const std::function<int(ApplicationClassEntry&)>& visit)
{
    return VisitApplicationClassEntries(application, [&](const ClassEntryPlace& place) { return visit(*place.entry); });
}

int VisitCpuClassEntries(CpuRecord& cpu, const ClassEntryVisitor& visit)
{
    return VisitCpuApplications(cpu, [&](CpuRecord& owner, ApplicationRecord& application) {
        return VisitApplicationClassEntries(application, visit, &owner);
    });
}

int VisitProjectClassEntries(const ProjectRecord& project, const ClassEntryVisitor& visit)
{
    return VisitProjectCpus(project, [&](CpuRecord& cpu) { return VisitCpuClassEntries(cpu, visit); });
}

int VisitApplicationObjects(ApplicationRecord& application, const ObjectVisitor& visit, CpuRecord* cpu)
{
    for (ApplicationClassEntry& head : ClassEntries(application)) {
        for (ObjectRecord& object : Objects(head)) {
            if (int result = VisitObjectTree(ObjectPlace{cpu, &application, &head, nullptr, &object, 0},
                                             head.chained, visit))
                return result;
        }
    }
    return 0;
}

int ForEachApplicationObject(ApplicationRecord& application, const std::function<int(ObjectRecord&)>& visit)
{
    return VisitApplicationObjects(application, [&](const ObjectPlace& place) { return visit(*place.object); });
}

int VisitCpuObjects(CpuRecord& cpu, const ObjectVisitor& visit)
{
    return VisitCpuApplications(cpu, [&](CpuRecord& owner, ApplicationRecord& application) {
        return VisitApplicationObjects(application, visit, &owner);
    });
}

int VisitProjectObjects(const ProjectRecord& project, const ObjectVisitor& visit)
{
    return VisitProjectCpus(project, [&](CpuRecord& cpu) { return VisitCpuObjects(cpu, visit); });
}

int VisitChainObjectsAtDepth(const ClassEntryPlace& place, const ObjectVisitor& visit)
{
    if (!place.head || place.depth < 0 || place.depth >= kMaxChainDepth)
        return 0;
    return VisitAtDepth(place, place.head, nullptr, Objects(*place.head), 0, visit);
}

CpuRecord* FindCpuOfApplication(const ProjectRecord& project, const ApplicationRecord& application)
{
    CpuRecord* found = nullptr;
    VisitProjectApplications(project, [&](CpuRecord& cpu, ApplicationRecord& candidate) {
        if (&candidate != &application)
            return 0;
        found = &cpu;
        return 1;
    });
    return found;
}

bool FindClassEntryPlace(const ProjectRecord& project, const ApplicationClassEntry& entry, ClassEntryPlace& place)
{
    return VisitProjectClassEntries(project, [&](const ClassEntryPlace& candidate) {
               if (candidate.entry != &entry)
                   return 0;
               place = candidate;
               return 1;
           }) != 0;
}

CpuRecord* FindCpuOfClassEntry(const ProjectRecord& project, const ApplicationClassEntry& entry)
{
    ClassEntryPlace place;
    return FindClassEntryPlace(project, entry, place) ? place.cpu : nullptr;
}

ApplicationRecord* FindApplicationOfClassEntry(const ProjectRecord& project, const ApplicationClassEntry& entry)
{
    ClassEntryPlace place;
    return FindClassEntryPlace(project, entry, place) ? place.application : nullptr;
}

bool FindObjectPlace(const ProjectRecord& project, const ObjectRecord& object, ObjectPlace& place)
{
    return VisitProjectObjects(project, [&](const ObjectPlace& candidate) {
               if (candidate.object != &object)
                   return 0;
               place = candidate;
               return 1;
           }) != 0;
}

CpuRecord* FindCpuOfObject(const ProjectRecord& project, const ObjectRecord& object)
{
    ObjectPlace place;
    return FindObjectPlace(project, object, place) ? place.cpu : nullptr;
}

ApplicationRecord* FindApplicationOfObject(const ProjectRecord& project, const ObjectRecord& object)
{
    ObjectPlace place;
    return FindObjectPlace(project, object, place) ? place.application : nullptr;
}

ObjectRecord* FindObjectByName(const ProjectRecord& project, const char* name)
{
    ObjectRecord* found = nullptr;
    if (!name)
        return nullptr;
    VisitProjectObjects(project, [&](const ObjectPlace& place) {
        if (textOf(place.object->name) != name)
            return 0;
        found = place.object;
        return 1;
    });
    return found;
}

bool FindClassEntryInApplication(ApplicationRecord& application, const ApplicationClassEntry& entry,
                                 ClassEntryPlace& place)
{
    return VisitApplicationClassEntries(application, [&](const ClassEntryPlace& candidate) {
               if (candidate.entry != &entry)
                   return 0;
               place = candidate;
               return 1;
           }) != 0;
}

ApplicationClassEntry* FindApplicationClassEntryByType(ApplicationRecord& application, int32_t classType)
{
    ApplicationClassEntry* found = nullptr;
    VisitApplicationClassEntries(application, [&](const ClassEntryPlace& place) {
        if (place.entry->classType != classType)
            return 0;
        found = place.entry;
        return 1;
    });
    return found;
}

const ApplicationClassEntry* FindApplicationClassEntryByType(const ApplicationRecord& application,
                                                             int32_t classType)
{
    // The walk hands out mutable places; nothing is changed here.
    return FindApplicationClassEntryByType(const_cast<ApplicationRecord&>(application), classType);
}

int32_t CountClassEntryObjects(const ApplicationRecord& application, const ApplicationClassEntry& entry)
{
    auto& app = const_cast<ApplicationRecord&>(application);
    ClassEntryPlace place;
    if (!FindClassEntryInApplication(app, entry, place))
        return static_cast<int32_t>(Objects(entry).size());
    int32_t count = 0;
    VisitChainObjectsAtDepth(place, [&](const ObjectPlace&) {
        ++count;
        return 0;
    });
    return count;
}

} // namespace engine
