#pragma once
// The record of one kernel object class, read from the kernel's class table on first use, and the 14
// slots that hold them (indexed by the kernel's class number).

#include <array>
#include <cstdint>
#include <memory>

namespace kernel {

struct ObjectClassRecord {
    uint32_t attributes = 0;
    uint32_t totalCount = 0;   // static plus dynamic objects
    uint32_t staticCount = 0;
    int32_t stride = 0;        // units per object record
    uint32_t objectBase = 0;   // object n lies at objectBase + stride x n
    uint32_t namePool = 0;     // 0: names are not kept
    int32_t nameLength = 0;
    uint32_t dynamicArea = 0;
    uint32_t field9 = 0;
    uint32_t field10 = 0;
    // Objects whose records the target holds: totalCount, cut where the object table would leave the
    // address space or the target's memory (stale or garbage counts). Numbers above it are invalid.
    uint32_t heldCount = 0;
    // Objects 1 to soundCount pass their record's checks (object_classes.cpp), as last checked in read
    // generation checkedGeneration.
    uint32_t soundCount = 0;
    uint64_t checkedGeneration = 0;
    bool checked = false;
    uint32_t stop = 0; // why the list ends before totalCount (a ListStop of object_classes.h)
};

using ClassRecordSlots = std::array<std::unique_ptr<ObjectClassRecord>, 14>;
ClassRecordSlots& ClassRecords();
// Releases every class record.
void FreeClassRecords();

} // namespace kernel
