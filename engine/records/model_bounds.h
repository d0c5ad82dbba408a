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

// The most dynamic objects a class entry may have beside its `staticObjects`: the kernel class's maximum
// less those, never below 0.
constexpr int64_t dynamicsMaximum(const KernelClassRecord& kernelClass, int64_t staticObjects)
{
    return std::max<int64_t>(int64_t{kernelClass.maximum} - staticObjects, 0);
}

} // namespace engine
