#pragma once
// The debugger side of the stand-in host: the kernel function table the plug-in is bound to, over a
// simulated target (zones, sparse memory, symbols, breakpoints). The entries the plug-in needs work
// for real; every other entry answers failure and is recorded as unexpected. Host texts and arrays
// handed to the plug-in are kept in a ledger until given back. Failures can be injected per entry.
//
// The table's entries are plain C functions; they reach the one active SimKernel (activate()).

#include "sdk/debugger/dk_abi.h"
#include "standins/debugger/sim_program.h"
#include "standins/debugger/symbol_table.h"
#include "standins/debugger/target_memory.h"

#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace simdbg {

struct Zone {
    uint32_t id = 0;
    std::string name;
    uint64_t first = 0;
    uint64_t last = 0xFFFFFFFF;
    uint32_t flagA = 0, flagB = 0, flagC = 0;
    uint16_t attribute = 0;
};

struct Breakpoint {
    uint32_t handle = 0;
    uint32_t zone = 0;
    uint64_t address = 0;
    uint32_t accessCode = 0;
    std::string name;
    uint8_t option = 0;
    void* executor = nullptr;
    uint32_t registration = 0;
};

class SimKernel {
public:
    SimKernel();
    ~SimKernel(); // deactivates itself
    SimKernel(const SimKernel&) = delete;
    SimKernel& operator=(const SimKernel&) = delete;

    // Makes this the kernel the table's entries reach. One at a time.
    void activate();
    static SimKernel* active();
    const DkKernelFunctions_1* table() const;

    // ---- configuration ----
    void setZones(std::vector<Zone> zones); // default: one zone, id 0, "Memory"
    // The zone count grows by one (a copy of the last zone with id + 1) each time it is asked, up to max.
    void setGrowingZones(uint16_t max);
    TargetMemory& memory() { return m_memory; }
    SymbolTable& symbols() { return m_symbols; }
    // Program records, source files, program locations, user breakpoints and tasks.
    SimProgram& program() { return m_program; }

    // The entry answers status (or 0 for entries whose 0 means failure) for the next `times` calls;
    // times < 0 for every call.
    void injectFailure(int entry, uint32_t status, int times = 1);
    void clearFailures();
    // Replaces an entry with a test's own function (not counted as unexpected).
    void overrideEntry(int entry, DkEntry function);

    // ---- the plug-in's side, as the debugger sees it ----
    bool registered() const;
    uint32_t registrationHandle() const;
    const PluginCallbackTable* callbacks() const;
    // Calls slot 7; false when no plug-in is registered.
    bool notify(uint32_t code);
    // Calls slot 8 for each breakpoint at the location; the translated results in order.
    std::vector<uint32_t> hit(uint32_t zone, uint64_t address);
    std::vector<Breakpoint> breakpoints() const;

    // ---- what happened ----
    uint64_t callCount(int entry) const;
    std::vector<int> unexpectedEntries() const; // in call order, each index once
    std::vector<std::string> logLines() const;  // entry 201, "severity: text"
    std::size_t outstandingTexts() const;
    std::size_t outstandingArrays() const;
    std::vector<std::string> ledgerErrors() const; // give-backs of unknown or already given-back items
    void resetRecords();                            // counts, unexpected entries, log

    // ---- host texts and arrays (used by the entries) ----
    const char* handOutText(const std::string& text);
    uint32_t* handOutArray(const std::vector<uint32_t>& values);
    void giveBackText(const char* text);
    void giveBackArray(uint32_t* array);

    // ---- entry bodies (called by the C table) ----
    void countCall(int entry);
    bool takeInjected(int entry, uint32_t& status);
    void recordUnexpected(int entry);
    uint32_t registerPlugin(const PluginCallbackTable* callbacks, uint32_t* registration);
    uint32_t unregisterPlugin(uint32_t registration);
    uint16_t zoneCount();
    DkStatus zoneRecord(uint32_t index, DkZoneRecord* record);
    DkStatus memoryOperation(bool write, DkHandle accessor, const DkTargetLocation* location, uint32_t count,
                             void* buffer, uint32_t unitBits);
    DkHandle lookupSymbol(const char* name, uint32_t kind, DkHandle context);
    int32_t symbolLocation(DkHandle symbol, DkHandle context, DkTargetLocation* location);
    const char* symbolName(DkHandle symbol);
    DkStatus setBreakpoint(const DkBreakpointRequest* request, uint32_t registration, void* executor,
                           uint32_t* handle);
    DkStatus removeBreakpoint(uint32_t handle);
    void log(uint32_t severity, const char* text);

    // Context and accessor handles the entries hand out.
    static constexpr DkHandle kMemoryContext = 0x158;
    static constexpr DkHandle kContext159 = 0x159;
    static constexpr DkHandle kSymbolContext = 0x160;
    static constexpr DkHandle kAccessorBit = 0x10000;

private:
    mutable std::recursive_mutex m_mutex;
    std::recursive_mutex m_delivery; // held while hits are delivered; removal waits for it
    DkKernelFunctions_1 m_table{};
    std::vector<Zone> m_zones;
    uint16_t m_growMax = 0;
    uint16_t m_reportedZones = 0;
    TargetMemory m_memory;
    SymbolTable m_symbols;
    const PluginCallbackTable* m_callbacks = nullptr;
    uint32_t m_registration = 0;
    uint32_t m_nextRegistration = 0x51;
    std::vector<Breakpoint> m_breakpoints;
    uint32_t m_nextBreakpoint = 1;
    std::map<int, std::pair<uint32_t, int>> m_failures;
    std::map<int, uint64_t> m_calls;
    std::vector<int> m_unexpected;
    std::vector<std::string> m_log;
    std::map<const void*, std::string> m_texts;
    std::map<const void*, std::size_t> m_arrays;
    std::vector<std::string> m_ledgerErrors;
    SimProgram m_program{*this}; // last: it lends host texts and arrays through the ledger above
};

// True for entries whose result 0 means "none" or "false" (handles, texts, counts, booleans); the
// others answer a 16-bit status, 0xFFFF for failure.
bool entryFailsWithZero(int entry);

} // namespace simdbg
