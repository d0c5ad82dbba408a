#pragma once
// The predefined expression symbols: feature flags ("HAS_OMBAss", "HAS_Tasks", attribute tags...),
// class counts and static and dynamic object counts. Each symbol has a callback that computes its value
// from a CPU and an application (or none) and keeps the value of its last update; expressions read that
// current value. The program holds one table, built with the predefined symbols on first use.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "engine/records/records.h"

namespace engine {

// Computes a symbol's value. application is null when the symbols are updated for a CPU alone.
using SymbolCallback = uint32_t (*)(const std::string& name, const CpuRecord* cpu,
                                    const ApplicationRecord* application);

class SymbolTable {
public:
    struct Entry {
        std::string name;
        SymbolCallback callback = nullptr;
        uint32_t value = 0;
    };

    // Adds a symbol or replaces one of the same name whole (its value starts at 0).
    void Define(const std::string& name, SymbolCallback callback);
    const Entry* Find(std::string_view name) const;
    // The current value, or nothing when the symbol is not defined.
    std::optional<uint32_t> Value(std::string_view name) const;
    // Re-evaluates every symbol with (name, CPU, application) and stores the values.
    void Update(const CpuRecord* cpu, const ApplicationRecord* application);
    std::size_t Size() const { return m_entries.size(); }
    void Clear() { m_entries.clear(); }

    // Adds the predefined symbols (88 of them).
    void DefinePredefined();
    // Adds "HAS_<context>_CONTEXT" for each extended context of the CPU's model.
    void DefineContextSymbols(const CpuRecord& cpu);

private:
    struct Hash {
        using is_transparent = void;
        std::size_t operator()(std::string_view key) const { return std::hash<std::string_view>{}(key); }
    };
    std::unordered_map<std::string, Entry, Hash, std::equal_to<>> m_entries;
};

// The "HAS_<plural>" symbol that tells whether the CPU's kernel class of a type is present and selected;
// null for a type without one.
const char* ClassPresenceSymbol(int32_t classType);

// The program's table, holding the predefined symbols.
SymbolTable& ProgramSymbols();

// Defines the context symbols of the application's CPU and re-evaluates every symbol for the application.
void UpdateSymbolsForApplication(const CpuRecord& cpu, const ApplicationRecord& application);
// The same, finding the application's CPU in the project; false (nothing updated) when it holds none.
bool UpdateSymbolsForApplication(const ProjectRecord& project, const ApplicationRecord& application);
// Re-evaluates every symbol for the CPU alone (application-dependent symbols give 0).
void UpdateSymbolsForCpu(const CpuRecord& cpu);

// The value of a name as expressions see it: the symbol's current value; else 1 or 0 for a kernel class
// attribute of the CPU with that Tag (1 when both its State and Enable are set); else the CPU's model
// option of that name or tag (its number, or its on/off state for an on/off option); nothing when none
// knows it.
std::optional<uint32_t> ResolveExpressionName(std::string_view name, const CpuRecord* cpu);

// Evaluates an expression against the current symbols and the CPU. An invalid character or an unknown
// name shows its message (once per model and text) and gives the value folded so far.
uint32_t EvaluateExpression(std::string_view text, const CpuRecord* cpu);

} // namespace engine
