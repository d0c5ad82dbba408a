#pragma once
// The name index of a sectioned file or section: an open-addressing hash table from lookup key to node.
// It holds only pointers; each node keeps its own lookup key, which must not change while indexed.

#include <cstddef>
#include <functional>
#include <string_view>
#include <vector>

namespace engine {

template <typename Node>
class SectionedIndex {
public:
    Node* find(std::string_view key) const
    {
        if (m_slots.empty())
            return nullptr;
        const std::size_t hash = hashOf(key);
        for (std::size_t i = hash & m_mask;; i = (i + 1) & m_mask) {
            const Slot& slot = m_slots[i];
            if (!slot.node)
                return nullptr;
            if (slot.hash == hash && slot.node->GetLookupKey() == key)
                return slot.node;
        }
    }

    // Adds a node under its lookup key; false (and nothing added) when the key is already present.
    bool insert(Node* node)
    {
        if ((m_count + 1) * 4 > m_slots.size() * 3)
            grow();
        const std::string_view key = node->GetLookupKey();
        const std::size_t hash = hashOf(key);
        for (std::size_t i = hash & m_mask;; i = (i + 1) & m_mask) {
            Slot& slot = m_slots[i];
            if (!slot.node) {
                slot = Slot{hash, node};
                ++m_count;
                return true;
            }
            if (slot.hash == hash && slot.node->GetLookupKey() == key)
                return false;
        }
    }

    void clear()
    {
        m_slots.clear();
        m_mask = 0;
        m_count = 0;
    }

private:
    struct Slot {
        std::size_t hash = 0;
        Node* node = nullptr;
    };

    static std::size_t hashOf(std::string_view key) { return std::hash<std::string_view>{}(key); }

    void grow()
    {
        std::vector<Slot> old;
        old.swap(m_slots);
        m_slots.resize(old.empty() ? 16 : old.size() * 2);
        m_mask = m_slots.size() - 1;
        for (const Slot& slot : old) {
            if (!slot.node)
                continue;
            std::size_t i = slot.hash & m_mask;
            while (m_slots[i].node)
                i = (i + 1) & m_mask;
            m_slots[i] = slot;
        }
    }

    std::vector<Slot> m_slots;
    std::size_t m_mask = 0;
    std::size_t m_count = 0;
};

} // namespace engine
