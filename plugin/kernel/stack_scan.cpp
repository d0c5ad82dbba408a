#include "plugin/kernel/stack_scan.h"

#include "plugin/kernel/layout.h"
#include "plugin/kernel/memory_image.h"
#include "plugin/kernel/target_access.h"
#include "sdk/kerneldata/kernel_limits.h"

#include <algorithm>
#include <map>
#include <tuple>
#include <vector>

namespace kernel {
namespace {

constexpr uint32_t kPieceBytes = 64u << 10;

// Scans of big stacks read between two runs of the target, by source, start, units, unit, direction and
// pattern: the task stacks and the kernel information read the kernel's stack once.
using ScanKey = std::tuple<int, uint32_t, uint32_t, int32_t, bool, uint16_t>;
std::map<ScanKey, FillScan> g_scans; // the reading thread only
uint64_t g_scansGeneration = 0;

// The low 16 bits of the `unit`-unit value at `at` as ReadTargetField gives them, from `bytes` read
// from `first` on.
uint16_t valueAt(const std::vector<uint8_t>& bytes, uint32_t first, uint32_t at, int32_t fieldBytes)
{
    const int count = fieldBytes == 6 ? 4 : fieldBytes;
    if (count < 1 || count > 4)
        return 0;
    return static_cast<uint16_t>(AssembleValue(bytes.data() + (at - first), count, GetLittleEndian() != 0));
}

} // namespace

FillScan CountFillUnits(uint32_t start, uint32_t units, int32_t unit, bool down, uint16_t pattern)
{
    if (unit <= 0 || units == 0)
        return {};
    const uint32_t u = static_cast<uint32_t>(unit);
    const uint64_t reach = uint64_t{units - 1} * u; // from the first unit to the last
    if (uint64_t{units} * u > kerneldata::kLargestStackSize || (down ? reach > start : start + reach + u > 0xFFFFFFFFu))
        return {0, ScanBound};
    const uint64_t generation = TargetReadGeneration();
    if (generation != g_scansGeneration) {
        g_scans.clear();
        g_scansGeneration = generation;
    }
    const ScanKey key{GetSelectedMemoryImage(), start, units, unit, down, pattern};
    if (const auto it = g_scans.find(key); it != g_scans.end())
        return it->second;
    auto unitAt = [&](uint32_t k) { return down ? start - k * u : start + k * u; };
    // Unit by unit, as the kernel's own check does, up to the first unit that differs.
    const uint32_t exact = std::min(units, kPieceBytes / u);
    for (uint32_t k = 0; k < exact; ++k) {
        const uint64_t failures = TargetReadFailures();
        const auto value = static_cast<uint16_t>(ReadTargetField(unitAt(k), unit, false));
        if (TargetReadFailures() != failures)
            return {k, ScanRefused};
        if (value != pattern)
            return {k, ScanUsed};
    }
    // The rest in pieces, each read in one block.
    const int32_t width = static_cast<int32_t>(std::max<int64_t>(int64_t{GetAddressUnitWidth()} * unit, 0));
    const uint32_t span = static_cast<uint32_t>(std::max(width, 1));
    const uint32_t perPiece = std::max(kPieceBytes / u, 1u);
    FillScan result{units, ScanUsed};
    std::vector<uint8_t> bytes;
    for (uint32_t k = exact; k < units && result.units == units;) {
        const uint32_t count = std::min(perPiece, units - k);
        const uint32_t low = std::min(unitAt(k), unitAt(k + count - 1));
        const uint64_t length = uint64_t{std::max(unitAt(k), unitAt(k + count - 1))} - low + span;
        bytes.assign(static_cast<std::size_t>(length), 0);
        if (low + length - 1 > 0xFFFFFFFFu || !ReadValueBlock(low, static_cast<uint32_t>(length), bytes.data())) {
            // Which unit could not be read: unit by unit through this piece (its bytes are known now).
            for (uint32_t i = 0; i < count; ++i) {
                const uint64_t failures = TargetReadFailures();
                const auto value = static_cast<uint16_t>(ReadTargetField(unitAt(k + i), unit, false));
                if (TargetReadFailures() != failures)
                    return {k + i, ScanRefused}; // a refused read is never kept
                if (value != pattern) {
                    result = {k + i, ScanUsed};
                    break;
                }
            }
            k += count;
            continue;
        }
        for (uint32_t i = 0; i < count; ++i)
            if (valueAt(bytes, low, unitAt(k + i), width) != pattern) {
                result = {k + i, ScanUsed};
                break;
            }
        k += count;
    }
    g_scans[key] = result;
    return result;
}

} // namespace kernel
