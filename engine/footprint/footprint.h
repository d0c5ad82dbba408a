#pragma once
// The RAM and ROM estimate of an application: per class entry (chained ones included) from its static
// and dynamic objects and the sizes of the kernel's structures in the CPU's model, plus the kernel's own
// share. The estimate updates the program's expression symbols for the application first.

#include "engine/footprint/structure_size.h"
#include "engine/records/records.h"

#include <cstdint>
#include <string>

namespace engine {

// Fills the application's footprint and each class entry's share. project (optional) is the whole
// project, over which the multiprocessor share counts global objects; without it only the application's
// own objects count.
void ComputeApplicationFootprint(const ProjectRecord* project, CpuRecord& cpu, ApplicationRecord& application);
// The same, finding the application's CPU in the project; false (nothing computed) when it holds none.
bool ComputeApplicationFootprint(const ProjectRecord& project, ApplicationRecord& application);

// One class entry's share and that of its chained entries, added to the application's footprint. The
// symbols must be up to date for the application; sizer gives the CPU model's sizes.
void AddClassFootprint(const ProjectRecord* project, CpuRecord& cpu, ApplicationRecord& application,
                       ApplicationClassEntry& entry, StructureSizer& sizer);

// An amount of the estimate as shown: a counter held at its largest value stands for that many or more,
// and says so.
std::string FootprintAmountText(uint32_t amount);

} // namespace engine
