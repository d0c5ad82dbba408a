#include "engine/footprint/symbol_table.h"

#include <algorithm>
#include <iterator>

#include "engine/footprint/estimator_messages.h"
#include "engine/footprint/expression.h"
#include "engine/names/kernel_lookup.h"
#include "engine/names/project_walk.h"
#include "engine/names/record_arrays.h"
#include "engine/records/model_option.h"
#include "engine/records/text_field.h"

namespace engine {

namespace {

struct NamedType {
    const char* name;
    int32_t classType;
};

// "HAS_<plural>": the CPU's kernel class of the type is present and selected.
constexpr NamedType kClassSymbols[] = {
    {"HAS_Alarms", ClassAlarm},         {"HAS_Counters", ClassCounter},     {"HAS_EventSources", ClassEventSource},
    {"HAS_Exceptions", ClassException}, {"HAS_Levels", ClassLevel},         {"HAS_Mailboxes", ClassMailbox},
    {"HAS_Mutexes", ClassMutex},        {"HAS_Partitions", ClassPartition}, {"HAS_Pipes", ClassPipe},
    {"HAS_Queues", ClassQueue},         {"HAS_Semaphores", ClassSemaphore}, {"HAS_Tasks", ClassTask},
    {"HAS_Threads", ClassThread},
};

// Static object counts; the same names with a leading 'D' give the dynamic counts.
constexpr NamedType kCountSymbols[] = {
    {"NTHREADS", ClassThread},  {"NLEVELS", ClassLevel},         {"NEVNTSRCS", ClassEventSource},
    {"NCOUNTERS", ClassCounter}, {"NALRMS", ClassAlarm},          {"NPIPES", ClassPipe},
    {"NEXCPTNS", ClassException}, {"NTASKS", ClassTask},          {"NSEMAS", ClassSemaphore},
    {"NMBOXES", ClassMailbox},  {"NPARTS", ClassPartition},      {"NQUEUES", ClassQueue},
    {"NMUTXES", ClassMutex},
};

constexpr const char* kAttributeSymbols[] = {
    "HAS_AlarmActions",        "HAS_AlarmSemaphores",     "HAS_AlarmWaiters",         "HAS_AlarmStaticNames",
    "HAS_CounterStaticNames",  "HAS_EventSourceStaticNames", "HAS_ExceptionStaticNames", "HAS_LevelStaticNames",
    "HAS_MailboxStaticNames",  "HAS_MboxSemaphores",      "HAS_MboxWaiters",          "HAS_MutxSemaphores",
    "HAS_MutxWaiters",         "HAS_MutexStaticNames",    "HAS_PartSemaphores",       "HAS_PartWaiters",
    "HAS_PartitionStaticNames", "HAS_PipeActions",        "HAS_PipeStaticNames",      "HAS_QueueSemaphores",
    "HAS_QueueWaiters",        "HAS_QueueStaticNames",    "HAS_RoundRobinScheduling", "HAS_SemaphoreStaticNames",
    "HAS_TaskEnvironmentArgs", "HAS_TaskSemaphores",      "HAS_TaskTickSlice",        "HAS_TaskStaticNames",
    "HAS_ThreadArg",           "HAS_ThreadEnvArg",        "HAS_ThreadGates",          "HAS_ThreadStaticNames",
};

constexpr const char* kStatisticsSymbols[] = {
    "HAS_ExceptionStatistics", "HAS_LevelStatistics",  "HAS_MailboxStatistics",
    "HAS_MutexStatistics",     "HAS_PartitionStatistics", "HAS_PipeStatistics",
    "HAS_QueueStatistics",     "HAS_SemaphoreStatistics", "HAS_ThreadStatistics",
};

int32_t ClassTypeOf(const std::string& name, const NamedType* table, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i) {
        if (name == table[i].name)
            return table[i].classType;
    }
    return 0;
}

const ApplicationClassEntry* EntryNamed(const ApplicationRecord& application, std::string_view name)
{
    const ApplicationClassEntry* found = nullptr;
    VisitApplicationClassEntries(const_cast<ApplicationRecord&>(application), [&](const ClassEntryPlace& place) {
        if (textOf(place.entry->name) != name)
            return 0;
        found = place.entry;
        return 1;
    });
    return found;
}

// The application's enabled class entry of a type, or null.
const ApplicationClassEntry* EnabledEntry(const ApplicationRecord* application, int32_t classType)
{
    if (!application)
        return nullptr;
    const ApplicationClassEntry* entry = FindApplicationClassEntryByType(*application, classType);
    return entry && entry->enabled ? entry : nullptr;
}

uint32_t ClassSymbol(const std::string& name, const CpuRecord* cpu, const ApplicationRecord*)
{
    const KernelClassRecord* kernelClass =
        FindKernelClassByType(cpu, ClassTypeOf(name, kClassSymbols, std::size(kClassSymbols)));
    return kernelClass && kernelClass->available && kernelClass->selected ? 1 : 0;
}

uint32_t AttributeSymbol(const std::string& name, const CpuRecord* cpu, const ApplicationRecord*)
{
    const KernelClassAttribute* attribute = FindClassAttributeByTag(cpu, name);
    return attribute && attribute->available && attribute->selected ? 1 : 0;
}

uint32_t StatisticsSymbol(const std::string& name, const CpuRecord*, const ApplicationRecord* application)
{
    // "HAS_<class>Statistics" names the class entry.
    constexpr std::string_view prefix = "HAS_", suffix = "Statistics";
    if (!application || name.size() <= prefix.size() + suffix.size())
        return 0;
    const std::string className = name.substr(prefix.size(), name.size() - prefix.size() - suffix.size());
    const ApplicationClassEntry* entry = EntryNamed(*application, className);
    return entry && entry->statistics ? 1 : 0;
}

uint32_t ThreadDynamicsSymbol(const std::string&, const CpuRecord*, const ApplicationRecord* application)
{
    const ApplicationClassEntry* entry = application ? EntryNamed(*application, "Thread") : nullptr;
    return entry && entry->dynamicsAllowed && entry->numberOfDynamics > 0 ? 1 : 0;
}

uint32_t AlwaysOne(const std::string&, const CpuRecord*, const ApplicationRecord*) { return 1; }

uint32_t VariantSymbol(const std::string& name, const CpuRecord* cpu, const ApplicationRecord*)
{
    if (!cpu)
        return 0;
    const int32_t bit = name == "HAS_OMBAmp" ? kVariantMultiprocessor
                        : name == "HAS_OMBAms" ? kVariantMultiStack
                                               : kVariantSingleStack;
    return (cpu->kernel.framework & bit) != 0 ? 1 : 0;
}

uint32_t ClassCountSymbol(const std::string&, const CpuRecord*, const ApplicationRecord*) { return kLastClassType; }

uint32_t StaticCountSymbol(const std::string& name, const CpuRecord*, const ApplicationRecord* application)
{
    const ApplicationClassEntry* entry =
        EnabledEntry(application, ClassTypeOf(name, kCountSymbols, std::size(kCountSymbols)));
    return entry ? NonNegative(CountClassEntryObjects(*application, *entry)) : 0;
}

uint32_t DynamicCountSymbol(const std::string& name, const CpuRecord*, const ApplicationRecord* application)
{
    const ApplicationClassEntry* entry =
        EnabledEntry(application, ClassTypeOf(name.substr(1), kCountSymbols, std::size(kCountSymbols)));
    return entry && entry->dynamicsAllowed ? NonNegative(entry->numberOfDynamics) : 0;
}

uint32_t ContextSymbol(const std::string& name, const CpuRecord* cpu, const ApplicationRecord* application)
{
    if (!cpu || !application)
        return 0;
    const int32_t count = std::min<int32_t>(cpu->kernel.extendedContextCount, kMaxExtendedContexts);
    for (int32_t i = 0; i < count; ++i) {
        if (name == "HAS_" + textString(cpu->kernel.extendedContexts[i].name) + "_CONTEXT")
            return application->extendedContext[i] ? 1 : 0;
    }
    return 0;
}

// Expressions see the program's symbols, then the CPU's attributes and options.
class CpuExpressionSymbols : public ExpressionSymbols {
public:
    explicit CpuExpressionSymbols(const CpuRecord* cpu) : m_cpu(cpu) {}
    std::optional<uint32_t> Resolve(std::string_view name) const override { return ResolveExpressionName(name, m_cpu); }

private:
    const CpuRecord* m_cpu;
};

} // namespace

const char* ClassPresenceSymbol(int32_t classType)
{
    for (const NamedType& symbol : kClassSymbols) {
        if (symbol.classType == classType)
            return symbol.name;
    }
    return nullptr;
}

void SymbolTable::Define(const std::string& name, SymbolCallback callback)
{
    m_entries[name] = Entry{name, callback, 0};
}

const SymbolTable::Entry* SymbolTable::Find(std::string_view name) const
{
    const auto it = m_entries.find(name);
    return it == m_entries.end() ? nullptr : &it->second;
}

std::optional<uint32_t> SymbolTable::Value(std::string_view name) const
{
    const Entry* entry = Find(name);
    if (!entry)
        return std::nullopt;
    return entry->value;
}

void SymbolTable::Update(const CpuRecord* cpu, const ApplicationRecord* application)
{
    for (auto& [name, entry] : m_entries)
        entry.value = entry.callback ? entry.callback(name, cpu, application) : 0;
}

void SymbolTable::DefinePredefined()
{
    for (const NamedType& symbol : kClassSymbols)
        Define(symbol.name, ClassSymbol);
    for (const char* symbol : kAttributeSymbols)
        Define(symbol, AttributeSymbol);
    for (const char* symbol : kStatisticsSymbols)
        Define(symbol, StatisticsSymbol);
    Define("HAS_ThreadDynamics", ThreadDynamicsSymbol);
    for (const char* symbol : {"HAS_KernelTraceMode", "HAS_ClassTickouts", "HAS_CSF"})
        Define(symbol, AlwaysOne);
    for (const char* symbol : {"HAS_OMBAmp", "HAS_OMBAms", "HAS_OMBAss"})
        Define(symbol, VariantSymbol);
    Define("NUM_KCLASSES", ClassCountSymbol);
    for (const NamedType& symbol : kCountSymbols) {
        Define(symbol.name, StaticCountSymbol);
        Define(std::string("D") + symbol.name, DynamicCountSymbol);
    }
}

void SymbolTable::DefineContextSymbols(const CpuRecord& cpu)
{
    const int32_t count = std::min<int32_t>(cpu.kernel.extendedContextCount, kMaxExtendedContexts);
    for (int32_t i = 0; i < count; ++i) {
        const std::string name = "HAS_" + textString(cpu.kernel.extendedContexts[i].name) + "_CONTEXT";
        Define(name, ContextSymbol);
    }
}

SymbolTable& ProgramSymbols()
{
    static SymbolTable table = [] {
        SymbolTable predefined;
        predefined.DefinePredefined();
        return predefined;
    }();
    return table;
}

void UpdateSymbolsForApplication(const CpuRecord& cpu, const ApplicationRecord& application)
{
    SymbolTable& symbols = ProgramSymbols();
    symbols.DefineContextSymbols(cpu);
    symbols.Update(&cpu, &application);
}

bool UpdateSymbolsForApplication(const ProjectRecord& project, const ApplicationRecord& application)
{
    const CpuRecord* cpu = FindCpuOfApplication(project, application);
    if (!cpu)
        return false;
    UpdateSymbolsForApplication(*cpu, application);
    return true;
}

void UpdateSymbolsForCpu(const CpuRecord& cpu)
{
    // A class header may test the CPU's contexts before any application was looked at.
    SymbolTable& symbols = ProgramSymbols();
    symbols.DefineContextSymbols(cpu);
    symbols.Update(&cpu, nullptr);
}

std::optional<uint32_t> ResolveExpressionName(std::string_view name, const CpuRecord* cpu)
{
    if (std::optional<uint32_t> value = ProgramSymbols().Value(name))
        return value;
    if (!cpu)
        return std::nullopt;
    if (const KernelClassAttribute* attribute = FindClassAttributeByTag(cpu, name))
        return attribute->available && attribute->selected ? 1u : 0u;
    for (const ModelOptionRow& option : ModelOptions(cpu->kernel)) {
        if (textOf(option.sectionName) == name || textOf(option.tag) == name)
            return static_cast<uint32_t>(optionSetting(option));
    }
    return std::nullopt;
}

uint32_t EvaluateExpression(std::string_view text, const CpuRecord* cpu)
{
    const ExpressionResult result = EvaluateExpressionText(text, CpuExpressionSymbols(cpu));
    if (!result.Ok())
        ReportEstimatorMessage(cpu, result.Message());
    return result.value;
}

} // namespace engine
