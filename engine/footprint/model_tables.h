#pragma once
// The model's type and structure tables ("Types", "Structures" and one "Structure_<name>" section per
// structure), read from the model's sectioned file. Each CPU's model has its own tables; the estimator
// reads them from the CPU's model file, so tables never leak from one model to another.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace engine {

class SectionedFile;

struct TypeDefinition {
    std::string name;
    bool hasSize = false; // a fixed size was given
    uint32_t size = 0;
    bool isStruct = false; // sized by the structure of the same name
    int copyOf = -1;       // index of an earlier type whose size this one takes
};

struct StructureMember {
    std::string name;     // "Member_<n>_Name", or "Member_<n>" without one
    std::string type;     // a type or a structure
    std::string needs;    // condition expression; empty means always
    std::string elements; // count expression; empty or 0 means one element
};

struct StructureDefinition {
    std::string name;
    std::string needs; // condition of the whole structure; empty means always
    std::vector<StructureMember> members;
};

// Named definitions in their file order, found by exact name.
template <typename Definition>
class DefinitionTable {
public:
    // Adds a definition; false when one of that name exists.
    bool Add(Definition definition)
    {
        if (m_index.count(definition.name))
            return false;
        m_index.emplace(definition.name, m_items.size());
        m_items.push_back(std::move(definition));
        return true;
    }
    int IndexOf(std::string_view name) const
    {
        const auto it = m_index.find(std::string(name));
        return it == m_index.end() ? -1 : static_cast<int>(it->second);
    }
    const Definition* Find(std::string_view name) const
    {
        const int index = IndexOf(name);
        return index < 0 ? nullptr : &m_items[static_cast<std::size_t>(index)];
    }
    const std::vector<Definition>& Items() const { return m_items; }
    Definition& At(std::size_t index) { return m_items[index]; }
    std::size_t Size() const { return m_items.size(); }
    void Clear()
    {
        m_items.clear();
        m_index.clear();
    }

private:
    std::vector<Definition> m_items;
    std::unordered_map<std::string, std::size_t> m_index;
};

using TypeTable = DefinitionTable<TypeDefinition>;
using StructureTable = DefinitionTable<StructureDefinition>;

struct ModelTables {
    TypeTable types;
    StructureTable structures;
};

// Most types, structures, or members of one structure a model may define.
constexpr long kMaxModelTableRows = 65536;

using TableMessageSink = std::function<void(const std::string& text)>;

// Reads the tables from a model file, emptied first. On a fault reports the message (when a sink is
// given) and returns false; the tables then hold what was read before the fault. With `problem` given, a
// count the tables cannot hold (no whole number, or beyond 32 bits) is described there instead, to follow
// "Unable to load model file <path>: ", and "" is left when there is none.
bool ReadModelTables(const SectionedFile& model, ModelTables& tables, const TableMessageSink& report = {},
                     std::string* problem = nullptr);

} // namespace engine
