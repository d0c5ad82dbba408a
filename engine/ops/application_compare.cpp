// Field-by-field comparison of two applications (an edited one and its snapshot) and of whole projects.

#include "engine/ops/attached_objects.h"
#include "engine/ops/cpu_record_handler.h"
#include "engine/ops/project_manager.h"
#include "engine/project/object_keys.h"
#include "engine/records/counted_array.h"
#include "engine/records/text_field.h"

#include <cstring>

namespace engine {

namespace {

bool truthDiffers(int32_t a, int32_t b) { return (a != 0) != (b != 0); }

template <std::size_t N>
bool textsDiffer(const char (&a)[N], const char (&b)[N])
{
    return !sameText(a, b);
}

bool optionDiffers(const ApplicationOption& a, const ApplicationOption& b)
{
    return textsDiffer(a.name, b.name) || a.value != b.value || a.state != b.state || a.overrideBinary != b.overrideBinary;
}

// Field by field, as the file holds them: a text up to its end, never the bytes after it.
bool dataDiffers(int32_t classType, const void* a, const void* b)
{
    if (!a || !b)
        return a != b;
    const auto* x = static_cast<const char*>(a);
    const auto* y = static_cast<const char*>(b);
    for (const ObjectKey& key : objectKeysOfClass(classType)) {
        switch (key.kind) {
        case ObjectKeyKind::Text:
            if (textOf(x + key.offset, kNameSize) != textOf(y + key.offset, kNameSize))
                return true;
            break;
        case ObjectKeyKind::Number:
        case ObjectKeyKind::Flag:
            if (std::memcmp(x + key.offset, y + key.offset, sizeof(int32_t)) != 0)
                return true;
            break;
        case ObjectKeyKind::ContextFlags:
        case ObjectKeyKind::AttributeFlags:
            if (std::memcmp(x + key.offset, y + key.offset, kMaxExtendedContexts * sizeof(int32_t)) != 0)
                return true;
            break;
        }
    }
    return false;
}

bool objectsDiffer(int32_t classType, const ApplicationClassEntry* childEntry, int32_t countA, const ObjectRecord* a,
                   int32_t countB, const ObjectRecord* b);

// Every object, top-level or child, is compared with its MP, trace and enabled flags.
bool objectDiffers(int32_t classType, const ApplicationClassEntry* childEntry, const ObjectRecord& a,
                   const ObjectRecord& b)
{
    if (textsDiffer(a.name, b.name) || textsDiffer(a.description, b.description) ||
        a.dynamicsAllowed != b.dynamicsAllowed || a.numberOfDynamics != b.numberOfDynamics ||
        a.childCount != b.childCount)
        return true;
    if (dataDiffers(classType, a.data, b.data))
        return true;
    if (truthDiffers(a.isMp, b.isMp) || truthDiffers(a.traceObject, b.traceObject) ||
        truthDiffers(a.traceActor, b.traceActor) || truthDiffers(a.enabled, b.enabled))
        return true;
    return objectsDiffer(childEntry ? childEntry->classType : 0, childEntry ? childEntry->chained : nullptr,
                         a.childCount, a.children, b.childCount, b.children);
}

bool objectsDiffer(int32_t classType, const ApplicationClassEntry* childEntry, int32_t countA, const ObjectRecord* a,
                   int32_t countB, const ObjectRecord* b)
{
    const int32_t n = rowCount(countA, a);
    if (n != rowCount(countB, b))
        return true;
    for (int32_t i = 0; i < n; ++i)
        if (objectDiffers(classType, childEntry, a[i], b[i]))
            return true;
    return false;
}

bool classEntryDiffers(const ApplicationClassEntry& a, const ApplicationClassEntry& b)
{
    if (a.classType != b.classType || a.enabled != b.enabled || textsDiffer(a.name, b.name) ||
        a.statistics != b.statistics || a.diagnostics != b.diagnostics || a.systemTrace != b.systemTrace ||
        a.dynamicsAllowed != b.dynamicsAllowed || a.numberOfDynamics != b.numberOfDynamics ||
        a.objectCount != b.objectCount || a.cFileDirty != b.cFileDirty || a.hFileDirty != b.hFileDirty ||
        a.mFileDirty != b.mFileDirty)
        return true;
    if (objectsDiffer(a.classType, a.chained, a.objectCount, a.objects, b.objectCount, b.objects))
        return true;
    if (!a.chained || !b.chained)
        return a.chained != b.chained;
    return classEntryDiffers(*a.chained, *b.chained);
}

bool applicationsDiffer(const ApplicationRecord& a, const ApplicationRecord& b, bool compareLocation)
{
    if (a.kernelHDirty != b.kernelHDirty || a.kernelMDirty != b.kernelMDirty || a.projectHDirty != b.projectHDirty ||
        a.projectCDirty != b.projectCDirty)
        return true;
    if (textsDiffer(a.name, b.name) || textsDiffer(a.description, b.description) ||
        (compareLocation && textsDiffer(a.path, b.path)))
        return true;
    if (a.optionCount != b.optionCount || a.classEntryCount != b.classEntryCount)
        return true;
    if (textsDiffer(a.codePath, b.codePath) || textsDiffer(a.headerPath, b.headerPath) ||
        textsDiffer(a.optionPath, b.optionPath) || textsDiffer(a.reportPath, b.reportPath) ||
        a.userTrace != b.userTrace || a.systemRamAvailable != b.systemRamAvailable ||
        a.systemRamManual != b.systemRamManual || textsDiffer(a.systemRamLabel, b.systemRamLabel) ||
        a.kernelStackAvailable != b.kernelStackAvailable || a.kernelStackManual != b.kernelStackManual ||
        textsDiffer(a.kernelStackLabel, b.kernelStackLabel))
        return true;
    if (a.anchorAddressFixed != b.anchorAddressFixed || a.anchorAddressLabel != b.anchorAddressLabel ||
        a.systemClockRateHz != b.systemClockRateHz || truthDiffers(a.isMp, b.isMp) || a.instances != b.instances)
        return true;
    if (textsDiffer(a.cSourceExtension, b.cSourceExtension) || textsDiffer(a.cHeaderExtension, b.cHeaderExtension) ||
        textsDiffer(a.asmSourceExtension, b.asmSourceExtension) ||
        textsDiffer(a.asmHeaderExtension, b.asmHeaderExtension) ||
        a.generateAssemblerCode != b.generateAssemblerCode || a.generateI2Symbols != b.generateI2Symbols ||
        a.generateCppComments != b.generateCppComments || a.generateUserIsrs != b.generateUserIsrs ||
        a.externConst != b.externConst || textsDiffer(a.nodeName, b.nodeName) || textsDiffer(a.suffix, b.suffix))
        return true;
    if (UserTextsDiffer(a.userTexts, b.userTexts))
        return true;
    if (truthDiffers(a.generateDosFiles, b.generateDosFiles) || a.userVersion != b.userVersion ||
        std::memcmp(a.extendedContext, b.extendedContext, sizeof a.extendedContext) != 0)
        return true;
    const int32_t options = rowCount(a.optionCount, a.options);
    if (options != rowCount(b.optionCount, b.options))
        return true;
    for (int32_t i = 0; i < options; ++i)
        if (optionDiffers(a.options[i], b.options[i]))
            return true;
    const int32_t entries = rowCount(a.classEntryCount, a.classEntries);
    if (entries != rowCount(b.classEntryCount, b.classEntries))
        return true;
    for (int32_t i = 0; i < entries; ++i)
        if (classEntryDiffers(a.classEntries[i], b.classEntries[i]))
            return true;
    return false;
}

}  // namespace

bool ProjectManager::ApplicationsDiffer(const ApplicationRecord& a, const ApplicationRecord& b)
{
    return applicationsDiffer(a, b, true);
}

bool ProjectsDiffer(const ProjectRecord& a, const ProjectRecord& b, bool compareLocations)
{
    if (textsDiffer(a.name, b.name) || textsDiffer(a.description, b.description) ||
        (compareLocations && textsDiffer(a.path, b.path)))
        return true;
    const int32_t cpus = rowCount(a.cpuCount, a.cpus);
    if (cpus != rowCount(b.cpuCount, b.cpus))
        return true;
    for (int32_t c = 0; c < cpus; ++c) {
        const CpuRecord& x = a.cpus[c];
        const CpuRecord& y = b.cpus[c];
        if (textsDiffer(x.name, y.name) || textsDiffer(x.description, y.description) ||
            x.kernel.modelIndex != y.kernel.modelIndex ||
            (compareLocations && textsDiffer(x.kernel.kernelPath, y.kernel.kernelPath)) ||
            CpuRecordHandler::KernelRecordsDiffer(x.kernel, y.kernel))
            return true;
        const int32_t applications = rowCount(x.applicationCount, x.applications);
        if (applications != rowCount(y.applicationCount, y.applications))
            return true;
        for (int32_t i = 0; i < applications; ++i)
            if (applicationsDiffer(x.applications[i], y.applications[i], compareLocations))
                return true;
    }
    return false;
}

}  // namespace engine
