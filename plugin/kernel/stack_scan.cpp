#include "plugin/kernel/stack_scan.h"

#include "plugin/kernel/layout.h"
#include "plugin/kernel/target_access.h"

#include <algorithm>

namespace kernel {

// Unit after unit, as the kernel's own check does: the scan reads up to the first unit that differs and
// nothing past it (each byte once between two runs of the target, through the read cache).
FillScan CountFillUnits(uint32_t start, uint32_t units, int32_t unit, bool down, uint16_t pattern)
{
    if (unit <= 0)
        return {};
    const uint32_t u = static_cast<uint32_t>(unit);
    const auto bound = static_cast<uint32_t>(kMaxStackScanBytes / u);
    const bool bounded = units > bound;
    units = std::min(units, bound);
    for (uint32_t k = 0; k < units; ++k) {
        const uint32_t at = down ? start - k * u : start + k * u;
        const uint64_t failures = TargetReadFailures();
        const auto value = static_cast<uint16_t>(ReadTargetField(at, unit, false));
        if (TargetReadFailures() != failures)
            return {k, ScanRefused};
        if (value != pattern)
            return {k, ScanUsed};
    }
    return {units, bounded ? ScanBound : ScanUsed};
}

} // namespace kernel
