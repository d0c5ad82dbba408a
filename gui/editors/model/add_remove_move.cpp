#include "gui/editors/model/add_remove_move.h"

#include "engine/names/kernel_lookup.h"
#include "engine/names/project_walk.h"
#include "engine/ops/cpu_record_handler.h"
#include "engine/ops/project_manager.h"
#include "engine/ops/record_arrays.h"
#include "engine/project/name_rules.h"
#include "engine/project/project_file.h"
#include "engine/records/text_field.h"
#include "gui/editors/model/dialog_model.h"
#include "platform/core/message_service.h"

namespace editors {

namespace {

constexpr int kDone = 1;
constexpr int kRefused = 2;
constexpr int32_t kDefaultMaximum = 255;

struct ClassLimits {
    uint32_t maximum = kDefaultMaximum;
    uint32_t perParent = kDefaultMaximum;
};

ClassLimits limitsOf(const engine::CpuRecord& cpu, int32_t classType)
{
    ClassLimits limits;
    if (const engine::KernelClassRecord* kernelClass = engine::FindKernelClassByType(&cpu, classType)) {
        limits.maximum = static_cast<uint32_t>(kernelClass->maximum);
        limits.perParent = static_cast<uint32_t>(kernelClass->maximumPerParent);
    }
    return limits;
}

void refuse(const engine::ApplicationClassEntry& entry, const char* text)
{
    platform::messageBox(text, "Cannot add " + engine::textString(entry.name), platform::MbOk);
}

// The class count of an entry: its static objects in the application and its dynamic ones, less the
// object being moved when it already belongs to them.
uint32_t classCount(const engine::ApplicationRecord& application, const engine::ApplicationClassEntry& entry,
                    bool countsMovedObject)
{
    uint32_t count = static_cast<uint32_t>(engine::CountClassEntryObjects(application, entry)) +
                     static_cast<uint32_t>(entry.numberOfDynamics);
    if (countsMovedObject && count > 0)
        --count;
    return count;
}

// The checks of an addition at the top level of a class entry: a Maximum of 0 allows none.
bool classAddAllowed(const engine::CpuRecord& cpu, const engine::ApplicationRecord& application,
                     const engine::ApplicationClassEntry& entry, bool countsMovedObject)
{
    const ClassLimits limits = limitsOf(cpu, entry.classType);
    if (classCount(application, entry, countsMovedObject) < limits.maximum)
        return true;
    refuse(entry, "Object count maximum reached for this class.");
    return false;
}

// The checks of an addition under a parent object: a Maximum or a per-parent maximum of 0 means no limit.
bool childAddAllowed(const engine::CpuRecord& cpu, const engine::ApplicationRecord& application,
                     const engine::ApplicationClassEntry& childEntry, const engine::ObjectRecord& parent,
                     bool countsMovedObject, bool checkParent)
{
    const ClassLimits limits = limitsOf(cpu, childEntry.classType);
    if (limits.maximum != 0 && classCount(application, childEntry, countsMovedObject) >= limits.maximum) {
        refuse(childEntry, "Object count maximum reached for this class.");
        return false;
    }
    if (checkParent && limits.perParent != 0 && static_cast<uint32_t>(parent.childCount) >= limits.perParent) {
        refuse(childEntry, "Per-parent maximum reached for this class.");
        return false;
    }
    return true;
}

void markEntry(engine::ApplicationClassEntry* entry)
{
    if (!entry)
        return;
    entry->cFileDirty = entry->hFileDirty = entry->mFileDirty = 1;
}

void markKernelFiles(engine::ApplicationRecord* application, int32_t classType)
{
    if (!application || (classType != engine::ClassLevel && classType != engine::ClassThread))
        return;
    application->kernelMDirty = 1;
    application->kernelHDirty = 1;
    application->edited = 1;
}

void initObject(engine::ObjectRecord& object, const engine::ApplicationClassEntry& entry)
{
    object.expanded = 1;
    object.dynamicsAllowed = entry.dynamicsAllowed;
    object.enabled = 1;
}

int32_t indexOfItem(const engine::ObjectArray& array, uint32_t treeItem)
{
    for (int32_t i = 0; *array.rows && i < *array.count; ++i) {
        if ((*array.rows)[i].treeItem == treeItem)
            return i;
    }
    return -1;
}

int32_t indexOfObject(const engine::ObjectArray& array, const engine::ObjectRecord* object)
{
    for (int32_t i = 0; object && *array.rows && i < *array.count; ++i) {
        if (&(*array.rows)[i] == object)
            return i;
    }
    return -1;
}

// Adds a blank object at the end of an array, gives it its data block and runs the editor on it.
int addObject(engine::ProjectRecord& project, engine::CpuRecord& cpu, engine::ApplicationRecord& application,
              engine::ApplicationClassEntry& entry, engine::ObjectArray array, engine::ObjectRecord* parent,
              const ObjectEditor* editor)
{
    const int32_t index = *array.count > 0 ? *array.count : 0;
    engine::ObjectRecord* object = parent ? engine::InsertChildObject(*parent, index)
                                          : engine::InsertClassObject(entry, index);
    if (!object)
        return kRefused;
    initObject(*object, entry);
    bool kept = engine::ProjectManager::AllocateObjectData(cpu, entry, *object);
    if (kept && editor && *editor)
        kept = (*editor)(project, cpu, application, entry, *object) == kDone;
    if (!kept) {
        if (parent)
            engine::RemoveChildObjectAt(*parent, index);
        else
            engine::RemoveClassObjectAt(entry, index);
        return kRefused;
    }
    application.edited = 1;
    markEntry(&entry);
    markKernelFiles(&application, entry.classType);
    return kDone;
}

// Where the moved object goes: after position when found, at the end when given and not found, else first.
int32_t insertIndex(const engine::ObjectArray& array, const engine::ObjectRecord* position)
{
    if (!position)
        return 0;
    const int32_t found = indexOfObject(array, position);
    return found < 0 ? *array.count : found + 1;
}

// The source side of a move: the array, the index and the entries a removal marks.
struct Source {
    engine::ObjectPlace place;
    engine::ObjectArray array{};
    int32_t index = -1;
};

bool findSource(engine::ProjectRecord& project, engine::ObjectRecord& object, Source& source)
{
    if (!engine::FindObjectPlace(project, object, source.place) || !source.place.entry || !source.place.application)
        return false;
    source.array = source.place.parent ? engine::ChildrenOf(*source.place.parent)
                                       : engine::ObjectsOf(*source.place.entry);
    source.index = indexOfObject(source.array, &object);
    return source.index >= 0;
}

// Marks what a removal from the source changes: the class entries, the kernel files of Level and Thread
// and (for a move) the source application itself.
void markRemoval(engine::ProjectRecord& project, const Source& source)
{
    engine::ApplicationRecord* application = source.place.application;
    if (source.place.parent) {
        engine::ApplicationClassEntry* parentEntry = nullptr;
        engine::ObjectPlace parentPlace;
        if (engine::FindObjectPlace(project, *source.place.parent, parentPlace))
            parentEntry = parentPlace.entry;
        markEntry(parentEntry);
        markEntry(parentEntry ? parentEntry->chained : source.place.entry);
        markKernelFiles(application, parentEntry ? parentEntry->classType : 0);
    } else {
        markEntry(source.place.entry);
        markKernelFiles(application, source.place.entry->classType);
    }
    application->edited = 1;
}

int finishMove(engine::ProjectRecord& project, Source& source, engine::ObjectArray target, int32_t toIndex,
               engine::ApplicationRecord& targetApplication, engine::ApplicationClassEntry& targetEntry)
{
    engine::ObjectRecord* placed = engine::MoveObject(source.array, source.index, target, toIndex);
    if (!placed)
        return kRefused;
    // Another application's file may belong to a CPU whose model bounds the moved values otherwise: the
    // move is kept only if the project it leaves would open, else it is put back before anything is marked.
    if (source.place.application != &targetApplication && !projectKeepsEdit(project)) {
        engine::MoveObject(target, static_cast<int32_t>(placed - *target.rows), source.array, source.index);
        return kRefused;
    }
    // The source's parent, entries and application are not in the arrays the move changed.
    markRemoval(project, source);
    targetApplication.edited = 1;
    markEntry(&targetEntry);
    markKernelFiles(&targetApplication, targetEntry.classType);
    return kDone;
}

} // namespace

int AddCpu(engine::ProjectRecord& project, engine::ConfigRecord& config, const CpuSheetRunner& runSheet)
{
    engine::CpuRecord* cpu = engine::AppendCpu(project);
    if (!cpu)
        return kRefused;
    cpu->expanded = 1;
    const int32_t index = project.cpuCount - 1;
    std::string name;
    std::string description;
    int result = kRefused;
    {
        engine::CpuRecordHandler handler(&cpu->kernel, &config, cpu);
        if (runSheet)
            result = runSheet(handler, name, description);
    }
    // The name is checked again where it is stored, whatever sheet gave it.
    const std::string problem =
        result == kDone ? engine::cpuNameProblem(project, &project.cpus[index], name) : std::string();
    if (!problem.empty())
        platform::messageBox("CPU name cannot " + problem, "CPU", platform::MbOk | platform::MbIconWarning);
    if (result != kDone || !problem.empty() || !engine::textFits(project.cpus[index].name, name)) {
        engine::RemoveCpuAt(project, index);
        return kRefused;
    }
    engine::setText(project.cpus[index].name, name);
    engine::setText(project.cpus[index].description, description);
    // The CPU is kept only if the project it leaves would open.
    if (!projectKeepsEdit(project)) {
        engine::RemoveCpuAt(project, index);
        return kRefused;
    }
    return kDone;
}

void RemoveCpu(engine::ProjectRecord& project, uint32_t cpuItem)
{
    for (int32_t i = 0; project.cpus && i < project.cpuCount; ++i) {
        if (project.cpus[i].treeItem == cpuItem) {
            engine::RemoveCpuAt(project, i);
            return;
        }
    }
}

int AddApplication(engine::ProjectRecord& project, engine::CpuRecord& cpu, const ApplicationSheetRunner& runSheet)
{
    engine::ApplicationRecord* application = engine::AppendApplication(cpu);
    if (!application)
        return kRefused;
    const int32_t index = cpu.applicationCount - 1;
    engine::ResetApplicationRecord(*application, cpu);
    application->expanded = 1;
    application->edited = 1;
    application->kernelHDirty = application->kernelMDirty = 1;
    application->projectHDirty = application->projectCDirty = 1;
    application->isMp = engine::IsCpuMpEnabled(cpu) ? 1 : 0;
    for (int32_t i = cpu.kernel.extendedContextCount; i < engine::kMaxExtendedContexts; ++i)
        application->extendedContext[i] = 0;
    engine::BuildApplicationOptionList(cpu, *application);
    if (cpu.kernel.optionCount > 0 && application->optionCount == 0 && !application->options) {
        // The option list could not be built (its message was shown).
        bool wanted = false;
        for (int32_t i = 0; i < cpu.kernel.optionCount; ++i)
            wanted = wanted || cpu.kernel.options[i].forApplications;
        if (wanted) {
            engine::RemoveApplicationAt(cpu, index);
            return kRefused;
        }
    }
    engine::ProjectManager::AddDependentClassEntries(*application, cpu);
    engine::ProjectManager::UpdateClassEntryFlags(cpu);
    const int result = runSheet ? runSheet(project, cpu.applications[index], cpu) : kRefused;
    if (result != kDone) {
        engine::RemoveApplicationAt(cpu, index);
        return kRefused;
    }
    return kDone;
}

void RemoveApplication(engine::CpuRecord& cpu, uint32_t applicationItem)
{
    for (int32_t i = 0; cpu.applications && i < cpu.applicationCount; ++i) {
        if (cpu.applications[i].treeItem == applicationItem) {
            engine::RemoveApplicationAt(cpu, i);
            return;
        }
    }
}

int AddClassObject(engine::ProjectRecord& project, engine::ApplicationClassEntry& entry, const ObjectEditor* editor)
{
    engine::ClassEntryPlace place;
    if (!engine::FindClassEntryPlace(project, entry, place) || !place.cpu || !place.application)
        return kRefused;
    if (!classAddAllowed(*place.cpu, *place.application, entry, false))
        return kRefused;
    return addObject(project, *place.cpu, *place.application, entry, engine::ObjectsOf(entry), nullptr, editor);
}

int AddChildObject(engine::ProjectRecord& project, engine::ObjectRecord& parent, const ObjectEditor* editor)
{
    engine::ObjectPlace place;
    if (!engine::FindObjectPlace(project, parent, place) || !place.entry || !place.entry->chained || !place.cpu ||
        !place.application)
        return kRefused;
    engine::ApplicationClassEntry& childEntry = *place.entry->chained;
    if (!childAddAllowed(*place.cpu, *place.application, childEntry, parent, false, true))
        return kRefused;
    return addObject(project, *place.cpu, *place.application, childEntry, engine::ChildrenOf(parent), &parent,
                     editor);
}

void DeleteClassObject(engine::ApplicationClassEntry& entry, uint32_t objectItem,
                       engine::ApplicationRecord* application)
{
    const int32_t index = indexOfItem(engine::ObjectsOf(entry), objectItem);
    if (index < 0 || !engine::RemoveClassObjectAt(entry, index))
        return;
    markEntry(&entry);
    markKernelFiles(application, entry.classType);
}

void DeleteChildObject(engine::ProjectRecord& project, engine::ObjectRecord& parent, uint32_t objectItem)
{
    const int32_t index = indexOfItem(engine::ChildrenOf(parent), objectItem);
    if (index < 0)
        return;
    engine::ObjectPlace parentPlace;
    const bool placed = engine::FindObjectPlace(project, parent, parentPlace) && parentPlace.entry;
    if (!engine::RemoveChildObjectAt(parent, index) || !placed)
        return;
    markEntry(parentPlace.entry);
    markEntry(parentPlace.entry->chained);
    markKernelFiles(parentPlace.application, parentPlace.entry->classType);
}

int MoveObjectToClass(engine::ProjectRecord& project, engine::ObjectRecord& object,
                      engine::ApplicationClassEntry& target, const engine::ObjectRecord* position)
{
    Source source;
    engine::ClassEntryPlace targetPlace;
    if (!findSource(project, object, source) || !engine::FindClassEntryPlace(project, target, targetPlace) ||
        !targetPlace.cpu || !targetPlace.application || source.place.entry->classType != target.classType)
        return kRefused;
    const bool sameApplication = targetPlace.application == source.place.application;
    if (!classAddAllowed(*targetPlace.cpu, *targetPlace.application, target, sameApplication))
        return kRefused;
    const engine::ObjectArray to = engine::ObjectsOf(target);
    return finishMove(project, source, to, insertIndex(to, position), *targetPlace.application, target);
}

int MoveObjectToParent(engine::ProjectRecord& project, engine::ObjectRecord& object, engine::ObjectRecord& newParent,
                       const engine::ObjectRecord* position)
{
    Source source;
    engine::ObjectPlace parentPlace;
    if (!findSource(project, object, source) || !engine::FindObjectPlace(project, newParent, parentPlace) ||
        !parentPlace.entry || !parentPlace.entry->chained || !parentPlace.cpu || !parentPlace.application)
        return kRefused;
    engine::ApplicationClassEntry& childEntry = *parentPlace.entry->chained;
    if (source.place.entry->classType != childEntry.classType)
        return kRefused;
    const bool sameApplication = parentPlace.application == source.place.application;
    const bool parentChanges = source.place.parent != &newParent;
    if (!childAddAllowed(*parentPlace.cpu, *parentPlace.application, childEntry, newParent, sameApplication,
                         parentChanges))
        return kRefused;
    const engine::ObjectArray to = engine::ChildrenOf(newParent);
    return finishMove(project, source, to, insertIndex(to, position), *parentPlace.application, childEntry);
}

} // namespace editors
