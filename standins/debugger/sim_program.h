#pragma once
// The simulated debugger's view of the program: program records with source positions, source
// files, program locations, user breakpoints and their categories, and the tasks a task provider
// is asked about. Every handle, list and block lent to the plug-in is kept in a ledger until given
// back, so tests can prove the give-back discipline.

#include "sdk/debugger/dk_abi.h"

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace simdbg {

class SimKernel;

struct SimPosition {
    std::string file;
    uint32_t line = 0;
    uint32_t column = 0;
};

struct SimRecord {
    uint32_t kind = 1;
    uint32_t flag = 0;
    SimPosition start;
    SimPosition end; // an empty file name means none
    uint32_t zone = 0;
    uint64_t first = 0, last = 0; // the code the record covers
    std::string function;         // a function symbol's name, or empty
    std::string label;            // an assembler label's name, or empty
    DkHandle functionType = 0;
    uint32_t parent = 0;          // record numbers (1-based), 0 = none
    uint32_t linked = 0;
    std::vector<uint32_t> children;
};

// A record in zone 0 covering first..last; the other fields keep their defaults.
inline SimRecord simRecord(uint32_t kind, SimPosition start, SimPosition end, uint64_t first, uint64_t last,
                           std::string function = {})
{
    SimRecord record;
    record.kind = kind;
    record.start = std::move(start);
    record.end = std::move(end);
    record.first = first;
    record.last = last;
    record.function = std::move(function);
    return record;
}

struct SimTask {
    uint32_t id = 0;
    std::string name;
    bool flag = false;
    uint32_t state = 0;
    uint32_t value = 0;
    std::vector<DkTargetLocation> locations;
};

struct SimUserBreakpoint {
    uint32_t id = 0;
    DkHandle provider = 0;
    void* object = nullptr;
    bool atLocation = false; // set with 255
};

class SimProgram {
public:
    explicit SimProgram(SimKernel& kernel) : m_kernel(kernel) {}
    ~SimProgram();

    // ---- configuration ----
    uint32_t addRecord(const SimRecord& record); // its record number (1-based)
    void addSourceFile(const std::string& name, std::vector<std::string> lines);
    void addPath(const std::string& path, const std::string& resolved);
    void setContextRecord(uint32_t record) { m_contextRecord = record; }
    void setContextRanges(std::vector<std::pair<SimPosition, SimPosition>> ranges) { m_contextRanges = std::move(ranges); }
    // The symbols every context answers for its function (153) and its variables (154, 155).
    void setContextSymbols(DkHandle function, std::vector<uint32_t> variables);
    void addTask(const SimTask& task);

    // ---- the plug-in's objects, as the debugger reaches them through the callback slots ----
    std::vector<SimUserBreakpoint> userBreakpoints() const;
    void* categoryObject(DkHandle provider) const;
    void* taskProviderObject() const;

    // ---- the ledger ----
    std::size_t outstandingHandles() const; // records, info handles, locations, task handles, values, lists
    std::size_t outstandingBlocks() const;  // location and source-range arrays
    std::vector<std::string> ledgerErrors() const;

    // ---- entry bodies ----
    int32_t resolvePath(const char* path, char* buffer, uint32_t size);
    int32_t resolvePathPair(const char* first, const char* second, char* buffer, uint32_t size);
    int32_t contextRanges(DkHandle context, uint32_t* count, DkSourceRangeElement** array);
    void giveBackRanges(DkSourceRangeElement* array);
    DkHandle contextRecord(DkHandle context);
    DkHandle contextFunction(DkHandle context);
    uint32_t contextVariables(DkHandle context, uint32_t** array);
    DkStatus fillRecord(DkHandle record, DkProgramRecord* out);
    void release(int entry, DkHandle handle); // 118, 184, 196, 212, 261
    DkHandle recordLink(int entry, DkHandle record); // 186-188, 191, 192
    uint32_t recordChildren(DkHandle record, uint32_t** array);
    DkHandle recordAt(DkHandle record, DkTargetLocation* location);
    int32_t recordLinked(DkHandle record, DkHandle* out);
    DkStatus listAtLocation(bool infoHandles, const DkTargetLocation* location, uint32_t* count, DkHandle* list);
    DkStatus listAtPosition(const DkSourceTriple* position, uint32_t* count, DkHandle* list);
    void takeList(DkHandle list, uint32_t* buffer, uint32_t count);
    const char* sourceText(const char* file, int32_t firstLine, int32_t firstColumn, int32_t lastLine, int32_t lastColumn);
    DkHandle symbolCast(DkHandle symbol, uint32_t kind);
    const char* symbolName2(DkHandle symbol);
    DkHandle newValue();

    DkHandle uleDuplicate(DkHandle ule);
    DkHandle uleFromText(const char* text, DkHandle context, uint32_t mode, uint32_t zone, uint32_t flag);
    uint32_t uleKind(DkHandle ule);
    void uleText(DkHandle ule, char* buffer, uint32_t size, uint32_t which);
    uint32_t uleResolve(DkHandle ule, DkTargetLocation** array);
    void giveBackLocations(DkTargetLocation* array);
    DkHandle uleFromPosition(const DkSourceTriple* position);
    DkHandle uleFromLocation(const DkTargetLocation* location);
    int32_t ulePosition(DkHandle ule, DkSourceTriple* out);
    uint32_t uleRecords(DkHandle ule, uint32_t** array);
    int32_t uleLocation(DkHandle ule, DkTargetLocation* out);
    DkStatus uleValue(DkHandle ule, DkHandle value);
    uint32_t uleValueB(DkHandle ule, uint32_t argument);
    uint32_t uleFlagA(DkHandle ule);
    uint32_t uleValueC(DkHandle ule);
    int32_t uleSetFunction(DkHandle ule, const char* name);
    DkHandle uleFunction(DkHandle ule, char* buffer, uint32_t size);

    DkHandle registerCategory(uint32_t registration, void* object);
    void unregisterCategory(DkHandle provider);
    // The registration was given back: its category providers and their user breakpoints go with it.
    void dropRegistration(uint32_t registration);
    uint32_t setUserBreakpoint(bool atLocation, DkHandle provider, void* object);
    DkStatus clearUserBreakpoint(bool atLocation, uint32_t id);
    DkStatus refreshUserBreakpoint(bool atLocation, uint32_t id);
    uint32_t breakpointIds(uint32_t** array, bool byCategory, uint32_t category);

    DkStatus registerTaskProvider(uint32_t registration, void* object);
    void unregisterTaskProvider();
    DkStatus taskIds(uint32_t* count, uint32_t** array);
    const char* taskName(uint32_t task);
    int32_t taskFlag(uint32_t task);
    DkHandle taskHandle(uint32_t kind, DkHandle context, uint32_t flag);
    uint32_t taskState(DkHandle handle);
    uint32_t taskLocations(DkHandle handle, DkTargetLocation** array);
    uint32_t taskSetValue(DkHandle handle, uint32_t value);
    uint32_t taskValue(DkHandle handle);

private:
    struct Ule {
        uint32_t kind = 0; // the debugger's numbering: 0 source, 1 absolute, 2 expression
        std::string text;
        SimPosition position;
        DkTargetLocation location{};
        uint32_t valueB = 0;
        uint32_t flagA = 0;
        std::string function;
    };
    DkHandle lend(int releaseEntry, DkHandle handle);
    const SimRecord* record(DkHandle handle) const;
    DkHandle lendRecord(uint32_t number);
    std::vector<uint32_t> recordsAt(const DkTargetLocation& location) const;
    std::vector<uint32_t> recordsAt(const SimPosition& position) const;
    std::vector<DkTargetLocation> resolve(const Ule& ule) const;
    Ule* ule(DkHandle handle);
    DkHandle lendUle(const Ule& ule);
    SimTask* taskOfHandle(DkHandle handle);
    DkTargetLocation* lendLocations(const std::vector<DkTargetLocation>& locations);
    void ledgerError(const std::string& text);

    SimKernel& m_kernel;
    mutable std::recursive_mutex m_mutex;
    std::vector<SimRecord> m_records;
    std::map<std::string, std::vector<std::string>> m_sources;
    std::map<std::string, std::string> m_paths;
    uint32_t m_contextRecord = 0;
    DkHandle m_contextFunction = 0;
    std::vector<uint32_t> m_contextVariables;
    std::vector<std::pair<SimPosition, SimPosition>> m_contextRanges;
    std::vector<SimTask> m_tasks;
    std::map<DkHandle, Ule> m_ules;
    std::map<DkHandle, std::vector<uint32_t>> m_lists;
    std::map<DkHandle, uint32_t> m_recordHandles; // handle -> record number
    std::map<DkHandle, uint32_t> m_taskHandles;   // handle -> task id
    struct Category {
        void* object = nullptr;
        uint32_t registration = 0;
    };
    std::map<DkHandle, Category> m_categories;
    std::vector<SimUserBreakpoint> m_userBreakpoints;
    void* m_taskProvider = nullptr;
    std::multiset<std::pair<int, DkHandle>> m_lent; // {release entry, handle}
    std::map<const void*, int> m_blocks;             // block -> give-back entry
    std::vector<std::string> m_ledgerErrors;
    DkHandle m_nextHandle = 0x1000;
    uint32_t m_nextBreakpoint = 1;
};

} // namespace simdbg
