#pragma once
// Code generation for one application: decides which generated files are due, writes them, and on
// success clears the dirty flags and the regeneration mark it handled.

#include "engine/records/records.h"

#include <string>
#include <vector>

namespace codegen {

struct GenerationResult {
    bool ok = false;
    std::vector<std::string> written;  // paths of the files written, in order
    std::string error;                 // why it failed
};

// force: write every file; otherwise only files marked changed and files that do not exist yet.
GenerationResult generateApplication(const engine::ProjectRecord* project, engine::CpuRecord& cpu,
                                     engine::ApplicationRecord& application, const std::string& version, bool force);

} // namespace codegen
