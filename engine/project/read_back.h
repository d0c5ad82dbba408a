#pragma once
// What a save checks before it puts a file in place: the bytes it is about to write, read from memory
// with the reader the open uses, give back the records it meant to write. Each check answers "" when they
// do, else why not, to follow "Unable to write <kind> file <path>: ".

#include <string>
#include <string_view>

namespace engine {

struct ApplicationRecord;
struct ConfigRecord;
struct CpuRecord;
struct ProjectRecord;

// The application file's bytes read as the open reads them, into a record of `cpu`, compared with
// `application` field by field.
std::string ApplicationReadBackProblem(CpuRecord& cpu, const ApplicationRecord& application, const std::string& path,
                                       std::string_view bytes);

// The project file's bytes read with the open's section and list readers, compared with the project: its
// name and description, and per CPU its name, description, model, kernel file and applications with their
// files.
std::string ProjectReadBackProblem(const ProjectRecord& project, const ConfigRecord& config, std::string_view bytes);

} // namespace engine
