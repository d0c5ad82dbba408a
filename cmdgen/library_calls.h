#pragma once
// The two calls into the code-generator library named by a CPU's model: each loads the library, looks
// up its entry, calls it with the records and a parameter block of its own, and unloads it again.

#include "engine/records/records.h"

#include <ostream>

namespace cmdgen {

struct GeneratorRecords {
    engine::ProjectRecord* project;
    engine::ConfigRecord* config;
    engine::CpuRecord* cpu;
    engine::ApplicationRecord* application;
};

// Sets the regeneration mark when an enabled class entry (or one chained to it) has System Trace or
// its h or m file dirty, or when the application has User Trace; never clears it.
void markApplicationForRegeneration(engine::ApplicationRecord& application);

// Has the library generate the application's code; true when "GenerateCode" returned 0.
bool GenerateApplicationCode(const GeneratorRecords& records, bool force, std::ostream& out);

// Has the library write the application's report and hands the report to the print command; true
// when "PrintSystem" returned 0 (a failed print is shown but does not change the result).
bool WriteApplicationReport(const GeneratorRecords& records, std::ostream& out);

} // namespace cmdgen
