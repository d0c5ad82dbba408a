#include "engine/footprint/structure_size.h"

#include <algorithm>

#include "engine/footprint/estimator_messages.h"
#include "engine/footprint/symbol_table.h"
#include "engine/sectioned/sectioned_file.h"

namespace engine {

namespace {

uint32_t Saturate(uint64_t value) { return value > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(value); }

uint32_t RoundUp(uint32_t value, uint32_t multiple)
{
    if (multiple <= 1)
        return value;
    const uint64_t rounded = (static_cast<uint64_t>(value) + multiple - 1) / multiple * multiple;
    return Saturate(rounded);
}

bool Holds(const std::string& condition, const StructureSizer::Evaluate& evaluate)
{
    return condition.find_first_not_of(" \t\r\n\v\f") == std::string::npos || evaluate(condition) != 0;
}

} // namespace

StructureSizer::StructureSizer(const ModelTables& tables, int32_t maxAlignment, Evaluate evaluate, Report report)
    : m_tables(tables),
      m_maxAlignment(maxAlignment > 0 ? static_cast<uint32_t>(maxAlignment) : 1u),
      m_evaluate(std::move(evaluate)),
      m_report(std::move(report)),
      m_state(tables.structures.Size(), State::Unvisited),
      m_size(tables.structures.Size(), 0)
{
}

uint32_t StructureSizer::StructureSize(std::string_view name)
{
    const int index = m_tables.structures.IndexOf(name);
    return index < 0 ? 0 : SizeOfStructure(index, nullptr);
}

uint32_t StructureSizer::TypeSize(std::string_view name)
{
    const int index = m_tables.types.IndexOf(name);
    return index < 0 ? 0 : SizeOfType(index);
}

std::vector<MemberPlacement> StructureSizer::Layout(std::string_view name)
{
    std::vector<MemberPlacement> placements;
    const int index = m_tables.structures.IndexOf(name);
    if (index >= 0) {
        // Lay out afresh so the placements are filled even when the size is already known.
        const State saved = m_state[static_cast<std::size_t>(index)];
        m_state[static_cast<std::size_t>(index)] = State::Unvisited;
        SizeOfStructure(index, &placements);
        if (saved == State::InProgress)
            m_state[static_cast<std::size_t>(index)] = saved;
    }
    return placements;
}

uint32_t StructureSizer::SizeOfType(int index)
{
    // A copied size refers to an earlier type, so this walk always ends.
    const TypeDefinition* type = &m_tables.types.Items()[static_cast<std::size_t>(index)];
    while (!type->hasSize && !type->isStruct && type->copyOf >= 0 && type->copyOf < index) {
        index = type->copyOf;
        type = &m_tables.types.Items()[static_cast<std::size_t>(index)];
    }
    if (type->hasSize)
        return type->size;
    if (type->isStruct)
        return StructureSize(type->name);
    return 0;
}

uint32_t StructureSizer::SizeOfMemberType(const std::string& type)
{
    if (m_tables.types.Find(type))
        return TypeSize(type);
    if (m_tables.structures.Find(type))
        return StructureSize(type);
    return 4;
}

uint32_t StructureSizer::SizeOfStructure(int index, std::vector<MemberPlacement>* placements)
{
    const auto slot = static_cast<std::size_t>(index);
    const StructureDefinition& structure = m_tables.structures.Items()[slot];
    switch (m_state[slot]) {
    case State::Done:
        return m_size[slot];
    case State::InProgress:
        if (m_report)
            m_report("Structure \"" + structure.name + "\" contains itself; its size counts as 0 inside itself");
        return 0;
    case State::Unvisited:
        break;
    }
    if (m_depth >= kMaxStructureNesting) {
        if (m_report)
            m_report("Structure \"" + structure.name + "\" is nested too deeply; its size counts as 0 there");
        return 0;
    }

    m_state[slot] = State::InProgress;
    ++m_depth;
    uint32_t offset = 0;
    uint32_t largestAlignment = 0;
    if (Holds(structure.needs, m_evaluate)) {
        for (const StructureMember& member : structure.members) {
            MemberPlacement placement{member.name};
            if (Holds(member.needs, m_evaluate)) {
                const uint32_t typeSize = SizeOfMemberType(member.type);
                uint64_t size = typeSize;
                if (member.elements.find_first_not_of(" \t\r\n\v\f") != std::string::npos) {
                    if (const uint32_t count = m_evaluate(member.elements))
                        size *= count;
                }
                const uint32_t alignment = typeSize;
                if (offset != 0 && alignment > 0)
                    offset = RoundUp(offset, std::min(alignment, m_maxAlignment));
                largestAlignment = std::max(largestAlignment, alignment);
                placement.present = true;
                placement.offset = offset;
                placement.size = Saturate(size);
                offset = Saturate(static_cast<uint64_t>(offset) + size);
            }
            if (placements)
                placements->push_back(std::move(placement));
        }
    }
    if (offset != 0 && largestAlignment > 0)
        offset = RoundUp(offset, std::min(largestAlignment, m_maxAlignment));
    --m_depth;
    m_state[slot] = State::Done;
    m_size[slot] = offset;
    return offset;
}

bool ReadCpuModelTables(const CpuRecord& cpu, ModelTables& tables)
{
    tables.types.Clear();
    tables.structures.Clear();
    return cpu.modelFile && ReadModelTables(*cpu.modelFile, tables);
}

StructureSizer MakeStructureSizer(const CpuRecord& cpu, const ModelTables& tables)
{
    return StructureSizer(
        tables, cpu.kernel.defaultAlignment, [&cpu](std::string_view text) { return EvaluateExpression(text, &cpu); },
        [&cpu](const std::string& text) { ReportEstimatorMessage(&cpu, text); });
}

uint32_t GetStructureSize(std::string_view name, const CpuRecord& cpu)
{
    ModelTables tables;
    ReadCpuModelTables(cpu, tables);
    return MakeStructureSizer(cpu, tables).StructureSize(name);
}

uint32_t GetTypeSize(std::string_view name, const CpuRecord& cpu)
{
    ModelTables tables;
    ReadCpuModelTables(cpu, tables);
    return MakeStructureSizer(cpu, tables).TypeSize(name);
}

} // namespace engine

