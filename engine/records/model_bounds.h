#pragma once
// The bounds a model sets on what an application holds, as the editors and the application reader both
// judge them.

#include <algorithm>
#include <cstdint>

#include "engine/records/records.h"

namespace engine {

// Whether a stack size (task or kernel) is a whole multiple of the model's stack modulus, compared unsigned;
// a modulus of 0 takes every size.
constexpr bool stackMeetsModulus(int32_t stack, int32_t modulus)
{
    const auto divisor = static_cast<uint32_t>(modulus);
    return divisor == 0 || static_cast<uint32_t>(stack) % divisor == 0;
}

// The stack size nearest to `stack` that lies between the model's `low` and `high` (compared unsigned) and is
// a multiple of `modulus` where one such lies in the range.
constexpr int32_t stackWithinModel(int32_t stack, int32_t low, int32_t high, int32_t modulus)
{
    const auto lowest = static_cast<uint32_t>(low);
    const uint32_t highest = std::max(static_cast<uint32_t>(high), lowest);
    uint32_t size = std::clamp(static_cast<uint32_t>(stack), lowest, highest);
    if (const auto divisor = static_cast<uint32_t>(modulus); divisor != 0 && size % divisor != 0) {
        const uint32_t down = size - size % divisor;
        const uint64_t up = uint64_t{down} + divisor;
        size = up <= highest ? static_cast<uint32_t>(up) : down >= lowest ? down : size;
    }
    return static_cast<int32_t>(size);
}

// The most dynamic objects a class entry may have beside its `staticObjects`: the kernel class's maximum
// less those, never below 0.
constexpr int64_t dynamicsMaximum(const KernelClassRecord& kernelClass, int64_t staticObjects)
{
    return std::max<int64_t>(int64_t{kernelClass.maximum} - staticObjects, 0);
}

} // namespace engine
