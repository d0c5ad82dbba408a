// Kernels whose class tables are garbage, as a target stopped before its kernel set up its objects
// leaves them.
#include "standins/debugger/simtarget/kernel_objects.h"

#include <algorithm>
#include <random>

namespace simtarget {
namespace {

int64_t layoutEnd(const LayoutTable& t)
{
    int64_t end = 0;
    for (std::size_t f = 0; f < t.offsets.size() && f < t.sizes.size(); ++f)
        end = std::max<int64_t>(end, int64_t{t.offsets[f]} + t.sizes[f]);
    return end;
}

} // namespace

uint32_t ClaimGarbage(TargetBuilder& b, uint32_t seed, bool nameless, bool zeroFilled, uint32_t claimed)
{
    constexpr uint32_t kArea = 2u << 20;
    const uint32_t area = b.allocate(kArea, 16);
    std::mt19937 random(seed);
    std::vector<uint8_t> bytes(kArea);
    for (uint8_t& byte : bytes)
        byte = zeroFilled ? 0 : static_cast<uint8_t>(random());
    b.memory().putBytes(area, bytes);
    const uint32_t table = b.kwsAddress() + static_cast<uint32_t>(b.layout(Structure::Kws).offsets[11]);
    const LayoutTable& e = b.layout(Structure::ClassEntry);
    for (int k = 0; k < kObjectKindCount; ++k) {
        const auto kind = static_cast<ObjectKind>(k);
        const int number = b.classNumber(kind);
        const uint32_t entry = number >= 0 ? b.memory().get(table + static_cast<uint32_t>(number) * 4, 4) : 0;
        if (entry == 0)
            continue;
        const auto stride =
            static_cast<uint32_t>(nameless ? 0x60 : k % 2 == 0 ? 16 : layoutEnd(b.objectLayout(kind)));
        b.setStructField(e, entry, 2, claimed);
        b.setStructField(e, entry, 3, claimed);
        b.setStructField(e, entry, 4, stride);
        b.setStructField(e, entry, 5, area + static_cast<uint32_t>(k) * 0x1000);
        b.setStructField(e, entry, 6, nameless ? 0 : area + kArea / 2 + static_cast<uint32_t>(k) * 0x1000);
        b.setStructField(e, entry, 7, nameless ? 0 : 15);
    }
    return area;
}

} // namespace simtarget
