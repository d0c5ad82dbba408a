#pragma once
// Guard for walks over linked lists in target memory: a walk stops at a null pointer, at an address it
// has seen before (a cycle in stale or garbage memory) and after a hard limit of steps.

#include <cstdint>
#include <unordered_set>

namespace kernel {

class BoundedWalk {
public:
    explicit BoundedWalk(uint32_t limit) : m_limit(limit) {}
    // True when the walk may visit `address`, which it then counts as visited.
    bool visit(uint32_t address)
    {
        if (address == 0)
            return false;
        if (m_steps >= m_limit || !m_seen.insert(address).second) {
            m_cut = true;
            return false;
        }
        ++m_steps;
        return true;
    }
    uint32_t steps() const { return m_steps; }
    // True when the walk stopped at a repeat or at its limit, not at the end of the list.
    bool cut() const { return m_cut; }

private:
    uint32_t m_limit;
    uint32_t m_steps = 0;
    bool m_cut = false;
    std::unordered_set<uint32_t> m_seen;
};

} // namespace kernel
