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
        if (address == 0 || m_steps >= m_limit || !m_seen.insert(address).second)
            return false;
        ++m_steps;
        return true;
    }
    uint32_t steps() const { return m_steps; }

private:
    uint32_t m_limit;
    uint32_t m_steps = 0;
    std::unordered_set<uint32_t> m_seen;
};

} // namespace kernel
