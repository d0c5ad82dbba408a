#pragma once
// Test hooks of the code generator, driven by the environment of the calling process:
//   OMBA_CODEGEN_LOG   a file to which every call appends one line with the parameter block and the
//                      records' names, then one "  wrote <path>" line per file written.
//   OMBA_CODEGEN_FAIL  a comma-separated list of entries that fail without writing anything:
//                      "GenerateCode", "PrintSystem", or "<entry>:<application>" for one application.

#include "engine/records/records.h"

#include <string>

namespace codegen {

// Appends lines to the call log when one is asked for; never fails the call.
void appendToCallLog(const std::string& text);

// Whether the environment asks the entry to fail for this application.
bool failureRequested(const std::string& entry, const std::string& application);

// The log line describing one call: entry, parameter block, names, footprint state.
std::string describeCall(const std::string& entry, const engine::CodeGeneratorParams* params,
                         const engine::ProjectRecord* project, const engine::CpuRecord* cpu,
                         const engine::ApplicationRecord* application);

} // namespace codegen
