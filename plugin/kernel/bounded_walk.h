#pragma once
// Guard for walks over linked lists in target memory: a walk stops at a null pointer, at an address it
// has seen before (a cycle in stale or garbage memory) and after a limit of steps. A walk that stops at
// a repeat, or at the hard limit no list may pass, is counted, so the window that showed it can say so
// in a row (RepeatedWalks before and after its refresh).

#include <cstdint>
#include <unordered_set>

namespace kernel {

// No list walk reads more than this many entries, whatever the target claims.
constexpr uint32_t kMaxWalkSteps = 65536;

// Walks stopped at a repeat or at kMaxWalkSteps since the program started.
uint64_t RepeatedWalks();
void CountRepeatedWalk();

class BoundedWalk {
public:
    explicit BoundedWalk(uint32_t limit) : m_limit(limit) {}
    // True when the walk may visit `address`, which it then counts as visited.
    bool visit(uint32_t address)
    {
        if (address == 0)
            return false;
        const bool limited = m_steps >= m_limit;
        if (limited || !m_seen.insert(address).second) {
            if (!m_cut && (!limited || m_limit >= kMaxWalkSteps))
                CountRepeatedWalk(); // a limit of the caller's own is not a cut list
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

// The walks of one window refresh: whether one of them stopped at a repeat.
class RefreshWalks {
public:
    RefreshWalks() : m_before(RepeatedWalks()) {}
    bool repeated() const { return RepeatedWalks() != m_before; }

private:
    uint64_t m_before;
};

} // namespace kernel
