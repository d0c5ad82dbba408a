#include "plugin/sdk/zone_registry.h"

#include "plugin/sdk/kernel.h"

namespace dk {

ZoneRegistry& ZoneRegistry::instance()
{
    static ZoneRegistry* registry = new ZoneRegistry; // lives as long as the process, also past unload
    return *registry;
}

void ZoneRegistry::build()
{
    std::lock_guard lock(m_mutex);
    m_byId.clear();
    m_byName.clear();
    m_ids.clear();
    uint16_t count = callKernel<DkZoneCountFn>(uint16_t{0}, DK_ZONE_COUNT);
    // The count is asked again after each record and may grow; 0xFFFF records is the most it can say.
    for (uint32_t i = 0; i < count; ++i) {
        DkZoneRecord record{}; // a debugger that fills nothing leaves zeros, not garbage
        DkStatus status = callKernel<DkZoneRecordFn>(DkStatus{DK_STATUS_FAILURE}, DK_ZONE_RECORD, i, &record);
        if (status == DK_STATUS_OK) {
            ZoneInfo info;
            info.id = record.id;
            info.name = record.name != nullptr ? record.name : "";
            info.first = record.first;
            info.last = record.last;
            info.flagA = record.flagA != 0;
            info.flagB = record.flagB != 0;
            info.flagC = record.flagC != 0;
            info.attribute = record.attribute;
            m_byId[info.id] = info;
            m_byName[info.name] = info;
            m_ids.push_back(info.id);
            if (i == 0)
                m_defaultZone = info.id;
        }
        count = callKernel<DkZoneCountFn>(uint16_t{0}, DK_ZONE_COUNT);
    }
}

void ZoneRegistry::clear()
{
    std::lock_guard lock(m_mutex);
    m_byId.clear();
    m_byName.clear();
    m_ids.clear();
}

uint32_t ZoneRegistry::defaultZone() const
{
    std::lock_guard lock(m_mutex);
    return m_defaultZone;
}

ZoneInfo ZoneRegistry::zone(uint32_t id) const
{
    std::lock_guard lock(m_mutex);
    auto it = m_byId.find(id);
    if (it == m_byId.end()) {
        ZoneInfo none;
        none.id = id;
        return none;
    }
    return it->second;
}

bool ZoneRegistry::idByName(const std::string& name, uint32_t& id) const
{
    std::lock_guard lock(m_mutex);
    auto it = m_byName.find(name);
    if (it == m_byName.end())
        return false;
    id = it->second.id;
    return true;
}

std::vector<uint32_t> ZoneRegistry::ids() const
{
    std::lock_guard lock(m_mutex);
    return m_ids;
}

void BuildZoneRegistry() { ZoneRegistry::instance().build(); }

} // namespace dk
