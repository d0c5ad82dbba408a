// Reset, free, deep copy, restore and comparison of kernel records.

#include "engine/ops/cpu_record_handler.h"
#include "engine/records/counted_array.h"
#include "engine/records/text_field.h"

#include <cstring>

namespace engine {

namespace {

// ---- free

void freeAttributes(int32_t& count, KernelClassAttribute*& attributes);

void freeAttribute(KernelClassAttribute& attribute)
{
    freeRows(attribute.serviceCount, attribute.services);
    freeRows(attribute.needsCount, attribute.needs);
    freeAttributes(attribute.childCount, attribute.children);
}

void freeAttributes(int32_t& count, KernelClassAttribute*& attributes)
{
    for (int32_t i = 0; i < rowCount(count, attributes); ++i)
        freeAttribute(attributes[i]);
    freeRows(count, attributes);
}

void freeClass(KernelClassRecord& kernelClass)
{
    freeAttributes(kernelClass.attributeCount, kernelClass.attributes);
    freeRows(kernelClass.serviceCount, kernelClass.services);
    freeRows(kernelClass.needsCount, kernelClass.needs);
}

// ---- deep copy (see cloneRows for the contract of each row copier)

bool cloneAttribute(KernelClassAttribute& copy, const KernelClassAttribute& source);

bool cloneAttributeArray(int32_t srcCount, const KernelClassAttribute* src, int32_t& count,
                         KernelClassAttribute*& rows)
{
    return cloneRows(srcCount, src, count, rows, cloneAttribute, freeAttribute);
}

bool cloneAttribute(KernelClassAttribute& copy, const KernelClassAttribute& source)
{
    copy.serviceCount = copy.needsCount = copy.childCount = 0;
    copy.services = nullptr;
    copy.needs = nullptr;
    copy.children = nullptr;
    return copyPlainRows(source.serviceCount, source.services, copy.serviceCount, copy.services) &&
           copyPlainRows(source.needsCount, source.needs, copy.needsCount, copy.needs) &&
           cloneAttributeArray(source.childCount, source.children, copy.childCount, copy.children);
}

bool cloneClass(KernelClassRecord& copy, const KernelClassRecord& source)
{
    copy.attributeCount = copy.serviceCount = copy.needsCount = 0;
    copy.attributes = nullptr;
    copy.services = nullptr;
    copy.needs = nullptr;
    return copyPlainRows(source.serviceCount, source.services, copy.serviceCount, copy.services) &&
           copyPlainRows(source.needsCount, source.needs, copy.needsCount, copy.needs) &&
           cloneAttributeArray(source.attributeCount, source.attributes, copy.attributeCount, copy.attributes);
}

// ---- comparison

template <std::size_t N>
bool textsDiffer(const char (&a)[N], const char (&b)[N])
{
    return !sameText(a, b);
}

// Rows without pointers or padding compare byte for byte.
template <typename T>
bool plainRowsDiffer(int32_t countA, const T* a, int32_t countB, const T* b)
{
    const int32_t n = rowCount(countA, a);
    if (n != rowCount(countB, b))
        return true;
    return n > 0 && std::memcmp(a, b, sizeof(T) * static_cast<std::size_t>(n)) != 0;
}

bool scriptsDiffer(const KernelRecord& a, const KernelRecord& b)
{
    const int32_t n = rowCount(a.scriptCount, a.scripts);
    if (n != rowCount(b.scriptCount, b.scripts))
        return true;
    for (int32_t i = 0; i < n; ++i)
        if (textsDiffer(a.scripts[i].name, b.scripts[i].name) || textsDiffer(a.scripts[i].command, b.scripts[i].command))
            return true;
    return false;
}

bool extendedContextsDiffer(const ExtendedContextRow& a, const ExtendedContextRow& b)
{
    return textsDiffer(a.name, b.name) || textsDiffer(a.structName, b.structName) ||
           textsDiffer(a.variableName, b.variableName) || textsDiffer(a.description, b.description) ||
           textsDiffer(a.abbreviation, b.abbreviation) || a.taskDefault != b.taskDefault ||
           a.applicationDefault != b.applicationDefault;
}

bool taskAttributesDiffer(const TaskAttributeRow& a, const TaskAttributeRow& b)
{
    return textsDiffer(a.name, b.name) || textsDiffer(a.enabledName, b.enabledName) ||
           textsDiffer(a.disabledName, b.disabledName) || textsDiffer(a.maskName, b.maskName) ||
           a.defaultEnable != b.defaultEnable;
}

// The texts and defaults that follow the kernel path (everything up to the option rows).
bool headDiffers(const KernelRecord& a, const KernelRecord& b)
{
    if (textsDiffer(a.modelVersion, b.modelVersion) || textsDiffer(a.osName, b.osName) ||
        textsDiffer(a.modelName, b.modelName) || textsDiffer(a.codeGeneratorLibrary, b.codeGeneratorLibrary))
        return true;
    const int32_t wordsA[] = {a.minKernelStackSize, a.maxKernelStackSize, a.defaultAlignment, a.hasCeiling,
                              a.hasOrigin, a.minIsrLevel, a.maxIsrLevel, a.minIsrVector, a.maxIsrVector, a.mode,
                              a.taskStackModulus, a.taskStackModulus2, a.featureMask, a.maxQueueWidth,
                              a.maxQueueDepth, a.externConst, a.outputTaskAttributes, a.generateDosFiles,
                              a.defaultServiceLocal, a.defaultServiceOutgoing, a.defaultServiceIncoming,
                              a.scalableKernel, a.bindingNumber, a.extendedContextCount, a.enableStatistics,
                              a.enableTrace, a.enableDiagnostics, a.defaultStatistics, a.defaultTrace,
                              a.defaultDiagnostics, a.minTaskStackSize, a.maxTaskStackSize, a.defaultFramework,
                              a.defaultSystemRam, a.binaryDistribution, a.reserved, a.modelNumber,
                              a.taskAttributeCount, a.enableAlignment};
    const int32_t wordsB[] = {b.minKernelStackSize, b.maxKernelStackSize, b.defaultAlignment, b.hasCeiling,
                              b.hasOrigin, b.minIsrLevel, b.maxIsrLevel, b.minIsrVector, b.maxIsrVector, b.mode,
                              b.taskStackModulus, b.taskStackModulus2, b.featureMask, b.maxQueueWidth,
                              b.maxQueueDepth, b.externConst, b.outputTaskAttributes, b.generateDosFiles,
                              b.defaultServiceLocal, b.defaultServiceOutgoing, b.defaultServiceIncoming,
                              b.scalableKernel, b.bindingNumber, b.extendedContextCount, b.enableStatistics,
                              b.enableTrace, b.enableDiagnostics, b.defaultStatistics, b.defaultTrace,
                              b.defaultDiagnostics, b.minTaskStackSize, b.maxTaskStackSize, b.defaultFramework,
                              b.defaultSystemRam, b.binaryDistribution, b.reserved, b.modelNumber,
                              b.taskAttributeCount, b.enableAlignment};
    static_assert(sizeof wordsA == sizeof wordsB);
    if (std::memcmp(wordsA, wordsB, sizeof wordsA) != 0)
        return true;
    if (textsDiffer(a.sizeUnitName, b.sizeUnitName) || textsDiffer(a.cSourceExtension, b.cSourceExtension) ||
        textsDiffer(a.cHeaderExtension, b.cHeaderExtension) || textsDiffer(a.asmSourceExtension, b.asmSourceExtension) ||
        textsDiffer(a.asmHeaderExtension, b.asmHeaderExtension) ||
        textsDiffer(a.contextIncludeFile, b.contextIncludeFile))
        return true;
    for (int i = 0; i < kMaxExtendedContexts; ++i)
        if (extendedContextsDiffer(a.extendedContexts[i], b.extendedContexts[i]))
            return true;
    for (int i = 0; i < kMaxTaskAttributes; ++i)
        if (taskAttributesDiffer(a.taskAttributes[i], b.taskAttributes[i]))
            return true;
    return scriptsDiffer(a, b);
}

bool attributesDiffer(int32_t countA, const KernelClassAttribute* a, int32_t countB, const KernelClassAttribute* b);

bool attributeDiffers(const KernelClassAttribute& a, const KernelClassAttribute& b)
{
    return textsDiffer(a.name, b.name) || textsDiffer(a.tag, b.tag) || a.attributeBits != b.attributeBits ||
           a.size != b.size || a.alignment != b.alignment || a.variantMask != b.variantMask ||
           a.shown != b.shown || a.available != b.available || a.selected != b.selected ||
           plainRowsDiffer(a.serviceCount, a.services, b.serviceCount, b.services) ||
           attributesDiffer(a.childCount, a.children, b.childCount, b.children) ||
           plainRowsDiffer(a.needsCount, a.needs, b.needsCount, b.needs);
}

bool attributesDiffer(int32_t countA, const KernelClassAttribute* a, int32_t countB, const KernelClassAttribute* b)
{
    const int32_t n = rowCount(countA, a);
    if (n != rowCount(countB, b))
        return true;
    for (int32_t i = 0; i < n; ++i)
        if (attributeDiffers(a[i], b[i]))
            return true;
    return false;
}

bool classDiffers(const KernelClassRecord& a, const KernelClassRecord& b)
{
    return textsDiffer(a.name, b.name) || textsDiffer(a.pluralName, b.pluralName) || textsDiffer(a.tag, b.tag) ||
           a.classType != b.classType || a.size != b.size || a.sizeInRom != b.sizeInRom ||
           a.statisticsSize != b.statisticsSize || a.diagnosticsSize != b.diagnosticsSize ||
           a.traceSize != b.traceSize || a.maximum != b.maximum || a.maximumPerParent != b.maximumPerParent ||
           a.variantMask != b.variantMask || a.available != b.available || a.selected != b.selected ||
           textsDiffer(a.rootName, b.rootName) || textsDiffer(a.attrib0, b.attrib0) ||
           textsDiffer(a.attrib1, b.attrib1) || textsDiffer(a.headerRoot, b.headerRoot) ||
           textsDiffer(a.compressedName, b.compressedName) || a.pluralEs != b.pluralEs ||
           plainRowsDiffer(a.serviceCount, a.services, b.serviceCount, b.services) ||
           attributesDiffer(a.attributeCount, a.attributes, b.attributeCount, b.attributes) ||
           plainRowsDiffer(a.needsCount, a.needs, b.needsCount, b.needs);
}

}  // namespace

void CpuRecordHandler::FreeKernelRecord(KernelRecord& record)
{
    freeRows(record.optionCount, record.options);
    freeRows(record.scriptCount, record.scripts);
    for (int32_t i = 0; i < rowCount(record.classCount, record.classes); ++i)
        freeClass(record.classes[i]);
    freeRows(record.classCount, record.classes);
}

void CpuRecordHandler::ResetKernelRecord(KernelRecord& record, bool fresh)
{
    if (fresh)
        std::memset(static_cast<void*>(&record), 0, sizeof record);
    else
        FreeKernelRecord(record);

    record.modelIndex = 0;
    setText(record.modelVersion, "");
    setText(record.modelName, "");
    setText(record.codeGeneratorLibrary, "");
    record.minKernelStackSize = 0;
    record.maxKernelStackSize = 1024;
    record.defaultAlignment = 0;
    record.hasCeiling = 0;
    record.hasOrigin = 0;
    record.minIsrLevel = record.maxIsrLevel = record.minIsrVector = record.maxIsrVector = 0;
    record.mode = 0;
    setText(record.sizeUnitName, "bytes");
    record.featureMask = 0;
    record.defaultServiceLocal = 1;
    record.defaultServiceOutgoing = 0;
    record.defaultServiceIncoming = 0;
    record.scalableKernel = 1;
    record.extendedContextCount = 0;
    std::memset(record.extendedContexts, 0, sizeof record.extendedContexts);
    record.enableStatistics = 1;
    record.enableTrace = 1;
    record.minTaskStackSize = 0;
    record.maxTaskStackSize = 1024;
    record.reserved = 0;
    record.taskAttributeCount = 0;
    std::memset(record.taskAttributes, 0, sizeof record.taskAttributes);
    std::memset(record.attributeBitNames, 0, sizeof record.attributeBitNames);
    record.edited = 0;
    record.hFileDirty = 0;
    record.mFileDirty = 0;
    record.writable = 1;
    record.nameSize = 8;
    record.enableKernelClock = 1;
    record.framework = record.defaultFramework;
}

bool CpuRecordHandler::CloneKernelRecord(KernelRecord& copy, const KernelRecord& source)
{
    if (&copy == &source)
        return true;
    copy = source;
    copy.optionCount = copy.classCount = copy.scriptCount = 0;
    copy.options = nullptr;
    copy.classes = nullptr;
    copy.scripts = nullptr;
    if (!copyPlainRows(source.optionCount, source.options, copy.optionCount, copy.options) ||
        !cloneRows(source.classCount, source.classes, copy.classCount, copy.classes, cloneClass, freeClass)) {
        FreeKernelRecord(copy);
        return false;
    }
    // The scripts are a convenience list: without memory for them the copy still stands, without scripts.
    copyPlainRows(source.scriptCount, source.scripts, copy.scriptCount, copy.scripts);
    return true;
}

bool CpuRecordHandler::AssignKernelRecord(KernelRecord& target, const KernelRecord& source)
{
    if (&target == &source)
        return true;
    KernelRecord copy;
    if (!CloneKernelRecord(copy, source))
        return false;
    copy.modelIndex = target.modelIndex;
    std::memcpy(copy.kernelPath, target.kernelPath, sizeof copy.kernelPath);
    FreeKernelRecord(target);
    target = copy;
    return true;
}

bool CpuRecordHandler::KernelRecordsDiffer(const KernelRecord& a, const KernelRecord& b)
{
    if (headDiffers(a, b))
        return true;
    if (rowCount(a.optionCount, a.options) != rowCount(b.optionCount, b.options) ||
        rowCount(a.classCount, a.classes) != rowCount(b.classCount, b.classes))
        return true;
    for (int i = 0; i < kAttributeBitCount; ++i)
        if (textsDiffer(a.attributeBitNames[i], b.attributeBitNames[i]))
            return true;
    if (a.hFileDirty != b.hFileDirty || a.mFileDirty != b.mFileDirty || a.writable != b.writable ||
        a.nameSize != b.nameSize || a.enableKernelClock != b.enableKernelClock || a.framework != b.framework)
        return true;
    if (plainRowsDiffer(a.optionCount, a.options, b.optionCount, b.options))
        return true;
    for (int32_t i = 0; i < rowCount(a.classCount, a.classes); ++i)
        if (classDiffers(a.classes[i], b.classes[i]))
            return true;
    return false;
}

}  // namespace engine
