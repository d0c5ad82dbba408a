#include "plugin/sdk/symbols.h"

#include "plugin/sdk/kernel.h"

namespace dk {

DkSymbol DkSymbol::Lookup(const std::string& name, const DkContext& context, uint32_t kind)
{
    return DkSymbol(callKernel<DkSymbolLookupFn>(DkHandle{0}, DK_SYMBOL_LOOKUP, name.c_str(), kind, context.GetHandle()));
}

bool DkSymbol::GetLocation(TargetLocation& out, const DkContext& context) const
{
    DkTargetLocation raw = TargetLocation().raw();
    if (callKernel<DkSymbolLocationFn>(0, DK_SYMBOL_LOCATION, m_handle, context.GetHandle(), &raw) == 0)
        return false;
    out = TargetLocation(raw);
    return true;
}

bool DkSymbol::TryGetLocation(TargetLocation& out) const { return GetLocation(out, DkContext::Memory()); }

} // namespace dk
