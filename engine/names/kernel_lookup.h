#pragma once
// Questions about a CPU's kernel record: its kernel type and feature bits, its kernel classes and their
// attributes.

#include <cstdint>
#include <string_view>

#include "engine/records/records.h"

namespace engine {

// Variant and feature bits shared by the model's "FWMask" and the kernel's variant mask.
constexpr int32_t kVariantSingleStack = 1;
constexpr int32_t kVariantMultiStack = 2;
constexpr int32_t kVariantMultiprocessor = 4;

// The kernel type: the low four bits of the model's "Mode", or its "Model Number" when they are 15; 0
// without a CPU.
int32_t GetCpuKernelType(const CpuRecord* cpu);
// True when the CPU offers the placement option of the object editors.
bool CpuSupportsPlacementOption(const CpuRecord* cpu);
// Bits 0x10, 0x20, 0x40 and 0x80 of the kernel-type word ("Mode"); false without a CPU.
bool CpuHasTypeFlag10(const CpuRecord* cpu);
bool CpuHasTypeFlag20(const CpuRecord* cpu);
bool CpuHasTypeFlag40(const CpuRecord* cpu);
bool CpuHasTypeFlag80(const CpuRecord* cpu);
// Bit value 4 in both the model's feature word and the kernel's variant mask.
bool IsCpuMpEnabled(const CpuRecord& cpu);

// The first kernel class of the CPU (of the kernel record) with that class type number, or null.
KernelClassRecord* FindKernelClassByType(const CpuRecord* cpu, int32_t classType);
KernelClassRecord* FindKernelClassByType(const KernelRecord& kernel, int32_t classType);
KernelClassRecord* FindKernelClassByTypeRev(int32_t classType, const CpuRecord* cpu);
// The first attribute (searched class by class, depth first) whose Tag equals the text, or null.
KernelClassAttribute* FindClassAttributeByTag(const CpuRecord* cpu, std::string_view tag);

// True for every class type but 1 (Level).
bool IsKindOtherThanOne(int32_t classType);

} // namespace engine
