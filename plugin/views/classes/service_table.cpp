// The services table of a services-trace window and its trace switches.

#include "plugin/views/classes/service_table.h"

#include "plugin/kernel/bounded_walk.h"
#include "plugin/kernel/trace.h"

#include <algorithm>

namespace views {

void ServiceTable::AddServicesOfClass(uint32_t classNumber)
{
    if (!kernel::IsTraceAvailable())
        return;
    // The count comes from the data file: the table is read no further than any walk goes (an image holds
    // no more entries anyway).
    const uint32_t count = std::min(kernel::ReadServiceCount(), kernel::kMaxWalkSteps);
    if (count <= 1)
        return;
    kernel::ServiceEntry entry;
    for (uint32_t i = 1; i < count; ++i) {
        kernel::ReadServiceEntry(i, entry);
        if (entry.value3 == classNumber)
            Add(entry.number, entry.name);
    }
}

bool ServiceTable::Add(uint32_t number, const std::string& name)
{
    if (number == kNoService)
        return false;
    Remove(number);
    m_services.push_back({number, name});
    return true;
}

bool ServiceTable::Remove(uint32_t number)
{
    std::erase_if(m_services, [number](const Service& s) { return s.number == number; });
    return true;
}

const Service* ServiceTable::Find(uint32_t number) const
{
    auto it = std::find_if(m_services.begin(), m_services.end(),
                           [number](const Service& s) { return s.number == number; });
    return it == m_services.end() ? nullptr : &*it;
}

const std::string* ServiceTable::GetName(uint32_t number) const
{
    const Service* s = Find(number);
    return s == nullptr ? nullptr : &s->name;
}

bool ServiceTable::IsTraced(uint32_t number) const
{
    return Find(number) != nullptr && kernel::ReadServiceTraceFlag(number) != 0;
}

uint32_t ServiceTable::GetNextNumber(std::size_t& position) const
{
    if (position >= m_services.size())
        return kNoService;
    return m_services[position++].number;
}

std::vector<ServiceRow> ReadServiceRows(const ServiceTable& table)
{
    std::vector<ServiceRow> rows;
    for (const Service& s : table.services())
        rows.push_back({s.number, s.name, kernel::ReadServiceTraceFlag(s.number) != 0});
    return rows;
}

ServiceButtons ServiceButtonStates(const std::vector<ServiceRow>& rows)
{
    ServiceButtons buttons;
    for (const ServiceRow& row : rows) {
        buttons.disableAll = buttons.disableAll || row.traced;
        buttons.enableAll = buttons.enableAll || !row.traced;
    }
    return buttons;
}

uint32_t ApplyServiceTrace(std::vector<ServiceRow>& rows, const std::vector<int>& selected, std::optional<bool> wanted)
{
    std::vector<uint32_t> numbers, flags;
    std::vector<int> changed;
    for (int r : selected) {
        if (r < 0 || r >= static_cast<int>(rows.size()))
            continue;
        ServiceRow& row = rows[static_cast<std::size_t>(r)];
        const bool next = wanted ? *wanted : !row.traced;
        if (next == row.traced)
            continue;
        numbers.push_back(row.number);
        flags.push_back(next ? 1 : 0);
        changed.push_back(r);
    }
    if (numbers.empty())
        return 0;
    kernel::WriteServiceTraceFlags(static_cast<uint32_t>(numbers.size()), numbers.data(), flags.data());
    for (int r : changed) {
        ServiceRow& row = rows[static_cast<std::size_t>(r)];
        row.traced = kernel::ReadServiceTraceFlag(row.number) != 0;
    }
    return static_cast<uint32_t>(numbers.size());
}

std::vector<PopupItem> ServicePopup(const std::vector<ServiceRow>& rows, const std::vector<int>& selected)
{
    bool someOff = false, someOn = false;
    for (int r : selected) {
        if (r < 0 || r >= static_cast<int>(rows.size()))
            continue;
        (rows[static_cast<std::size_t>(r)].traced ? someOn : someOff) = true;
    }
    return {{"&Enable", kServiceEnable, !someOff}, {"&Disable", kServiceDisable, !someOn}, {"&Toggle", kServiceToggle}};
}

} // namespace views
