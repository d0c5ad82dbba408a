// Deep copies of applications, class entries and object trees, and the restore of a saved copy.

#include "engine/ops/attached_objects.h"
#include "engine/ops/project_manager.h"
#include "engine/records/counted_array.h"

#include <cstring>

namespace engine {

namespace {

// A copy of source's data block sized by the class, or null when the class has none.
bool cloneObjectData(int32_t classType, const ObjectRecord& source, ObjectRecord& copy)
{
    copy.data = nullptr;
    const int32_t size = objectDataSize(classType);
    if (!source.data || size <= 0)
        return true;
    copy.data = std::malloc(static_cast<std::size_t>(size));
    if (!copy.data)
        return false;
    std::memcpy(copy.data, source.data, static_cast<std::size_t>(size));
    return true;
}

// Copies one object; its children belong to childEntry (the chained entry), which may be null.
bool cloneObject(int32_t classType, const ApplicationClassEntry* childEntry, ObjectRecord& copy,
                 const ObjectRecord& source)
{
    copy.data = nullptr;
    copy.childCount = 0;
    copy.children = nullptr;
    if (!cloneObjectData(classType, source, copy))
        return false;
    const int32_t childType = childEntry ? childEntry->classType : 0;
    const ApplicationClassEntry* grandChildEntry = childEntry ? childEntry->chained : nullptr;
    return cloneRows(
        source.childCount, source.children, copy.childCount, copy.children,
        [&](ObjectRecord& c, const ObjectRecord& s) { return cloneObject(childType, grandChildEntry, c, s); },
        ProjectManager::FreeObject);
}

bool cloneClassEntry(ApplicationClassEntry& copy, const ApplicationClassEntry& source)
{
    copy.objectCount = 0;
    copy.objects = nullptr;
    copy.chained = nullptr;
    const bool objectsCopied = cloneRows(
        source.objectCount, source.objects, copy.objectCount, copy.objects,
        [&](ObjectRecord& c, const ObjectRecord& s) { return cloneObject(source.classType, source.chained, c, s); },
        ProjectManager::FreeObject);
    if (!objectsCopied)
        return false;
    if (!source.chained)
        return true;
    ApplicationClassEntry* chained = allocateRows<ApplicationClassEntry>(1);
    if (!chained)
        return false;
    *chained = *source.chained;
    if (!cloneClassEntry(*chained, *source.chained)) {
        ProjectManager::FreeClassEntry(*chained, 1);
        return false;
    }
    copy.chained = chained;
    return true;
}

void freeTopEntry(ApplicationClassEntry& entry)
{
    ProjectManager::FreeClassEntry(entry, 0);
}

}  // namespace

bool ProjectManager::CloneObjectTree(const ApplicationClassEntry& entry, ObjectRecord& copy, const ObjectRecord& source)
{
    copy = source;
    if (!cloneObject(entry.classType, entry.chained, copy, source)) {
        FreeObject(copy);
        return false;
    }
    return true;
}

bool ProjectManager::CloneApplication(const CpuRecord& cpu, ApplicationRecord& copy, const ApplicationRecord& source)
{
    (void)cpu;  // blocks are copied at the size of their class; no defaults are needed
    if (&copy == &source)
        return true;
    copy = source;
    copy.optionCount = copy.classEntryCount = 0;
    copy.options = nullptr;
    copy.classEntries = nullptr;
    copy.userTexts = nullptr;
    copy.file = nullptr;
    const bool copied =
        CopyUserTexts(source, copy) && CopySectionedFile(source.file, copy.file) &&
        copyPlainRows(source.optionCount, source.options, copy.optionCount, copy.options) &&
        cloneRows(source.classEntryCount, source.classEntries, copy.classEntryCount, copy.classEntries,
                  cloneClassEntry, freeTopEntry);
    if (!copied) {
        FreeApplication(copy);
        return false;
    }
    return true;
}

bool ProjectManager::AssignApplication(const CpuRecord& cpu, ApplicationRecord& target, const ApplicationRecord& source)
{
    if (&target == &source)
        return true;
    ApplicationRecord copy;
    if (!CloneApplication(cpu, copy, source))
        return false;
    // Run-time state of the target stays: its footprint and its regeneration mark.
    copy.footprint = target.footprint;
    copy.regenerate = target.regenerate;
    FreeApplication(target);
    target = copy;
    RepointUserTexts(target);
    return true;
}

}  // namespace engine
