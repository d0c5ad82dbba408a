#include "engine/ops/record_arrays.h"

#include "engine/ops/cpu_record_handler.h"
#include "engine/ops/project_manager.h"
#include "engine/records/counted_array.h"
#include "engine/usertext/user_text_store.h"

#include <cstring>

namespace engine {

namespace {

bool validIndex(int32_t count, const void* rows, int32_t index)
{
    return rows && index >= 0 && index < count;
}

ObjectRecord* insertObject(ObjectArray array, int32_t index)
{
    const int32_t count = rowCount(*array.count, *array.rows);
    return insertRow(*array.count, *array.rows, index < 0 || index > count ? count : index);
}

bool removeObject(ObjectArray array, int32_t index)
{
    if (!validIndex(*array.count, *array.rows, index))
        return false;
    ProjectManager::FreeObject((*array.rows)[index]);
    return removeRow(*array.count, *array.rows, index);
}

// Whether the child array counted at count belongs to the object or one of its descendants.
bool holdsArray(const ObjectRecord& object, const int32_t* count)
{
    if (&object.childCount == count)
        return true;
    for (int32_t i = 0; i < rowCount(object.childCount, object.children); ++i)
        if (holdsArray(object.children[i], count))
            return true;
    return false;
}

}  // namespace

CpuRecord* AppendCpu(ProjectRecord& project)
{
    CpuRecord* cpu = appendRow(project.cpuCount, project.cpus);
    if (cpu)
        CpuRecordHandler::ResetKernelRecord(cpu->kernel, true);
    return cpu;
}

bool RemoveCpuAt(ProjectRecord& project, int32_t index)
{
    if (!validIndex(project.cpuCount, project.cpus, index))
        return false;
    ProjectManager::FreeCpu(project.cpus[index]);
    return removeRow(project.cpuCount, project.cpus, index);
}

ApplicationRecord* AppendApplication(CpuRecord& cpu)
{
    ApplicationRecord* application = appendRow(cpu.applicationCount, cpu.applications);
    if (application)
        RepointUserTextOwners(cpu);
    return application;
}

bool RemoveApplicationAt(CpuRecord& cpu, int32_t index)
{
    if (!validIndex(cpu.applicationCount, cpu.applications, index))
        return false;
    ProjectManager::FreeApplication(cpu.applications[index]);
    removeRow(cpu.applicationCount, cpu.applications, index);
    RepointUserTextOwners(cpu);
    return true;
}

ObjectArray ObjectsOf(ApplicationClassEntry& entry) { return {&entry.objectCount, &entry.objects}; }
ObjectArray ChildrenOf(ObjectRecord& parent) { return {&parent.childCount, &parent.children}; }

ObjectRecord* InsertClassObject(ApplicationClassEntry& entry, int32_t index) { return insertObject(ObjectsOf(entry), index); }
ObjectRecord* InsertChildObject(ObjectRecord& parent, int32_t index) { return insertObject(ChildrenOf(parent), index); }
bool RemoveClassObjectAt(ApplicationClassEntry& entry, int32_t index) { return removeObject(ObjectsOf(entry), index); }
bool RemoveChildObjectAt(ObjectRecord& parent, int32_t index) { return removeObject(ChildrenOf(parent), index); }

ObjectRecord* MoveObject(ObjectArray from, int32_t fromIndex, ObjectArray to, int32_t toIndex)
{
    if (!validIndex(*from.count, *from.rows, fromIndex))
        return nullptr;
    ObjectRecord* rows = *from.rows;
    const ObjectRecord moving = rows[fromIndex];
    if (holdsArray(rows[fromIndex], to.count))
        return nullptr;  // under itself or one of its own descendants
    const int32_t targetCount = rowCount(*to.count, *to.rows);
    if (toIndex < 0 || toIndex > targetCount)
        toIndex = targetCount;

    if (from.count == to.count) {
        // Within one array: rotate in place, no allocation.
        if (toIndex > fromIndex)
            --toIndex;
        if (toIndex < fromIndex)
            std::memmove(static_cast<void*>(rows + toIndex + 1), static_cast<const void*>(rows + toIndex),
                         sizeof(ObjectRecord) * static_cast<std::size_t>(fromIndex - toIndex));
        else if (toIndex > fromIndex)
            std::memmove(static_cast<void*>(rows + fromIndex), static_cast<const void*>(rows + fromIndex + 1),
                         sizeof(ObjectRecord) * static_cast<std::size_t>(toIndex - fromIndex));
        rows[toIndex] = moving;
        return &rows[toIndex];
    }
    // Between arrays: make room in the target first, so running out of memory changes nothing.
    ObjectRecord* placed = insertRow(*to.count, *to.rows, toIndex);
    if (!placed)
        return nullptr;
    *placed = moving;
    removeRow(*from.count, *from.rows, fromIndex);
    return placed;
}

}  // namespace engine
