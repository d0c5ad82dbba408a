#pragma once
// The stack check: how many stack units, from one end of a stack, still hold the fill pattern the
// kernel wrote there when the stack was created. Shared by the task stacks and the kernel's own stack.

#include <cstdint>

namespace kernel {

// How a scan ended.
enum ScanEnd : int {
    ScanUsed = 0,    // at a unit that does not hold the pattern (or every unit asked for held it)
    ScanBound = 1,   // not scanned: the stack is larger than a kernel can be configured with or leaves
                     // the address space (garbage)
    ScanRefused = 2, // at a unit that could not be read: the count says nothing of the stack
};

struct FillScan {
    uint32_t units = 0; // units that held the pattern before the scan ended
    ScanEnd end = ScanUsed;
};

// Compares, unit after unit from `start` (moving down when `down`), the low 16 bits of each `unit`-unit
// value with `pattern`; at most `units` units, the whole stack. The first 64 KB are read unit by unit, so
// nothing past the unit that ends the scan is read; the rest in pieces of 64 KB, so a stack of megabytes
// takes few reads, and what a piece reads past the spare part stays below what was scanned before it. A
// scan that reached the pieces is kept until the target runs (the plug-in writes no stack). A stack of
// more bytes than a kernel can be configured with, or one that leaves the address space, is not read
// (ScanBound, no unit counted).
FillScan CountFillUnits(uint32_t start, uint32_t units, int32_t unit, bool down, uint16_t pattern);

} // namespace kernel
