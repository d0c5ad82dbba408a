#pragma once
// Debugger symbols: small values holding a symbol handle (0 = no symbol), one class per symbol kind.
// Lookup and enumeration by kind, casts, names, type, location and value.

#include "plugin/sdk/callback_objects.h"
#include "plugin/sdk/dk_context.h"
#include "plugin/sdk/registered_object.h"
#include "plugin/sdk/target_location.h"
#include "plugin/sdk/types.h"
#include "plugin/sdk/values.h"

#include <cstddef>
#include <cstdint>
#include <new>
#include <string>
#include <vector>

namespace dk {

class DkTypeNameSymbol;
class DkTypedefSymbol;
class DkEnumTagSymbol;
class DkStructUnionTagSymbol;
class DkVariableSymbol;
class DkAsmVariableSymbol;
class DkAsmLabelSymbol;
class DkCVariableSymbol;
class DkConstantSymbol;
class DkEnumSymbol;
class DkFunctionSymbol;
class DkAsmConstantSymbol;

class DkSymbol {
public:
    static constexpr uint32_t kKind = DK_SYM_ANY;
    DkSymbol() = default;
    explicit DkSymbol(DkHandle handle) : m_handle(handle) {}
    virtual ~DkSymbol() = default;

    // Entry 111: the symbol of the name and kind in the context; handle 0 when none.
    static DkSymbol Lookup(const std::string& name, const DkContext& context, uint32_t kind = DK_SYM_ANY);

    DkHandle GetHandle() const { return m_handle; }
    // Casts through entry 100; handle 0 when the symbol is not of that kind.
    DkTypeNameSymbol AsTypeNameSymbol() const;
    DkTypedefSymbol AsTypedefSymbol() const;
    DkEnumTagSymbol AsEnumTagSymbol() const;
    DkStructUnionTagSymbol AsStructUnionTagSymbol() const;
    DkVariableSymbol AsVariableSymbol() const;
    DkAsmVariableSymbol AsAsmVariableSymbol() const;
    DkAsmLabelSymbol AsAsmLabelSymbol() const;
    DkCVariableSymbol AsCVariableSymbol() const;
    DkConstantSymbol AsConstantSymbol() const;
    DkEnumSymbol AsEnumSymbol() const;
    DkFunctionSymbol AsFunctionSymbol() const;
    DkAsmConstantSymbol AsAsmConstantSymbol() const;

    DkCType GetType() const;      // 105
    std::string GetName() const;  // 101, given back with 19
    std::string GetName2() const; // 102
    std::string GetName3() const; // 103
    bool GetAttribute() const;    // 104 > 0
    // Entry 106; out is set only when the symbol has a location.
    bool GetLocation(TargetLocation& out, const DkContext& context) const;
    bool TryGetLocation(TargetLocation& out) const; // with a fresh memory context (158)

protected:
    DkHandle cast(uint32_t kind) const;
    DkHandle m_handle = 0;
};

template <uint32_t Kind, typename Base>
class DkSymbolOfKind : public Base {
public:
    static constexpr uint32_t kKind = Kind;
    using Base::Base;
};

class DkTypeNameSymbol : public DkSymbolOfKind<DK_SYM_TYPE_NAME, DkSymbol> {
public:
    using DkSymbolOfKind::DkSymbolOfKind;
};
class DkTypedefSymbol : public DkSymbolOfKind<DK_SYM_TYPEDEF, DkSymbol> {
public:
    using DkSymbolOfKind::DkSymbolOfKind;
};
class DkEnumTagSymbol : public DkSymbolOfKind<DK_SYM_ENUM_TAG, DkSymbol> {
public:
    using DkSymbolOfKind::DkSymbolOfKind;
};
class DkStructUnionTagSymbol : public DkSymbolOfKind<DK_SYM_STRUCT_UNION_TAG, DkSymbol> {
public:
    using DkSymbolOfKind::DkSymbolOfKind;
};

class DkVariableSymbol : public DkSymbol {
public:
    static constexpr uint32_t kKind = DK_SYM_VARIABLE;
    using DkSymbol::DkSymbol;
    DkStatus GetValueLocation(DkValue& value, const DkContext& context) const; // 107
    DkStatus TryGetValueLocation(DkValue& value) const;
};

class DkAsmVariableSymbol : public DkSymbolOfKind<DK_SYM_ASM_VARIABLE, DkVariableSymbol> {
public:
    using DkSymbolOfKind::DkSymbolOfKind;
    // The 64-byte record of entry 109 (zeros when the debugger gives none); its name text is copied.
    DkAsmVariableRecord GetRecord() const;
    std::string GetRecordName() const;
    TargetLocation GetRecordLocation() const;
};
class DkAsmLabelSymbol : public DkSymbolOfKind<DK_SYM_ASM_LABEL, DkVariableSymbol> {
public:
    using DkSymbolOfKind::DkSymbolOfKind;
};
class DkCVariableSymbol : public DkSymbolOfKind<DK_SYM_C_VARIABLE, DkVariableSymbol> {
public:
    using DkSymbolOfKind::DkSymbolOfKind;
    bool GetSecondLocation(TargetLocation* out = nullptr) const; // 108
    bool GetFlag() const;                                        // 110 > 0
};

class DkConstantSymbol : public DkSymbol {
public:
    static constexpr uint32_t kKind = DK_SYM_CONSTANT;
    using DkSymbol::DkSymbol;
    DkStatus GetValue(DkValue& value, const DkContext& context) const; // 107
    DkStatus TryGetValue(DkValue& value) const;
};
class DkEnumSymbol : public DkSymbolOfKind<DK_SYM_ENUM, DkConstantSymbol> {
public:
    using DkSymbolOfKind::DkSymbolOfKind;
};
class DkFunctionSymbol : public DkSymbolOfKind<DK_SYM_FUNCTION, DkConstantSymbol> {
public:
    using DkSymbolOfKind::DkSymbolOfKind;
};
class DkAsmConstantSymbol : public DkSymbolOfKind<DK_SYM_ASM_CONSTANT, DkConstantSymbol> {
public:
    using DkSymbolOfKind::DkSymbolOfKind;
};

// Lookup of a symbol class S by name (entry 111 with S's kind).
template <typename S>
S Lookup(const std::string& name, const DkContext& context)
{
    return S(DkSymbol::Lookup(name, context, S::kKind).GetHandle());
}

// Handle arrays of the enumerations (given back with 116 when the count is not 0).
std::vector<DkHandle> SymbolHandlesOfKind(uint32_t kind);                            // 112
std::vector<DkHandle> SymbolHandlesNamed(const std::string& name, uint32_t kind);    // 113

// GetAll / GetAllNamed: the list is replaced by one symbol of class S per handle.
template <typename S>
void GetAll(std::vector<S>& list)
{
    list.clear();
    for (DkHandle handle : SymbolHandlesOfKind(S::kKind))
        list.emplace_back(handle);
}

template <typename S>
void GetAllNamed(const std::string& name, std::vector<S>& list)
{
    list.clear();
    for (DkHandle handle : SymbolHandlesNamed(name, S::kKind))
        list.emplace_back(handle);
}

std::vector<DkSymbol> GetSymbolsAt(const TargetLocation& location); // 114
std::vector<DkSymbol> GetSymbolsNamed(const std::string& name);     // 113, kind 0
bool MapLocation(const TargetLocation& location, bool a, bool b, TargetLocation& out); // 115

class SymbolResolverAnchor;

// A symbol resolver the debugger calls back (slots 11 to 15); registered with entry 16 while it
// lives and unregistered with entry 17 naming the object it was registered with. The debugger calls
// it through an anchor, as a task provider (plugin/sdk/task_provider.h).
class DkSymbolResolver : public RegisteredObject<DkSymbolResolverOps, SymbolResolverAnchor> {
public:
    DkSymbolResolver();
    ~DkSymbolResolver() override; // Withdraw
    DkSymbolResolver(const DkSymbolResolver&) = delete;
    DkSymbolResolver& operator=(const DkSymbolResolver&) = delete;

private:
    void unregisterFromDebugger() override;
};

} // namespace dk
