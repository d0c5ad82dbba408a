#pragma once
// A set of names compared as the readers of sectioned files compare them (ASCII letters folded unless
// case-sensitive), without folded copies: each name is kept once, as given, in one growing text, and
// found through a NameIndex.

#include "engine/sectioned/sectioned_index.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace engine::sectioned {

class NameSet {
public:
    explicit NameSet(bool caseSensitive = false) : m_caseSensitive(caseSensitive) {}
    NameSet(const NameSet&) = delete;
    NameSet& operator=(const NameSet&) = delete;

    // Adds the name; false (and nothing added) when it is present already.
    bool insert(std::string_view name);
    bool contains(std::string_view name) const;
    std::size_t size() const { return m_names.size(); }

private:
    struct Name {
        std::uint32_t offset;
        std::uint32_t size;
        std::uint32_t hash;
    };

    std::string_view nameOf(std::uint32_t number) const
    {
        return {m_text.data() + m_names[number].offset, m_names[number].size};
    }
    static void* tableMemory(void* set, std::size_t bytes);

    bool m_caseSensitive;
    std::string m_text;         // the names one after another
    std::vector<Name> m_names;  // where each one is in the text
    std::vector<std::uint32_t> m_table;
    NameIndex m_index;
};

}  // namespace engine::sectioned
