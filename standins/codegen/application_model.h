#pragma once
// What the generated files describe of one application: its class entries (top-level entries and the
// entries chained below them) with the enabled objects of each, flattened into rows.

#include "engine/records/records.h"

#include <string>
#include <vector>

namespace codegen {

struct ObjectRow {
    const engine::ObjectRecord* object;
    int parent;  // row of the parent object in the class the entry is chained to; -1 at the top
};

struct ClassTable {
    const engine::ApplicationClassEntry* entry;
    int32_t classType;
    std::string name;  // the entry's class name
    std::string tag;   // the kernel class's tag ("" when the CPU's kernel has no such class)
    int depth;         // 0 for a top-level entry, 1 for the entry chained to it, ...
    std::vector<ObjectRow> rows;
};

struct ApplicationModel {
    std::vector<ClassTable> classes;  // every entry, enabled or not, in application order
    // The enabled entry of a class type, or null.
    const ClassTable* enabledClass(int32_t classType) const;
};

// Limits that keep a walk over damaged records finite.
constexpr int kMaxChainDepth = 8;
constexpr int32_t kMaxRecordCount = 1 << 20;

ApplicationModel buildApplicationModel(const engine::CpuRecord& cpu, const engine::ApplicationRecord& application);

// The kernel class of a type in the CPU's kernel record, or null.
const engine::KernelClassRecord* findKernelClass(const engine::CpuRecord& cpu, int32_t classType);

// A counted array's usable length: 0 for a null block or a count out of range.
template <typename T>
int32_t usableCount(int32_t count, const T* block)
{
    return (block && count > 0 && count <= kMaxRecordCount) ? count : 0;
}

} // namespace codegen
