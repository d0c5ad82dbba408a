#pragma once
// The stack check: how many stack units, from one end of a stack, still hold the fill pattern the
// kernel wrote there when the stack was created. Shared by the task stacks and the kernel's own stack.

#include <cstdint>

namespace kernel {

// A stack scan stops after this many units, whatever size the target claims.
constexpr uint32_t kMaxStackScanUnits = 256u << 10;

// Compares, unit after unit from `start` (moving down when `down`), the low 16 bits of each `unit`-unit
// value with `pattern`; at most `units` units (and kMaxStackScanUnits). Returns the number that matched
// before the first that did not or could not be read; nothing past that unit is read.
uint32_t CountFillUnits(uint32_t start, uint32_t units, int32_t unit, bool down, uint16_t pattern);

} // namespace kernel
