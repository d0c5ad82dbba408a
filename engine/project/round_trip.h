#pragma once
// The one judge of "would it open again" for what a project holds in memory: each of its files, written as
// a save would write it and read back by the open's reader with the model's checks, gives the same records.
// The open asks it of what it read, every editing road of the project it would keep, a save of what it
// writes (through the writers' own read-back). Each answers "" when the round trip passes, else a sentence
// naming the file, the section, the key, the value meant and the value read (or why the reader refuses).

#include <string>
#include <string_view>

namespace engine {

struct ApplicationRecord;
struct CpuRecord;
struct ProjectRecord;

// What ApplicationFile::Write checks before it writes, bar the names and files the project check judges:
// the text built, and its read-back. `readFrom`, when given, is the text the application was just read
// from: a text built the same reads back as it was read, with no second read. (The kernel's is
// KernelRoundTripProblem, engine/files/cpu_file.h.)
std::string ApplicationRoundTripProblem(CpuRecord& cpu, const ApplicationRecord& application,
                                        std::string_view readFrom = {});

// Every kernel and application of the project, to follow "Unable to load project file X: " or an editing
// road's "as ": "the kernel file main.cpu of CPU "Main": what would be written does not open again: ...".
std::string ProjectRoundTripProblem(const ProjectRecord& project);

} // namespace engine
