#include "engine/sectioned/name_set.h"

namespace engine::sectioned {

void* NameSet::tableMemory(void* set, std::size_t bytes)
{
    // The index asks for a new table only to fill it again from scratch, so one table serves.
    auto& table = static_cast<NameSet*>(set)->m_table;
    table.assign(bytes / sizeof(std::uint32_t) + 1, 0);
    return table.data();
}

bool NameSet::contains(std::string_view name) const
{
    const auto nameOf = [this](std::uint32_t n) { return this->nameOf(n); };
    return m_index.find(name, hashName(name, m_caseSensitive), m_caseSensitive, nameOf) != NameIndex::kNone;
}

bool NameSet::insert(std::string_view name)
{
    const std::uint32_t hash = hashName(name, m_caseSensitive);
    const auto nameOf = [this](std::uint32_t n) { return this->nameOf(n); };
    if (m_index.find(name, hash, m_caseSensitive, nameOf) != NameIndex::kNone)
        return false;
    const auto number = static_cast<std::uint32_t>(m_names.size());
    m_names.push_back({static_cast<std::uint32_t>(m_text.size()), static_cast<std::uint32_t>(name.size()), hash});
    m_text.append(name);
    m_index.insert(number, hash, [this](std::uint32_t n) { return m_names[n].hash; }, tableMemory, this);
    return true;
}

}  // namespace engine::sectioned
