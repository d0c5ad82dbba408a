#pragma once
// The services of a services-trace window: service numbers and names in display order (the order of
// insertion), read from the kernel's services table, and the rows the window shows with their trace
// switches. Free of widgets.

#include "plugin/views/kit/trace_popup.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace views {

struct Service {
    uint32_t number = 0;
    std::string name;
};

class ServiceTable {
public:
    static constexpr uint32_t kNoService = 0xFFFFFFFFu; // refused by Add; GetNextNumber's end

    // Adds the services whose class (the entry's third value) is `classNumber`: nothing without trace or
    // with a count of 1 or less; entries 1 to count - 1 are read.
    void AddServicesOfClass(uint32_t classNumber);
    // Replaces a present number, appending it at the end. False for kNoService.
    bool Add(uint32_t number, const std::string& name);
    // True when the number is absent afterwards.
    bool Remove(uint32_t number);
    void RemoveAll() { m_services.clear(); }
    const Service* Find(uint32_t number) const;
    const std::string* GetName(uint32_t number) const; // null when absent
    bool IsTraced(uint32_t number) const;              // the target's flag; false when absent
    std::size_t GetHeadPosition() const { return 0; }
    // The number at the position, advancing it; kNoService at the end.
    uint32_t GetNextNumber(std::size_t& position) const;
    const std::vector<Service>& services() const { return m_services; }

private:
    std::vector<Service> m_services;
};

struct ServiceRow {
    uint32_t number = 0;
    std::string name;
    bool traced = false;
};

// The rows in display order with the target's flags.
std::vector<ServiceRow> ReadServiceRows(const ServiceTable& table);

struct ServiceButtons {
    bool enableAll = false;  // some row is not traced
    bool disableAll = false; // some row is traced
    bool toggleAll = true;
};
ServiceButtons ServiceButtonStates(const std::vector<ServiceRow>& rows);

// Sets the selected rows to `wanted`, or toggles each when no state is wanted. The changes go to the
// target in one write (none when nothing changes); each changed row then shows the flag read back, so a
// write the target refused is not shown as done. Returns the number of rows written.
uint32_t ApplyServiceTrace(std::vector<ServiceRow>& rows, const std::vector<int>& selected, std::optional<bool> wanted);

// "&Enable" (greyed unless a selected row is off), "&Disable" (greyed unless one is on), "&Toggle".
std::vector<PopupItem> ServicePopup(const std::vector<ServiceRow>& rows, const std::vector<int>& selected);

constexpr int kServiceEnable = 32775;
constexpr int kServiceDisable = 32776;
constexpr int kServiceToggle = 32782;

} // namespace views
