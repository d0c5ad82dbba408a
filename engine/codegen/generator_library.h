#pragma once
// Calls into the code-generator library that a CPU's model names ("Classgen"), shared by both generator
// programs. Each call loads the library, looks up its entry by name, calls it with the records and a
// parameter block of its own, and unloads it again. Failures are shown through the message service with
// the fixed texts and caption "Error".

#include "engine/records/records.h"
#include "sdk/codegen/generator_entries.h"

#include <string>

namespace engine {

enum class GeneratorCallResult {
    Done,          // the entry returned 0
    LoadFailed,    // "Unable to load code generator DLL"
    EntryMissing,  // "Missing entry point in code generator"
    Failed,        // the entry returned non-zero: "Code generation failure." / "Print failure."
};

struct GeneratorCallOutcome {
    GeneratorCallResult result = GeneratorCallResult::LoadFailed;
    // After a failed load: the nearest system error number (the library file's own access error, else
    // ENOEXEC) and the loader's text.
    int loadErrorNumber = 0;
    std::string loadError;

    bool ok() const { return result == GeneratorCallResult::Done; }
};

// Sets the application's regeneration mark when it has User Trace or an enabled class entry (or one
// chained to it) has System Trace or its h or m file dirty; never clears it.
void MarkApplicationForRegeneration(ApplicationRecord& application);

// Marks the application for regeneration, then calls "GenerateCode" with a copy of params.
GeneratorCallOutcome CallGenerateCode(ProjectRecord* project, CpuRecord& cpu, ApplicationRecord& application,
                                      ConfigRecord* config, CodeGeneratorParams params);

// Calls "PrintSystem" with a copy of params. The report, when the call succeeded, is at
// ReportFileName(cpu, application).
GeneratorCallOutcome CallPrintSystem(ProjectRecord* project, CpuRecord& cpu, ApplicationRecord& application,
                                     ConfigRecord* config, CodeGeneratorParams params);

} // namespace engine
