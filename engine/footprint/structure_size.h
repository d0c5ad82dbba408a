#pragma once
// Sizes of the model's types and structures under the current expression symbols. A structure is laid
// out member by member: a member whose condition holds takes its type's size times its element count, is
// placed at the next multiple of min(its type's size, the model's alignment), and the total is rounded
// to min(the largest member alignment, the model's alignment). Sizes are remembered for the life of the
// sizer, so make a new one after the symbols change.
//
// A structure that contains itself (directly or through other structures) counts as size 0 where it
// recurs, with one message; nesting deeper than kMaxStructureNesting counts as 0 the same way. Sizes
// that would pass 2^32 - 1 stay there.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/footprint/model_tables.h"
#include "engine/records/records.h"

namespace engine {

constexpr int kMaxStructureNesting = 64;

struct MemberPlacement {
    std::string name;
    bool present = false; // its condition held
    uint32_t offset = 0;
    uint32_t size = 0;
};

class StructureSizer {
public:
    using Evaluate = std::function<uint32_t(std::string_view expression)>;
    using Report = std::function<void(const std::string& text)>;

    // maxAlignment is the model's "Alignment"; 0 (or less) means 1.
    StructureSizer(const ModelTables& tables, int32_t maxAlignment, Evaluate evaluate, Report report = {});

    // 0 for a name that is not in the table.
    uint32_t StructureSize(std::string_view name);
    uint32_t TypeSize(std::string_view name);
    // The members of a structure as laid out; empty for an unknown name.
    std::vector<MemberPlacement> Layout(std::string_view name);

private:
    enum class State { Unvisited, InProgress, Done };

    uint32_t SizeOfStructure(int index, std::vector<MemberPlacement>* placements);
    uint32_t SizeOfType(int index);
    // A member's type: a type's size, a structure's size, or 4 when it names neither.
    uint32_t SizeOfMemberType(const std::string& type);

    const ModelTables& m_tables;
    uint32_t m_maxAlignment;
    Evaluate m_evaluate;
    Report m_report;
    std::vector<State> m_state;
    std::vector<uint32_t> m_size;
    int m_depth = 0;
};

// The size of a structure or type of the CPU's model under the current symbols; 0 when the name is not in
// the model's tables or the CPU has no model file.
uint32_t GetStructureSize(std::string_view name, const CpuRecord& cpu);
uint32_t GetTypeSize(std::string_view name, const CpuRecord& cpu);

// A sizer over the tables for the CPU: the model's alignment, expressions evaluated against the current
// symbols and the CPU, messages shown once per model.
StructureSizer MakeStructureSizer(const CpuRecord& cpu, const ModelTables& tables);

// Reads the CPU's model tables without messages (they were reported when the model was loaded); false
// when the CPU has no model file or its tables are faulty (the tables then hold what could be read).
bool ReadCpuModelTables(const CpuRecord& cpu, ModelTables& tables);

} // namespace engine
