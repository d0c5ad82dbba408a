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

// Multiplies two words to 128 bits and folds the halves together.
inline std::uint64_t mixWords(std::uint64_t a, std::uint64_t b)
{
    const unsigned __int128 product = static_cast<unsigned __int128>(a) * b;
    return static_cast<std::uint64_t>(product) ^ static_cast<std::uint64_t>(product >> 64);
}

// A hash of the (folded) bytes: short names (the usual case) take a few overlapping loads and two
// multiplications, longer ones sixteen bytes a step.
inline std::uint32_t hashName(std::string_view name, bool caseSensitive)
{
    constexpr std::uint64_t k0 = 0xA0761D6478BD642Full, k1 = 0xE7037ED1A0B428DBull, k2 = 0x8EBC6AF09C88C6E3ull;
    const char* data = name.data();
    const std::size_t size = name.size();
    const auto fold = [caseSensitive](std::uint64_t word) { return caseSensitive ? word : foldWord(word); };
    const auto load4 = [&](std::size_t at) {
        std::uint32_t word;
        std::memcpy(&word, data + at, 4);
        return fold(word);
    };
    const auto load8 = [&](std::size_t at) {
        std::uint64_t word;
        std::memcpy(&word, data + at, 8);
        return fold(word);
    };
    std::uint64_t seed = k0 ^ size;
    std::uint64_t a = 0;
    std::uint64_t b = 0;
    if (size <= 16) {
        if (size >= 4) {
            const std::size_t step = (size >> 3) << 2;
            a = (load4(0) << 32) | load4(step);
            b = (load4(size - 4) << 32) | load4(size - 4 - step);
        } else if (size > 0) {
            const auto byte = [&](std::size_t at) { return fold(static_cast<unsigned char>(data[at])); };
            a = (byte(0) << 16) | (byte(size >> 1) << 8) | byte(size - 1);
        }
    } else {
        std::size_t i = 0;
        for (; i + 16 < size; i += 16)
            seed = mixWords(load8(i) ^ k1, load8(i + 8) ^ seed);
        a = load8(size - 16);
        b = load8(size - 8);
    }
    const std::uint64_t hash = mixWords(k1 ^ size, mixWords(a ^ k1, b ^ seed) ^ k2);
    return static_cast<std::uint32_t>(hash ^ (hash >> 32));
}

// Names compare eight bytes at a time; the last word overlaps the one before it, and short names are
// read in overlapping pieces, so no byte is read outside either name.
inline bool sameName(std::string_view a, std::string_view b, bool caseSensitive)
{
    const std::size_t size = a.size();
    if (b.size() != size)
        return false;
    const auto same = [caseSensitive](std::uint64_t x, std::uint64_t y) {
        return x == y || (!caseSensitive && foldWord(x) == foldWord(y));
    };
    const char* p = a.data();
    const char* q = b.data();
    if (size >= 8) {
        const auto load8 = [](const char* at) {
            std::uint64_t word;
            std::memcpy(&word, at, 8);
            return word;
        };
        for (std::size_t i = 0; i + 8 < size; i += 8) {
            if (!same(load8(p + i), load8(q + i)))
                return false;
        }
        return same(load8(p + size - 8), load8(q + size - 8));
    }
    if (size >= 4) {
        const auto load4x2 = [size](const char* at) {
            std::uint32_t first, last;
            std::memcpy(&first, at, 4);
            std::memcpy(&last, at + size - 4, 4);
            return (static_cast<std::uint64_t>(first) << 32) | last;
        };
        return same(load4x2(p), load4x2(q));
    }
    if (size > 0) {
        const auto bytes = [size](const char* at) {
            return (static_cast<std::uint64_t>(static_cast<unsigned char>(at[0])) << 16) |
                   (static_cast<std::uint64_t>(static_cast<unsigned char>(at[size >> 1])) << 8) |
                   static_cast<unsigned char>(at[size - 1]);
        };
        return same(bytes(p), bytes(q));
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
