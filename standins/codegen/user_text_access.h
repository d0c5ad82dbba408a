#pragma once
// Reads the blocks of an application's user text store as generated files.

#include "generated_files.h"

namespace codegen {

std::vector<GeneratedFile> userTextFiles(const engine::UserTextStore& store);

} // namespace codegen
