#pragma once
// The text of each generated file: the user's top revision block, a banner, the user's include block,
// the tables or definitions the file holds, and the user's bottom revision block.

#include "application_model.h"
#include "generated_files.h"

#include <string>
#include <vector>

namespace codegen {

struct SourceContext {
    const engine::CpuRecord& cpu;
    const engine::ApplicationRecord& application;
    std::string projectName;
    std::string version;
    const ApplicationModel& model;
};

// How a source file names the headers it includes (relative to its own folder).
struct IncludeNames {
    std::string projectHeader;  // kproject's C header
    std::string ownHeader;      // the C header of the same base name
};

// The lines of one generated file, without line ends.
std::vector<std::string> sourceLines(const SourceContext& context, const GeneratedFile& file, const std::string& fileName,
                                     const IncludeNames& includes);

} // namespace codegen
