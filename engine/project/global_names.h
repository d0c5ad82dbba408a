#pragma once
// The check made after reading an application that is global to a multiprocessor system: its shared
// objects must have names no other global application uses.

namespace engine {

struct ApplicationRecord;
struct CpuRecord;
struct ProjectRecord;

// When the CPU's kernel and variant both offer multiprocessing and the application is global, warns
// once for each shared object whose name a shared object of another global application of the project
// also has. Nothing is changed.
void warnAboutGlobalNameClashes(const ProjectRecord* project, const CpuRecord* cpu, ApplicationRecord* application);

}  // namespace engine
