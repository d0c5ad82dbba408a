#pragma once
// Debugger symbols: small values holding a symbol handle (0 = no symbol).

#include "plugin/sdk/dk_context.h"
#include "plugin/sdk/target_location.h"

#include <cstdint>
#include <string>

namespace dk {

class DkSymbol {
public:
    DkSymbol() = default;
    explicit DkSymbol(DkHandle handle) : m_handle(handle) {}
    virtual ~DkSymbol() = default;

    // Entry 111: the symbol of the name and kind in the context; handle 0 when none.
    static DkSymbol Lookup(const std::string& name, const DkContext& context, uint32_t kind = DK_SYM_ANY);

    DkHandle GetHandle() const { return m_handle; }
    // Entry 106; out is set only when the symbol has a location.
    bool GetLocation(TargetLocation& out, const DkContext& context) const;
    bool TryGetLocation(TargetLocation& out) const; // with a fresh memory context (158)

protected:
    DkHandle m_handle = 0;
};

} // namespace dk
