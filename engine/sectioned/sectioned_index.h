#pragma once
// Name comparison and the name index of a sectioned file or section. Names of a case-insensitive file
// are compared with ASCII letters folded to upper case, byte by byte, without building folded copies.
// The index is an open-addressing hash table of node numbers (1-based, 0 marks a free slot); the owner
// says how to get a number's name, so the table holds 4 bytes per slot and nothing else, in memory the
// owner gives and frees.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace engine {

namespace sectioned {

inline unsigned char foldAscii(unsigned char c) { return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 32) : c; }

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

// Folds the ASCII lower-case letters among eight bytes to upper case, all at once.
inline std::uint64_t foldWord(std::uint64_t x)
{
    constexpr std::uint64_t ones = 0x0101010101010101ull;
    const std::uint64_t low = x & (0x7F * ones);
    const std::uint64_t fromA = low + (0x80 - 'a') * ones; // top bit set where a byte is 'a' or above
    const std::uint64_t pastZ = low + (0x80 - 'z' - 1) * ones; // top bit set where it is above 'z'
    const std::uint64_t lower = fromA & ~pastZ & ~x & (0x80 * ones);
    return x - (lower >> 2);
}

// A hash of the (folded) bytes, eight at a time.
inline std::uint32_t hashName(std::string_view name, bool caseSensitive)
{
    const char* data = name.data();
    const std::size_t size = name.size();
    std::uint64_t hash = 0x9E3779B97F4A7C15ull ^ size;
    std::size_t i = 0;
    const auto mix = [&](std::uint64_t word) {
        if (!caseSensitive)
            word = foldWord(word);
        hash = (hash ^ word) * 0xFF51AFD7ED558CCDull;
        hash ^= hash >> 32;
    };
    for (; i + 8 <= size; i += 8) {
        std::uint64_t word;
        std::memcpy(&word, data + i, 8);
        mix(word);
    }
    if (i < size) {
        std::uint64_t word = 0;
        std::memcpy(&word, data + i, size - i);
        mix(word);
    }
    hash ^= hash >> 29;
    hash *= 0xC4CEB9FE1A85EC53ull;
    hash ^= hash >> 32;
    return static_cast<std::uint32_t>(hash);
}

inline bool sameName(std::string_view a, std::string_view b, bool caseSensitive)
{
    if (a.size() != b.size())
        return false;
    if (caseSensitive)
        return a == b;
    const std::size_t size = a.size();
    std::size_t i = 0;
    for (; i + 8 <= size; i += 8) {
        std::uint64_t x, y;
        std::memcpy(&x, a.data() + i, 8);
        std::memcpy(&y, b.data() + i, 8);
        if (x != y && foldWord(x) != foldWord(y))
            return false;
    }
    if (i < size) {
        std::uint64_t x = 0, y = 0;
        std::memcpy(&x, a.data() + i, size - i);
        std::memcpy(&y, b.data() + i, size - i);
        if (x != y && foldWord(x) != foldWord(y))
            return false;
    }
    return true;
}

// Gives zeroed or uninitialised memory that lives as long as the index's owner; null never.
using IndexMemory = void* (*)(void* owner, std::size_t bytes);

class NameIndex {
public:
    static constexpr std::uint32_t kNone = 0xFFFFFFFFu;

    // The number of the node named `name` (hashing to `hash`), or kNone. `nameOf(number)` gives a
    // node's name.
    template <typename NameOf>
    std::uint32_t find(std::string_view name, std::uint32_t hash, bool caseSensitive, const NameOf& nameOf) const
    {
        if (m_size == 0)
            return kNone;
        for (std::size_t i = home(hash);; i = next(i)) {
            const std::uint32_t slot = m_slots[i];
            if (slot == 0)
                return kNone;
            if (sameName(nameOf(slot - 1), name, caseSensitive))
                return slot - 1;
        }
    }

    // Adds node `number` under `hash`; the caller has made sure that its name is not present yet.
    // `hashOf(number)` gives a node's hash, needed when the table grows; new tables come from `memory`.
    template <typename HashOf>
    void insert(std::uint32_t number, std::uint32_t hash, const HashOf& hashOf, IndexMemory memory, void* owner)
    {
        if ((m_count + 1) * 4 > m_size * 3)
            rebuild((m_count + 1) * 2, hashOf, memory, owner);
        place(number, hash);
        ++m_count;
    }

    // Makes room for `count` nodes and puts nodes 0 to count() - 1 back.
    template <typename HashOf>
    void rebuild(std::size_t count, const HashOf& hashOf, IndexMemory memory, void* owner)
    {
        const std::size_t size = count + count / 3 + 2;
        m_slots = static_cast<std::uint32_t*>(memory(owner, size * sizeof(std::uint32_t)));
        std::memset(m_slots, 0, size * sizeof(std::uint32_t));
        m_size = size;
        for (std::uint32_t n = 0; n < m_count; ++n)
            place(n, hashOf(n));
    }

    std::uint32_t count() const { return m_count; }
    // Sets the number of nodes held without placing them (for a table rebuilt from scratch).
    void setCount(std::uint32_t count) { m_count = count; }

    // Forgets the table (its memory belongs to the owner).
    void clear()
    {
        m_slots = nullptr;
        m_size = 0;
        m_count = 0;
    }

private:
    std::size_t home(std::uint32_t hash) const
    {
        return static_cast<std::size_t>((static_cast<std::uint64_t>(hash) * m_size) >> 32);
    }
    std::size_t next(std::size_t i) const { return i + 1 == m_size ? 0 : i + 1; }

    void place(std::uint32_t number, std::uint32_t hash)
    {
        std::size_t i = home(hash);
        while (m_slots[i] != 0)
            i = next(i);
        m_slots[i] = number + 1;
    }

    std::uint32_t* m_slots = nullptr;
    std::size_t m_size = 0;
    std::uint32_t m_count = 0;
};

} // namespace sectioned
} // namespace engine
