#pragma once
// The console's two calls into the code-generator library: its parameter block (caller 0, version
// "major.minor.binding", operation 0), its printed lines, and the report handed to the print command.

#include "engine/records/records.h"

#include <ostream>

namespace platform {
struct PrintResult;
}

namespace cmdgen {

struct GeneratorRecords {
    engine::ProjectRecord* project;
    engine::ConfigRecord* config;
    engine::CpuRecord* cpu;
    engine::ApplicationRecord* application;
};

// Has the library generate the application's code; true when "GenerateCode" returned 0.
bool GenerateApplicationCode(const GeneratorRecords& records, bool force, std::ostream& out);

// Has the library write the application's report; true when "PrintSystem" returned 0.
bool WriteApplicationReport(const GeneratorRecords& records, std::ostream& out);

// Hands a report WriteApplicationReport has just written to the print command; a failed print is shown
// (it fails nothing). Called once the report's line is finished, so what the command writes and the
// message stand on lines of their own.
void PrintWrittenReport(const GeneratorRecords& records);

// The "Reason:" text of a print command that failed.
std::string PrintFailureReason(const platform::PrintResult& result);

} // namespace cmdgen
