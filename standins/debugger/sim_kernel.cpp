#include "standins/debugger/sim_kernel.h"

#include <algorithm>
#include <atomic>
#include <cstring>

namespace simdbg {
namespace {
std::atomic<SimKernel*> g_active{nullptr};
} // namespace

void fillKernelTable(DkKernelFunctions_1& table); // kernel_table.cpp

SimKernel::SimKernel()
{
    fillKernelTable(m_table);
    Zone zone;
    zone.name = "Memory";
    m_zones.push_back(zone);
}

SimKernel::~SimKernel()
{
    SimKernel* self = this;
    g_active.compare_exchange_strong(self, nullptr);
    std::lock_guard lock(m_mutex);
    for (auto& [text, value] : m_texts)
        delete[] static_cast<const char*>(text);
    for (auto& [array, size] : m_arrays)
        delete[] static_cast<const uint32_t*>(array);
}

void SimKernel::activate() { g_active.store(this); }
SimKernel* SimKernel::active() { return g_active.load(); }
const DkKernelFunctions_1* SimKernel::table() const { return &m_table; }

void SimKernel::setZones(std::vector<Zone> zones)
{
    std::lock_guard lock(m_mutex);
    m_zones = std::move(zones);
    m_growMax = 0;
}

void SimKernel::setGrowingZones(uint16_t max)
{
    std::lock_guard lock(m_mutex);
    m_growMax = max;
    m_reportedZones = 0;
}

void SimKernel::injectFailure(int entry, uint32_t status, int times)
{
    std::lock_guard lock(m_mutex);
    m_failures[entry] = {status, times};
}

void SimKernel::clearFailures()
{
    std::lock_guard lock(m_mutex);
    m_failures.clear();
}

void SimKernel::overrideEntry(int entry, DkEntry function)
{
    std::lock_guard lock(m_mutex);
    if (entry >= 0 && entry < DK_KERNEL_TABLE_SIZE)
        m_table.entry[entry] = function;
}

bool SimKernel::registered() const
{
    std::lock_guard lock(m_mutex);
    return m_callbacks != nullptr;
}

uint32_t SimKernel::registrationHandle() const
{
    std::lock_guard lock(m_mutex);
    return m_registration;
}

const PluginCallbackTable* SimKernel::callbacks() const
{
    std::lock_guard lock(m_mutex);
    return m_callbacks;
}

bool SimKernel::notify(uint32_t code)
{
    const PluginCallbackTable* callbacks = this->callbacks();
    if (callbacks == nullptr || callbacks->PluginCbNotify == nullptr)
        return false;
    callbacks->PluginCbNotify(code);
    return true;
}

std::vector<uint32_t> SimKernel::hit(uint32_t zone, uint64_t address)
{
    std::lock_guard delivery(m_delivery);
    std::vector<void*> executors;
    const PluginCallbackTable* callbacks = nullptr;
    {
        std::lock_guard lock(m_mutex);
        callbacks = m_callbacks;
        for (const Breakpoint& breakpoint : m_breakpoints)
            if (breakpoint.zone == zone && breakpoint.address == address)
                executors.push_back(breakpoint.executor);
    }
    std::vector<uint32_t> results;
    if (callbacks == nullptr || callbacks->PluginCbExecutorHit == nullptr)
        return results;
    for (void* executor : executors)
        results.push_back(callbacks->PluginCbExecutorHit(executor));
    return results;
}

std::vector<Breakpoint> SimKernel::breakpoints() const
{
    std::lock_guard lock(m_mutex);
    return m_breakpoints;
}

uint64_t SimKernel::callCount(int entry) const
{
    std::lock_guard lock(m_mutex);
    auto it = m_calls.find(entry);
    return it == m_calls.end() ? 0 : it->second;
}

std::vector<int> SimKernel::unexpectedEntries() const
{
    std::lock_guard lock(m_mutex);
    return m_unexpected;
}

std::vector<std::string> SimKernel::logLines() const
{
    std::lock_guard lock(m_mutex);
    return m_log;
}

std::size_t SimKernel::outstandingTexts() const
{
    std::lock_guard lock(m_mutex);
    return m_texts.size();
}

std::size_t SimKernel::outstandingArrays() const
{
    std::lock_guard lock(m_mutex);
    return m_arrays.size();
}

std::vector<std::string> SimKernel::ledgerErrors() const
{
    std::lock_guard lock(m_mutex);
    return m_ledgerErrors;
}

void SimKernel::resetRecords()
{
    std::lock_guard lock(m_mutex);
    m_calls.clear();
    m_unexpected.clear();
    m_log.clear();
    m_ledgerErrors.clear();
}

const char* SimKernel::handOutText(const std::string& text)
{
    char* copy = new char[text.size() + 1];
    std::memcpy(copy, text.c_str(), text.size() + 1);
    std::lock_guard lock(m_mutex);
    m_texts[copy] = text;
    return copy;
}

uint32_t* SimKernel::handOutArray(const std::vector<uint32_t>& values)
{
    uint32_t* array = new uint32_t[values.empty() ? 1 : values.size()]{};
    std::copy(values.begin(), values.end(), array);
    std::lock_guard lock(m_mutex);
    m_arrays[array] = values.size();
    return array;
}

void SimKernel::giveBackText(const char* text)
{
    std::lock_guard lock(m_mutex);
    auto it = m_texts.find(text);
    if (it == m_texts.end()) {
        m_ledgerErrors.push_back("entry 19: a text the debugger did not hand out, or given back twice");
        return;
    }
    delete[] text;
    m_texts.erase(it);
}

void SimKernel::giveBackArray(uint32_t* array)
{
    std::lock_guard lock(m_mutex);
    auto it = m_arrays.find(array);
    if (it == m_arrays.end()) {
        m_ledgerErrors.push_back("array give-back: an array the debugger did not hand out, or given back twice");
        return;
    }
    delete[] array;
    m_arrays.erase(it);
}

void SimKernel::countCall(int entry)
{
    std::lock_guard lock(m_mutex);
    ++m_calls[entry];
}

bool SimKernel::takeInjected(int entry, uint32_t& status)
{
    std::lock_guard lock(m_mutex);
    auto it = m_failures.find(entry);
    if (it == m_failures.end())
        return false;
    status = it->second.first;
    if (it->second.second > 0 && --it->second.second == 0)
        m_failures.erase(it);
    return true;
}

void SimKernel::recordUnexpected(int entry)
{
    std::lock_guard lock(m_mutex);
    ++m_calls[entry];
    if (std::find(m_unexpected.begin(), m_unexpected.end(), entry) == m_unexpected.end())
        m_unexpected.push_back(entry);
}

uint32_t SimKernel::registerPlugin(const PluginCallbackTable* callbacks, uint32_t* registration)
{
    if (callbacks == nullptr || registration == nullptr)
        return DK_STATUS_FAILURE;
    std::lock_guard lock(m_mutex);
    m_callbacks = callbacks;
    m_registration = m_nextRegistration++;
    *registration = m_registration;
    return DK_STATUS_OK;
}

uint32_t SimKernel::unregisterPlugin(uint32_t registration)
{
    std::lock_guard delivery(m_delivery);
    {
        std::lock_guard lock(m_mutex);
        if (m_callbacks == nullptr || registration != m_registration)
            return DK_STATUS_FAILURE;
        m_callbacks = nullptr;
        m_registration = 0;
        std::erase_if(m_breakpoints, [&](const Breakpoint& b) { return b.registration == registration; });
    }
    // Outside the kernel's lock: the program takes its own lock first and the kernel's inside it.
    m_program.dropRegistration(registration);
    return DK_STATUS_OK;
}

uint16_t SimKernel::zoneCount()
{
    std::lock_guard lock(m_mutex);
    if (m_growMax == 0)
        return static_cast<uint16_t>(std::min<std::size_t>(m_zones.size(), 0xFFFF));
    // A list that grows while the plug-in reads it.
    if (m_reportedZones < m_growMax)
        ++m_reportedZones;
    while (m_zones.size() < m_reportedZones && !m_zones.empty()) {
        Zone next = m_zones.back();
        ++next.id;
        next.name = "Zone" + std::to_string(next.id);
        m_zones.push_back(next);
    }
    return m_reportedZones;
}

DkStatus SimKernel::zoneRecord(uint32_t index, DkZoneRecord* record)
{
    std::lock_guard lock(m_mutex);
    if (record == nullptr || index >= m_zones.size())
        return DK_STATUS_FAILURE;
    const Zone& zone = m_zones[index];
    record->id = zone.id;
    record->name = zone.name.c_str();
    record->first = zone.first;
    record->last = zone.last;
    record->flagA = zone.flagA;
    record->flagB = zone.flagB;
    record->flagC = zone.flagC;
    record->attribute = zone.attribute;
    record->reserved = 0;
    return DK_STATUS_OK;
}

DkStatus SimKernel::memoryOperation(bool write, DkHandle accessor, const DkTargetLocation* location,
                                    uint32_t count, void* buffer, uint32_t unitBits)
{
    if (location == nullptr || (buffer == nullptr && count != 0) || unitBits != 8)
        return DK_STATUS_FAILURE;
    if ((accessor & kAccessorBit) == 0)
        return DK_STATUS_FAILURE;
    auto* bytes = static_cast<uint8_t*>(buffer);
    if (write)
        return m_memory.overwrite(location->zone, location->address, bytes, count) ? DK_STATUS_OK : DK_STATUS_FAILURE;
    return m_memory.load(location->zone, location->address, bytes, count) ? DK_STATUS_OK : DK_STATUS_FAILURE;
}

DkHandle SimKernel::lookupSymbol(const char* name, uint32_t kind, DkHandle context)
{
    if (name == nullptr || context != kSymbolContext)
        return 0;
    std::lock_guard lock(m_mutex);
    return m_symbols.find(name, kind);
}

int32_t SimKernel::symbolLocation(DkHandle symbol, DkHandle context, DkTargetLocation* location)
{
    if (location == nullptr || context == 0)
        return 0;
    std::lock_guard lock(m_mutex);
    const Symbol* found = m_symbols.byHandle(symbol);
    if (found == nullptr || !found->hasLocation)
        return 0;
    location->zone = found->zone;
    location->address = found->address;
    return 1;
}

const char* SimKernel::symbolName(DkHandle symbol)
{
    std::string name;
    {
        std::lock_guard lock(m_mutex);
        const Symbol* found = m_symbols.byHandle(symbol);
        if (found == nullptr)
            return nullptr;
        name = found->name;
    }
    return handOutText(name);
}

DkStatus SimKernel::setBreakpoint(const DkBreakpointRequest* request, uint32_t registration, void* executor,
                                  uint32_t* handle)
{
    if (request == nullptr || handle == nullptr || request->accessCode > 2)
        return DK_STATUS_FAILURE;
    std::lock_guard lock(m_mutex);
    if (m_callbacks == nullptr || registration != m_registration)
        return DK_STATUS_FAILURE;
    Breakpoint breakpoint;
    breakpoint.handle = m_nextBreakpoint++;
    breakpoint.zone = request->zone;
    breakpoint.address = (uint64_t{request->addressHigh} << 32) | request->addressLow;
    breakpoint.accessCode = request->accessCode;
    breakpoint.name = request->name != nullptr ? request->name : "";
    breakpoint.option = request->option;
    breakpoint.executor = executor;
    breakpoint.registration = registration;
    m_breakpoints.push_back(breakpoint);
    *handle = breakpoint.handle;
    return DK_STATUS_OK;
}

DkStatus SimKernel::removeBreakpoint(uint32_t handle)
{
    std::lock_guard delivery(m_delivery); // no hit for it is delivered after this returns
    std::lock_guard lock(m_mutex);
    auto it = std::find_if(m_breakpoints.begin(), m_breakpoints.end(),
                           [&](const Breakpoint& b) { return b.handle == handle; });
    if (it == m_breakpoints.end())
        return DK_STATUS_FAILURE;
    m_breakpoints.erase(it);
    return DK_STATUS_OK;
}

void SimKernel::log(uint32_t severity, const char* text)
{
    std::lock_guard lock(m_mutex);
    m_log.push_back(std::to_string(severity) + ": " + (text != nullptr ? text : ""));
}

bool entryFailsWithZero(int entry)
{
    switch (entry) {
    case 14: case 15: case 31: case 32: case 51: case 59: case 60: case 61: case 62: case 63:
    case 117: case 144: case 146: case 149: case 151: case 153: case 154: case 155: case 158: case 159:
    case 160: case 163: case 164: case 177: case 206: case 211: case 213: case 217: case 218: case 228:
    case 150: case 186: case 187: case 188: case 189: case 190: case 191: case 192: case 199: case 200:
    case 208: case 216: case 219: case 220: case 221: case 224: case 225: case 226: case 227: case 255:
    case 257: case 262: case 263: case 264: case 265:
    case 229: case 251: case 253: case 266:
        return true;
    default:
        return (entry >= 72 && entry <= 92) || (entry >= 94 && entry <= 115 && entry != 107) ||
               (entry >= 277 && entry <= 279);
    }
}

} // namespace simdbg
