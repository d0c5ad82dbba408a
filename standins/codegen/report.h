#pragma once
// The application report: a plain text summary of the project, CPU, application, footprint, options,
// classes and objects, written where the generator programs look for it.

#include "engine/records/records.h"

#include <string>

namespace codegen {

// The report's path: the application's report folder, then "<cpu>_<application>.txt".
std::string reportPath(const engine::CpuRecord& cpu, const engine::ApplicationRecord& application);

// The report text.
std::string reportText(const engine::ProjectRecord* project, const engine::CpuRecord& cpu,
                       const engine::ApplicationRecord& application, const std::string& version);

} // namespace codegen
