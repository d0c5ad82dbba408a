#pragma once
// The memory-zone registry: the debugger's zone list, read once at Init.

#include "sdk/debugger/dk_abi.h"

#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace dk {

// A zone as the registry keeps it; the name is our own copy.
struct ZoneInfo {
    uint32_t id = 0;
    std::string name;
    uint64_t first = 0;
    uint64_t last = 0;
    bool flagA = false;
    bool flagB = false;
    bool flagC = false;
    uint16_t attribute = 0;
};

class ZoneRegistry {
public:
    static ZoneRegistry& instance();

    // Reads the zone list through entries 51 and 52. The registry is cleared first, so a second
    // Init does not repeat the zones.
    void build();
    void clear(); // empties the containers; the default zone stays

    uint32_t defaultZone() const;
    // Queries by id; an unknown id answers an all-zero zone (empty name) and is not entered.
    ZoneInfo zone(uint32_t id) const;
    std::string name(uint32_t id) const { return zone(id).name; }
    uint64_t first(uint32_t id) const { return zone(id).first; }
    uint64_t end(uint32_t id) const { return zone(id).last; }
    bool flagA(uint32_t id) const { return zone(id).flagA; }
    bool flagB(uint32_t id) const { return zone(id).flagB; }
    bool flagC(uint32_t id) const { return zone(id).flagC; }
    uint16_t attribute(uint32_t id) const { return zone(id).attribute; }
    bool idByName(const std::string& name, uint32_t& id) const; // id untouched when absent
    std::vector<uint32_t> ids() const;

private:
    mutable std::mutex m_mutex;
    std::map<uint32_t, ZoneInfo> m_byId;
    std::map<std::string, ZoneInfo> m_byName;
    std::vector<uint32_t> m_ids;
    uint32_t m_defaultZone = 0;
};

// The registry's build step of Init.
void BuildZoneRegistry();

} // namespace dk
