#include "plugin/sdk/symbols.h"

#include "plugin/sdk/kernel.h"

namespace dk {

DkSymbol DkSymbol::Lookup(const std::string& name, const DkContext& context, uint32_t kind)
{
    return DkSymbol(callKernel<DkSymbolLookupFn>(DkHandle{0}, DK_SYMBOL_LOOKUP, name.c_str(), kind, context.GetHandle()));
}

DkHandle DkSymbol::cast(uint32_t kind) const
{
    if (m_handle == 0)
        return 0;
    return callKernel<DkSymbolCastFn>(DkHandle{0}, DK_SYMBOL_CAST, m_handle, kind, 0u);
}

DkTypeNameSymbol DkSymbol::AsTypeNameSymbol() const { return DkTypeNameSymbol(cast(DK_SYM_TYPE_NAME)); }
DkTypedefSymbol DkSymbol::AsTypedefSymbol() const { return DkTypedefSymbol(cast(DK_SYM_TYPEDEF)); }
DkEnumTagSymbol DkSymbol::AsEnumTagSymbol() const { return DkEnumTagSymbol(cast(DK_SYM_ENUM_TAG)); }
DkStructUnionTagSymbol DkSymbol::AsStructUnionTagSymbol() const { return DkStructUnionTagSymbol(cast(DK_SYM_STRUCT_UNION_TAG)); }
DkVariableSymbol DkSymbol::AsVariableSymbol() const { return DkVariableSymbol(cast(DK_SYM_VARIABLE)); }
DkAsmVariableSymbol DkSymbol::AsAsmVariableSymbol() const { return DkAsmVariableSymbol(cast(DK_SYM_ASM_VARIABLE)); }
DkAsmLabelSymbol DkSymbol::AsAsmLabelSymbol() const { return DkAsmLabelSymbol(cast(DK_SYM_ASM_LABEL)); }
DkCVariableSymbol DkSymbol::AsCVariableSymbol() const { return DkCVariableSymbol(cast(DK_SYM_C_VARIABLE)); }
DkConstantSymbol DkSymbol::AsConstantSymbol() const { return DkConstantSymbol(cast(DK_SYM_CONSTANT)); }
DkEnumSymbol DkSymbol::AsEnumSymbol() const { return DkEnumSymbol(cast(DK_SYM_ENUM)); }
DkFunctionSymbol DkSymbol::AsFunctionSymbol() const { return DkFunctionSymbol(cast(DK_SYM_FUNCTION)); }
DkAsmConstantSymbol DkSymbol::AsAsmConstantSymbol() const { return DkAsmConstantSymbol(cast(DK_SYM_ASM_CONSTANT)); }

DkCType DkSymbol::GetType() const { return DkCType(callKernel<DkHandleOfHandleFn>(DkHandle{0}, DK_SYMBOL_TYPE, m_handle)); }

std::string DkSymbol::GetName() const
{
    return takeHostText(callKernel<DkTextOfHandleFn, const char*>(nullptr, DK_SYMBOL_NAME, m_handle));
}

std::string DkSymbol::GetName2() const
{
    return takeHostText(callKernel<DkTextOfHandleFn, const char*>(nullptr, DK_SYMBOL_NAME2, m_handle));
}

std::string DkSymbol::GetName3() const
{
    return takeHostText(callKernel<DkTextOfHandleFn, const char*>(nullptr, DK_SYMBOL_NAME3, m_handle));
}

bool DkSymbol::GetAttribute() const { return callKernel<DkIntOfHandleFn>(0, DK_SYMBOL_ATTRIBUTE, m_handle) > 0; }

bool DkSymbol::GetLocation(TargetLocation& out, const DkContext& context) const
{
    DkTargetLocation raw = TargetLocation().raw();
    if (callKernel<DkSymbolLocationFn>(0, DK_SYMBOL_LOCATION, m_handle, context.GetHandle(), &raw) == 0)
        return false;
    out = TargetLocation(raw);
    return true;
}

bool DkSymbol::TryGetLocation(TargetLocation& out) const { return GetLocation(out, DkContext::Memory()); }

namespace {
DkStatus symbolValue(DkHandle symbol, const DkContext& context, DkValue& value)
{
    return callKernel<DkSymbolValueFn>(DkStatus{DK_STATUS_FAILURE}, DK_SYMBOL_VALUE, symbol, context.GetHandle(),
                                       value.GetHandle());
}

// Copies the handles of an array the debugger handed out and gives the array back.
std::vector<DkHandle> takeHandles(uint32_t count, uint32_t* array)
{
    std::vector<DkHandle> handles;
    if (count != 0 && array != nullptr)
        handles.assign(array, array + count);
    if (count != 0)
        giveBackArray(DK_GIVE_BACK_SYMBOLS, array);
    return handles;
}

} // namespace

// A context without a handle passes 0 on: the debugger decides what that context means.
DkFunctionSymbol DkContext::GetFunction() const
{
    return DkFunctionSymbol(callKernel<DkHandleOfHandleFn>(DkHandle{0}, DK_CONTEXT_FUNCTION, GetHandle()));
}

std::vector<DkCVariableSymbol> DkContext::GetVariables(int which) const
{
    std::vector<DkCVariableSymbol> variables;
    uint32_t* array = nullptr;
    const int entry = which == 2 ? DK_CONTEXT_VARIABLES2 : DK_CONTEXT_VARIABLES1;
    const uint32_t count = callKernel<DkArrayOfHandleFn>(uint32_t{0}, entry, GetHandle(), &array);
    for (DkHandle handle : takeHandles(count, array))
        variables.emplace_back(handle);
    return variables;
}

DkStatus DkVariableSymbol::GetValueLocation(DkValue& value, const DkContext& context) const
{
    return symbolValue(m_handle, context, value);
}

DkStatus DkVariableSymbol::TryGetValueLocation(DkValue& value) const { return symbolValue(m_handle, DkContext::Memory(), value); }

DkStatus DkConstantSymbol::GetValue(DkValue& value, const DkContext& context) const
{
    return symbolValue(m_handle, context, value);
}

DkStatus DkConstantSymbol::TryGetValue(DkValue& value) const { return symbolValue(m_handle, DkContext::Memory(), value); }

DkAsmVariableRecord DkAsmVariableSymbol::GetRecord() const
{
    DkAsmVariableRecord record{};
    using Fn = int32_t (*)(DkHandle, DkAsmVariableRecord*);
    callKernel<Fn>(int32_t{0}, DK_SYMBOL_ASM_RECORD, m_handle, &record);
    return record;
}

std::string DkAsmVariableSymbol::GetRecordName() const
{
    DkAsmVariableRecord record = GetRecord();
    return record.name != nullptr ? record.name : "";
}

TargetLocation DkAsmVariableSymbol::GetRecordLocation() const { return TargetLocation(GetRecord().location); }

bool DkCVariableSymbol::GetSecondLocation(TargetLocation* out) const
{
    DkTargetLocation raw{};
    if (callKernel<DkHandleLocationFn>(0, DK_SYMBOL_LOCATION2, m_handle, &raw) == 0)
        return false;
    if (out != nullptr)
        *out = TargetLocation(raw);
    return true;
}

bool DkCVariableSymbol::GetFlag() const { return callKernel<DkIntOfHandleFn>(0, DK_SYMBOL_BOOL, m_handle) > 0; }

std::vector<DkHandle> SymbolHandlesOfKind(uint32_t kind)
{
    uint32_t* array = nullptr;
    uint32_t count = callKernel<DkSymbolsOfKindFn>(uint32_t{0}, DK_SYMBOL_ALL, kind, &array);
    return takeHandles(count, array);
}

std::vector<DkHandle> SymbolHandlesNamed(const std::string& name, uint32_t kind)
{
    uint32_t* array = nullptr;
    uint32_t count = callKernel<DkSymbolsNamedFn>(uint32_t{0}, DK_SYMBOL_ALL_NAMED, name.c_str(), kind, &array);
    return takeHandles(count, array);
}

std::vector<DkSymbol> GetSymbolsAt(const TargetLocation& location)
{
    uint32_t* array = nullptr;
    uint32_t count = callKernel<DkSymbolsAtFn>(uint32_t{0}, DK_SYMBOL_AT, &location.raw(), &array);
    std::vector<DkSymbol> symbols;
    for (DkHandle handle : takeHandles(count, array))
        symbols.emplace_back(handle);
    return symbols;
}

std::vector<DkSymbol> GetSymbolsNamed(const std::string& name)
{
    std::vector<DkSymbol> list;
    GetAllNamed(name, list);
    return list;
}

bool MapLocation(const TargetLocation& location, bool a, bool b, TargetLocation& out)
{
    DkTargetLocation raw{};
    if (callKernel<DkLocationMapFn>(0, DK_LOCATION_MAP, &location.raw(), int32_t{!a}, int32_t{!b}, &raw) == 0)
        return false;
    out = TargetLocation(raw);
    return true;
}

class SymbolResolverAnchor final : public Anchor<DkSymbolResolverOps> {
public:
    using Anchor::Anchor;
    DkStatus Resolve1(const TargetLocation& location, uint32_t a, uint32_t b, uint32_t c) override
    {
        return pass(DkStatus{DK_STATUS_FAILURE}, [&](DkSymbolResolverOps& r) { return r.Resolve1(location, a, b, c); });
    }
    DkStatus Resolve2(const TargetLocation& location, uint32_t a, uint32_t b, uint32_t c) override
    {
        return pass(DkStatus{DK_STATUS_FAILURE}, [&](DkSymbolResolverOps& r) { return r.Resolve2(location, a, b, c); });
    }
    DkStatus Resolve3(TargetLocation& out) override
    {
        return pass(DkStatus{DK_STATUS_FAILURE}, [&](DkSymbolResolverOps& r) { return r.Resolve3(out); });
    }
    DkStatus Resolve4(const TargetLocation& location) override
    {
        return pass(DkStatus{DK_STATUS_FAILURE}, [&](DkSymbolResolverOps& r) { return r.Resolve4(location); });
    }
    uint32_t Resolve5() override
    {
        return pass(uint32_t{0}, [&](DkSymbolResolverOps& r) { return r.Resolve5(); });
    }
};

DkSymbolResolver::DkSymbolResolver()
{
    callKernel<DkRegisterObjectFn>(uint32_t{0}, DK_RESOLVER_REGISTER, registrationHandle(), debuggerObject());
}

DkSymbolResolver::~DkSymbolResolver() { Withdraw(); }

void DkSymbolResolver::unregisterFromDebugger()
{
    callKernel<DkUnregisterObjectFn>(uint32_t{0}, DK_RESOLVER_UNREGISTER, debuggerObject());
}

} // namespace dk
