#pragma once
// Name comparison and the name index of a sectioned file or section. Names of a case-insensitive file
// are compared with ASCII letters folded to upper case, byte by byte, without building folded copies.
// The index is an open-addressing hash table of node numbers (1-based, 0 marks a free slot); the owner
// says how to get a number's name, so the table holds 4 bytes per slot and nothing else.

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace engine {

namespace sectioned {

inline unsigned char foldAscii(unsigned char c) { return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 32) : c; }

inline bool sameName(std::string_view a, std::string_view b, bool caseSensitive)
{
    if (a.size() != b.size())
        return false;
    if (caseSensitive)
        return a == b;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (foldAscii(static_cast<unsigned char>(a[i])) != foldAscii(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

// -1, 0 or 1 as `a` sorts before, with or after `b` in byte order (of the folded bytes when case-insensitive).
inline int compareNames(std::string_view a, std::string_view b, bool caseSensitive)
{
    const std::size_t n = a.size() < b.size() ? a.size() : b.size();
    for (std::size_t i = 0; i < n; ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]);
        unsigned char y = static_cast<unsigned char>(b[i]);
        if (!caseSensitive) {
            x = foldAscii(x);
            y = foldAscii(y);
        }
        if (x != y)
            return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

// FNV-1a over the (folded) bytes.
inline std::uint32_t hashName(std::string_view name, bool caseSensitive)
{
    std::uint32_t hash = 2166136261u;
    for (char c : name) {
        const unsigned char b = static_cast<unsigned char>(c);
        hash = (hash ^ (caseSensitive ? b : foldAscii(b))) * 16777619u;
    }
    return hash ^ (hash >> 15);
}

class NameIndex {
public:
    static constexpr std::uint32_t kNone = 0xFFFFFFFFu;

    // The number of the node named `name` (hashing to `hash`), or kNone. `nameOf(number)` gives a
    // node's name.
    template <typename NameOf>
    std::uint32_t find(std::string_view name, std::uint32_t hash, bool caseSensitive, const NameOf& nameOf) const
    {
        if (m_slots.empty())
            return kNone;
        for (std::size_t i = hash & m_mask;; i = (i + 1) & m_mask) {
            const std::uint32_t slot = m_slots[i];
            if (slot == 0)
                return kNone;
            if (sameName(nameOf(slot - 1), name, caseSensitive))
                return slot - 1;
        }
    }

    // Adds node `number` under `hash`; the caller has made sure that its name is not present yet.
    // `hashOf(number)` gives a node's hash, needed when the table grows.
    template <typename HashOf>
    void insert(std::uint32_t number, std::uint32_t hash, const HashOf& hashOf)
    {
        if ((m_count + 1) * 4 > m_slots.size() * 3)
            rebuild(m_count + 1, hashOf);
        place(number, hash);
        ++m_count;
    }

    // Makes room for `count` nodes and puts nodes 0 to m_count - 1 back.
    template <typename HashOf>
    void rebuild(std::size_t count, const HashOf& hashOf)
    {
        std::size_t size = 16;
        while (size * 3 < count * 4)
            size *= 2;
        m_slots.assign(size, 0);
        m_mask = size - 1;
        for (std::uint32_t n = 0; n < m_count; ++n)
            place(n, hashOf(n));
    }

    // Sets the number of nodes held without placing them (for a table rebuilt from scratch).
    void setCount(std::uint32_t count) { m_count = count; }

    void clear()
    {
        m_slots.clear();
        m_slots.shrink_to_fit();
        m_mask = 0;
        m_count = 0;
    }

private:
    void place(std::uint32_t number, std::uint32_t hash)
    {
        std::size_t i = hash & m_mask;
        while (m_slots[i] != 0)
            i = (i + 1) & m_mask;
        m_slots[i] = number + 1;
    }

    std::vector<std::uint32_t> m_slots;
    std::size_t m_mask = 0;
    std::uint32_t m_count = 0;
};

} // namespace sectioned
} // namespace engine
