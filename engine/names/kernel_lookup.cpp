#include "engine/names/kernel_lookup.h"

#include "engine/names/record_arrays.h"
#include "engine/records/text_field.h"

namespace engine {

namespace {

constexpr int kMaxAttributeDepth = 16;

bool TypeFlag(const CpuRecord* cpu, int32_t bit) { return cpu && (cpu->kernel.mode & bit) != 0; }

KernelClassAttribute* FindTagIn(RecordSpan<KernelClassAttribute> attributes, std::string_view tag, int depth)
{
    if (depth >= kMaxAttributeDepth)
        return nullptr;
    for (KernelClassAttribute& attribute : attributes) {
        if (textOf(attribute.tag) == tag)
            return &attribute;
        if (KernelClassAttribute* found = FindTagIn(Attributes(attribute), tag, depth + 1))
            return found;
    }
    return nullptr;
}

} // namespace

int32_t GetCpuKernelType(const CpuRecord* cpu)
{
    if (!cpu)
        return 0;
    const int32_t type = cpu->kernel.mode & 0xF;
    return type == 15 ? cpu->kernel.modelNumber : type;
}

bool CpuSupportsPlacementOption(const CpuRecord* cpu)
{
    switch (GetCpuKernelType(cpu)) {
    case 2: case 3: case 7: case 8: case 14: case 16: case 21:
        return true;
    default:
        return cpu && cpu->kernel.enableAlignment != 0;
    }
}

bool CpuHasTypeFlag10(const CpuRecord* cpu) { return TypeFlag(cpu, 0x10); }
bool CpuHasTypeFlag20(const CpuRecord* cpu) { return TypeFlag(cpu, 0x20); }
bool CpuHasTypeFlag40(const CpuRecord* cpu) { return TypeFlag(cpu, 0x40); }
bool CpuHasTypeFlag80(const CpuRecord* cpu) { return TypeFlag(cpu, 0x80); }

bool IsCpuMpEnabled(const CpuRecord& cpu)
{
    return (cpu.kernel.featureMask & kVariantMultiprocessor) != 0 &&
           (cpu.kernel.framework & kVariantMultiprocessor) != 0;
}

KernelClassRecord* FindKernelClassByType(const CpuRecord* cpu, int32_t classType)
{
    return cpu ? FindKernelClassByType(cpu->kernel, classType) : nullptr;
}

KernelClassRecord* FindKernelClassByType(const KernelRecord& kernel, int32_t classType)
{
    for (KernelClassRecord& kernelClass : KernelClasses(kernel)) {
        if (kernelClass.classType == classType)
            return &kernelClass;
    }
    return nullptr;
}

KernelClassRecord* FindKernelClassByTypeRev(int32_t classType, const CpuRecord* cpu)
{
    return FindKernelClassByType(cpu, classType);
}

KernelClassAttribute* FindClassAttributeByTag(const CpuRecord* cpu, std::string_view tag)
{
    if (!cpu || tag.empty())
        return nullptr;
    for (KernelClassRecord& kernelClass : KernelClasses(cpu->kernel)) {
        if (KernelClassAttribute* found = FindTagIn(Attributes(kernelClass), tag, 0))
            return found;
    }
    return nullptr;
}

bool IsKindOtherThanOne(int32_t classType) { return classType != ClassLevel; }

} // namespace engine
