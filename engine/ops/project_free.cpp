// Resetting and freeing the project tree. Every walk zeroes each count with its pointer.

#include "engine/ops/attached_objects.h"
#include "engine/ops/cpu_record_handler.h"
#include "engine/ops/project_manager.h"
#include "engine/records/counted_array.h"
#include "engine/records/text_field.h"

namespace engine {

namespace {

void freeObjectRows(int32_t& count, ObjectRecord*& objects)
{
    for (int32_t i = 0; i < rowCount(count, objects); ++i)
        ProjectManager::FreeObject(objects[i]);
    freeRows(count, objects);
}

}  // namespace

void ProjectManager::FreeObjectTree(ObjectRecord& object)
{
    freeObjectRows(object.childCount, object.children);
}

void ProjectManager::FreeObject(ObjectRecord& object)
{
    std::free(object.data);
    object.data = nullptr;
    FreeObjectTree(object);
}

void ProjectManager::FreeClassEntry(ApplicationClassEntry& entry, int depth)
{
    freeObjectRows(entry.objectCount, entry.objects);
    if (entry.chained) {
        ApplicationClassEntry* chained = entry.chained;
        entry.chained = nullptr;
        FreeClassEntry(*chained, depth + 1);
    }
    if (depth >= 1)
        std::free(&entry);
}

void ProjectManager::FreeApplication(ApplicationRecord& application)
{
    freeRows(application.optionCount, application.options);
    for (int32_t i = 0; i < rowCount(application.classEntryCount, application.classEntries); ++i)
        FreeClassEntry(application.classEntries[i], 0);
    freeRows(application.classEntryCount, application.classEntries);
    DeleteUserTexts(application.userTexts);
    DeleteSectionedFile(application.file);
}

void ProjectManager::FreeCpu(CpuRecord& cpu)
{
    CpuRecordHandler::FreeKernelRecord(cpu.kernel);
    for (int32_t i = 0; i < rowCount(cpu.applicationCount, cpu.applications); ++i)
        FreeApplication(cpu.applications[i]);
    freeRows(cpu.applicationCount, cpu.applications);
    DeleteSectionedFile(cpu.modelFile);
    DeleteSectionedFile(cpu.kernelFile);
}

void ProjectManager::FreeProject(ProjectRecord& project)
{
    for (int32_t i = 0; i < rowCount(project.cpuCount, project.cpus); ++i)
        FreeCpu(project.cpus[i]);
    freeRows(project.cpuCount, project.cpus);
    DeleteSectionedFile(project.file);
}

void ProjectManager::ResetProject(ProjectRecord& project, bool keep)
{
    if (!keep)
        FreeProject(project);
    project.treeItem = 0;
    project.expanded = 1;
    project.selected = 0;
    project.edited = 0;
    setText(project.name, "");
    setText(project.description, "");
    setText(project.path, "");
    project.cpuCount = 0;
    project.cpus = nullptr;
    project.file = nullptr;
}

void ProjectManager::InitApplicationRecord(ApplicationRecord& application)
{
    application.footprint.Clear();
}

}  // namespace engine
