#include "application_model.h"

#include "c_text.h"

namespace codegen {

namespace {

// Collects the enabled objects of each depth: the objects of the top-level entry at depth 0, their
// children (the chained entry's objects) at depth 1, and so on.
void collectRows(const engine::ObjectRecord* objects, int32_t count, int depth, int parent,
                 std::vector<std::vector<ObjectRow>>& perDepth)
{
    if (depth >= static_cast<int>(perDepth.size()))
        return;
    const int32_t usable = usableCount(count, objects);
    for (int32_t i = 0; i < usable; ++i) {
        const engine::ObjectRecord& object = objects[i];
        if (!object.enabled)
            continue;
        const int row = static_cast<int>(perDepth[depth].size());
        perDepth[depth].push_back({&object, parent});
        collectRows(object.children, object.childCount, depth + 1, row, perDepth);
    }
}

} // namespace

const engine::KernelClassRecord* findKernelClass(const engine::CpuRecord& cpu, int32_t classType)
{
    const int32_t count = usableCount(cpu.kernel.classCount, cpu.kernel.classes);
    for (int32_t i = 0; i < count; ++i) {
        if (cpu.kernel.classes[i].classType == classType)
            return &cpu.kernel.classes[i];
    }
    return nullptr;
}

const ClassTable* ApplicationModel::enabledClass(int32_t classType) const
{
    for (const ClassTable& table : classes) {
        if (table.classType == classType && table.entry->enabled)
            return &table;
    }
    return nullptr;
}

ApplicationModel buildApplicationModel(const engine::CpuRecord& cpu, const engine::ApplicationRecord& application)
{
    ApplicationModel model;
    const int32_t entryCount = usableCount(application.classEntryCount, application.classEntries);
    for (int32_t i = 0; i < entryCount; ++i) {
        const engine::ApplicationClassEntry& top = application.classEntries[i];
        std::vector<std::vector<ObjectRow>> perDepth(kMaxChainDepth);
        collectRows(top.objects, top.objectCount, 0, -1, perDepth);
        int depth = 0;
        for (const engine::ApplicationClassEntry* entry = &top; entry && depth < kMaxChainDepth;
             entry = entry->chained, ++depth) {
            ClassTable table{entry, entry->classType, fieldText(entry->name), {}, depth, {}};
            if (const engine::KernelClassRecord* kernelClass = findKernelClass(cpu, entry->classType))
                table.tag = fieldText(kernelClass->tag);
            // Only objects of enabled entries are described; children of a disabled entry's objects
            // cannot be placed either.
            if (entry->enabled)
                table.rows = std::move(perDepth[depth]);
            model.classes.push_back(std::move(table));
            if (!entry->enabled)
                break;
        }
    }
    return model;
}

} // namespace codegen
