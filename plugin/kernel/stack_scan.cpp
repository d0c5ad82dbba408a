#include "plugin/kernel/stack_scan.h"

#include "plugin/kernel/layout.h"
#include "plugin/kernel/target_access.h"

#include <algorithm>
#include <vector>

namespace kernel {
namespace {

// Bytes of the first block; each next block is twice as large, up to kMaxChunkBytes. The debugger may
// read byte by byte, so a scan reads at most about twice the spare part of the stack: its reads grow
// with the spare units shown, not with the stack's size, and a port that reads blocks in one call
// needs few calls even for a large spare part.
constexpr uint32_t kFirstChunkBytes = 64;
constexpr uint32_t kMaxChunkBytes = 4096;

bool matches(uint32_t address, int32_t unit, uint16_t pattern)
{
    const uint64_t failures = TargetReadFailures();
    return static_cast<uint16_t>(ReadTargetField(address, unit, false)) == pattern && TargetReadFailures() == failures;
}

// One unit's field value from its bytes, as ReadTargetField assembles it.
uint16_t unitValue(const uint8_t* bytes, uint32_t fieldBytes)
{
    return static_cast<uint16_t>(AssembleValue(bytes, static_cast<int>(std::min<uint32_t>(fieldBytes, 4)),
                                               GetLittleEndian() != 0));
}

} // namespace

uint32_t CountFillUnits(uint32_t start, uint32_t units, int32_t unit, bool down, uint16_t pattern)
{
    if (unit <= 0)
        return 0;
    units = std::min(units, kMaxStackScanUnits);
    const uint32_t u = static_cast<uint32_t>(unit);
    const int64_t bytes = int64_t{GetAddressUnitWidth()} * unit;
    // Only byte-addressed units of a size a field can have are read as blocks.
    const bool blockable = GetAddressUnitWidth() == 1 && (bytes == 1 || bytes == 2 || bytes == 3 || bytes == 4 ||
                                                          bytes == 6);
    uint32_t chunkBytes = kFirstChunkBytes;
    std::vector<uint8_t> chunk;
    uint32_t count = 0;
    while (count < units) {
        const uint32_t n = std::min(std::max<uint32_t>(1, chunkBytes / u), units - count);
        chunkBytes = std::min(chunkBytes * 2, kMaxChunkBytes);
        // The chunk's units are count .. count + n - 1; unit i lies at start +/- i * u.
        const uint32_t first = down ? start - (count + n - 1) * u : start + count * u;
        bool read = false;
        if (blockable) {
            chunk.resize(static_cast<std::size_t>(n) * u);
            const uint64_t failures = TargetReadFailures();
            read = ReadValueBlock(first, n * u, chunk.data()) && TargetReadFailures() == failures;
        }
        for (uint32_t i = 0; i < n; ++i) {
            const uint32_t k = count + i; // the k-th unit of the scan
            const uint32_t at = down ? start - k * u : start + k * u;
            const bool same = read ? unitValue(chunk.data() + (at - first), static_cast<uint32_t>(bytes)) == pattern
                                   : matches(at, unit, pattern); // unreadable as a block: unit by unit
            if (!same)
                return k;
        }
        count += n;
    }
    return count;
}

} // namespace kernel
