#pragma once
// The main window's calls into the code-generator library named by a CPU (engine/codegen does the
// loading, the call and the failure messages): generating an application's code and having the library
// write its report, with the GUI's parameter block and its dirty-flag rules around them.

#include "engine/records/records.h"

#include <string>

namespace shell {

// Marks the application edited when it is not and an enabled class entry of a chain has c, h or m dirty.
void MarkEditedForDirtyClasses(engine::ApplicationRecord& application);
// After a successful generation: clears the kernel record's h (m) file dirty flag, marking the CPU edited,
// when no application of the CPU still has Kernel h or Project h (Kernel m) dirty.
void ClearKernelDirtyFlags(engine::CpuRecord& cpu);

// One "GenerateCode" call; true when it returned 0.
bool RunCodeGenerator(engine::ProjectRecord& project, engine::ConfigRecord& config, engine::CpuRecord& cpu,
                      engine::ApplicationRecord& application, bool all);
// One "PrintSystem" call; true when it returned 0. reportPath receives the report the library wrote.
bool RunPrintSystem(engine::ProjectRecord& project, engine::ConfigRecord& config, engine::CpuRecord& cpu,
                    engine::ApplicationRecord& application, std::string& reportPath);

// "For application %s, System RAM=%lu%s, User RAM=%lu, User ROM=%lu %s"; the marker "*" when a System RAM
// limit is set (manual placement) and exceeded.
std::string FootprintStatusText(const engine::CpuRecord& cpu, const engine::ApplicationRecord& application);

} // namespace shell
