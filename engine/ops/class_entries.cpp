// An application's class entries kept in step with its CPU's kernel classes, their lookup, and the
// application's option rows built from the CPU's model options.

#include "engine/ops/project_manager.h"
#include "engine/records/counted_array.h"
#include "engine/records/model_option.h"
#include "engine/records/text_field.h"
#include "engine/util/program_title.h"
#include "platform/core/message_service.h"

#include <cstring>

namespace engine {

namespace {

const KernelClassRecord* kernelClassOfType(const KernelRecord& kernel, int32_t classType)
{
    for (int32_t i = 0; i < rowCount(kernel.classCount, kernel.classes); ++i)
        if (kernel.classes[i].classType == classType)
            return &kernel.classes[i];
    return nullptr;
}

bool presentAndSelected(const KernelClassRecord* kernelClass)
{
    return kernelClass && kernelClass->available != 0 && kernelClass->selected != 0;
}

bool attributesCarry(int32_t count, const KernelClassAttribute* attributes, uint32_t bit)
{
    for (int32_t i = 0; i < rowCount(count, attributes); ++i)
        if ((static_cast<uint32_t>(attributes[i].attributeBits) & bit) != 0 ||
            attributesCarry(attributes[i].childCount, attributes[i].children, bit))
            return true;
    return false;
}

// Walks every entry of the application, chained ones included; stops when visit returns true.
template <typename Visit>
ApplicationClassEntry* findEntry(ApplicationRecord& application, Visit visit)
{
    for (int32_t i = 0; i < rowCount(application.classEntryCount, application.classEntries); ++i)
        for (ApplicationClassEntry* entry = &application.classEntries[i]; entry; entry = entry->chained)
            if (visit(*entry))
                return entry;
    return nullptr;
}

void fillNewEntry(ApplicationClassEntry& entry, const KernelRecord& kernel, const KernelClassRecord& kernelClass)
{
    entry = ApplicationClassEntry{};
    entry.classType = kernelClass.classType;
    entry.enabled = presentAndSelected(&kernelClass) ? 1 : 0;
    std::memcpy(entry.name, kernelClass.name, sizeof entry.name);
    entry.name[kNameSize - 1] = 0;
    entry.statistics = kernel.defaultStatistics;
    entry.diagnostics = kernel.defaultDiagnostics;
    entry.systemTrace = kernel.defaultTrace;
    entry.dynamicsAllowed = HasDynamicsAttribute(kernel, kernelClass) ? 1 : 0;
    entry.maxKeyLength = 8;
    entry.cFileDirty = entry.hFileDirty = entry.mFileDirty = 1;
}

// One pass of AddDependentClassEntries: the number of entries added, or -1 when memory ran out.
int addMissingEntries(ApplicationRecord& application, const KernelRecord& kernel)
{
    int added = 0;
    for (int32_t k = 0; k < rowCount(kernel.classCount, kernel.classes); ++k) {
        const KernelClassRecord& kernelClass = kernel.classes[k];
        if (kernelClass.classType == ClassSpecialService)
            continue;
        const std::string_view name = textOf(kernelClass.name);
        if (findEntry(application, [&](const ApplicationClassEntry& e) { return textOf(e.name) == name; }))
            continue;
        const int32_t parentType = parentClassType(kernelClass.classType);
        if (parentType == 0) {
            ApplicationClassEntry* entry = appendRow(application.classEntryCount, application.classEntries);
            if (!entry)
                return -1;
            fillNewEntry(*entry, kernel, kernelClass);
            ++added;
            continue;
        }
        ApplicationClassEntry* parent =
            findEntry(application, [&](const ApplicationClassEntry& e) { return e.classType == parentType; });
        // A parent without an entry yet is served by a later pass. A parent that already chains another
        // entry keeps it: replacing it would drop that entry's objects.
        if (!parent || parent->chained)
            continue;
        ApplicationClassEntry* entry = allocateRows<ApplicationClassEntry>(1);
        if (!entry)
            return -1;
        fillNewEntry(*entry, kernel, kernelClass);
        parent->chained = entry;
        ++added;
    }
    return added;
}

}  // namespace

bool HasDynamicsAttribute(const KernelRecord& kernel, const KernelClassRecord& kernelClass)
{
    for (int bit = 0; bit < kAttributeBitCount; ++bit)
        if (textOf(kernel.attributeBitNames[bit]) == "ATTR_DYNAMICS")
            return attributesCarry(kernelClass.attributeCount, kernelClass.attributes, 1u << bit);
    return false;
}

void ProjectManager::AddDependentClassEntries(ApplicationRecord& application, const CpuRecord& cpu)
{
    // Each adding pass adds at least one of the kernel's classes, so classCount + 1 passes suffice.
    const int32_t passes = rowCount(cpu.kernel.classCount, cpu.kernel.classes) + 1;
    for (int32_t pass = 0; pass < passes; ++pass)
        if (addMissingEntries(application, cpu.kernel) <= 0)
            return;
}

void ProjectManager::UpdateClassEntryFlags(CpuRecord& cpu)
{
    for (int32_t a = 0; a < rowCount(cpu.applicationCount, cpu.applications); ++a)
        findEntry(cpu.applications[a], [&](ApplicationClassEntry& entry) {
            const int32_t enabled = presentAndSelected(kernelClassOfType(cpu.kernel, entry.classType)) ? 1 : 0;
            if (entry.enabled != enabled)
                entry.enabled = enabled;
            return false;
        });
}

ApplicationClassEntry* ProjectManager::FindClassEntryByName(std::string_view name, ApplicationRecord& application)
{
    for (int32_t i = 0; i < rowCount(application.classEntryCount, application.classEntries); ++i)
        if (ApplicationClassEntry* found = FindChainedClassEntryByName(name, &application.classEntries[i]))
            return found;
    return nullptr;
}

ApplicationClassEntry* FindChainedClassEntryByName(std::string_view name, ApplicationClassEntry* entry)
{
    for (; entry; entry = entry->chained)
        if (textOf(entry->name) == name)
            return entry;
    return nullptr;
}

bool BuildApplicationOptionList(const CpuRecord& cpu, ApplicationRecord& application)
{
    freeRows(application.optionCount, application.options);
    const KernelRecord& kernel = cpu.kernel;
    const int32_t rows = rowCount(kernel.optionCount, kernel.options);
    int32_t count = 0;
    for (int32_t i = 0; i < rows; ++i)
        if (kernel.options[i].forApplications)
            ++count;
    if (count == 0)
        return true;
    ApplicationOption* options = allocateRows<ApplicationOption>(count);
    if (!options) {
        platform::messageBox("Error allocating memory for application model options", ProgramTitle());
        return true;
    }
    int32_t n = 0;
    for (int32_t i = 0; i < rows; ++i) {
        const ModelOptionRow& row = kernel.options[i];
        if (!row.forApplications)
            continue;
        ApplicationOption& option = options[n++];
        setText(option.name, textOf(row.sectionName));  // options are matched by their section name
        option.value = carriesNumber(row) ? optionStartValue(row) : 0;
        option.state = carriesNumber(row) || optionStartsEnabled(row) ? 1 : 0;
        option.overrideBinary = 0;
    }
    application.options = options;
    application.optionCount = count;
    return true;
}

bool BuildApplicationOptionListAt(CpuRecord& cpu, int32_t index)
{
    if (index < 0 || index >= rowCount(cpu.applicationCount, cpu.applications))
        return false;
    return BuildApplicationOptionList(cpu, cpu.applications[index]);
}

}  // namespace engine
