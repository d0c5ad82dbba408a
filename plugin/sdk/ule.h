#pragma once
// Program locations of the debugger: a place in the program given by source position, by target
// location or by expression. Each object holds one location handle of its own: copying duplicates it
// (211), destruction gives it back (212).

#include "sdk/debugger/dk_abi.h"
#include "plugin/sdk/dk_context.h"
#include "plugin/sdk/program_records.h"
#include "plugin/sdk/source_positions.h"
#include "plugin/sdk/target_location.h"
#include "plugin/sdk/values.h"

#include <cstdint>
#include <string>
#include <vector>

namespace dk {

class DkSourceUle;
class DkAbsoluteUle;
class DkExpressionUle;
class DkFunctionSymbol;
class DkSymbol;

// Kinds as GetKind reports them (the debugger's entry 214 numbers absolute 1 and expression 2).
enum class UleKind : uint32_t { Source = 0, Expression = 1, Absolute = 2 };

class DkUle {
public:
    DkUle() = default;
    explicit DkUle(DkHandle handle) : m_handle(handle) {} // takes the handle over
    DkUle(const DkUle& other);
    DkUle(DkUle&& other) noexcept : m_handle(other.m_handle) { other.m_handle = 0; }
    DkUle& operator=(const DkUle& other);
    DkUle& operator=(DkUle&& other) noexcept;
    virtual ~DkUle();

    // From a text in a zone (213 mode 1), or a text with a flag (213 mode 0); a fresh memory context
    // (158) when none is given.
    static DkUle FromText(const std::string& text, MemoryZone zone, const DkContext& context = DkContext());
    static DkUle FromText(const std::string& text, bool flag, const DkContext& context = DkContext());

    virtual DkSourceUle AsSourceUle() const;         // handle 0 unless the debugger kind is 0
    virtual DkAbsoluteUle AsAbsoluteUle() const;     // kind 1
    virtual DkExpressionUle AsExpressionUle() const; // kind 2
    virtual UleKind GetKind() const;                 // 214
    virtual std::string GetText() const;             // 215 which 0
    virtual std::string GetText2() const;            // 215 which 1
    // 216 with the flag byte: the target locations the location stands for (array given back with 223).
    virtual std::vector<TargetLocation> Resolve(bool flag) const;
    virtual uint32_t GetFlagA() const;               // 225(1)
    virtual uint32_t GetValueC() const;              // 226
    virtual uint32_t GetValueB(uint32_t argument) const; // 224
    virtual uint32_t GetFlagANegated() const;        // 1 when 225(0) answers 0
    virtual uint32_t GetValueBDefault() const;       // 224(0)
    virtual DkHandle GetHandle() const { return m_handle; }

    bool GetSourcePosition(SourcePosition& out) const;  // 219
    bool MatchesSymbol(const DkSymbol& symbol) const;   // 227 with the symbol's second name
    bool GetFunctionText(std::string& text) const;      // 228, true when not empty
    DkFunctionSymbol GetFunctionSymbol() const;         // 228 without a buffer
    bool GetTargetLocation(TargetLocation& out) const;  // 221
    DkStatus GetValue(DkValue& value) const;            // 222 into a new value (117)
    // 220: the program records at the location (array given back with 185); true when there are any.
    bool GetRecords(std::vector<DebugInfoRecord>& list) const;

protected:
    DkHandle castTo(uint32_t debuggerKind) const;
    DkHandle m_handle = 0;
};

class DkSourceUle : public DkUle {
public:
    using DkUle::DkUle;
    explicit DkSourceUle(const SourcePosition& position); // 217
    // 217, then the model's flag value (224) and its function text (227, when not empty).
    DkSourceUle(const SourcePosition& position, const DkUle& model);
};

class DkAbsoluteUle : public DkUle {
public:
    using DkUle::DkUle;
    // 218; a count of 2 or more is set with 224.
    explicit DkAbsoluteUle(const TargetLocation& location, uint32_t count = 1);
};

class DkExpressionUle : public DkUle {
public:
    using DkUle::DkUle;
};

// Appends the locations a source position expands to: one per distinct function at the position
// (one plain location when there is no record there). The result is the number of elements.
std::size_t ExpandSourcePosition(const SourcePosition& position, std::vector<DkUle>& list);

} // namespace dk
