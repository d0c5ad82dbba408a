#pragma once
// Small texts the generator front ends build around the code-generator library.

#include <cstdint>
#include <string>

#include "engine/records/records.h"

namespace engine {

// The application's report path, a '/' when it ends in no separator, the CPU name, "_", the application
// name and ".txt". Backslashes of the stored path become '/'; an empty path is the current folder.
std::string ReportFileName(const CpuRecord& cpu, const ApplicationRecord& application);
// Why the system cannot create the report file `report` (its name longer than a file name may be, the whole
// path longer than a path may be), or "" when nothing in its name stops it.
std::string ReportFileNameProblem(const std::string& report);

// "major.minor.binding" from the model's "Version" (split at its first '.', each part trimmed and read
// with its base prefix, a missing part 0) and its "Binding Number".
std::string VersionText(const CpuRecord& cpu);

// The text of a result (32 or less) of starting a document or program through the shell.
std::string ShellExecuteErrorText(int32_t code);

// The folder written relative to the base folder, starting with "./" or "../" ("./" for the base itself);
// relative inputs are taken from the current folder. Backslashes count as separators.
std::string MakeRelativePath(const std::string& baseFolder, const std::string& folder);

} // namespace engine
