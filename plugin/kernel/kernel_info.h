#pragma once
// Kernel-wide values for the kernel information and stack windows: the data file's own header, the
// system properties, the kernel workspace fields and the unused part of the kernel stack.

#include <array>
#include <bitset>
#include <cstdint>

namespace kernel {

struct DataFileHeader {
    uint16_t portCode = 0;
    uint32_t kernelVersion = 0;
    uint16_t entry2 = 0, entry3 = 0, entry4 = 0, entry5 = 0;
    uint32_t entry6 = 0, entry7 = 0, entry8 = 0;
    uint16_t entry9 = 0;
};

// configuration word, kernel version, SYSPROP field 3, SYSPROP field 4, KWS field 1, kernel stack size.
using KernelProperties = std::array<uint32_t, 6>;
// KWS fields 0, 1 and 3 to 27.
using KernelInfo = std::array<uint32_t, 27>;

// From the cached system properties; all zero when none were read.
void GetSystemProperties(KernelProperties& out);
// Header entries 0 to 9 of the data file (image 1); all zero without a layout.
void ReadDataFileHeader(DataFileHeader& out);
// Reads the 27 KWS fields from the target into `out` and the cached KernelWorkspaceValues (the class
// table address found by the loader is kept apart, so class loading is not affected). A field whose
// read is refused keeps the value held before; false when that happened to any field. `read`, when
// given, says which words hold a value read from the target, now or before (a word never read holds 0,
// which is no value).
bool ReadKernelInfo(KernelInfo& out, std::bitset<27>* read = nullptr);
// The fill-pattern part of the kernel stack: its bytes, and how its scan ended (stack_scan.h).
struct KernelStackSpare {
    uint32_t bytes = 0;
    int end = 0; // a ScanEnd
};
KernelStackSpare GetKernelStackSpare();

// The target refuses reads now (as a debugger does while the target runs): the kernel workspace, read
// when the kernel was found, cannot be read. A failed read elsewhere then says nothing of what the
// memory holds.
bool TargetReadsRefused();

} // namespace kernel
