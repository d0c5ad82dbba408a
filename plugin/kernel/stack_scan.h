#pragma once
// The stack check: how many stack units, from one end of a stack, still hold the fill pattern the
// kernel wrote there when the stack was created. Shared by the task stacks and the kernel's own stack.

#include "plugin/kernel/read_cache.h"

#include <cstdint>

namespace kernel {

// A scan reads at most this many bytes of one stack, whatever size the target claims: what the read
// cache keeps between two runs of the target, so every stack the generator's models configure up to it
// is scanned whole once per stop. A stack past it (memory that reads everywhere gives such sizes) is
// shown with the bound as a bound.
constexpr uint64_t kMaxStackScanBytes = ReadCache::kCapacityBytes;

// How a scan ended.
enum ScanEnd : int {
    ScanUsed = 0,    // at a unit that does not hold the pattern (or every unit asked for held it)
    ScanBound = 1,   // at kMaxStackScanBytes: at least that many more units may hold the pattern
    ScanRefused = 2, // at a unit that could not be read: the count says nothing of the stack
};

struct FillScan {
    uint32_t units = 0; // units that held the pattern before the scan ended
    ScanEnd end = ScanUsed;
};

// Compares, unit after unit from `start` (moving down when `down`), the low 16 bits of each `unit`-unit
// value with `pattern`; at most `units` units (and kMaxStackScanBytes). Nothing past the unit that ends
// the scan is read.
FillScan CountFillUnits(uint32_t start, uint32_t units, int32_t unit, bool down, uint16_t pattern);

} // namespace kernel
