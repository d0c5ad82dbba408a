#pragma once
// The two entries of the code-generator library, which the generator programs look up by name in the
// library a CPU's model names ("Classgen"). Both receive the project's records by pointer and a parameter
// block of the caller's own; the records are defined in the one records header the library builds against,
// engine/records/records.h. 0 means the call succeeded, anything else that it failed.

#include <cstdint>
#include <type_traits>

namespace engine {

struct ProjectRecord;
struct CpuRecord;
struct ApplicationRecord;
struct ConfigRecord;
struct CodeGeneratorParams;

inline constexpr char kGenerateCodeEntryName[] = "GenerateCode";
inline constexpr char kPrintSystemEntryName[] = "PrintSystem";

using GenerateCodeEntry = int32_t (*)(ProjectRecord*, CpuRecord*, ApplicationRecord*, CodeGeneratorParams*,
                                      ConfigRecord*);
using PrintSystemEntry = int32_t (*)(ApplicationRecord*, CpuRecord*, ProjectRecord*, ConfigRecord*,
                                     CodeGeneratorParams*);

} // namespace engine

// What the library exports; a library built against this header cannot define them otherwise.
extern "C" {
int32_t GenerateCode(engine::ProjectRecord* project, engine::CpuRecord* cpu, engine::ApplicationRecord* application,
                     engine::CodeGeneratorParams* params, engine::ConfigRecord* config);
int32_t PrintSystem(engine::ApplicationRecord* application, engine::CpuRecord* cpu, engine::ProjectRecord* project,
                    engine::ConfigRecord* config, engine::CodeGeneratorParams* params);
}

static_assert(std::is_same_v<decltype(&GenerateCode), engine::GenerateCodeEntry>);
static_assert(std::is_same_v<decltype(&PrintSystem), engine::PrintSystemEntry>);
