// The simulated program: records, source files, program locations, user breakpoints and tasks.

#include "standins/debugger/sim_program.h"

#include "standins/debugger/sim_kernel.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <optional>

namespace simdbg {
namespace {

void copyText(const std::string& text, char* buffer, uint32_t size)
{
    if (buffer == nullptr || size == 0)
        return;
    std::size_t n = std::min<std::size_t>(text.size(), size - 1);
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
}

bool samePlace(const DkTargetLocation& a, uint32_t zone, uint64_t first, uint64_t last)
{
    return a.zone == zone && a.address >= first && a.address <= last;
}

// "file:line" is a source location, a number an absolute one, anything else an expression.
bool parseSourceText(const std::string& text, SimPosition& out)
{
    std::size_t colon = text.rfind(':');
    if (colon == std::string::npos || colon == 0)
        return false;
    std::optional<uint64_t> line = parseNumber(text.substr(colon + 1));
    if (!line || *line > 0xFFFFFFFFu)
        return false;
    out = {text.substr(0, colon), static_cast<uint32_t>(*line), 1};
    return true;
}

} // namespace

SimProgram::~SimProgram()
{
    for (auto& [block, entry] : m_blocks) {
        if (entry == DK_GIVE_BACK_LOCATIONS)
            delete[] static_cast<const DkTargetLocation*>(block);
        else
            delete[] static_cast<const DkSourceRangeElement*>(block);
    }
}

uint32_t SimProgram::addRecord(const SimRecord& record)
{
    std::lock_guard lock(m_mutex);
    m_records.push_back(record);
    return static_cast<uint32_t>(m_records.size());
}

void SimProgram::addSourceFile(const std::string& name, std::vector<std::string> lines)
{
    std::lock_guard lock(m_mutex);
    m_sources[name] = std::move(lines);
}

void SimProgram::addPath(const std::string& path, const std::string& resolved)
{
    std::lock_guard lock(m_mutex);
    m_paths[path] = resolved;
}

void SimProgram::addTask(const SimTask& task)
{
    std::lock_guard lock(m_mutex);
    m_tasks.push_back(task);
}

std::vector<SimUserBreakpoint> SimProgram::userBreakpoints() const
{
    std::lock_guard lock(m_mutex);
    return m_userBreakpoints;
}

void* SimProgram::categoryObject(DkHandle provider) const
{
    std::lock_guard lock(m_mutex);
    auto it = m_categories.find(provider);
    return it == m_categories.end() ? nullptr : it->second.object;
}

void* SimProgram::taskProviderObject() const
{
    std::lock_guard lock(m_mutex);
    return m_taskProvider;
}

std::size_t SimProgram::outstandingHandles() const
{
    std::lock_guard lock(m_mutex);
    return m_lent.size() + m_lists.size();
}

std::size_t SimProgram::outstandingBlocks() const
{
    std::lock_guard lock(m_mutex);
    return m_blocks.size();
}

std::vector<std::string> SimProgram::ledgerErrors() const
{
    std::lock_guard lock(m_mutex);
    return m_ledgerErrors;
}

void SimProgram::ledgerError(const std::string& text) { m_ledgerErrors.push_back(text); }

DkHandle SimProgram::lend(int releaseEntry, DkHandle handle)
{
    m_lent.insert({releaseEntry, handle});
    return handle;
}

void SimProgram::release(int entry, DkHandle handle)
{
    std::lock_guard lock(m_mutex);
    if (handle == 0 && entry == DK_INFO_HANDLE_RELEASE)
        return; // an empty info handle is given back too
    auto it = m_lent.find({entry, handle});
    if (it == m_lent.end()) {
        ledgerError("entry " + std::to_string(entry) + ": handle " + std::to_string(handle) +
                    " was not lent, or was given back twice");
        return;
    }
    m_lent.erase(it);
    if (entry == DK_ULE_RELEASE)
        m_ules.erase(handle);
    else if (entry == DK_RECORD_RELEASE)
        m_recordHandles.erase(handle);
    else if (entry == DK_TASK_HANDLE_RELEASE)
        m_taskHandles.erase(handle);
}

// ---- paths, source text, context ----

int32_t SimProgram::resolvePath(const char* path, char* buffer, uint32_t size)
{
    std::lock_guard lock(m_mutex);
    auto it = path != nullptr ? m_paths.find(path) : m_paths.end();
    if (it == m_paths.end())
        return 0;
    copyText(it->second, buffer, size);
    return 1;
}

int32_t SimProgram::resolvePathPair(const char* first, const char* second, char* buffer, uint32_t size)
{
    if (first == nullptr || second == nullptr || *first == '\0' || *second == '\0')
        return 0;
    copyText(std::string(first) + "/" + second, buffer, size);
    return 1;
}

int32_t SimProgram::contextRanges(DkHandle context, uint32_t* count, DkSourceRangeElement** array)
{
    std::lock_guard lock(m_mutex);
    if (context == 0 || count == nullptr || array == nullptr || m_contextRanges.empty())
        return 0;
    auto* elements = new DkSourceRangeElement[m_contextRanges.size()]{};
    for (std::size_t i = 0; i < m_contextRanges.size(); ++i) {
        const auto& [start, end] = m_contextRanges[i];
        elements[i] = {start.line, start.column, m_kernel.handOutText(start.file),
                       end.line, end.column, m_kernel.handOutText(end.file)};
    }
    m_blocks[elements] = DK_GIVE_BACK_RANGES;
    *count = static_cast<uint32_t>(2 * m_contextRanges.size());
    *array = elements;
    return static_cast<int32_t>(m_contextRanges.size());
}

void SimProgram::giveBackRanges(DkSourceRangeElement* array)
{
    std::lock_guard lock(m_mutex);
    auto it = m_blocks.find(array);
    if (it == m_blocks.end() || it->second != DK_GIVE_BACK_RANGES) {
        ledgerError("entry 152: a range array the debugger did not hand out");
        return;
    }
    m_blocks.erase(it);
    delete[] array;
}

DkHandle SimProgram::contextRecord(DkHandle context)
{
    std::lock_guard lock(m_mutex);
    return context == 0 ? 0 : lendRecord(m_contextRecord);
}

void SimProgram::setContextSymbols(DkHandle function, std::vector<uint32_t> variables)
{
    std::lock_guard lock(m_mutex);
    m_contextFunction = function;
    m_contextVariables = std::move(variables);
}

DkHandle SimProgram::contextFunction(DkHandle context)
{
    std::lock_guard lock(m_mutex);
    return context == 0 ? 0 : m_contextFunction;
}

uint32_t SimProgram::contextVariables(DkHandle context, uint32_t** array)
{
    std::lock_guard lock(m_mutex);
    if (context == 0 || array == nullptr || m_contextVariables.empty())
        return 0;
    *array = m_kernel.handOutArray(m_contextVariables);
    return static_cast<uint32_t>(m_contextVariables.size());
}

const char* SimProgram::sourceText(const char* file, int32_t firstLine, int32_t firstColumn, int32_t lastLine,
                                   int32_t lastColumn)
{
    std::string text;
    {
        std::lock_guard lock(m_mutex);
        auto it = file != nullptr ? m_sources.find(file) : m_sources.end();
        if (it == m_sources.end() || firstLine < 0 || lastLine < firstLine)
            return nullptr;
        const std::vector<std::string>& lines = it->second;
        for (int32_t n = firstLine; n <= lastLine && n < static_cast<int32_t>(lines.size()); ++n) {
            std::string line = lines[static_cast<std::size_t>(n)];
            if (n == lastLine && lastColumn >= 0)
                line = line.substr(0, std::min<std::size_t>(line.size(), static_cast<std::size_t>(lastColumn) + 1));
            if (n == firstLine && firstColumn >= 0)
                line = line.substr(std::min<std::size_t>(line.size(), static_cast<std::size_t>(firstColumn)));
            text += (n == firstLine ? "" : "\n") + line;
        }
    }
    return m_kernel.handOutText(text);
}

// ---- records ----

const SimRecord* SimProgram::record(DkHandle handle) const
{
    auto it = m_recordHandles.find(handle);
    if (it == m_recordHandles.end() || it->second == 0 || it->second > m_records.size())
        return nullptr;
    return &m_records[it->second - 1];
}

DkHandle SimProgram::lendRecord(uint32_t number)
{
    if (number == 0 || number > m_records.size())
        return 0;
    DkHandle handle = m_nextHandle++;
    m_recordHandles[handle] = number;
    return lend(DK_RECORD_RELEASE, handle);
}

DkStatus SimProgram::fillRecord(DkHandle handle, DkProgramRecord* out)
{
    std::lock_guard lock(m_mutex);
    const SimRecord* r = record(handle);
    if (r == nullptr || out == nullptr)
        return DK_STATUS_FAILURE;
    *out = DkProgramRecord{};
    out->kind = r->kind;
    out->flag = r->flag;
    out->startLine = r->start.line;
    out->startColumn = r->start.column;
    out->startFile = r->start.file.empty() ? nullptr : m_kernel.handOutText(r->start.file);
    out->endLine = r->end.line;
    out->endColumn = r->end.column;
    out->endFile = r->end.file.empty() ? nullptr : m_kernel.handOutText(r->end.file);
    return DK_STATUS_OK;
}

DkHandle SimProgram::recordLink(int entry, DkHandle handle)
{
    std::lock_guard lock(m_mutex);
    const SimRecord* r = record(handle);
    if (r == nullptr)
        return 0;
    switch (entry) {
    case DK_RECORD_PARENT:
        return lendRecord(r->parent);
    case DK_RECORD_SUB_HANDLE:
        return lend(DK_INFO_HANDLE_RELEASE, m_nextHandle++);
    case DK_RECORD_FUNCTION_SYMBOL:
        return r->function.empty() ? 0 : m_kernel.symbols().find(r->function, DK_SYM_FUNCTION);
    case DK_RECORD_LABEL:
        return r->label.empty() ? 0 : m_kernel.symbols().find(r->label, DK_SYM_ANY);
    case DK_RECORD_FUNCTION_TYPE:
        return r->functionType;
    default:
        return 0;
    }
}

uint32_t SimProgram::recordChildren(DkHandle handle, uint32_t** array)
{
    std::lock_guard lock(m_mutex);
    const SimRecord* r = record(handle);
    if (r == nullptr || array == nullptr)
        return 0;
    std::vector<uint32_t> handles;
    for (uint32_t child : r->children)
        if (DkHandle h = lendRecord(child))
            handles.push_back(h);
    if (handles.empty())
        return 0;
    *array = m_kernel.handOutArray(handles);
    return static_cast<uint32_t>(handles.size());
}

DkHandle SimProgram::recordAt(DkHandle handle, DkTargetLocation* location)
{
    std::lock_guard lock(m_mutex);
    const SimRecord* r = record(handle);
    if (r == nullptr || location == nullptr)
        return 0;
    *location = DkTargetLocation{r->zone, 0, r->first};
    auto it = m_recordHandles.find(handle);
    return lendRecord(it->second);
}

int32_t SimProgram::recordLinked(DkHandle handle, DkHandle* out)
{
    std::lock_guard lock(m_mutex);
    const SimRecord* r = record(handle);
    if (r == nullptr || out == nullptr || r->linked == 0)
        return 0;
    *out = lendRecord(r->linked);
    return 1;
}

std::vector<uint32_t> SimProgram::recordsAt(const DkTargetLocation& location) const
{
    std::vector<uint32_t> numbers;
    for (std::size_t i = 0; i < m_records.size(); ++i)
        if (samePlace(location, m_records[i].zone, m_records[i].first, m_records[i].last))
            numbers.push_back(static_cast<uint32_t>(i + 1));
    return numbers;
}

std::vector<uint32_t> SimProgram::recordsAt(const SimPosition& position) const
{
    std::vector<uint32_t> numbers;
    for (std::size_t i = 0; i < m_records.size(); ++i) {
        const SimRecord& r = m_records[i];
        if (r.start.file == position.file && position.line >= r.start.line && position.line <= r.end.line)
            numbers.push_back(static_cast<uint32_t>(i + 1));
    }
    return numbers;
}

DkStatus SimProgram::listAtLocation(bool infoHandles, const DkTargetLocation* location, uint32_t* count,
                                    DkHandle* list)
{
    std::lock_guard lock(m_mutex);
    if (location == nullptr || count == nullptr || list == nullptr)
        return DK_STATUS_FAILURE;
    std::vector<uint32_t> handles;
    for (uint32_t number : recordsAt(*location))
        handles.push_back(infoHandles ? lend(DK_INFO_HANDLE_RELEASE, m_nextHandle++) : lendRecord(number));
    *list = m_nextHandle++;
    *count = static_cast<uint32_t>(handles.size());
    m_lists[*list] = std::move(handles);
    return DK_STATUS_OK;
}

DkStatus SimProgram::listAtPosition(const DkSourceTriple* position, uint32_t* count, DkHandle* list)
{
    std::lock_guard lock(m_mutex);
    if (position == nullptr || position->file == nullptr || count == nullptr || list == nullptr)
        return DK_STATUS_FAILURE;
    std::vector<uint32_t> numbers = recordsAt(SimPosition{position->file, position->line, position->column});
    if (numbers.empty())
        return DK_STATUS_FAILURE;
    std::vector<uint32_t> handles;
    for (uint32_t number : numbers)
        handles.push_back(lendRecord(number));
    *list = m_nextHandle++;
    *count = static_cast<uint32_t>(handles.size());
    m_lists[*list] = std::move(handles);
    return DK_STATUS_OK;
}

void SimProgram::takeList(DkHandle list, uint32_t* buffer, uint32_t count)
{
    std::lock_guard lock(m_mutex);
    auto it = m_lists.find(list);
    if (it == m_lists.end()) {
        ledgerError("list " + std::to_string(list) + " unknown or taken twice");
        return;
    }
    if (buffer != nullptr)
        std::copy_n(it->second.begin(), std::min<std::size_t>(count, it->second.size()), buffer);
    m_lists.erase(it);
}

DkHandle SimProgram::symbolCast(DkHandle symbol, uint32_t kind)
{
    std::lock_guard lock(m_mutex);
    const Symbol* found = m_kernel.symbols().byHandle(symbol);
    return found != nullptr && (kind == DK_SYM_ANY || found->kind == kind) ? symbol : 0;
}

const char* SimProgram::symbolName2(DkHandle symbol) { return m_kernel.symbolName(symbol); }

DkHandle SimProgram::newValue()
{
    std::lock_guard lock(m_mutex);
    return lend(DK_VALUE_RELEASE, m_nextHandle++);
}

// ---- program locations ----

SimProgram::Ule* SimProgram::ule(DkHandle handle)
{
    auto it = m_ules.find(handle);
    return it == m_ules.end() ? nullptr : &it->second;
}

DkHandle SimProgram::lendUle(const Ule& value)
{
    DkHandle handle = m_nextHandle++;
    m_ules[handle] = value;
    return lend(DK_ULE_RELEASE, handle);
}

DkHandle SimProgram::uleDuplicate(DkHandle handle)
{
    std::lock_guard lock(m_mutex);
    Ule* u = ule(handle);
    if (u == nullptr)
        return 0;
    Ule copy = *u;
    return lendUle(copy);
}

DkHandle SimProgram::uleFromText(const char* text, DkHandle context, uint32_t mode, uint32_t zone, uint32_t flag)
{
    std::lock_guard lock(m_mutex);
    if (text == nullptr || *text == '\0' || context == 0)
        return 0;
    Ule value;
    value.text = text;
    value.flagA = flag;
    if (parseSourceText(value.text, value.position)) {
        value.kind = 0;
    } else if (std::optional<uint64_t> address = parseNumber(value.text)) {
        value.kind = 1;
        value.location = DkTargetLocation{mode == 1 ? zone : 0, 0, *address};
    } else {
        value.kind = 2;
    }
    return lendUle(value);
}

uint32_t SimProgram::uleKind(DkHandle handle)
{
    std::lock_guard lock(m_mutex);
    Ule* u = ule(handle);
    return u == nullptr ? 0xFFFFFFFFu : u->kind;
}

void SimProgram::uleText(DkHandle handle, char* buffer, uint32_t size, uint32_t which)
{
    std::lock_guard lock(m_mutex);
    Ule* u = ule(handle);
    if (u == nullptr) {
        copyText("", buffer, size);
        return;
    }
    static const char* const kKinds[] = {"source", "absolute", "expression"};
    copyText(which == 0 ? u->text : std::string(kKinds[u->kind % 3]) + " " + u->text, buffer, size);
}

std::vector<DkTargetLocation> SimProgram::resolve(const Ule& value) const
{
    std::vector<DkTargetLocation> locations;
    if (value.kind == 1) {
        locations.push_back(value.location);
    } else if (value.kind == 0) {
        for (uint32_t number : recordsAt(value.position)) {
            const SimRecord& r = m_records[number - 1];
            if (value.function.empty() || r.function == value.function)
                locations.push_back(DkTargetLocation{r.zone, 0, r.first});
        }
    } else if (uint32_t symbol = m_kernel.symbols().find(value.text, DK_SYM_ANY)) {
        const Symbol* found = m_kernel.symbols().byHandle(symbol);
        if (found->hasLocation)
            locations.push_back(DkTargetLocation{found->zone, 0, found->address});
    }
    return locations;
}

DkTargetLocation* SimProgram::lendLocations(const std::vector<DkTargetLocation>& locations)
{
    auto* array = new DkTargetLocation[locations.empty() ? 1 : locations.size()]{};
    std::copy(locations.begin(), locations.end(), array);
    m_blocks[array] = DK_GIVE_BACK_LOCATIONS;
    return array;
}

uint32_t SimProgram::uleResolve(DkHandle handle, DkTargetLocation** array)
{
    std::lock_guard lock(m_mutex);
    Ule* u = ule(handle);
    if (u == nullptr || array == nullptr)
        return 0;
    std::vector<DkTargetLocation> locations = resolve(*u);
    if (locations.empty())
        return 0;
    *array = lendLocations(locations);
    return static_cast<uint32_t>(locations.size());
}

void SimProgram::giveBackLocations(DkTargetLocation* array)
{
    std::lock_guard lock(m_mutex);
    auto it = m_blocks.find(array);
    if (it == m_blocks.end() || it->second != DK_GIVE_BACK_LOCATIONS) {
        ledgerError("entry 223: a location array the debugger did not hand out, or given back twice");
        return;
    }
    m_blocks.erase(it);
    delete[] array;
}

DkHandle SimProgram::uleFromPosition(const DkSourceTriple* position)
{
    std::lock_guard lock(m_mutex);
    if (position == nullptr || position->file == nullptr)
        return 0;
    Ule value;
    value.kind = 0;
    value.position = {position->file, position->line, position->column};
    value.text = value.position.file + ":" + std::to_string(position->line);
    return lendUle(value);
}

DkHandle SimProgram::uleFromLocation(const DkTargetLocation* location)
{
    std::lock_guard lock(m_mutex);
    if (location == nullptr)
        return 0;
    Ule value;
    value.kind = 1;
    value.location = *location;
    char text[24];
    std::snprintf(text, sizeof text, "0x%llX", static_cast<unsigned long long>(location->address));
    value.text = text;
    return lendUle(value);
}

int32_t SimProgram::ulePosition(DkHandle handle, DkSourceTriple* out)
{
    std::lock_guard lock(m_mutex);
    Ule* u = ule(handle);
    if (u == nullptr || out == nullptr || u->kind != 0)
        return 0;
    *out = DkSourceTriple{u->position.line, u->position.column, m_kernel.handOutText(u->position.file)};
    return 1;
}

uint32_t SimProgram::uleRecords(DkHandle handle, uint32_t** array)
{
    std::lock_guard lock(m_mutex);
    Ule* u = ule(handle);
    if (u == nullptr || array == nullptr)
        return 0;
    std::vector<uint32_t> numbers = u->kind == 0 ? recordsAt(u->position)
                                    : u->kind == 1 ? recordsAt(u->location)
                                                   : std::vector<uint32_t>{};
    if (numbers.empty())
        return 0;
    std::vector<uint32_t> handles;
    for (uint32_t number : numbers)
        handles.push_back(lendRecord(number));
    *array = m_kernel.handOutArray(handles);
    return static_cast<uint32_t>(handles.size());
}

int32_t SimProgram::uleLocation(DkHandle handle, DkTargetLocation* out)
{
    std::lock_guard lock(m_mutex);
    Ule* u = ule(handle);
    if (u == nullptr || out == nullptr)
        return 0;
    std::vector<DkTargetLocation> locations = resolve(*u);
    if (locations.empty())
        return 0;
    *out = locations.front();
    return 1;
}

DkStatus SimProgram::uleValue(DkHandle handle, DkHandle value)
{
    std::lock_guard lock(m_mutex);
    Ule* u = ule(handle);
    if (u == nullptr || value == 0 || m_lent.count({DK_VALUE_RELEASE, value}) == 0)
        return DK_STATUS_FAILURE;
    return resolve(*u).empty() ? DK_STATUS_FAILURE : DK_STATUS_OK;
}

uint32_t SimProgram::uleValueB(DkHandle handle, uint32_t argument)
{
    std::lock_guard lock(m_mutex);
    Ule* u = ule(handle);
    if (u == nullptr)
        return 0;
    if (argument != 0)
        u->valueB = argument;
    return u->valueB;
}

uint32_t SimProgram::uleFlagA(DkHandle handle)
{
    std::lock_guard lock(m_mutex);
    Ule* u = ule(handle);
    return u == nullptr ? 0 : u->flagA;
}

uint32_t SimProgram::uleValueC(DkHandle handle)
{
    std::lock_guard lock(m_mutex);
    Ule* u = ule(handle);
    return u == nullptr ? 0 : static_cast<uint32_t>(resolve(*u).size());
}

int32_t SimProgram::uleSetFunction(DkHandle handle, const char* name)
{
    std::lock_guard lock(m_mutex);
    Ule* u = ule(handle);
    if (u == nullptr || name == nullptr || m_kernel.symbols().find(name, DK_SYM_FUNCTION) == 0)
        return 0;
    u->function = name;
    return 1;
}

DkHandle SimProgram::uleFunction(DkHandle handle, char* buffer, uint32_t size)
{
    std::lock_guard lock(m_mutex);
    Ule* u = ule(handle);
    if (u == nullptr) {
        copyText("", buffer, size);
        return 0;
    }
    copyText(u->function, buffer, size);
    return u->function.empty() ? 0 : m_kernel.symbols().find(u->function, DK_SYM_FUNCTION);
}

// ---- user breakpoints ----

DkHandle SimProgram::registerCategory(uint32_t registration, void* object)
{
    if (object == nullptr || !m_kernel.registered() || registration != m_kernel.registrationHandle())
        return 0;
    std::lock_guard lock(m_mutex);
    DkHandle handle = m_nextHandle++;
    m_categories[handle] = {object, registration};
    return handle;
}

void SimProgram::unregisterCategory(DkHandle provider)
{
    std::lock_guard lock(m_mutex);
    if (m_categories.erase(provider) == 0)
        ledgerError("entry 230: an unknown category provider");
    // Breakpoints of a provider that goes are dropped with it.
    std::erase_if(m_userBreakpoints, [&](const SimUserBreakpoint& b) { return b.provider == provider; });
}

void SimProgram::dropRegistration(uint32_t registration)
{
    std::lock_guard lock(m_mutex);
    std::erase_if(m_userBreakpoints, [&](const SimUserBreakpoint& b) {
        auto category = m_categories.find(b.provider);
        return category != m_categories.end() && category->second.registration == registration;
    });
    std::erase_if(m_categories, [&](const auto& entry) { return entry.second.registration == registration; });
}

uint32_t SimProgram::setUserBreakpoint(bool atLocation, DkHandle provider, void* object)
{
    std::lock_guard lock(m_mutex);
    if (object == nullptr || m_categories.count(provider) == 0)
        return 0;
    uint32_t id = m_nextBreakpoint++;
    m_userBreakpoints.push_back({id, provider, object, atLocation});
    return id;
}

DkStatus SimProgram::clearUserBreakpoint(bool atLocation, uint32_t id)
{
    std::lock_guard lock(m_mutex);
    auto it = std::find_if(m_userBreakpoints.begin(), m_userBreakpoints.end(),
                           [&](const SimUserBreakpoint& b) { return b.id == id && b.atLocation == atLocation; });
    if (it == m_userBreakpoints.end())
        return DK_STATUS_FAILURE;
    m_userBreakpoints.erase(it);
    return DK_STATUS_OK;
}

DkStatus SimProgram::refreshUserBreakpoint(bool atLocation, uint32_t id)
{
    std::lock_guard lock(m_mutex);
    bool known = std::any_of(m_userBreakpoints.begin(), m_userBreakpoints.end(),
                             [&](const SimUserBreakpoint& b) { return b.id == id && b.atLocation == atLocation; });
    return known ? DK_STATUS_OK : DK_STATUS_FAILURE;
}

uint32_t SimProgram::breakpointIds(uint32_t** array, bool byCategory, uint32_t category)
{
    std::lock_guard lock(m_mutex);
    if (array == nullptr)
        return 0;
    std::vector<uint32_t> ids;
    for (const SimUserBreakpoint& b : m_userBreakpoints)
        if (!byCategory || category == 0 || b.provider == category)
            ids.push_back(b.id);
    if (ids.empty())
        return 0;
    *array = m_kernel.handOutArray(ids);
    return static_cast<uint32_t>(ids.size());
}

// ---- tasks ----

DkStatus SimProgram::registerTaskProvider(uint32_t registration, void* object)
{
    if (object == nullptr || !m_kernel.registered() || registration != m_kernel.registrationHandle())
        return DK_STATUS_FAILURE;
    std::lock_guard lock(m_mutex);
    m_taskProvider = object;
    return DK_STATUS_OK;
}

void SimProgram::unregisterTaskProvider()
{
    std::lock_guard lock(m_mutex);
    if (m_taskProvider == nullptr)
        ledgerError("entry 203: no task provider is registered");
    m_taskProvider = nullptr;
}

DkStatus SimProgram::taskIds(uint32_t* count, uint32_t** array)
{
    std::lock_guard lock(m_mutex);
    if (count == nullptr || array == nullptr)
        return DK_STATUS_FAILURE;
    std::vector<uint32_t> ids;
    for (const SimTask& task : m_tasks)
        ids.push_back(task.id);
    *count = static_cast<uint32_t>(ids.size());
    *array = ids.empty() ? nullptr : m_kernel.handOutArray(ids);
    return DK_STATUS_OK;
}

const char* SimProgram::taskName(uint32_t task)
{
    std::string name;
    {
        std::lock_guard lock(m_mutex);
        auto it = std::find_if(m_tasks.begin(), m_tasks.end(), [&](const SimTask& t) { return t.id == task; });
        if (it == m_tasks.end())
            return nullptr;
        name = it->name;
    }
    return m_kernel.handOutText(name);
}

int32_t SimProgram::taskFlag(uint32_t task)
{
    std::lock_guard lock(m_mutex);
    auto it = std::find_if(m_tasks.begin(), m_tasks.end(), [&](const SimTask& t) { return t.id == task; });
    return it != m_tasks.end() && it->flag ? 1 : 0;
}

SimTask* SimProgram::taskOfHandle(DkHandle handle)
{
    auto h = m_taskHandles.find(handle);
    if (h == m_taskHandles.end())
        return nullptr;
    auto it = std::find_if(m_tasks.begin(), m_tasks.end(), [&](const SimTask& t) { return t.id == h->second; });
    return it == m_tasks.end() ? nullptr : &*it;
}

// The handle of kind k stands for the task with id k.
DkHandle SimProgram::taskHandle(uint32_t kind, DkHandle context, uint32_t flag)
{
    std::lock_guard lock(m_mutex);
    (void)flag;
    bool known = std::any_of(m_tasks.begin(), m_tasks.end(), [&](const SimTask& t) { return t.id == kind; });
    if (!known || context == 0)
        return 0;
    DkHandle handle = m_nextHandle++;
    m_taskHandles[handle] = kind;
    return lend(DK_TASK_HANDLE_RELEASE, handle);
}

uint32_t SimProgram::taskState(DkHandle handle)
{
    std::lock_guard lock(m_mutex);
    SimTask* task = taskOfHandle(handle);
    return task == nullptr ? 0 : task->state;
}

uint32_t SimProgram::taskLocations(DkHandle handle, DkTargetLocation** array)
{
    std::lock_guard lock(m_mutex);
    SimTask* task = taskOfHandle(handle);
    if (task == nullptr || array == nullptr || task->locations.empty())
        return 0;
    *array = lendLocations(task->locations);
    return static_cast<uint32_t>(task->locations.size());
}

uint32_t SimProgram::taskSetValue(DkHandle handle, uint32_t value)
{
    std::lock_guard lock(m_mutex);
    SimTask* task = taskOfHandle(handle);
    if (task == nullptr)
        return 0;
    uint32_t old = task->value;
    task->value = value;
    return old;
}

uint32_t SimProgram::taskValue(DkHandle handle)
{
    std::lock_guard lock(m_mutex);
    SimTask* task = taskOfHandle(handle);
    return task == nullptr ? 0 : task->value;
}

} // namespace simdbg
